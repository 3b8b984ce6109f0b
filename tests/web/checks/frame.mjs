// Where players find the game: inside a game host's page, in a frame of another site (sandboxed
// as hosts sandbox games, or not at all), and the one click that gives the input line the
// keys, on the game's own page too.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { answer, assert, axe, expectNativeText, nativeInput, newGamePage, playerFiles, preparePage, record,
  waitForExit, waitForPrompt, waitForText } from './lib.mjs';

// What a host such as a game jam's page gives the frame: scripts, storage, forms and popups,
// but neither downloads nor the navigation of the host's own page.
const kHostSandbox = 'allow-scripts allow-same-origin allow-forms allow-popups';

// The game's frame in the host's page, once it has asked its first question.
async function gameFrame(page, url) {
  const frame = await page.waitForFrame((f) => f.url().startsWith(url), { timeout: 20000 });
  await waitForPrompt(frame, 1);
  return frame;
}

const focused = (frame) => frame.evaluate(() => document.activeElement && document.activeElement.id);

// Where the browser puts the context's downloads, and a way to wait for one.
async function downloadsOf(browser, context) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'vaultreach-downloads-'));
  const session = await browser.target().createCDPSession();
  await session.send('Browser.setDownloadBehavior',
    { behavior: 'allow', downloadPath: folder, browserContextId: context.id });
  return {
    async file(name, timeout) {
      const file = path.join(folder, name);
      for (const end = Date.now() + timeout; Date.now() < end;) {
        if (fs.existsSync(file)) return fs.readFileSync(file, 'utf8');
        await new Promise((resolve) => setTimeout(resolve, 100));
      }
      return null;
    },
    remove: () => fs.rmSync(folder, { recursive: true, force: true }),
  };
}

// A game in the host's frame, played as a player would: one click on the story, then only
// keys; the whole scripted game (compared with the native one) or, short, a name, a step and
// Quit. Then the host page is reloaded and the save must still be there.
async function playInFrame({ browser, url, hostUrl, log }, sandbox, whole) {
  const context = await browser.createBrowserContext();
  const downloads = await downloadsOf(browser, context);
  try {
    const page = await preparePage(context);
    const problems = [];
    await page.goto(`${hostUrl}?game=${encodeURIComponent(url)}&sandbox=${encodeURIComponent(sandbox)}`);
    let frame = await gameFrame(page, url);
    // A player typing on the host's page keeps the keys there: the frame took no focus.
    await page.focus('#host-search');
    await page.keyboard.type('dungeon');
    const host = await page.evaluate(() => ({ value: document.getElementById('host-search').value,
      keys: window.hostKeys.length }));
    assert(host.value === 'dungeon', `the host's search box holds "${host.value}"`);
    assert(await frame.$eval('#answer', (input) => input.value) === '', 'the frame took the host\'s keys');
    problems.push(...await axe(page, 'title'));

    await (await frame.$('#transcript')).click();
    assert(await focused(frame) === 'answer', `a click on the story left the keys on "${await focused(frame)}"`);
    const lines = whole ? nativeInput : nativeInput.slice(0, 2);
    await answer(frame, lines, { keys: page });
    if (!whole) {
      await waitForPrompt(frame, lines.length + 1);
      await frame.click('#quit');
    }
    await waitForExit(frame);
    const result = await record(frame);
    if (whole) expectNativeText(result.text);
    assert(result.exited === 0, `exit status ${result.exited}`);
    const keys = await page.evaluate(() => window.hostKeys.length);
    assert(keys === host.keys, `${keys - host.keys} of the game's keys reached the host page`);
    const audio = await frame.evaluate(() => window.__vr.audio.map((c) => c.state));
    assert(audio.includes('running'), `no AudioContext runs after the keys: ${JSON.stringify(audio)}`);
    const worker = await frame.waitForFunction(
      () => navigator.serviceWorker.getRegistration().then((r) => Boolean(r && r.active)),
      { timeout: 5000, polling: 200 }).then(() => 'registered', () => 'not registered');
    assert(page.errors.length === 0, `console errors: ${page.errors.join('; ')}`);

    await page.reload();
    frame = await gameFrame(page, url);
    const files = await playerFiles(frame);
    assert((files['Player.txt'] || '').includes(`\n${nativeInput[0]}\n`),
      `no saved ${nativeInput[0]} after the host page's reload: ${JSON.stringify(files['Player.txt'] || null)}`);
    await frame.click('#files-toggle');
    assert(await frame.$eval('#files-framed', (note) => !note.hidden), 'the files panel does not say it is in a frame');
    problems.push(...await axe(page, 'files panel'));
    // The link downloads where the host allows it; the text is always there to copy.
    await frame.click('#files-list a[download="Player.txt"]');
    const downloaded = await downloads.file('Player.txt', sandbox === 'none' ? 5000 : 1500);
    await frame.click('#files-list button[aria-label="Show Player.txt"]');
    const shown = await frame.$eval('#files-list pre:not([hidden])', (pre) => pre.textContent).catch(() => '');
    assert(shown === files['Player.txt'], `Show gives ${JSON.stringify(shown)}`);
    if (sandbox === 'none') assert(downloaded === files['Player.txt'], 'the download did not arrive');
    assert(problems.length === 0, problems.join('\n'));
    log(`frame (${sandbox === 'none' ? 'no sandbox' : 'sandbox ' + sandbox}): ${result.text.length} ` +
      `characters, exit 0, worker ${worker}, download ${downloaded === null ? 'refused' : 'saved'}, ` +
      `music ${audio.join('/')}`);
  } finally {
    downloads.remove();
    await context.close();
  }
}

