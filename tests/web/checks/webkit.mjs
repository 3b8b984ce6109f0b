// The page in WebKitGTK, the engine of every browser on an iPhone: MiniBrowser driven through
// WebKitWebDriver (classic WebDriver) in a window on a virtual display of its own. Classic
// WebDriver cannot run a script before the page's own, so this serves a copy of the site whose
// index.html starts with the checks' hooks (the seed's calendar, what the game gives the page,
// IndexedDB's writes, the page's errors). The pauses keep their real time there: while pauses
// pass on zero-delay timers WebKit answers no WebDriver command, and with a few milliseconds
// each the page's own timers move the test clock between the game's draws. It serves that copy
// itself, so that it can take the network away for the offline reload. The keys are typed where
// the page's focus is, as a player's are. Prints one line per check, then
// "webkit: N passed, N failed"; exits non-zero when any failed. Everything it starts is stopped
// when it ends.
// Usage: node webkit.mjs SITE_FOLDER SCRATCH_FOLDER [name filter]
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import path from 'node:path';
import { Builder, By, Key } from 'selenium-webdriver';
import { assert, expectNativeText, nativeInput, nativeSeed, repoRoot, testHooks } from './lib.mjs';
import { kCore } from './offline.mjs';
import { storageHooks } from './tabs.mjs';

const [siteFolder, scratch, filter] = process.argv.slice(2);
const miniBrowser = process.env.MINIBROWSER_PATH || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const children = [];

// Starts a program and waits for the file it writes its display or port to.
async function start(command, args, readyFile, options = {}) {
  const log = fs.openSync(path.join(scratch, `${path.basename(command)}-${children.length}.log`), 'w');
  const child = spawn(command, args, { stdio: ['ignore', log, log, ...(options.fd3 ? [options.fd3] : [])], ...options.spawn });
  children.push(child);
  for (let tries = 0; tries < 200; tries += 1) {
    if (fs.existsSync(readyFile) && fs.readFileSync(readyFile, 'utf8').trim()) return child;
    if (child.exitCode !== null) break;
    await sleep(100);
  }
  throw new Error(`${command} did not start (its log: ${log})`);
}

function stop(child) {
  if (child.exitCode === null && child.signalCode === null) child.kill();
  return new Promise((resolve) => (child.exitCode !== null || child.signalCode !== null ? resolve() : child.once('exit', resolve)));
}

// The site with the hooks first in its page; its compressed copies of the page would be served
// instead of it, so they go.
const site = path.join(scratch, 'webkit-site');
fs.cpSync(siteFolder, site, { recursive: true });
for (const suffix of ['.br', '.gz']) fs.rmSync(path.join(site, `index.html${suffix}`), { force: true });
const page = fs.readFileSync(path.join(site, 'index.html'), 'utf8');
const hooks = `<script>(${testHooks})(${nativeSeed * 1000}, true);(${storageHooks})(false);` +
  'window.__errors = []; addEventListener("error", (e) => window.__errors.push(String(e.message)));</script>';
assert(page.includes('<meta charset="utf-8">'), 'the page has no <meta charset="utf-8"> to put the hooks after');
fs.writeFileSync(path.join(site, 'index.html'), page.replace('<meta charset="utf-8">', `<meta charset="utf-8">\n${hooks}`));

// Each lane has a driver (one session at a time each) and a server of its own: the offline
// check stops its lane's server, and the checks mostly wait on the game's real pauses, so two
// run at once (VAULTREACH_WEB_LANES).
const displayFile = path.join(scratch, 'webkit-display');
const displayOut = fs.openSync(displayFile, 'w');
await start('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'], displayFile,
  { fd3: displayOut });
const display = `:${fs.readFileSync(displayFile, 'utf8').trim()}`;

// WebKitWebDriver takes a port from its command line only: a free one of 127.0.0.1's.
const freePort = () => new Promise((resolve) => {
  const probe = net.createServer().listen(0, '127.0.0.1', () => {
    const { port: free } = probe.address();
    probe.close(() => resolve(free));
  });
});

