// The page for everyone: axe-core, the accessibility tree a screen reader reads, reduced
// motion, and a phone's viewport.
import fs from 'node:fs';
import path from 'node:path';
import { answer, assert, axe, liveRegionText, nativeInput, newGamePage, record, repoRoot, startGame, unnamed,
  waitForExit, waitForPrompt, waitForText } from './lib.mjs';

// The lines of the game's pictures (its data), long enough not to be words of the story.
const pictureLines = fs.readdirSync(path.join(repoRoot, 'data'))
  .filter((name) => name.endsWith('.txt') && !/^(Plot Point|Weapons|sounds)/.test(name))
  .flatMap((name) => fs.readFileSync(path.join(repoRoot, 'data', name), 'utf8').split('\n'))
  .map((line) => line.replace(/\r$/, '').trim())
  .filter((line) => line.replace(/\s/g, '').length >= 8);

function count(haystack, needle) {
  return haystack.split(needle).length - 1;
}

const inFight = (text) => text.includes('What do you want to do?');

export const checks = {
  async 'axe-core: no violations at the title, a prompt, a fight, the files, light and dark'({ browser, url }) {
    const problems = [];
    for (const scheme of ['light', 'dark']) {
      const page = await newGamePage(browser, { media: [{ name: 'prefers-color-scheme', value: scheme }] });
      await page.goto(url);
      await waitForPrompt(page, 1);
      problems.push(...await axe(page, `${scheme} title`));
      await answer(page, nativeInput.slice(0, 2));
      await waitForPrompt(page, 3);
      problems.push(...await axe(page, `${scheme} prompt`));
      let sent = 2;
      while (!inFight((await record(page)).text) && sent < nativeInput.length - 2) {
        await answer(page, [nativeInput[sent]], { from: sent });
        sent += 1;
      }
      await waitForPrompt(page, sent + 1);
      assert(inFight((await record(page)).text), 'the scripted game never reached a fight');
      problems.push(...await axe(page, `${scheme} fight`));
      await page.click('#files-toggle');
      problems.push(...await axe(page, `${scheme} files panel`));
      await page.browserContext().close();
    }
    assert(problems.length === 0, problems.join('\n'));
  },

  async 'forced colours: the game colours give way to the system ones, axe-core still clean'({ browser, url }) {
    const page = await newGamePage(browser);
    // puppeteer's own call does not know this feature; the protocol does.
    const session = await page.createCDPSession();
    await session.send('Emulation.setEmulatedMedia', { features: [{ name: 'forced-colors', value: 'active' }] });
    await startGame(page, url, nativeInput.slice(0, 2));
    assert(await page.evaluate(() => matchMedia('(forced-colors: active)').matches), 'forced colours not emulated');
    const colours = await page.evaluate(() => {
      const menu = document.querySelector('#transcript .c14');
      const plain = document.getElementById('transcript');
      return [getComputedStyle(menu).color, getComputedStyle(plain).color];
    });
    assert(colours[0] === colours[1], `the menu keeps its own colour ${colours[0]} (text ${colours[1]})`);
    const problems = await axe(page, 'forced colours');
    assert(problems.length === 0, problems.join('\n'));
    await page.browserContext().close();
  },

  async 'accessibility tree: each passage once, the echo not again, pictures named, controls named'({ browser, url }) {
    const page = await newGamePage(browser);
    await startGame(page, url, nativeInput.slice(0, 6));
    const announced = await liveRegionText(page);
    assert(announced !== null, 'no live region (role log) in the tree');
    const { text } = await record(page);
    for (const sentence of ['Vaultreach awaits.', 'What is your name?', 'Which way do you want to go?',
      'What do you want to do?', 'Ann']) {
      assert(count(announced, sentence) === count(text, sentence),
        `"${sentence}" is in the live region ${count(announced, sentence)} times, written ${count(text, sentence)}`);
    }
    assert(count(announced, 'Ann') > 0, 'the name never reached the live region');
    const heard = pictureLines.filter((line) => announced.includes(line));
    assert(heard.length === 0, `picture lines reach the screen reader: ${JSON.stringify(heard.slice(0, 3))}`);
    // A picture's name is text of the story in the picture's place, once for each time it is shown.
    const monster = (text.match(/A (\w+) approaches\./) || [])[1];
    const shown = await page.$$eval('#transcript .picture-name', (names) => names.map((n) => n.dataset.name));
    for (const name of [`Picture: ${monster}`, 'Picture: Vaultreach']) {
      const times = shown.filter((n) => n === name).length;
      assert(times > 0 && count(announced, name) === times,
        `the picture "${name}" is named ${count(announced, name)} times in the live region, shown ${times}`);
    }
    const missing = await unnamed(page);
    assert(missing.length === 0, `controls without a name: ${missing.join(', ')}`);
    const focused = await page.evaluate(() => document.activeElement && document.activeElement.id);
    assert(focused === 'answer', `focus is on "${focused}" after an answer, not the input line`);
    await page.reload();
    await waitForPrompt(page, 1);
    const afterReload = await page.evaluate(() => document.activeElement && document.activeElement.id);
    assert(afterReload === 'answer', `focus is on "${afterReload}" after a reload`);
    await page.browserContext().close();
  },

  async 'reduced motion: the transcript never moves in a fight; otherwise it shakes and comes home'({ browser, url }) {
    const seen = {};
    for (const motion of ['reduce', 'no-preference']) {
      const page = await newGamePage(browser, { media: [{ name: 'prefers-reduced-motion', value: motion }] });
      await page.evaluateOnNewDocument(() => {
        window.__transforms = [];
        document.addEventListener('DOMContentLoaded', () => {
          const transcript = document.getElementById('transcript');
          new MutationObserver(() => {
            const applied = getComputedStyle(transcript).transform;
            if (applied && applied !== 'none') window.__transforms.push(applied);
          }).observe(transcript, { attributes: true });
        });
      });
      await page.goto(url);
      await answer(page, nativeInput);
      await waitForExit(page);
      seen[motion] = await page.evaluate(() => ({ moves: window.__vr.moves.length,
        transforms: window.__transforms.length,
        final: getComputedStyle(document.getElementById('transcript')).transform }));
      await page.browserContext().close();
    }
    assert(seen.reduce.moves > 0, 'the scripted fight never shook (no blow landed)');
    assert(seen.reduce.transforms === 0, `${seen.reduce.transforms} transforms with reduced motion`);
    assert(seen['no-preference'].transforms > 0, 'no shake without reduced motion');
    assert(seen['no-preference'].final === 'none', `the transcript ended at ${seen['no-preference'].final}`);
  },

  async 'phone: 360x740 with touch, no sideways scroll at the title or the map, answers play'({ browser, url }) {
    const page = await newGamePage(browser, { viewport: {
      viewport: { width: 360, height: 740, deviceScaleFactor: 2, isMobile: true, hasTouch: true },
      userAgent: 'Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/156.0.0.0 Mobile Safari/537.36',
    } });
    const widths = () => page.evaluate(() => ({
      page: document.documentElement.scrollWidth,
      inner: window.innerWidth,
      transcript: [document.getElementById('transcript').scrollWidth, document.getElementById('transcript').clientWidth],
      pictures: [...document.querySelectorAll('.picture')].map((p) => [p.scrollWidth, p.clientWidth]),
      key: document.getElementById('answer').getAttribute('enterkeyhint'),
    }));
    await page.goto(url);
    await waitForPrompt(page, 1);
    const title = await widths();
    await answer(page, ['Ann', 's', 'm'], { tap: true });
    await waitForText(page, 'Map of Tovashal Dungeon.');
    await waitForPrompt(page, 4);
    const map = await widths();
    for (const [where, w] of [['title', title], ['map', map]]) {
      assert(w.page <= w.inner, `${where}: page ${w.page} px wide in ${w.inner}`);
      assert(w.transcript[0] <= w.transcript[1], `${where}: transcript ${w.transcript}`);
      for (const [scroll, client] of w.pictures) assert(scroll <= client, `${where}: picture ${scroll} in ${client}`);
    }
    assert(title.pictures.length > 0, 'the banner is not a picture');
    assert(title.key === 'send', `enterkeyhint is ${title.key}`);
    await page.browserContext().close();
  },
};
