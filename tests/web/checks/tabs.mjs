// The player's files when the browser gets in the way: two tabs of the game at once, and an
// IndexedDB that refuses to write.
import { assert, axe, playerFiles, preparePage, record, startGame, waitForExit, waitForPrompt } from './lib.mjs';

// Runs in the page before its scripts: every opening of and write to IndexedDB is noted with
// the real time (the test clock moves only the page's own), and with refuse set every write
// fails as a full disk's would.
export function storageHooks(refuse) {
  const now = () => new Date().getTime();
  window.__storage = { opened: [], writes: [] };
  const open = IDBFactory.prototype.open;
  IDBFactory.prototype.open = function (...args) {
    window.__storage.opened.push(now());
    return open.apply(this, args);
  };
  for (const name of ['put', 'delete']) {
    const write = IDBObjectStore.prototype[name];
    IDBObjectStore.prototype[name] = function (...args) {
      window.__storage.writes.push(now());
      if (refuse) throw new DOMException('The quota has been exceeded.', 'QuotaExceededError');
      return write.apply(this, args);
    };
  }
}

async function page(context, refuse = false) {
  const opened = await preparePage(context);
  await opened.evaluateOnNewDocument(storageHooks, refuse);
  return opened;
}

const storage = (tab) => tab.evaluate(() => window.__storage);

export const checks = {
  async 'two tabs: the second says another tab plays; taking over saves the first one\'s character; one game writes at a time'({ browser, url }) {
    const context = await browser.createBrowserContext();
    const first = await page(context);
    await startGame(first, url, ['Ann', 's']);

    const second = await page(context);
    await second.goto(url);
    await second.waitForSelector('#elsewhere:not([hidden])', { timeout: 10000 });
    const notice = await second.evaluate(() => ({
      text: document.getElementById('elsewhere').textContent,
      focus: document.activeElement && document.activeElement.id,
      written: window.__vr.text,
    }));
    assert(notice.text.includes('Vaultreach is already being played in another tab.'), `notice: ${notice.text}`);
    assert(notice.focus === 'play-here', `the notice's button has no focus (${notice.focus})`);
    assert(notice.written === '' && (await storage(second)).opened.length === 0,
      'the second tab started a game of its own');
    const problems = await axe(second, 'axe-core on the notice');
    assert(problems.length === 0, problems.join('; '));

    await second.click('#play-here');
    await waitForPrompt(second, 1);
    await waitForExit(first);
    const ended = await record(first);
    assert(ended.exited === 0 && ended.text.includes('Hope you enjoyed playing Vaultreach.'),
      `the first tab did not end as a hang-up does (status ${ended.exited})`);
    const files = await playerFiles(second);
    assert((files['Player.txt'] || '').includes('\nAnn\n'),
      `the second tab does not find the first one's Ann: ${JSON.stringify(files['Player.txt'] || null)}`);
    const [one, two] = [await storage(first), await storage(second)];
    const lastOfFirst = Math.max(...one.writes);
    assert(one.writes.length > 0, 'the first tab never wrote its files');
    assert(two.opened.length > 0 && Math.min(...two.opened) >= lastOfFirst,
      `the second tab opened the folder ${lastOfFirst - Math.min(...two.opened)} ms before the first one's last write`);
    const status = await first.$eval('#status', (s) => s.textContent);
    assert(status.includes('another tab'), `the first tab says "${status}"`);
    await context.close();
  },

  async 'refused storage: a save IndexedDB will not take fails with status 1; the next visit finds the previous save'({ browser, url }) {
    const context = await browser.createBrowserContext();
    const visit = async (name, refuse) => {
      const tab = await page(context, refuse);
      await startGame(tab, url, [name, 's']);
      await tab.click('#quit');
      await waitForExit(tab);
      const result = { ...await record(tab), files: await playerFiles(tab), storage: await storage(tab) };
      await tab.close();
      return result;
    };
    await visit('Cara', false);
    const refused = await visit('Dora', true);
    assert(refused.storage.writes.length > 0, 'the game never tried to write');
    assert(refused.exited === 1, `exit status ${refused.exited}`);
    assert(refused.text.includes('Failed to write Player.txt\n'), 'no "Failed to write Player.txt" on the screen');
    assert((refused.files['log.txt'] || '').includes('Failed to save Player.txt; the previous save is kept.'),
      'log.txt does not say the save failed');
    const next = await page(context);
    await next.goto(url);
    await waitForPrompt(next, 1);
    const kept = (await playerFiles(next))['Player.txt'] || '';
    assert(kept.includes('\nCara\n'), `the next visit finds ${JSON.stringify(kept)}, not the previous save`);
    await context.close();
  },
};