async function newLane(n) {
  const lane = { driverPort: await freePort(), server: null, port: 0 };
  children.push(spawn('WebKitWebDriver', [`--port=${lane.driverPort}`, '--host=local'], {
    env: { ...process.env, DISPLAY: display },
    stdio: ['ignore', fs.openSync(path.join(scratch, `webkit-driver-${n}.log`), 'w'), 'inherit'] }));
  let up = false;
  for (let tries = 0; tries < 100 && !up; tries += 1) {
    up = await fetch(`http://127.0.0.1:${lane.driverPort}/status`).then((r) => r.ok, () => false);
    if (!up) await sleep(100);
  }
  assert(up, `WebKitWebDriver did not answer on port ${lane.driverPort}`);
  // Serves the site on the lane's port (a free one the first time, the same one again after the
  // offline check).
  lane.serve = async () => {
    const portFile = path.join(scratch, `webkit-site-${n}-${Date.now()}.port`);
    lane.server = await start('python3', [path.join(repoRoot, 'tools/web/serve.py'), site, '--port',
      String(lane.port), '--port-file', portFile], portFile);
    lane.port = Number(fs.readFileSync(portFile, 'utf8'));
  };
  lane.url = () => `http://127.0.0.1:${lane.port}/`;
  lane.browser = async () => {
    const session = await new Builder().usingServer(`http://127.0.0.1:${lane.driverPort}`).withCapabilities({
      browserName: 'MiniBrowser', 'webkitgtk:browserOptions': { binary: miniBrowser, args: ['--automation'] },
    }).build();
    await session.manage().window().setRect({ width: 1000, height: 800 });
    return session;
  };
  await lane.serve();
  return lane;
}

const js = (session, body, ...args) => session.executeScript(body, ...args);
async function until(session, body, what, timeout = 120000, ...args) {
  const end = Date.now() + timeout;
  while (!(await js(session, body, ...args).catch(() => false))) {
    if (Date.now() > end) throw new Error(`waited ${timeout / 1000} s for ${what}`);
    await sleep(50);
  }
}
const waitForPrompt = (session, n, timeout) =>
  until(session, 'return Boolean(window.__vr) && window.__vr.waits >= arguments[0];', `prompt ${n}`, timeout, n);
const waitForExit = (session) => until(session, 'return window.__vr.exited !== null;', 'the game to end');
const focused = (session) => js(session, 'return document.activeElement && document.activeElement.id;');
const record = (session) => js(session, 'return { text: window.__vr.text, exited: window.__vr.exited, errors: window.__errors };');
const files = (session) => js(session, `const decoder = new TextDecoder();
  return Object.fromEntries(window.Module.vr.files().map((f) => [f.name, decoder.decode(f.bytes)]));`);
const keys = (session, text) => session.actions({ async: true }).sendKeys(text).perform();

// Answers each prompt with the keyboard, wherever the page put the focus: after every answer it
// must be the input line again, or the next answer goes astray.
async function answer(session, lines, from = 0) {
  for (let i = 0; i < lines.length; i += 1) {
    await waitForPrompt(session, from + i + 1);
    const where = await focused(session);
    assert(where === 'answer', `at prompt ${from + i + 1} the keys are on "${where}", not the input line`);
    await keys(session, `${lines[i]}${Key.ENTER}`);
  }
}

