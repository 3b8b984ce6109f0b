// Runs the browser checks against a served site and prints one line per check, then
// "ENGINE: N passed, N failed". Usage: node run.mjs URL SITE_FOLDER [name filter] [HOST_URL]
// HOST_URL serves checks/host, the page of a game host that frames the game.
// VAULTREACH_WEB_ENGINE=firefox plays them in Firefox ESR (over WebDriver BiDi) instead of
// Chromium: only the checks that need nothing but what every engine offers.
import { launch } from './lib.mjs';
import { checks as game } from './game.mjs';
import { checks as access } from './access.mjs';
import { checks as offline } from './offline.mjs';
import { checks as frame } from './frame.mjs';
import { checks as tabs } from './tabs.mjs';
import { checks as endings } from './endings.mjs';
import { checks as lighthouse } from './lighthouse.mjs';
import { checks as choices } from './choices.mjs';

const [url, site, filter, hostUrl] = process.argv.slice(2);
const all = { ...game, ...access, ...offline, ...frame, ...tabs, ...endings, ...lighthouse, ...choices };
const engine = process.env.VAULTREACH_WEB_ENGINE || 'chromium';
const firefox = engine === 'firefox';
// What Firefox plays: the game (byte for byte, typed ahead, the caption, Quit, Ctrl-C and Ctrl-D),
// the files after a reload and a closed tab, refused storage, two tabs, offline and a new
// release, focus. The others need Chromium's own protocol (the accessibility tree, emulated
// media and devices, downloads) or Lighthouse.
const kEveryEngine = ['scripted game', 'typed before', 'caption', 'after a reload', 'tab closed mid-game', 'Ctrl-C',
  'refused storage', 'two tabs', 'offline:', 'second release', 'focus:'];
// Each check has browser contexts of its own, and most of its time is the game's pauses: two
// run at once (VAULTREACH_WEB_LANES), each one's lines printed together when it ends.
const lanes = Math.max(1, Number(process.env.VAULTREACH_WEB_LANES) || 2);
const queue = Object.entries(all).filter(([name]) => (!filter || name.includes(filter)) &&
  (!firefox || kEveryEngine.some((word) => name.includes(word))));
let passed = 0;
let failed = 0;
async function lane(browser) {
  for (let next = queue.shift(); next; next = queue.shift()) {
    const [name, check] = next;
    const lines = [];
    const log = (line) => lines.push(`  ${line}`);
    const started = Date.now();
    let verdict;
    try {
      await check({ browser, url, site, log, hostUrl });
      passed += 1;
      verdict = `ok   ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)`;
    } catch (error) {
      failed += 1;
      verdict = `FAIL ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)\n  ${String((process.env.VAULTREACH_WEB_TRACE && error.stack) || error.message || error).split('\n').join('\n  ')}`;
    }
    console.log([...lines, verdict].join('\n'));
  }
}
const browser = await launch([], { firefox });
try {
  await Promise.all(Array.from({ length: lanes }, () => lane(browser)));
} finally {
  await browser.close();
}
console.log(`${engine}: ${passed} passed, ${failed} failed`);
process.exit(failed === 0 && passed > 0 ? 0 : 1);
