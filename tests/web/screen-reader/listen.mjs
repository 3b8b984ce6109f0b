// The scripted game on the real page, in a Chromium window on the virtual display that
// screen_reader.sh started, typed with real keys (xdotool: Orca hears them as key presses) while
// Orca reads it. For each answer it prints what Orca spoke and checks it against what the
// answer added to the live region. Prints "N passed, N failed"; exits non-zero on a failure.
// Usage: node listen.mjs URL ORCA_DEBUG_FILE SPEECH_LOG [chromium|firefox]
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { launch, nativeInput, preparePage } from '../checks/lib.mjs';
import {
  count, done, flat, inOrder, keyEcho, kQuietMs, kWhole, kWordsPerSecond, orcaSpeech as speechIn,
  percent, pictureLines, pictureSet, quiet as quietIn, rule, show, sleep, synthesised as synthesisedIn,
  voiceEnd,
} from './speech.mjs';

const [url, orcaLog, speechLog, browserName = 'chromium'] = process.argv.slice(2);
const firefox = browserName === 'firefox';
// Name, weapon, a step into the first fight, its rounds, steps east, the map and the condition.
const answers = nativeInput.slice(0, nativeInput.indexOf('c') + 1);
const xdotool = (...args) => execFileSync('xdotool', args, { encoding: 'utf8' }).trim();
const orcaSpeech = () => speechIn(orcaLog);
const synthesised = () => synthesisedIn(speechLog);
const quiet = (deadline, since) => quietIn(orcaLog, speechLog, deadline, since);

// The prompts the game has asked so far (0 while a page is loading).
// What the story offers a screen reader, from the page itself (Firefox has no tree to ask
// for): the transcript's text that is not hidden from screen readers, each picture's name and
// each of the map's row sentences in brackets.
function storyOf() {
  const parts = [];
  const visit = (node) => {
    if (node.nodeType === Node.TEXT_NODE) parts.push(node.data);
    if (node.nodeType !== Node.ELEMENT_NODE || node.getAttribute('aria-hidden') === 'true') return;
    if (node.matches('.picture-name, .map-words')) parts.push(`[${node.dataset.name}]`);
    for (const child of node.childNodes) visit(child);
  };
  visit(document.getElementById('transcript'));
  return parts.join('');
}
const storyText = (page) => page.evaluate(storyOf);

const waits = (page) => page.evaluate(() => (window.__vr ? window.__vr.waits : 0)).catch(() => 0);
async function waitForPrompt(page, n, timeoutMs = 180000) {
  const started = Date.now();
  while ((await waits(page)) < n) {
    if (Date.now() - started > timeoutMs) throw new Error(`the game never asked its prompt ${n}`);
    await sleep(50);
  }
  return Date.now();
}

// The browser's window on the display; windows that come and go while it starts are skipped.
async function browserWindow() {
  for (let tries = 0; tries < 100; tries += 1) {
    try {
      const found = xdotool('search', '--onlyvisible', '--name', firefox ? 'Firefox' : 'Chromium')
        .split('\n').filter(Boolean);
      if (found.length) return found.pop();
    } catch (notYet) {
      // no such window yet, or one that closed while xdotool looked
    }
    await sleep(100);
  }
  throw new Error(`no ${browserName} window on the display`);
}

const browser = await launch(firefox ? ['--width=1280', '--height=1000'] : ['--force-renderer-accessibility',
  '--window-position=0,0', '--window-size=1280,1000'], { headless: false, firefox });
