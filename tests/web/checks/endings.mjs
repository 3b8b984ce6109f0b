// How a game ends, as the player sees and hears it, and what is kept for the next visit: quit,
// death without a replay, a win, a game taken over by another tab (whose keys must then reach
// that tab's answer line), each way the browser can fail a save, and a tab closed, in the middle
// of its save too. Also the sound's news, shown beside the story but never spoken over it.
//
// One table of endings over one driver: each row plays in a browser context of its own with the
// keyboard alone and ends its way; the driver judges what the status line and the story show,
// what the live regions give a screen reader, the exit status, log.txt as "Your files" offer it,
// and the save that the next visit's "Your files" offer.
import fs from 'node:fs';
import path from 'node:path';
import { answer, assert, preparePage, record, repoRoot, waitForExit, waitForPrompt, waitForText } from './lib.mjs';

const replay = (name) => ({
  seed: Number(fs.readFileSync(path.join(repoRoot, 'tests/replays', name, 'seed'), 'utf8')),
  input: fs.readFileSync(path.join(repoRoot, 'tests/replays', name, 'input'), 'utf8').split('\n').slice(0, -1),
});
const death = replay('death-at-zero-health-and-replay');
const win = replay('win');

// After the last game the status says what Enter does now, as the focused Play again button does.
const kEnter = ' Press Enter to play again.';
const kEnded = `The game has ended.${kEnter}`;
const kFailed = `The game has ended with an error; see log.txt in your files.${kEnter}`;
const kTakenOver = 'Your character is saved; the game goes on in another tab.';
const kFarewell = 'Hope you enjoyed playing Vaultreach.';
const kExited = 'Exiting with return code 0';

const words = (text) => String(text).replace(/\s+/g, ' ').trim();

// Runs in the page before its scripts: IndexedDB failing as a browser may fail it.
//  refuse:  every write throws, as on a full disk;
//  abort:   the writes are taken, then the transaction aborts (storage found short at commit);
//  missing: the database cannot be opened at all (storage blocked for the site);
//  closed:  window.__connections can be closed (the site's data cleared while playing);
//  hang:    once window.__hang is set, a write is never answered (window.__saving says one
//           began): the tab closes in the middle of its save.
function storageFaults(fault) {
  const refused = (name) => new DOMException(`IndexedDB refused (${fault}).`, name);
  window.__connections = [];
  const open = IDBFactory.prototype.open;
  IDBFactory.prototype.open = function (...args) {
    if (fault === 'missing') throw refused('SecurityError');
    const request = open.apply(this, args);
    request.addEventListener('success', () => window.__connections.push(request.result));
    return request;
  };
  const put = IDBObjectStore.prototype.put;
  IDBObjectStore.prototype.put = function (...args) {
    if (fault === 'refuse') throw refused('QuotaExceededError');
    const request = put.apply(this, args);
    if (fault === 'abort') {
      const transaction = this.transaction;
      transaction.writes = (transaction.writes || 0) + 1;
      request.addEventListener('success', () => {
        transaction.writes -= 1;
        if (transaction.writes === 0) transaction.abort();
      });
    }
    return request;
  };
  const transaction = IDBDatabase.prototype.transaction;
  IDBDatabase.prototype.transaction = function (stores, mode, ...rest) {
    if (!window.__hang || mode !== 'readwrite') return transaction.call(this, stores, mode, ...rest);
    window.__saving = true;
    return { objectStore: () => ({ put: () => ({}), delete: () => ({}), get: () => ({}) }) };
  };
}

// What a screen reader is given to speak as the page changes: each live region the
// accessibility tree exposes (a node whose live property is not "off"), with its text.
async function liveRegions(page) {
  const session = await page.createCDPSession();
  const { nodes } = await session.send('Accessibility.getFullAXTree');
  await session.detach();
  const byId = new Map(nodes.map((node) => [node.nodeId, node]));
  const live = (node) => (node.properties || []).some((p) => p.name === 'live' && p.value.value !== 'off');
  const regions = [];
  const visit = (node, region) => {
    if (!region && !node.ignored && live(node)) {
      region = { role: node.role.value, text: '' };
      regions.push(region);
    }
    if (region && !node.ignored && node.role.value === 'StaticText') region.text += node.name.value;
    for (const child of node.childIds || []) if (byId.has(child)) visit(byId.get(child), region);
  };
  visit(nodes[0], null);
  return regions.map((region) => ({ role: region.role, text: words(region.text) }));
}

// The player's files as "Your files" offers them: the text each link downloads.
async function offeredFiles(page) {
  if (await page.$eval('#files', (panel) => panel.hidden)) await page.click('#files-toggle');
  return page.evaluate(async () => {
    const files = {};
    for (const link of document.querySelectorAll('#files-list a[download]')) {
      files[link.download] = await (await fetch(link.href)).text();
    }
    return files;
  });
}

