// The figures of tools/web/measure.sh. Usage: node measure.mjs URL ACCESS_LOG
// The browser, axe-core and Lighthouse come through the browser checks' modules: the npm
// packages are installed beside them, in tests/web.
import fs from 'node:fs';
import {
  axeResults, launch, liveRegionText, nativeInput, preparePage, startGame, waitForPrompt as waitForAnswer,
} from '../../tests/web/checks/lib.mjs';
import { lighthouse } from '../../tests/web/checks/lighthouse.mjs';

const [url, accessLog] = process.argv.slice(2);
// VAULTREACH_MEASURE_QUICK=1: every wait a tenth as long and no Lighthouse, to prove that the
// tool still works (the figures are then not worth quoting).
const quick = Boolean(process.env.VAULTREACH_MEASURE_QUICK);
const span = (ms) => (quick ? ms / 10 : ms);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, span(ms)));
// The first line of the title screen.
const kTitleText = 'Vaultreach v1.2';

function served() {
  const lines = fs.existsSync(accessLog) ? fs.readFileSync(accessLog, 'utf8').trim().split('\n') : [];
  return lines.filter(Boolean).map((line) => {
    const [path, status, encoding, bytes, at] = line.split(' ');
    return { path, status: Number(status), encoding, bytes: Number(bytes), at: Number(at) };
  });
}

function bytesSince(mark, until = Infinity) {
  const entries = served().slice(mark).filter((e) => e.at <= until);
  return { bytes: entries.reduce((sum, e) => sum + e.bytes, 0), requests: entries.length,
    list: entries.map((e) => `${e.path} ${e.status} ${e.encoding} ${e.bytes}`) };
}

// Milliseconds from the start of navigation to the title text in the transcript, and the
// moment it showed (milliseconds since 1970).
async function timeToTitle(page) {
  await page.evaluateOnNewDocument((text) => {
    document.addEventListener('DOMContentLoaded', () => {
      const transcript = document.getElementById('transcript');
      new MutationObserver((records, observer) => {
        if (transcript.textContent.includes(text)) {
          window.__titleAt = performance.now();
          observer.disconnect();
        }
      }).observe(transcript, { childList: true, subtree: true, characterData: true });
    });
  }, kTitleText);
  await page.goto(url);
  await page.waitForFunction(() => window.__titleAt !== undefined, { timeout: 20000 });
  return page.evaluate(() => [Math.round(window.__titleAt), performance.timeOrigin + window.__titleAt]);
}

// The processor time of a process and all its descendants, from one pass over /proc.
function processorSeconds(rootPid) {
  const children = new Map();
  const ticks = new Map();
  for (const name of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${name}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      const parent = Number(fields[1]);
      ticks.set(Number(name), Number(fields[11]) + Number(fields[12]));
      if (!children.has(parent)) children.set(parent, []);
      children.get(parent).push(Number(name));
    } catch (gone) {
      // a process that ended while we looked
    }
  }
  let total = ticks.get(rootPid) || 0;
  const stack = [rootPid];
  while (stack.length) {
    for (const child of children.get(stack.pop()) || []) {
      total += ticks.get(child);
      stack.push(child);
    }
  }
  return total / 100; // USER_HZ
}

async function quiet(ms, limit) {
  const started = Date.now();
  let count = served().length;
  let since = Date.now();
  while (Date.now() - since < ms && Date.now() - started < limit) {
    await new Promise((resolve) => setTimeout(resolve, 250));
    if (served().length !== count) {
      count = served().length;
      since = Date.now();
    }
  }
}

// A visit in a new tab, on the real clock, until the server has been quiet for 3 s (the sounds
// are fetched once the title is up, and the worker fills its cache): the time to the title,
// when it showed, and where the visit's requests start in the access log.
async function visit(context, limit) {
  const page = await context.newPage();
  await page.setViewport({ width: 1000, height: 800 });
  const mark = served().length;
  const [ms, shown] = await timeToTitle(page);
  await quiet(span(3000), limit);
  await page.close();
  return { ms, shown, mark };
}