try {
  const page = await preparePage(browser.defaultBrowserContext(), { realTimers: true });
  for (const other of await browser.pages()) if (other !== page) await other.close();
  xdotool('windowfocus', '--sync', await browserWindow());
  // As a player loads it: puppeteer's own navigation would leave the keyboard in the address bar.
  // A key the address bar missed while it opened makes a search of the address: type it again.
  let loadAt = 0;
  for (let tries = 0; !page.url().startsWith(url); tries += 1) {
    if (tries === 3) throw new Error(`the address bar never took ${url} (at ${page.url()})`);
    if (tries > 0) console.log(`the address bar took something else (${page.url()}); typing the address again`);
    xdotool('key', '--clearmodifiers', 'ctrl+l');
    await sleep(500);
    xdotool('type', '--delay', '40', url);
    await sleep(300);
    xdotool('key', 'Return');
    await sleep(300); // Orca's echo of the Return key
    loadAt = Date.now();
    await page.waitForNavigation({ timeout: 10000 }).catch(() => {});
  }
  const titleAt = await waitForPrompt(page, 1, 60000);
  const loadQuiet = await quiet(titleAt + 60000, titleAt);
  const title = await storyText(page);
  const atLoad = orcaSpeech().filter((u) => u.at >= loadAt && !keyEcho(u));
  console.log(`page load: the title's prompt after ${((titleAt - loadAt) / 1000).toFixed(1)} s; ` +
    `Orca spoke ${atLoad.reduce((n, u) => n + u.text.length, 0)} characters for the ${title.length} of the story`);
  show(atLoad, loadAt);
  // The address bar's suggestions are a document of the browser's own to Orca: on a busy machine
  // their "Loading.  Please wait." and "Finished loading Omnibox Popup." come after the Return.
  const aboutPage = atLoad.filter((u, i) => !/Omnibox/.test(u.text) &&
    !(/^Loading\./.test(u.text) && /Omnibox/.test(atLoad[i + 1]?.text)));
  const repeated = aboutPage.filter((u, i) => u.text.trim().length > 3 &&
    aboutPage.findIndex((v) => v.text === u.text) !== i);
  rule(repeated.length === 0, `page load: nothing said twice${repeated.length ? ` ('${repeated[0].text}')` : ''}`);
  // Printed, not judged: the story's first two lines reach the reader while the browser is still
  // loading the page, and Orca says the first after the second (Chromium) or not at all (Firefox).
  const opening = inOrder(flat(title.replace(/\[([^\]]*)\]/g, '$1')), aboutPage);
  console.log(`page load: the opening story said in order: ${opening.said} of its ${opening.all} characters ` +
    `(${percent(opening.share)})`);
  const loadVoiceQuiet = voiceEnd(atLoad);
  rule(loadQuiet !== null && loadVoiceQuiet <= titleAt + kQuietMs,
    `page load: quiet within ${kQuietMs / 1000} s of the name prompt at 180 words a minute ` +
    `(at ${((loadVoiceQuiet - titleAt) / 1000).toFixed(1)} s)`);

  const focused = await page.evaluate(() => document.activeElement && document.activeElement.id);
  rule(focused === 'answer', `page load: focus in the input line (is "${focused}")`);

  let before = title;
  let writtenBefore = (await page.evaluate(() => window.__vr.text)).length;
  for (let i = 0; i < answers.length; i += 1) {
    const answer = answers[i];
    const typedAt = Date.now();
    if (answer) xdotool('type', '--delay', '120', answer);
    await sleep(200);
    const enterAt = Date.now();
    xdotool('key', 'Return');
    const promptAt = await waitForPrompt(page, i + 2);
    // The passage ends when the game waits, or, if later, when a voice at 180 words a minute that
    // began it with its first new text would have said it all.
    let first = null;
    for (const until = Date.now() + 5000; !first && Date.now() < until; await sleep(100)) {
      first = orcaSpeech().find((u) => u.at >= enterAt && !keyEcho(u));
    }
    const words = flat((await storyText(page)).slice(before.length)).split(' ').length;
    const passageEnd = Math.max(promptAt, first ? first.at + (1000 * words) / kWordsPerSecond : 0);
    const quietAt = await quiet(passageEnd + kQuietMs + 5000, promptAt);
    const after = await storyText(page);
    const added = after.startsWith(before) ? after.slice(before.length) : after;
    // Each name or sentence is a block of its own, said with a break around it.
    const heard = added.replace(/\[([^\]]*)\]/g, ' $1 ');
    before = after;
    const written = await page.evaluate(() => window.__vr.text);
    const wrote = written.slice(writtenBefore);
    writtenBefore = written.length;
    const all = orcaSpeech().filter((u) => u.at >= typedAt);
    const passage = all.filter((u) => u.at >= enterAt && !keyEcho(u));
    const spokenChars = all.reduce((n, u) => n + u.text.length, 0);
    const voice = synthesised().filter((u) => u.start >= enterAt);
    // Orca cuts its echo of one key short at the next one; what counts is the story's speech.
    const voiceQuiet = voiceEnd(all.filter((u) => u.at >= enterAt));
    const cut = voice.filter((u) => u.end === null && !(u.start < enterAt + 1500 && u.text.trim().split(' ').length <= 2));
    console.log(`answer ${i + 1} "${answer}": the live region gained ${heard.length} characters; Orca spoke ` +
      `${spokenChars} in ${all.length} utterances; the prompt at ${((promptAt - enterAt) / 1000).toFixed(1)} s, the ` +
      `passage's end at 180 words a minute at ${((passageEnd - enterAt) / 1000).toFixed(1)} s, quiet at 180 words a ` +
      `minute at ${((voiceQuiet - enterAt) / 1000).toFixed(1)} s; the check's voice ${quietAt ? 'quiet at ' +
      `${((quietAt - enterAt) / 1000).toFixed(1)} s` : 'still speaking'}${cut.length ? `; ${cut.length} cut off` : ''}`);
    show(all, enterAt);
    const where = `answer ${i + 1} "${answer}"`;
    rule(spokenChars <= 1.3 * heard.length + 80,
      `${where}: ${spokenChars} characters spoken for ${heard.length} new (at most 1.3 times, plus 80)`);
    const last = passage[passage.length - 1];
    rule(Boolean(last) && /\?:\s*$/.test(last.text) && cut.length === 0,
      `${where}: the prompt's "?:" is the last thing said, and nothing was cut off`);
    rule(quietAt !== null && voiceQuiet <= passageEnd + kQuietMs,
      `${where}: quiet within ${kQuietMs / 1000} s of the passage's end at 180 words a minute`);
    const saidText = flat(passage.map((u) => u.text).join(' '));
    const labels = [...added.matchAll(/\[([^\]]+)\]/g)].map((m) => m[1]);
    for (const label of new Set(labels)) {
      rule(count(saidText, label) === count(labels.join('\n'), label),
        `${where}: the picture "${label}" named ${count(saidText, label)} times, shown ${count(labels.join('\n'), label)}`);
    }
    // Every line of words the game wrote (its pictures' drawings aside) must be in what the story
    // offers a reader: a line the page leaves out of the live region is lost to every reader.
    const offered = flat(heard);
    const left = wrote.split('\n').map(flat).filter((line) => /[A-Za-z]{3}/.test(line) &&
      !pictureSet.has(line) && !offered.includes(line));
    rule(left.length === 0, `${where}: every line the game wrote is in the live region${left.length ?
      ` (not: '${left[0].slice(0, 80)}')` : ''}`);
    const lines = pictureLines.filter((line) => saidText.includes(flat(line)));
    rule(lines.length === 0, `${where}: no picture's lines spoken${lines.length ? ` ('${lines[0]}')` : ''}`);
    // The echo would be an utterance of its own; a name is also counted where the story says it.
    const word = (text) => (answer.length > 1 ? count(` ${text.replace(/[^\w']+/g, ' ')} `, ` ${answer} `) : 0);
    const echoes = (u) => u.text.trim().toLowerCase() === answer.toLowerCase();
    rule(!passage.some(echoes) &&
      word(saidText) <= word(heard), `${where}: the echoed answer is not spoken`);
    // What was said must be the new text, in its order (a label said before it is a stray), and
    // nearly all of it: a reader that drops a line of the passage fails here.
    // (The echo is judged above: one fault, one failure.)
    const { strays, said, all: whole, share } = inOrder(flat(heard), passage.filter((u) => !echoes(u)));
    rule(strays.length === 0, `${where}: everything said is the new text, in order${strays.length ?
      ` (not: '${flat(strays[0]).slice(0, 80)}')` : ''}`);
    rule(share >= kWhole, `${where}: the passage said whole: ${said} of its ${whole} characters ` +
      `(${percent(share)}, at least ${percent(kWhole)})`);
    const focusAfter = await page.evaluate(() => document.activeElement && document.activeElement.id);
    rule(focusAfter === 'answer', `${where}: focus stays in the input line (is "${focusAfter}")`);
    // A player who waited that long would type now, cutting off whatever is still being said.
  }

  // Browse mode (Orca+A), then the landmark key (D) until Orca is on the landmark named
  // "Story" (its debug file names where it moved): the story's name lives on a region around
  // the live log, not on the log, and must still be found. Orca then reads the story there.
  const browseAt = Date.now();
  const logFrom = fs.statSync(orcaLog).size;
  xdotool('key', 'Insert+a');
  await sleep(1000);
  let found = false;
  for (let presses = 0; presses < 4 && !found; presses += 1) {
    xdotool('key', 'd');
    await sleep(2000);
    const since = fs.readFileSync(orcaLog).subarray(logFrom).toString('utf8');
    found = /\[landmark \| Story\]/.test(since);
  }
  console.log('browse mode, the landmark key (the first of what Orca said):');
  show(orcaSpeech().filter((u) => u.at >= browseAt && !keyEcho(u)).slice(0, 4), browseAt);
  rule(found, 'browse mode: the landmark key takes Orca to the landmark named "Story"');
} finally {
  await browser.close();
}
done();