// Judges a tab as the player sees and hears it: the status line (shown, and spoken as the
// only live text outside the story), each phrase in the story (shown, and in the story's live
// region), and no notice of a game elsewhere.
async function judge(page, { status = '', phrases }, problems, where) {
  // The player looks at the tab; a tab behind another runs no animation frames, which clicks
  // and waits need.
  await page.bringToFront();
  const seen = await page.evaluate(() => ({
    status: document.getElementById('status').textContent,
    story: document.getElementById('transcript').innerText,
    elsewhere: !document.getElementById('elsewhere').hidden,
  }));
  const regions = await liveRegions(page);
  const story = regions.filter((region) => region.role === 'log').map((region) => region.text).join(' ');
  const spoken = regions.filter((region) => region.role !== 'log').map((region) => region.text).join(' ');
  const wrong = (text) => problems.push(`${where}: ${text}`);
  if (seen.status !== status) wrong(`the status line shows "${seen.status}", not "${status}"`);
  if (spoken !== status) wrong(`the live regions beside the story say "${spoken}", not "${status}"`);
  for (const phrase of phrases.map(words)) {
    if (!words(seen.story).includes(phrase)) wrong(`the story does not show "${phrase}"`);
    if (!story.includes(phrase)) wrong(`the story's live region does not speak "${phrase}"`);
  }
  if (seen.elsewhere) wrong('the page says the game is played in another tab');
}

// A tab of the game, at its first question.
async function visit(game, { seed, fault } = {}) {
  const page = await preparePage(game.context, seed === undefined ? {} : { seed });
  if (fault) await page.evaluateOnNewDocument(storageFaults, fault);
  await page.goto(game.url);
  await waitForPrompt(page, 1).catch(() => {
    throw new Error(`the game never asked its first question${fault ? ` (IndexedDB: ${fault})` : ''}`);
  });
  return page;
}

// Answers typed on the keyboard alone, wherever the page put the keys.
const play = (page, lines) => answer(page, lines, { keys: page });

async function quit(page) {
  await page.click('#quit');
  await waitForExit(page).catch(() => {
    throw new Error('the game never ended after Quit');
  });
  return { judged: page };
}

// "No" to another game; the farewell then asks for Enter, unless the answer's own Enter was it.
async function noMoreGames(page) {
  await page.keyboard.type('n');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.__vr.exited !== null ||
    (window.__vr.waiting && window.__vr.text.endsWith('Press Enter to exit')));
  if ((await record(page)).exited === null) await page.keyboard.press('Enter');
  await waitForExit(page);
  return { judged: page };
}

async function closeTab(page) {
  await page.close({ runBeforeUnload: false });
  return {};
}

async function closeMidSave(page) {
  await page.evaluate(() => { window.__hang = true; });
  await page.click('#quit');
  await page.waitForFunction(() => window.__saving === true);
  return closeTab(page);
}

// A second tab says the game is played elsewhere, with the keys on its button; Enter there ends
// this game, and the player's first answer in the second tab, typed where that tab put the
// keys, must be its game's.
async function takeOver(first, game) {
  const second = await preparePage(game.context);
  await second.goto(game.url);
  await second.waitForSelector('#elsewhere:not([hidden])', { timeout: 10000 });
  const keys = () => second.evaluate(() => document.activeElement && (document.activeElement.id || document.activeElement.tagName));
  await second.bringToFront();
  await second.keyboard.press('Enter');
  // Polled: the first tab is behind the second, where animation frames stop.
  if (!await first.waitForFunction(() => window.__vr.exited !== null, { timeout: 20000, polling: 100 }).then(() => true, () => false)) {
    throw new Error(`Enter on the notice did not take the game over (the keys are on ${await keys()})`);
  }
  await waitForPrompt(second, 1);
  await second.keyboard.type('Bea');
  await second.keyboard.press('Enter');
  if (!await waitForText(second, 'There is evil afoot Bea.', 5000).then(() => true, () => false)) {
    throw new Error(`the answer typed after "Play here instead" did not reach the game (the keys are on ${await keys()})`);
  }
  return { judged: first, next: second };
}

// Each row: the answers typed (after a saved game of Cara's when `previous`), how the game ends,
// and then what the ended tab shows and says (`status`, `phrases`), its exit status, its
// log.txt's line, and whose save the next visit finds.
const failedSave = (fault, how, more = {}) => ({
  name: `a save ${how}`, fault, previous: true, answers: ['Dora', 's'], end: quit, exit: 1, status: kFailed,
  phrases: [`Failed to write Player.txt ${kFarewell}`], log: 'Failed to save Player.txt; the previous save is kept.',
  saved: 'Cara', ...more,
});

