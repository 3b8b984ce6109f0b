// The scripted game in a VTE terminal (sakura) on the virtual display that screen_reader.sh
// started, typed with real keys (xdotool: Orca hears them as key presses) while Orca reads it.
// The terminal runs the game under script(1), whose copy of everything the game wrote is the
// text each answer added. For each answer it prints what Orca spoke and checks it against that
// text. The same game played on pipes with and without the mode tells the lines that the mode
// writes instead of a drawing (a picture's name, the map's sentences) and the drawings'
// lines, which must never be spoken. Prints "N passed, N failed"; exits non-zero on a failure.
// Usage: node listen.mjs GAME_DIR LAUNCHER OUTPUT PIPED_PLAIN PIPED_MODE ORCA_DEBUG_FILE SPEECH_LOG
//   LAUNCHER runs the game under script(1) with OUTPUT as its copy and writes the game's process
//   id to GAME_DIR/game.pid; PIPED_MODE is empty when the game plays without the mode.
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import {
  count, done, flat, inOrder, keyEcho, kQuietMs, kWordsPerSecond, orcaSpeech as speechIn, pictureLines,
  quiet as quietIn, repoRoot, rule, show, sleep, synthesised as synthesisedIn, voiceEnd,
} from '../web/screen-reader/speech.mjs';

const [gameDir, launcher, outputFile, pipedPlain, pipedMode, orcaLog, speechLog] = process.argv.slice(2);
const withMode = Boolean(pipedMode);
// The browser check's scripted game: the name, the weapon, a step into the first fight, its rounds,
// steps east, the map and the condition.
const nativeInput = fs.readFileSync(path.join(repoRoot, 'tests/web/native-game/input'), 'utf8').split('\n');
const answers = nativeInput.slice(0, nativeInput.indexOf('c') + 1);
const xdotool = (...args) => execFileSync('xdotool', args, { encoding: 'utf8' }).trim();
const orcaSpeech = () => speechIn(orcaLog);
const synthesised = () => synthesisedIn(speechLog);
const quiet = (deadline, since) => quietIn(orcaLog, speechLog, deadline, since);
const bare = (text) => text.replace(/\s+/g, '');

// The text a terminal shows of what the game wrote: escape sequences (CSI, OSC, DCS and the
// short ones) and carriage returns taken out.
const shown = (bytes) => bytes
  .replace(/\x1b\[[0-?]*[ -/]*[@-~]/g, '')
  .replace(/\x1b[\]P_^][\s\S]*?(?:\x07|\x1b\\)/g, '')
  .replace(/\x1b[ -/]*[0-~]/g, '')
  .replace(/\r/g, '');

// The lines one transcript has and the other has not, in runs: [{plain: [...], mode: [...]}],
// from the longest common run of lines.
function changedRuns(a, b) {
  const n = a.length;
  const m = b.length;
  const common = Array.from({ length: n + 1 }, () => new Uint16Array(m + 1));
  for (let i = n - 1; i >= 0; i -= 1) {
    for (let j = m - 1; j >= 0; j -= 1) {
      common[i][j] = a[i] === b[j] ? common[i + 1][j + 1] + 1 : Math.max(common[i + 1][j], common[i][j + 1]);
    }
  }
  const runs = [];
  let run = null;
  for (let i = 0, j = 0; i < n || j < m;) {
    if (i < n && j < m && a[i] === b[j]) {
      run = null;
      i += 1;
      j += 1;
      continue;
    }
    if (!run) runs.push(run = { plain: [], mode: [] });
    if (j >= m || (i < n && common[i + 1][j] >= common[i][j + 1])) run.plain.push(a[i++]);
    else run.mode.push(b[j++]);
  }
  return runs;
}

const lines = (file) => fs.readFileSync(file, 'utf8').split('\n');
const runs = withMode ? changedRuns(lines(pipedPlain), lines(pipedMode)) : [];
// A drawing the mode writes as one line is a picture and its name; as several, the map in words.
// On a pipe nothing echoes the answer's line end, so a name can follow the prompt on its line.
const names = new Set(runs.filter((r) => r.mode.length === 1)
  .map((r) => r.mode[0].slice(r.mode[0].startsWith(r.plain[0]) ? r.plain[0].length : 0).trim()));
const mapWords = runs.filter((r) => r.mode.length > 1).flatMap((r) => r.mode.map(flat)).filter(Boolean);
// Drawings: the pictures' files, and what the mode replaced that is more than a letter or two.
const drawings = [...new Set([...pictureLines.map(flat), ...runs.flatMap((r) => r.plain.map(flat))
  .filter((line) => line.replace(/\s/g, '').length >= 3)])];
if (withMode) {
  console.log(`the mode writes ${runs.length} drawings otherwise: names ${[...names].map((n) => `"${n}"`).join(', ')};` +
    ` the map in ${mapWords.length} lines of words`);
  rule(runs.length > 0 && runs.every((r) => r.mode.some((line) => line.trim())) && mapWords.length > 0,
    'on a pipe, the mode writes each drawing as words: a picture as its name, the map as sentences');
}

