// Runs the browser checks against a served site and prints one line per check, then
// "N passed, N failed". Usage: node run.mjs URL SITE_FOLDER [name filter] [HOST_URL]
// HOST_URL serves checks/host, the page of a game host that frames the game.
import { launch } from './lib.mjs';
import { checks as game } from './game.mjs';
import { checks as access } from './access.mjs';
import { checks as offline } from './offline.mjs';
import { checks as frame } from './frame.mjs';
import { checks as tabs } from './tabs.mjs';
import { checks as lighthouse } from './lighthouse.mjs';

const [url, site, filter, hostUrl] = process.argv.slice(2);
const all = { ...game, ...access, ...offline, ...frame, ...tabs, ...lighthouse };
const log = (line) => console.log(`  ${line}`);
let passed = 0;
let failed = 0;
const browser = await launch();
try {
  for (const [name, check] of Object.entries(all)) {
    if (filter && !name.includes(filter)) continue;
    const started = Date.now();
    try {
      await check({ browser, url, site, log, hostUrl });
      passed += 1;
      console.log(`ok   ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
    } catch (error) {
      failed += 1;
      console.log(`FAIL ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)\n  ${String((process.env.VAULTREACH_WEB_TRACE && error.stack) || error.message || error).split('\n').join('\n  ')}`);
    }
  }
} finally {
  await browser.close();
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 && passed > 0 ? 0 : 1);
