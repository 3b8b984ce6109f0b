// What every browser check shares: the browser, the page's test clock, and playing a game on
// the real page by typing into its input line.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { AxePuppeteer } from '@axe-core/puppeteer';

export const repoRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../..');
export const chromePath = process.env.CHROME_PATH || '/usr/bin/chromium';
export const chromeFlags = ['--no-sandbox', '--disable-background-networking', '--disable-component-update',
  '--no-first-run', '--disable-sync', '--disable-default-apps', '--disable-dev-shm-usage'];

const nativeGame = path.join(repoRoot, 'tests/web/native-game');
export const nativeInput = fs.readFileSync(path.join(nativeGame, 'input'), 'utf8').split('\n').slice(0, -1);
export const nativeTranscript = fs.readFileSync(path.join(nativeGame, 'transcript'));
export const nativeSeed = Number(fs.readFileSync(path.join(nativeGame, 'seed'), 'utf8').trim());

export const firefoxPath = process.env.FIREFOX_PATH || '/usr/bin/firefox-esr';

// Firefox slows the timers of a tab that is not in front to one a second, and the checks play
// games in several tabs at once, each one's pauses passing on zero-delay timers.
const kFirefoxPrefs = {
  'dom.min_background_timeout_value': 0,
  'dom.min_background_timeout_value_without_budget_throttling': 0,
  'dom.timeout.enable_budget_timer_throttling': false,
};

// Chromium, or with firefox Debian's Firefox ESR (driven over WebDriver BiDi), with a fresh profile.
export async function launch(extraFlags = [], { headless = true, firefox = false } = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vaultreach-browser-'));
  const browser = await puppeteer.launch({ headless, userDataDir: profile, ...(firefox
    ? { browser: 'firefox', executablePath: firefoxPath, args: extraFlags, extraPrefsFirefox: kFirefoxPrefs }
    : { executablePath: chromePath, args: [...chromeFlags, '--autoplay-policy=user-gesture-required', ...extraFlags] }) });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    fs.rmSync(profile, { recursive: true, force: true, maxRetries: 10, retryDelay: 100 });
  };
  return browser;
}

// Runs in the page before any of its scripts: the calendar starts at the seed's second, the
// ticks at 0, and every timer fires at once while the clock jumps by its delay, so pauses pass
// at once and the game draws the same numbers as the native game did. With realTimers the
// calendar stays at the seed's second and nothing else changes: the pauses take their real time.
// It also records what the game gives the page (host calls) and every AudioContext made.
export function testHooks(seedMs, realTimers) {
  let virtual = 0;
  const realSetTimeout = window.setTimeout.bind(window);
  Date.now = () => seedMs + virtual;
  if (!realTimers) {
    performance.now = () => virtual;
    window.setTimeout = (callback, delay, ...rest) => {
      virtual += Math.max(0, Number(delay) || 0);
      return realSetTimeout(callback, 0, ...rest);
    };
  }
  const record = { text: '', waits: 0, waiting: false, exited: null, titles: [], moves: [],
    audio: [], colours: [] };
  window.__vr = record;
  for (const name of ['AudioContext', 'webkitAudioContext']) {
    const Real = window[name];
    if (!Real) continue;
    window[name] = class extends Real {
      constructor(...args) {
        super(...args);
        record.audio.push(this);
      }
    };
  }
  const wrap = (host) => {
    if (!host || host.__recorded) return;
    host.__recorded = true;
    const around = (name, before) => {
      const original = host[name];
      host[name] = function (...args) {
        before(...args);
        return original ? original.apply(this, args) : undefined;
      };
    };
    around('write', (text) => { record.text += text; });
    around('waiting', (on) => { record.waiting = on; if (on) record.waits += 1; });
    around('exited', (status) => { record.exited = status; });
    around('setTitle', (text) => { record.titles.push(text); });
    around('moveWindow', (dx, dy) => { record.moves.push([dx, dy]); });
  };
  let module;
  Object.defineProperty(window, 'Module', {
    configurable: true,
    get: () => module,
    set: (value) => { module = value; wrap(value && value.host); },
  });
}

export async function preparePage(context, { seed = nativeSeed, media = [], viewport, realTimers = false } = {}) {
  // Firefox's remote agent now and then loses a tab it is opening while another context closes
  // ("no such frame"): the tab is asked for once more.
  const page = await context.newPage().catch((error) => {
    if (!/no such frame/.test(String(error && error.message))) throw error;
    return context.newPage();
  });
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  page.errors = errors;
  if (media.length) await page.emulateMediaFeatures(media);
  if (viewport) await page.emulate(viewport);
  else await page.setViewport({ width: 1000, height: 800 });
  await page.evaluateOnNewDocument(testHooks, seed * 1000, realTimers);
  return page;
}