// The game is waiting for an answer: its main thread blocks in the poll of the answer line
// (standard input, standard output and the wake pipe, no time limit). /proc/PID/syscall is
// readable by root, as CI runs, or where the kernel lets a user trace their own processes.
let gamePid = 0;
function waiting() {
  try {
    const [call, , fds, timeout] = fs.readFileSync(`/proc/${gamePid}/syscall`, 'utf8').split(' ');
    return call === '7' && fds === '0x3' && /^0x(ffffffff)?ffffffff$/.test(timeout);
  } catch (gone) {
    return false;
  }
}
// What the game wrote so far, after script(1)'s own first line.
const output = () => (fs.existsSync(outputFile)
  ? shown(fs.readFileSync(outputFile, 'latin1').replace(/^Script started [^\n]*\n/, '')) : '');
// Waits until the game writes more than `since` (the echo of the answer) and then waits.
async function waitForPrompt(since, timeoutMs = 180000) {
  const started = Date.now();
  for (;;) {
    if (bare(output()).length > bare(since).length && waiting()) {
      await sleep(100);
      if (waiting()) return Date.now();
    }
    if (Date.now() - started > timeoutMs) throw new Error('the game never asked its next question');
    await sleep(50);
  }
}

// What Orca said for one passage, and the rules it must keep.
function judge(where, added, all, from, extra = () => {}) {
  const passage = all.filter((u) => u.at >= from && !keyEcho(u));
  const said = passage.map((u) => u.text).join(' ');
  const story = flat(added);
  // Everything said must be the new text, in its order, and all of it once (an utterance of
  // nothing but breaks says nothing).
  const { strays } = inOrder(story, passage.filter((u) => flat(u.text) !== ''));
  rule(strays.length === 0, `${where}: everything said is the new text, in order${strays.length ?
    ` (not: '${flat(strays[0]).slice(0, 80)}')` : ''}`);
  rule(bare(said) === bare(added), `${where}: the new text said whole and once` +
    `${bare(said) === bare(added) ? '' : ` (${bare(said).length} of its ${bare(added).length} characters said)`}`);
  const drawn = drawings.filter((line) => flat(said).includes(line));
  rule(drawn.length === 0, `${where}: no drawing's lines spoken${drawn.length ? ` ('${drawn[0]}')` : ''}`);
  for (const name of names) {
    const times = count(` ${added.replace(/\s+/g, ' ')} `, ` ${name} `);
    if (times > 0) {
      rule(count(flat(said), name) === count(story, name),
        `${where}: the picture "${name}" named ${count(flat(said), name)} times, written ${count(story, name)}`);
    }
  }
  extra(said);
}

let output0 = '';
const terminal = spawn('sakura', ['-c', '100', '-r', '40', '-e', launcher],
  { cwd: gameDir, stdio: 'ignore', detached: false });
