// Offline and releases: the service worker keeps one release's files and swaps them whole.
import fs from 'node:fs';
import path from 'node:path';
import { answer, assert, newGamePage, preparePage, waitForPrompt, waitForText } from './lib.mjs';

export const kCore = ['', 'style.css', 'vaultreach-page.js', 'vaultreach.js', 'vaultreach.wasm',
  'vaultreach.data', 'manifest.webmanifest'];

async function cached(page) {
  return page.evaluate(async () => {
    const result = {};
    for (const name of await caches.keys()) {
      const cache = await caches.open(name);
      result[name] = await Promise.all((await cache.keys()).map(async (request) => ({
        path: new URL(request.url).pathname.replace(/^\//, ''),
        text: request.url.endsWith('.css') ? await (await cache.match(request)).text() : '',
      })));
    }
    return result;
  });
}

async function waitForWorker(page, names) {
  await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
  await page.waitForFunction(async (files) => {
    const keys = await caches.keys();
    if (keys.length !== 1) return false;
    const cache = await caches.open(keys[0]);
    const held = (await cache.keys()).map((r) => new URL(r.url).pathname.replace(/^\//, ''));
    return files.every((f) => held.includes(f));
  }, { timeout: 20000, polling: 200 }, names);
}

export const checks = {
  async 'offline: after one visit the game starts and plays with the network gone'({ browser, url }) {
    const page = await newGamePage(browser);
    await page.goto(url);
    await waitForPrompt(page, 1);
    await waitForWorker(page, kCore);
    await page.setOfflineMode(true);
    await page.reload();
    await waitForText(page, 'What is your name?');
    await answer(page, ['Ann']);
    await waitForText(page, 'There is evil afoot Ann.');
    await page.setOfflineMode(false);
    await page.browserContext().close();
  },

  async 'a second release replaces the first one in the cache, whole'({ browser, url, site }) {
    const context = await browser.createBrowserContext();
    let page = await preparePage(context);
    await page.goto(url);
    await waitForPrompt(page, 1);
    await waitForWorker(page, kCore);
    const first = await cached(page);
    const firstName = Object.keys(first)[0];
    await page.close();

    // The next release: a new name for the worker, and a page file that changed.
    const worker = path.join(site, 'sw.js');
    const release = firstName.replace(/^vaultreach-/, '');
    const touched = [worker, path.join(site, 'style.css')].flatMap((file) => [file, file + '.br', file + '.gz']);
    const original = new Map(touched.filter((file) => fs.existsSync(file)).map((file) => [file, fs.readFileSync(file)]));
    for (const file of touched) if (/\.(br|gz)$/.test(file)) fs.rmSync(file, { force: true });
    try {
      fs.writeFileSync(worker, original.get(worker).toString().split(release).join(release + 'b'));
      fs.appendFileSync(path.join(site, 'style.css'), '\n/* second release */\n');
      // The old release's worker serves this visit and finds the new one; the new one takes
      // over once no page of the old release is open.
      page = await preparePage(context);
      await page.goto(url);
      await page.evaluate(() => navigator.serviceWorker.getRegistration().then(async (r) => { await r.update(); }));
      await page.waitForFunction(() => navigator.serviceWorker.getRegistration().then((r) => Boolean(r.waiting)),
        { timeout: 20000, polling: 200 });
      await page.close();
      page = await preparePage(context);
      await page.goto(url);
      await page.waitForFunction(async (old) => !(await caches.keys()).includes(old),
        { timeout: 20000, polling: 200 }, firstName);
      await waitForWorker(page, kCore);
      const second = await cached(page);
      const names = Object.keys(second);
      assert(names.length === 1 && names[0] === firstName + 'b', `caches after the update: ${names}`);
      const style = second[names[0]].find((entry) => entry.path === 'style.css');
      assert(style && style.text.includes('second release'), 'the new cache holds the old style.css');
      const sheet = await page.evaluate(() => fetch('style.css').then((r) => r.text()));
      assert(sheet.includes('second release'), 'the page was served the old style.css');
    } finally {
      for (const [file, bytes] of original) fs.writeFileSync(file, bytes);
      await context.close();
    }
  },
};
