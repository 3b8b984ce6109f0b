// The figures of tools/web/measure.sh. Usage: node measure.mjs URL ACCESS_LOG
import fs from 'node:fs';
import { AxePuppeteer } from '@axe-core/puppeteer';
import { launch } from './lib.mjs';
import { lighthouse } from './lighthouse.mjs';

const [url, accessLog] = process.argv.slice(2);
const kTitleText = 'Vaultreach awaits.';

function served() {
  const lines = fs.existsSync(accessLog) ? fs.readFileSync(accessLog, 'utf8').trim().split('\n') : [];
  return lines.filter(Boolean).map((line) => {
    const [path, status, encoding, bytes] = line.split(' ');
    return { path, status: Number(status), encoding, bytes: Number(bytes) };
  });
}

function bytesSince(mark) {
  const entries = served().slice(mark);
  return { bytes: entries.reduce((sum, e) => sum + e.bytes, 0), requests: entries.length,
    list: entries.map((e) => `${e.path} ${e.status} ${e.encoding} ${e.bytes}`) };
}

// Milliseconds from the start of navigation to the title text in the transcript.
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
  return page.evaluate(() => Math.round(window.__titleAt));
}

function processorSeconds(rootPid) {
  const children = new Map();
  for (const name of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${name}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      const parent = Number(fields[1]);
      const ticks = Number(fields[11]) + Number(fields[12]);
      if (!children.has(parent)) children.set(parent, []);
      children.get(parent).push({ pid: Number(name), ticks });
    } catch (gone) {
      // a process that ended while we looked
    }
  }
  let total = 0;
  const stack = [rootPid];
  const own = (() => {
    try {
      const stat = fs.readFileSync(`/proc/${rootPid}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      return Number(fields[11]) + Number(fields[12]);
    } catch (gone) {
      return 0;
    }
  })();
  total += own;
  while (stack.length) {
    for (const child of children.get(stack.pop()) || []) {
      total += child.ticks;
      stack.push(child.pid);
    }
  }
  return total / 100; // USER_HZ
}

function walk(node, visit, inside = []) {
  visit(node, inside);
  for (const child of node.children || []) walk(child, visit, [...inside, node]);
}

async function announced(page) {
  const tree = await page.accessibility.snapshot({ interestingOnly: false });
  let log = null;
  walk(tree, (node) => { if (node.role === 'log' && !log) log = node; });
  const parts = [];
  walk(log, (node, inside) => {
    const inPicture = inside.some((n) => n.role === 'image' || n.role === 'img');
    if (node.role === 'StaticText' && !inPicture) parts.push(node.name);
    if ((node.role === 'image' || node.role === 'img') && node.name) parts.push(`[picture: ${node.name}]`);
  });
  return parts.join('');
}

async function waitForPrompt(page, count) {
  await page.waitForFunction((n) => window.__waits >= n, { timeout: 20000 }, count);
}

async function countWaits(page) {
  await page.evaluateOnNewDocument(() => {
    window.__waits = 0;
    let module;
    Object.defineProperty(window, 'Module', {
      configurable: true,
      get: () => module,
      set: (value) => {
        module = value;
        if (value && value.host && !value.host.__counted) {
          const waiting = value.host.waiting;
          value.host.__counted = true;
          value.host.waiting = (on) => { if (on) window.__waits += 1; return waiting(on); };
        }
      },
    });
  });
}

const browser = await launch();
try {
  const context = await browser.createBrowserContext();
  let page = await context.newPage();
  await page.setViewport({ width: 1000, height: 800 });
  await countWaits(page);
  let mark = served().length;
  const cold = await timeToTitle(page);
  const beforeTitle = bytesSince(mark);
  await waitForPrompt(page, 1);
  await page.type('#answer', 'A'); // the first key: the music may start
  await new Promise((resolve) => setTimeout(resolve, 4000)); // the music and the worker's cache
  const firstVisit = bytesSince(mark);
  console.log(`navigation to the title text, cold: ${cold} ms`);
  console.log(`first visit before the title: ${beforeTitle.bytes} bytes in ${beforeTitle.requests} requests`);
  console.log(`first visit in all (music, worker's cache): ${firstVisit.bytes} bytes in ${firstVisit.requests} requests`);
  for (const line of firstVisit.list) console.log(`  ${line}`);

  // The processor time of the whole browser while the game waits at the name prompt.
  const pid = browser.process().pid;
  const before = processorSeconds(pid);
  await new Promise((resolve) => setTimeout(resolve, 10000));
  const used = processorSeconds(pid) - before;
  console.log(`browser processor time waiting 10 s at a prompt: ${used.toFixed(2)} s (${(used * 10).toFixed(1)}% of one core)`);

  await page.close();
  page = await context.newPage();
  await page.setViewport({ width: 1000, height: 800 });
  await countWaits(page);
  mark = served().length;
  const warm = await timeToTitle(page);
  await new Promise((resolve) => setTimeout(resolve, 2000));
  const secondVisit = bytesSince(mark);
  console.log(`navigation to the title text, warm: ${warm} ms`);
  console.log(`second visit: ${secondVisit.bytes} bytes in ${secondVisit.requests} requests`);
  for (const line of secondVisit.list) console.log(`  ${line}`);

  // One turn, as a screen reader gets it: what the live region gained, and the input's name.
  await waitForPrompt(page, 1);
  await page.type('#answer', 'Ann');
  await page.keyboard.press('Enter');
  await waitForPrompt(page, 2);
  const beforeTurn = await announced(page);
  await page.type('#answer', 's');
  await page.keyboard.press('Enter');
  await waitForPrompt(page, 3);
  const afterTurn = await announced(page);
  console.log('one turn (the weapon answer "s"), as the live region announces it:');
  console.log(afterTurn.slice(beforeTurn.length).split('\n').map((line) => `  | ${line}`).join('\n'));
  const axe = await new AxePuppeteer(page).analyze();
  console.log(`axe-core at a prompt: ${axe.violations.length} violations, ${axe.passes.length} rules passed`);
  await context.close();
} finally {
  await browser.close();
}

for (const [preset, name] of [['desktop', 'desktop'], [null, 'mobile (default throttling)']]) {
  const { scores, result } = await lighthouse(url, preset);
  const metric = (id) => result.audits[id] && result.audits[id].displayValue;
  console.log(`Lighthouse ${name}: ${JSON.stringify(scores)}; first paint ${metric('first-contentful-paint')}, ` +
    `largest paint ${metric('largest-contentful-paint')}, blocking ${metric('total-blocking-time')}, ` +
    `shift ${metric('cumulative-layout-shift')}`);
}
