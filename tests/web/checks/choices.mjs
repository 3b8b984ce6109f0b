// The prompts' choices as buttons: the native game played on a touch phone by presses alone,
// and the buttons beside the keyboard's way of playing (their group, the focus, the end).
import { answer, assert, expectNativeText, liveRegionText, nativeInput, newGamePage, record, waitForExit,
  waitForPrompt, walk } from './lib.mjs';

const phone = {
  viewport: { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
  userAgent: 'Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/156.0.0.0 Mobile Safari/537.36',
};

// After the page's scroll to the end (it waits for a frame): where the choices, the story and
// the map's drawing are on screen, and which control has the keys.
const layout = (page) => page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() =>
  requestAnimationFrame(() => {
    const box = (element) => {
      const rect = element.getBoundingClientRect();
      return { top: rect.top, bottom: rect.bottom };
    };
    const maps = document.querySelectorAll('#transcript .map');
    resolve({
      height: window.innerHeight,
      choices: box(document.getElementById('choices')),
      story: box(document.getElementById('transcript')),
      map: maps.length ? box(maps[maps.length - 1]) : null,
      focused: document.activeElement ? document.activeElement.tagName : '',
    });
  }))));

export const checks = {
  async 'choices on a touch phone: the native game by presses alone after the typed name, no keyboard after it, pictures and map named'({ browser, url, log }) {
    const page = await newGamePage(browser, { viewport: phone });
    // Every time a text field takes the keys (a phone then brings up its keyboard), with the prompt.
    await page.evaluateOnNewDocument(() => {
      window.__keyboard = [];
      document.addEventListener('focusin', (event) => {
        if (event.target.matches('input, textarea, [contenteditable]')) window.__keyboard.push(window.__vr.waits);
      });
    });
    // The prompts answered by typing: the name, and those where the scripted game's answer is none
    // of the choices (a wrong letter in the fight, and "a" at the direction prompts after it, there
    // to outlast a fight of any length), typed as a phone player would have to.
    const typed = [1];
    const type = async (line) => {
      await page.tap('#answer');
      await page.type('#answer', line);
      await page.keyboard.press('Enter');
    };
    await page.goto(url);
    await waitForPrompt(page, 1);
    await type(nativeInput[0]);
    for (let i = 1; i < nativeInput.length; i += 1) {
      await waitForPrompt(page, i + 1);
      const where = `prompt ${i + 1} (answer ${JSON.stringify(nativeInput[i])})`;
      const seen = await layout(page);
      assert(seen.choices.top >= seen.story.bottom - 1 && seen.choices.bottom <= seen.height,
        `${where}: the choices are not on screen under the story: ${JSON.stringify(seen)}`);
      // After a typed answer other than the name the keyboard stays for the next, as it would.
      assert((i > 1 && typed.includes(i)) || !['INPUT', 'TEXTAREA'].includes(seen.focused),
        `${where}: a text field has the keys`);
      if (nativeInput[i - 1] === 'm') {
        assert(seen.map && seen.map.top >= seen.story.top - 1 && seen.map.bottom <= seen.story.bottom + 1,
          `${where}: the map is out of view: ${JSON.stringify(seen)}`);
      }
      const button = await page.$(`#choices[data-live="yes"] button[data-answer="${nativeInput[i]}"]`);
      // What a player reads on a button: the letter in brackets, or the whole label.
      const labels = await page.$$eval('#choices button', (all) => all.map((b) => b.textContent));
      const shown = labels.map((label) => (label.match(/^\((\w)\)/) || [])[1] || label);
      if (button) {
        await button.tap();
      } else {
        assert(labels.length && !shown.some((letter) => letter.toLowerCase() === nativeInput[i].toLowerCase()) &&
          nativeInput[i] !== '', `${where}: no live button sends it; the buttons are ${JSON.stringify(labels)}`);
        typed.push(i + 1);
        await type(nativeInput[i]);
      }
    }
    await waitForExit(page);
    const result = await record(page);
    expectNativeText(result.text);
    const keyboard = await page.evaluate(() => window.__keyboard);
    log(`${nativeInput.length - typed.length} answers pressed; typed at prompts ${typed}`);
    assert(keyboard.every((at) => at <= 1 || typed.includes(at)), `a text field took the keys at prompts ${keyboard}, typed at ${typed}`);
    const named = await page.evaluate(() => ({
      pictures: [...document.querySelectorAll('#transcript .picture-name')].map((n) => n.dataset.name),
      map: [...document.querySelectorAll('#transcript .map-words')].map((n) => n.dataset.name),
      drawings: [...document.querySelectorAll('#transcript .map, #transcript .picture')]
        .every((d) => d.getAttribute('aria-hidden') === 'true'),
    }));
    const monster = (result.text.match(/A (\w+) approaches\./) || [])[1];
    assert(monster && named.pictures.includes(`Picture: ${monster}`),
      `the ${monster}'s picture is not named by it: ${JSON.stringify(named.pictures)}`);
    assert(named.pictures.includes('Picture: Vaultreach'), `the title is not named: ${JSON.stringify(named.pictures)}`);
    assert(named.map.length === 10 && named.map.every((words) => words.trim() !== '') && /X/.test(result.text),
      `the map's rows are not said: ${JSON.stringify(named.map)}`);
    assert(named.drawings, 'a drawing is not hidden from screen readers');
    assert(result.exited === 0 && page.errors.length === 0, `exit ${result.exited}, errors ${page.errors}`);
    await page.browserContext().close();
  },

  async 'choices for keyboard and mouse: a named group outside the story, the keys stay in the input line, Enter plays again at the end'({ browser, url }) {
    const page = await newGamePage(browser);
    await page.goto(url);
    await answer(page, nativeInput.slice(0, 2));
    await waitForPrompt(page, 3);
    const tree = await page.accessibility.snapshot({ interestingOnly: false });
    let group = null;
    walk(tree, (node, inside) => {
      if (node.role === 'group' && node.name === 'Directions') group = { node, inLog: inside.some((n) => n.role === 'log') };
    });
    assert(group && !group.inLog, `no group "Directions" outside the story: ${JSON.stringify(group)}`);
    const labels = [];
    walk(group.node, (node) => { if (node.role === 'button') labels.push(node.name); });
    assert(labels.join(' ') === '(N)orth (S)outh (E)ast (W)est (M)ap (I)nventory (C)ondition (Q)uit',
      `the direction buttons are ${JSON.stringify(labels)}`);
    const announced = await liveRegionText(page);
    const written = (await record(page)).text;
    assert(announced.split('(N)orth').length === written.split('(N)orth').length,
      'the live region says the choices more often than the story wrote them');
    await page.click(`#choices button[data-answer="${nativeInput[2]}"]`);
    await waitForPrompt(page, 4);
    const afterClick = await page.evaluate(() => document.activeElement.id);
    assert(afterClick === 'answer', `after a click on a choice the keys are with "${afterClick}"`);
    await answer(page, nativeInput.slice(3), { from: 3 });
    await waitForExit(page);
    expectNativeText((await record(page)).text);
    const end = await page.evaluate(() => ({ focused: document.activeElement.id,
      label: document.activeElement.textContent, status: document.getElementById('status').textContent }));
    let focusedNode = {};
    walk(await page.accessibility.snapshot(), (node) => { if (node.focused) focusedNode = node; });
    assert(end.focused === 'send' && end.label === 'Play again' && /Press Enter to play again/.test(end.status) &&
      /Press Enter to play again/.test(focusedNode.description || ''),
      `at the end: ${JSON.stringify(end)}, the focused button is described as ${JSON.stringify(focusedNode.description)}`);
    await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
    await waitForPrompt(page, 1);
    await page.browserContext().close();
  },
};