const browser = await launch();
try {
  const context = await browser.createBrowserContext();
  const first = await visit(context, 30000);
  const beforeTitle = bytesSince(first.mark, first.shown);
  const firstVisit = bytesSince(first.mark);
  console.log(`navigation to the title text, cold: ${first.ms} ms`);
  console.log(`first visit until the title: ${beforeTitle.bytes} bytes in ${beforeTitle.requests} requests`);
  for (const line of beforeTitle.list) console.log(`  ${line}`);
  console.log(`first visit in all (the sounds, the worker's cache): ${firstVisit.bytes} bytes in ${firstVisit.requests} requests`);
  for (const line of firstVisit.list.slice(beforeTitle.requests)) console.log(`  ${line}`);
  const second = await visit(context, 15000);
  const secondVisit = bytesSince(second.mark);
  console.log(`navigation to the title text, warm: ${second.ms} ms`);
  console.log(`second visit: ${secondVisit.bytes} bytes in ${secondVisit.requests} requests`);
  for (const line of secondVisit.list) console.log(`  ${line}`);
  await context.close();

  // Waiting at a prompt (the pauses before it passed at once): the whole browser's processor
  // time over 10 s, before the first key and with the music playing after it; and, to compare,
  // the same browser with one blank tab.
  const pid = browser.process().pid;
  const idle = await browser.createBrowserContext();
  let page = await idle.newPage();
  await page.goto('about:blank');
  await sleep(3000);
  const blankBefore = processorSeconds(pid);
  await sleep(10000);
  const blank = processorSeconds(pid) - blankBefore;
  console.log(`browser processor time, 10 s with a blank tab: ${blank.toFixed(2)} s (${(blank * 10).toFixed(1)}% of one core)`);
  await page.close();
  page = await preparePage(idle);
  await page.goto(url);
  await waitForAnswer(page, 1);
  await sleep(3000);
  for (const when of ['before the first key', 'after the first key (music)', 'with the sound off']) {
    if (when.startsWith('after')) {
      await page.type('#answer', 'A');
      await sleep(2000);
    } else if (when.endsWith('off')) {
      await page.click('#sound');
      await page.focus('#answer');
      await sleep(2000);
    }
    const before = processorSeconds(pid);
    await sleep(10000);
    const used = processorSeconds(pid) - before;
    console.log(`browser processor time, 10 s at a prompt ${when}: ${used.toFixed(2)} s ` +
      `(${(used * 10).toFixed(1)}% of one core)`);
  }
  await idle.close();

  // One turn, as a screen reader is given it: what the live region gained.
  const turn = await browser.createBrowserContext();
  page = await preparePage(turn);
  await startGame(page, url, nativeInput.slice(0, 3));
  const beforeTurn = await liveRegionText(page);
  await page.type('#answer', nativeInput[3]);
  await page.keyboard.press('Enter');
  await waitForAnswer(page, 5);
  const afterTurn = await liveRegionText(page);
  console.log(`one turn (the answer "${nativeInput[3]}" in the scripted fight), as the live region announces it (a picture as [its name]):`);
  console.log(afterTurn.slice(beforeTurn.length).split('\n').map((line) => `  | ${line}`).join('\n'));
  for (const scheme of ['light', 'dark']) {
    await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
    const axe = await axeResults(page);
    console.log(`axe-core in a fight, ${scheme}: ${axe.violations.length} violations, ${axe.passes.length} rules passed`);
  }
  await turn.close();
} finally {
  await browser.close();
}

for (const [preset, name] of quick ? [] : [['desktop', 'desktop'], [null, 'mobile (default throttling)']]) {
  const { scores, result } = await lighthouse(url, preset);
  const metric = (id) => result.audits[id] && result.audits[id].displayValue;
  console.log(`Lighthouse ${name}: ${JSON.stringify(scores)}; first paint ${metric('first-contentful-paint')}, ` +
    `largest paint ${metric('largest-contentful-paint')}, blocking ${metric('total-blocking-time')}, ` +
    `shift ${metric('cumulative-layout-shift')}`);
}