const checks = {
  async 'scripted game writes what the native game prints, byte for byte; focus in the input line after every answer'(session, lane) {
    await session.get(lane.url());
    await answer(session, nativeInput);
    await waitForExit(session);
    const result = await record(session);
    expectNativeText(result.text);
    assert(result.exited === 0, `exit status ${result.exited}`);
    assert(result.errors.length === 0, `page errors: ${result.errors.join('; ')}`);
  },

  async 'Quit saves; the save and log.txt are there after a reload'(session, lane) {
    await session.get(lane.url());
    await answer(session, ['Cara', 's']);
    await waitForPrompt(session, 3);
    await session.findElement(By.id('quit')).click();
    await waitForExit(session);
    await session.navigate().refresh();
    await waitForPrompt(session, 1);
    const kept = await files(session);
    assert((kept['Player.txt'] || '').includes('Cara'), `no saved Cara after the reload: ${JSON.stringify(Object.keys(kept))}`);
    assert((kept['log.txt'] || '').includes('Starting Game.'), 'no log.txt after the reload');
  },

  async 'two tabs: the second says another tab plays; taking over saves the first one\'s character; one game writes at a time'(session, lane) {
    await session.get(lane.url());
    await answer(session, ['Ann', 's']);
    await waitForPrompt(session, 3);
    const first = await session.getWindowHandle();
    await session.switchTo().newWindow('tab');
    const second = await session.getWindowHandle();
    await session.get(lane.url());
    await until(session, 'return !document.getElementById("elsewhere").hidden;', 'the notice of another tab');
    const notice = await js(session, `return { text: document.getElementById('elsewhere').textContent,
      focus: document.activeElement && document.activeElement.id, written: window.__vr.text,
      opened: window.__storage.opened.length };`);
    assert(notice.text.includes('Vaultreach is already being played in another tab.'), `notice: ${notice.text}`);
    assert(notice.focus === 'play-here', `the notice's button has no focus (${notice.focus})`);
    assert(notice.written === '' && notice.opened === 0, 'the second tab started a game of its own');
    await keys(session, Key.ENTER);
    await waitForPrompt(session, 1);
    const kept = await files(session);
    const opened = await js(session, 'return window.__storage.opened;');
    await session.switchTo().window(first);
    await waitForExit(session);
    const ended = await record(session);
    const writes = await js(session, 'return window.__storage.writes;');
    assert(ended.exited === 0 && ended.text.includes('Hope you enjoyed playing Vaultreach.'),
      `the first tab did not end as a hang-up does (status ${ended.exited})`);
    assert((kept['Player.txt'] || '').includes('\nAnn\n'), 'the second tab does not find the first one\'s Ann');
    assert(writes.length > 0 && Math.min(...opened) >= Math.max(...writes),
      'the second tab opened the folder before the first one\'s last write');
    await session.switchTo().window(second);
  },

  async 'offline: after one visit the page reloads and plays with the server gone'(session, lane) {
    await session.get(lane.url());
    await waitForPrompt(session, 1);
    // The worker holds the whole release (executeScript has no promises: the asynchronous one).
    for (const end = Date.now() + 20000; !(await session.executeAsyncScript(`const done = arguments[1];
      caches.keys().then(async (names) => {
        if (names.length !== 1) return false;
        const held = (await (await caches.open(names[0])).keys()).map((r) => new URL(r.url).pathname.slice(1));
        return arguments[0].every((f) => held.includes(f));
      }).then(done, () => done(false));`, kCore));) {
      if (Date.now() > end) throw new Error('the worker never held the whole release');
      await sleep(200);
    }
    await stop(lane.server);
    try {
      await session.navigate().refresh();
      await until(session, 'return Boolean(window.__vr) && window.__vr.text.includes("What is your name?");',
        'the title with the server gone');
      await answer(session, ['Ann']);
      await until(session, 'return window.__vr.text.includes("There is evil afoot Ann.");', 'the answer played offline');
    } finally {
      await lane.serve();
    }
  },

  async 'focus: a click on the story gives the input line the keys; a selection still copies; controls keep theirs'(session, lane) {
    await session.get(lane.url());
    await waitForPrompt(session, 1);
    const story = await session.findElement(By.id('transcript'));
    await session.actions({ async: true }).move({ origin: story }).click().perform();
    assert(await focused(session) === 'answer', `a click on the story left the keys on "${await focused(session)}"`);
    await keys(session, `Ann${Key.ENTER}`);
    await until(session, 'return window.__vr.text.includes("There is evil afoot Ann.");', 'the name');
    await waitForPrompt(session, 2);
    const box = await story.getRect();
    await session.actions({ async: true })
      .move({ x: Math.round(box.x + 12), y: Math.round(box.y + 14) }).press()
      .move({ x: Math.round(box.x + box.width / 2), y: Math.round(box.y + 40), duration: 200 }).release().perform();
    const selected = await js(session, 'return String(window.getSelection());');
    assert(selected.length > 0, 'the drag selected nothing');
    assert(await focused(session) !== 'answer', 'the drag moved the keys to the input line');
    await session.actions({ async: true }).keyDown(Key.CONTROL).sendKeys('c').keyUp(Key.CONTROL).perform();
    const after = await js(session, 'return { text: String(window.getSelection()), exited: window.__vr.exited };');
    assert(after.text === selected && after.exited === null, 'Ctrl-C on a selection did not leave it to copy');
    for (const control of ['sound', 'files-toggle', 'files-heading']) {
      await session.findElement(By.id(control)).click();
      const now = await focused(session);
      assert(now !== 'answer', `a click on #${control} moved the keys to the input line`);
    }
  },
};

let passed = 0;
let failed = 0;
const queue = Object.entries(checks).filter(([name]) => !filter || name.includes(filter));
async function run(lane) {
  for (let next = queue.shift(); next; next = queue.shift()) {
    const [name, check] = next;
    const started = Date.now();
    let session = null;
    try {
      session = await lane.browser();
      await check(session, lane);
      passed += 1;
      console.log(`ok   ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
    } catch (error) {
      failed += 1;
      console.log(`FAIL ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)\n  ${String(error.message || error).split('\n').join('\n  ')}`);
    } finally {
      if (session) await session.quit().catch(() => {});
    }
  }
}
try {
  const lanes = Math.max(1, Number(process.env.VAULTREACH_WEB_LANES) || 2);
  await Promise.all(await Promise.all(Array.from({ length: lanes }, (_, n) => newLane(n))).then((all) => all.map(run)));
} finally {
  for (const child of children.reverse()) await stop(child);
}
console.log(`webkit: ${passed} passed, ${failed} failed`);
process.exit(failed === 0 && passed > 0 ? 0 : 1);