const closed = new Promise((resolve) => terminal.on('exit', resolve));
try {
  let window = '';
  for (let tries = 0; !window && tries < 200; tries += 1) {
    try {
      window = xdotool('search', '--onlyvisible', '--class', 'sakura').split('\n').filter(Boolean).pop() || '';
    } catch (notYet) {
      await sleep(100);
    }
  }
  if (!window) throw new Error('no terminal window on the display');
  xdotool('windowfocus', '--sync', window);
  // The game starts once Orca has named the new window, as when a player opens a terminal and
  // then types the game's command.
  await quiet(Date.now() + 15000, Date.now());
  fs.writeFileSync(path.join(gameDir, 'start'), '');
  const openedAt = Date.now();
  for (let tries = 0; !gamePid && tries < 200; tries += 1) {
    const pidFile = path.join(gameDir, 'game.pid');
    if (fs.existsSync(pidFile)) gamePid = Number(fs.readFileSync(pidFile, 'utf8').trim()) || 0;
    if (!gamePid) await sleep(100);
  }
  if (!gamePid) throw new Error('the game never started in the terminal');

  const titleAt = await waitForPrompt('', 60000);
  await quiet(titleAt + 60000, titleAt);
  output0 = output();
  // Orca names the window again when the game sets its caption, alone or with its role, beside
  // the game's first lines (on a busy machine, among them): that is the window's name, not the
  // title's. The title's own picture, named like the window, comes after the first pause.
  const caption = xdotool('getwindowname', window);
  const windowNames = new Set(['', caption, `${caption} frame.`, 'sakura', 'sakura frame.']);
  const windowName = (u) => windowNames.has(flat(u.text));
  const opening = orcaSpeech().filter((u) => u.at >= openedAt);
  const storyStart = (opening.find((u) => !windowName(u)) || { at: openedAt }).at;
  const atTitle = opening.filter((u) => !(windowName(u) && u.at < storyStart + 3000));
  console.log(`title: the name prompt after ${((titleAt - openedAt) / 1000).toFixed(1)} s; Orca spoke ` +
    `${atTitle.reduce((n, u) => n + u.text.length, 0)} characters for the ${output0.length} written`);
  show(atTitle, openedAt);
  const titleSaid = flat(atTitle.map((u) => u.text).join(' '));
  for (const line of ['Vaultreach awaits.', 'YOU!']) {
    rule(titleSaid.includes(line), `title: "${line}" spoken`);
  }
  judge('title', output0, atTitle, openedAt);
  const titleQuiet = voiceEnd(atTitle);
  rule(titleQuiet <= titleAt + kQuietMs, `title: quiet ${((titleQuiet - titleAt) / 1000).toFixed(1)} s after ` +
    `the name prompt, at 180 words a minute (at most ${kQuietMs / 1000} s)`);

  let before = output0;
  let asked = output0;
  for (let i = 0; i < answers.length; i += 1) {
    const answer = answers[i];
    const where = `answer ${i + 1} "${answer}"`;
    const typedAt = Date.now();
    if (answer) xdotool('type', '--delay', '120', answer);
    await sleep(200);
    const enterAt = Date.now();
    xdotool('key', 'Return');
    const promptAt = await waitForPrompt(`${before}${answer}\n`);
    let first = null;
    for (const until = Date.now() + 5000; !first && Date.now() < until; await sleep(100)) {
      first = orcaSpeech().find((u) => u.at >= enterAt && !keyEcho(u));
    }
    // The passage ends when the game waits, or, if later, when a voice at 180 words a minute that
    // began it with its first new text would have said it all.
    const words = flat(output().slice(before.length)).split(' ').length;
    const passageEnd = Math.max(promptAt, first ? first.at + (1000 * words) / kWordsPerSecond : 0);
    const quietAt = await quiet(passageEnd + kQuietMs + 5000, promptAt);
    const after = output();
    // The terminal's echo of the answer is the typist's, not the game's.
    const echoed = after.slice(before.length);
    const added = echoed.startsWith(`${answer}\n`) ? echoed.slice(answer.length + 1) : echoed;
    // The terminal echoes what was typed, and Orca may say it as it appears, or say the whole line
    // it was typed on (the question and the answer) before the new text, late on a busy machine:
    // the typist's own feedback, not the game's passage.
    const typedLine = flat(`${before.slice(before.lastIndexOf('\n') + 1)}${answer}`);
    before = after;
    const all = orcaSpeech().filter((u) => u.at >= typedAt && flat(u.text) !== answer).map((u) => {
      const text = flat(u.text);
      return text.startsWith(`${typedLine} `) ? { ...u, text: text.slice(typedLine.length + 1) } : u;
    });
    // Orca cuts its echo of one key short at the next one; what counts is the story's speech.
    const cut = synthesised().filter((u) => u.start >= enterAt && u.end === null &&
      !(u.start < enterAt + 1500 && u.text.trim().split(' ').length <= 2));
    const passage = all.filter((u) => u.at >= enterAt && !keyEcho(u));
    const spokenChars = passage.reduce((n, u) => n + u.text.length, 0);
    const speechSeconds = flat(passage.map((u) => u.text).join(' ')).split(' ').length / kWordsPerSecond;
    const voiceQuiet = voiceEnd(all.filter((u) => u.at >= enterAt));
    console.log(`${where}: the game wrote ${added.length} characters; Orca spoke ${spokenChars} in ` +
      `${all.length} utterances, ${speechSeconds.toFixed(1)} s of speech at 180 words a minute; the prompt at ` +
      `${((promptAt - enterAt) / 1000).toFixed(1)} s, the passage's end at 180 words a minute at ` +
      `${((passageEnd - enterAt) / 1000).toFixed(1)} s, quiet at 180 words a minute at ` +
      `${((voiceQuiet - enterAt) / 1000).toFixed(1)} s; the check's voice ${quietAt ? `quiet at ` +
      `${((quietAt - enterAt) / 1000).toFixed(1)} s` : 'still speaking'}${cut.length ? `, ${cut.length} cut off` : ''}`);
    show(all, enterAt);
    judge(where, added, all, enterAt, (said) => {
      if (answer === 'm' && withMode) {
        const unsaid = mapWords.filter((line) => !flat(said).includes(line));
        rule(mapWords.length > 0 && unsaid.length === 0,
          `${where}: the map spoken as words${unsaid.length ? ` (not said: '${unsaid[0]}')` : ''}`);
      }
    });
    // A fight round answers the fight's question: its passage is what a player waits through most.
    if (/What do you want to do\?[^?]*\?:\s*$/.test(asked)) {
      rule(voiceQuiet <= passageEnd + kQuietMs,
        `${where}: a fight round, quiet within ${kQuietMs / 1000} s of the passage's end`);
    }
    asked = added;
  }
} finally {
  terminal.kill();
  await Promise.race([closed, sleep(2000)]);
}
done();