const endings = [
  { name: 'quit', answers: ['Ann', 's'], end: quit, exit: 0, status: kEnded, phrases: [kFarewell], log: kExited,
    saved: 'Ann' },
  // The stored replays' answers, up to the question of another game (which the death replay
  // answers yes).
  { name: 'death without a replay', seed: death.seed, answers: death.input.slice(0, death.input.indexOf('y')),
    end: noMoreGames, exit: 0, status: kEnded, log: kExited, saved: 'Ann',
    phrases: ['You have died, and failed to save Tovashal.', kFarewell] },
  { name: 'a win', seed: win.seed, answers: win.input.slice(0, -1), end: noMoreGames, exit: 0, status: kEnded, log: kExited,
    saved: 'Ann', phrases: ['You made it to the end! You saved Tovashal!', kFarewell] },
  { name: 'taken over by another tab, whose keys then reach the answer line', answers: ['Ann', 's'], end: takeOver,
    exit: 0, status: kTakenOver, phrases: [kFarewell], log: kExited, saved: 'Ann' },
  failedSave('refuse', 'IndexedDB refuses'),
  failedSave('abort', 'IndexedDB aborts as it commits'),
  failedSave('missing', 'with no IndexedDB to open'),
  failedSave('closed', 'after the site\'s data was cleared while playing', {
    before: (page) => page.evaluate(() => window.__connections.forEach((db) => db.close())),
  }),
  { name: 'a closed tab', answers: ['Ann', 's'], end: closeTab, saved: 'Ann' },
  { name: 'a tab closed in the middle of its save', fault: 'hang', previous: true, answers: ['Gus', 's'],
    end: closeMidSave, saved: 'Gus' },
];

async function playEnding(row, { browser, url }) {
  const game = { context: await browser.createBrowserContext(), url };
  try {
    if (row.previous) {
      const page = await visit(game);
      await play(page, ['Cara', 's']);
      await waitForPrompt(page, 3);
      await quit(page);
      await page.close();
    }
    const page = await visit(game, row);
    await play(page, row.answers);
    await waitForPrompt(page, row.answers.length + 1);
    if (row.before) await row.before(page);
    const { judged, next } = await row.end(page, game).catch(async (error) => {
      error.message += `; this game's story ends ${JSON.stringify((await record(page)).text.slice(-120))}`;
      throw error;
    });
    const problems = [];
    if (judged) {
      const { exited } = await record(judged);
      if (exited !== row.exit) problems.push(`exit status ${exited}, not ${row.exit}`);
      await judge(judged, row, problems, 'at the end');
      const log = (await offeredFiles(judged))['log.txt'] || '';
      if (!log.includes(row.log)) problems.push(`log.txt does not say "${row.log}": ${JSON.stringify(log.slice(-160))}`);
      if (!next) await judged.close();
    }
    // The next game (the next visit, or the tab that took over) starts as any other, and finds
    // the save this ending left.
    const after = next || await visit(game);
    await judge(after, { phrases: ['What is your name?'] }, problems, 'in the next game');
    const save = (await offeredFiles(after))['Player.txt'] || '';
    if (!save.includes(`\n${row.saved}\n`)) problems.push(`the next visit's save is ${JSON.stringify(save)}, not ${row.saved}'s`);
    assert(problems.length === 0, problems.join('; '));
  } finally {
    await game.context.close();
  }
}

// The sound's news comes with the first key, while the story's answer may be being read: it is
// shown beside the story and kept out of every live region.
const soundNews = [
  { name: '"Sound on."', news: 'Sound on.' },
  { name: 'a sound the browser cannot decode', news: 'could not be decoded', broken: /\.(ogg|wav)$/ },
];

async function hearSoundNews(row, { browser, url }) {
  const context = await browser.createBrowserContext();
  try {
    const page = await preparePage(context);
    if (row.broken) {
      await page.setRequestInterception(true);
      page.on('request', (request) => (row.broken.test(new URL(request.url()).pathname)
        ? request.respond({ status: 200, contentType: 'audio/ogg', body: 'not a sound' })
        : request.continue()));
    }
    await page.goto(url);
    await waitForPrompt(page, 1);
    await page.keyboard.type('A');
    const shown = await page.waitForFunction((news) => document.body.innerText.includes(news),
      { timeout: 10000 }, row.news).then(() => true, () => false);
    assert(shown, `"${row.news}" is not shown after the first key`);
    const heard = (await liveRegions(page)).filter((region) => region.text.includes(row.news));
    assert(heard.length === 0, `"${row.news}" is spoken, in the live region ${heard.map((r) => r.role).join(', ')}`);
    if (row.broken) {
      const audioLog = (await offeredFiles(page))['AudioLog.txt'] || '';
      assert(audioLog.includes(row.news), `AudioLog.txt does not say "${row.news}"`);
    }
  } finally {
    await context.close();
  }
}

export const checks = {
  ...Object.fromEntries(endings.map((row) => [`ending: ${row.name}: the words shown and spoken, the exit ` +
    'status, log.txt, the save at the next visit', (args) => playEnding(row, args)])),
  ...Object.fromEntries(soundNews.map((row) => [`sound news: ${row.name} is shown, not spoken`,
    (args) => hearSoundNews(row, args)])),
};
