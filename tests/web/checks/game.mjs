// The game itself on the real page: the same text as the terminal game, the caption, the
// colours, the player's files across a reload and a closed tab, and sound after the first key.
import { answer, assert, expectNativeText, nativeInput, nativeTranscript, newGamePage, playerFiles,
  preparePage, record, startGame, waitForExit, waitForPrompt } from './lib.mjs';

export const checks = {
  async 'scripted game writes what the native game prints, byte for byte'({ browser, url }) {
    const page = await newGamePage(browser);
    await page.goto(url);
    // Typed wherever the page keeps the keys, as a player types: the answer line from the start
    // and after every answer.
    await answer(page, nativeInput, { keys: page });
    await waitForExit(page);
    const result = await record(page);
    expectNativeText(result.text);
    assert(result.exited === 0, `exit status ${result.exited}`);
    assert(page.errors.length === 0, `page errors: ${page.errors.join('; ')}`);
    await page.browserContext().close();
  },

  async 'answers typed before the game is ready wait for their prompts, as in a terminal'({ browser, url }) {
    const page = await newGamePage(browser);
    // The game's wasm is held back until every answer has been typed.
    let release;
    const typed = new Promise((resolve) => { release = resolve; });
    await page.setRequestInterception(true);
    page.on('request', (request) => {
      if (request.url().endsWith('.wasm')) typed.then(() => request.continue());
      else request.continue();
    });
    await page.goto(url, { waitUntil: 'domcontentloaded' });
    for (const line of nativeInput) {
      if (line) await page.type('#answer', line);
      await page.keyboard.press('Enter');
    }
    const early = await page.evaluate(() => window.__vr.text.length);
    release();
    await waitForExit(page);
    const { text } = await record(page);
    assert(early === 0, 'the game had started before the answers were typed');
    assert(Buffer.from(text, 'utf8').equals(nativeTranscript), 'typed ahead, the game wrote another story');
    await page.browserContext().close();
  },

  async 'caption sets the title, the direction menu has its colour class'({ browser, url }) {
    const page = await newGamePage(browser);
    await startGame(page, url, nativeInput.slice(0, 2));
    const seen = await page.evaluate(() => ({
      title: document.title,
      captions: window.__vr.titles,
      menu: [...document.querySelectorAll('#transcript .c14')].map((e) => e.textContent).join(''),
    }));
    assert(seen.captions.length > 0, 'the game never set a caption');
    assert(seen.title === seen.captions[seen.captions.length - 1],
      `title "${seen.title}" is not the caption ${JSON.stringify(seen.captions)}`);
    assert(seen.menu.includes('(N)orth') && seen.menu.includes('(Q)uit'),
      `no c14 span holds the direction menu: ${JSON.stringify(seen.menu.slice(0, 80))}`);
    await page.browserContext().close();
  },

  async 'Quit saves; the save and log.txt are there after a reload'({ browser, url }) {
    const page = await newGamePage(browser);
    await startGame(page, url, ['Cara', 's']);
    await page.click('#quit');
    await waitForExit(page);
    const farewell = (await record(page)).text;
    assert(farewell.includes('Hope you enjoyed playing Vaultreach.'), 'Quit did not end as q does');
    await page.reload();
    await waitForPrompt(page, 1);
    const files = await playerFiles(page);
    assert(files['Player.txt'] && files['Player.txt'].includes('Cara'),
      `no saved Cara after the reload: ${JSON.stringify(Object.keys(files))}`);
    // The log is the new game's by now: each game starts its log afresh.
    assert(files['log.txt'] && files['log.txt'].includes('Starting Game.'), 'no log.txt after the reload');
    await page.click('#files-toggle');
    const links = await page.$$eval('#files-list a', (as) => as.map((a) => a.download));
    assert(links.includes('Player.txt') && links.includes('log.txt'),
      `files panel offers ${JSON.stringify(links)}`);
    await page.browserContext().close();
  },

  async 'a tab closed mid-game is saved and the next tab holds the character'({ browser, url }) {
    const context = await browser.createBrowserContext();
    const first = await preparePage(context);
    await startGame(first, url, ['Dorn', 's', 's']);
    await first.close({ runBeforeUnload: false });
    const second = await preparePage(context);
    await second.goto(url);
    await waitForPrompt(second, 1);
    const files = await playerFiles(second);
    assert(files['Player.txt'] && files['Player.txt'].includes('Dorn'),
      `the closed tab's character is not saved: ${JSON.stringify(files['Player.txt'] || null)}`);
    await context.close();
  },

  async 'Ctrl-C ends the game as q does; Ctrl-D is the end of input'({ browser, url }) {
    const context = await browser.createBrowserContext();
    const ends = {};
    for (const key of ['c', 'd']) {
      const page = await preparePage(context);
      await startGame(page, url, ['Eve', 's']);
      await page.focus('#answer');
      await page.keyboard.down('Control');
      await page.keyboard.press(key === 'c' ? 'KeyC' : 'KeyD');
      await page.keyboard.up('Control');
      await waitForExit(page);
      const result = await record(page);
      ends[key] = { status: result.exited, text: result.text, files: await playerFiles(page) };
      await page.close();
    }
    for (const [key, end] of Object.entries(ends)) {
      assert(end.status === 0, `Ctrl-${key.toUpperCase()}: exit status ${end.status}`);
      assert(end.text.includes('Hope you enjoyed playing Vaultreach.'), `Ctrl-${key.toUpperCase()}: no farewell`);
      assert((end.files['Player.txt'] || '').includes('Eve'), `Ctrl-${key.toUpperCase()}: Eve not saved`);
    }
    await context.close();
  },

  async 'the AudioContext runs after the first key'({ browser, url }) {
    const page = await newGamePage(browser);
    await page.goto(url);
    await waitForPrompt(page, 1);
    await page.type('#answer', 'E');
    await page.waitForFunction(
      () => window.__vr.audio.some((context) => context.state === 'running'), { timeout: 10000 })
      .catch(() => {});
    const states = await page.evaluate(() => window.__vr.audio.map((c) => c.state));
    assert(states.includes('running'), `AudioContext states after a key: ${JSON.stringify(states)}`);
    await page.browserContext().close();
  },
};