export const checks = {
  async 'frame, another site, sandboxed as hosts do: one click in, the game byte for byte, host keys, save after the host reloads, axe-core'(args) {
    await playInFrame(args, kHostSandbox, true);
  },

  async 'frame, another site, no sandbox: one click in, a short game, host keys, save after the host reloads, the files download, axe-core'(args) {
    await playInFrame(args, 'none', false);
  },

  async 'focus: a click on the story gives the input line the keys; a selection still copies; controls keep theirs'({ browser, url }) {
    const page = await newGamePage(browser);
    await page.setViewport({ width: 900, height: 640 });
    await page.goto(url);
    await waitForPrompt(page, 1);
    await page.click('#transcript');
    assert(await focused(page) === 'answer', `a click on the story left the keys on "${await focused(page)}"`);
    await page.keyboard.type('Ann');
    await page.keyboard.press('Enter');
    await waitForText(page, 'There is evil afoot Ann.');
    await waitForPrompt(page, 2);

    // A drag across the story selects its text: the selection stays, and Ctrl-C copies it
    // instead of ending the game.
    const box = await (await page.$('#transcript')).boundingBox();
    await page.mouse.move(box.x + 12, box.y + 14);
    await page.mouse.down();
    await page.mouse.move(box.x + box.width / 2, box.y + 40, { steps: 5 });
    await page.mouse.up();
    // Firefox shows the selection a moment after the button is up on a busy machine.
    await page.waitForFunction(() => String(window.getSelection()) !== '', { timeout: 3000 }).catch(() => {});
    const selected = await page.evaluate(() => String(window.getSelection()));
    assert(selected.length > 0, 'the drag selected nothing');
    assert(await focused(page) !== 'answer', 'the drag moved the keys to the input line');
    await page.keyboard.down('Control');
    await page.keyboard.press('KeyC');
    await page.keyboard.up('Control');
    const after = await page.evaluate(() => ({ text: String(window.getSelection()), exited: window.__vr.exited }));
    assert(after.text === selected && after.exited === null, 'Ctrl-C on a selection did not leave it to copy');

    for (const control of ['#sound', '#files-toggle', '#files-heading']) {
      await page.click(control);
      const now = await focused(page);
      assert(now !== 'answer', `a click on ${control} moved the keys to the input line`);
    }
    await page.browserContext().close();
  },
};
