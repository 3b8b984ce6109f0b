// Runs the browser checks against a served site and prints one line per check, then
// "N passed, N failed". Usage: node run.mjs URL SITE_FOLDER [name filter] [HOST_URL]
// HOST_URL serves checks/host, the page of a game host that frames the game.
import { launch } from './lib.mjs';
import { checks as game } from './game.mjs';
import { checks as access } from './access.mjs';
import { checks as offline } from './offline.mjs';
import { checks as frame } from './frame.mjs';
import { checks as tabs } from './tabs.mjs';
import { checks as endings } from './endings.mjs';
import { checks as lighthouse } from './lighthouse.mjs';

const [url, site, filter, hostUrl] = process.argv.slice(2);
const all = { ...game, ...access, ...offline, ...frame, ...tabs, ...endings, ...lighthouse };
// Each check has browser contexts of its own, and most of its time is the game's pauses: two
// run at once (VAULTREACH_WEB_LANES), each one's lines printed together when it ends.
const lanes = Math.max(1, Number(process.env.VAULTREACH_WEB_LANES) || 2);
const queue = Object.entries(all).filter(([name]) => !filter || name.includes(filter));
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
const browser = await launch();
try {
  await Promise.all(Array.from({ length: lanes }, () => lane(browser)));
} finally {
  await browser.close();
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 && passed > 0 ? 0 : 1);