// A prepared page in a browser context of its own: page.browserContext().close() ends both.
export async function newGamePage(browser, options) {
  return preparePage(await browser.createBrowserContext(), options);
}

export async function waitForPrompt(page, count, timeout = 20000) {
  await page.waitForFunction((n) => window.__vr && window.__vr.waits >= n, { timeout }, count);
}

export async function waitForExit(page) {
  await page.waitForFunction(() => window.__vr.exited !== null, { timeout: 20000 });
}

// Types each answer into the input line once the game has asked for it (the n-th wait); with
// keys, on that page's keyboard instead, wherever its focus is (page may be a frame in it).
export async function answer(page, lines, { from = 0, tap = false, keys = null } = {}) {
  for (let i = 0; i < lines.length; i += 1) {
    await waitForPrompt(page, from + i + 1);
    if (tap) await page.tap('#answer');
    if (lines[i]) await (keys ? keys.keyboard.type(lines[i]) : page.type('#answer', lines[i]));
    await (keys || page).keyboard.press('Enter');
  }
}

// Opens the game, gives it these answers and waits for its next question.
export async function startGame(page, url, lines) {
  await page.goto(url);
  await answer(page, lines);
  await waitForPrompt(page, lines.length + 1);
}

// Throws unless the page wrote exactly what the terminal game printed, naming the first byte
// that differs.
export function expectNativeText(text) {
  const written = Buffer.from(text, 'utf8');
  if (written.equals(nativeTranscript)) return;
  let at = 0;
  while (at < written.length && written[at] === nativeTranscript[at]) at += 1;
  throw new Error(`differs at byte ${at} of ${nativeTranscript.length} (page wrote ` +
    `${written.length}): page ${JSON.stringify(written.subarray(at, at + 60).toString())} ` +
    `native ${JSON.stringify(nativeTranscript.subarray(at, at + 60).toString())} ` +
    '(a change meant to change the game\'s text: tools/web/record_native.sh records it again)');
}

export async function record(page) {
  return page.evaluate(() => ({ text: window.__vr.text, waits: window.__vr.waits,
    exited: window.__vr.exited, titles: window.__vr.titles, moves: window.__vr.moves.length }));
}

export async function waitForText(page, text, timeout = 20000) {
  await page.waitForFunction((t) => window.__vr && window.__vr.text.includes(t), { timeout }, text);
}

export async function playerFiles(page) {
  return page.evaluate(() => {
    const decoder = new TextDecoder();
    return Object.fromEntries(window.Module.vr.files().map((f) => [f.name, decoder.decode(f.bytes)]));
  });
}

export function walk(node, visit, inside = []) {
  visit(node, inside);
  for (const child of node.children || []) walk(child, visit, [...inside, node]);
}

// What a screen reader is given for the live region (role log), in order: its text, with each
// picture as its name in brackets. Null when the page has no live region.
export async function liveRegionText(page) {
  const tree = await page.accessibility.snapshot({ interestingOnly: false });
  let log = null;
  walk(tree, (node) => { if (node.role === 'log' && !log) log = node; });
  if (!log) return null;
  const parts = [];
  walk(log, (node, inside) => {
    const inPicture = inside.some((n) => n.role === 'image' || n.role === 'img');
    if (node.role === 'StaticText' && !inPicture) parts.push(node.name);
    if (node.role === 'image' || node.role === 'img') parts.push(`[${node.name}]`);
  });
  return parts.join('');
}

// The roles of controls and pictures in the page that have no name.
export async function unnamed(page) {
  const tree = await page.accessibility.snapshot({ interestingOnly: false });
  const missing = [];
  walk(tree, (node) => {
    if (['button', 'textbox', 'link', 'image', 'img', 'checkbox'].includes(node.role) &&
        !String(node.name || '').trim()) missing.push(node.role);
  });
  return missing;
}

// axe-core's whole report on the page as it is now.
export function axeResults(page) {
  return new AxePuppeteer(page).analyze();
}

// axe-core's violations on the page as it is now, one line each, named by where.
export async function axe(page, where) {
  const result = await axeResults(page);
  return result.violations.map((v) => `${where}: ${v.id} (${v.nodes.length}) ${v.help}`);
}

export function assert(condition, message) {
  if (!condition) throw new Error(message);
}
