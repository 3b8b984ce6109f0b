// What the screen-reader checks (the browser's listen.mjs, the terminal's) share: what Orca
// said, read from its debug file, what the check's synthesiser was given and how far it got,
// waiting for quiet, the game's picture lines, and the rules' tally.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const repoRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../..');
export const kQuietMs = 10000; // speech must end this long after the passage's end, at most
export const kSettleMs = 2000; // no new speech for this long, and none in progress, is quiet
export const kWordsPerSecond = 3; // the synthesiser's 180 words a minute
export const kWhole = 0.95; // of a passage's characters (spaces aside) must be spoken, in order

// The lines of the game's pictures, long enough not to be words of the story.
export const pictureLines = fs.readdirSync(path.join(repoRoot, 'data'))
  .filter((name) => name.endsWith('.txt') && !/^(Plot Point|Weapons|sounds)/.test(name))
  .flatMap((name) => fs.readFileSync(path.join(repoRoot, 'data', name), 'utf8').split('\n'))
  .map((line) => line.replace(/\r$/, '').trim())
  .filter((line) => line.replace(/\s/g, '').length >= 8);
export const pictureSet = new Set(pictureLines.map((line) => line.replace(/\s+/g, ' ')));

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
export const flat = (text) => text.replace(/\s+/g, ' ').trim();
export const count = (haystack, needle) => (needle ? haystack.split(needle).length - 1 : 0);
// Orca's echo of a key press: the key's name and a space ("s ", "return ", "left shift ").
export const keyEcho = (u) => / $/.test(u.text) && u.text.trim().split(' ').length <= 2;

// Orca's debug file: one entry per line that starts with a time; its continuation lines are
// indented. Each SPEECH OUTPUT entry is one utterance: {at (ms since 1970), text}.
export function orcaSpeech(orcaLog) {
  const today = new Date();
  const utterances = [];
  const entries = fs.readFileSync(orcaLog, 'utf8').split(/\n(?=\d\d:\d\d:\d\d\.\d{6} - )/);
  for (const entry of entries) {
    const found = entry.match(/^(\d\d):(\d\d):(\d\d)\.(\d{6}) - SPEECH OUTPUT: '([\s\S]*)$/);
    if (!found) continue;
    const at = new Date(today.getFullYear(), today.getMonth(), today.getDate(),
      Number(found[1]), Number(found[2]), Number(found[3]), Number(found[4]) / 1000).getTime();
    const text = found[5].replace(/\n {18}/g, '\n').replace(/'(?: voice=\S+)? ?(?:\[?\{[^\n]*\}\]?|None)?\s*$/, '');
    utterances.push({ at: at > Date.now() + 3600e3 ? at - 86400e3 : at, text });
  }
  return utterances;
}

// What the synthesiser was given and how far it got: {id, start, end (null when cut off), text}.
export function synthesised(speechLog) {
  const said = new Map();
  const lines = fs.existsSync(speechLog) ? fs.readFileSync(speechLog, 'utf8').split('\n') : [];
  for (const line of lines) {
    const [kind, id, at, ...words] = line.split(' ');
    if (kind === 'start') said.set(id + at, { id, start: Number(at) * 1000, end: null, text: words.join(' ') });
    if (kind === 'end') {
      const open = [...said.values()].find((u) => u.id === id && u.end === null);
      if (open) open.end = Number(at) * 1000;
    }
  }
  return [...said.values()];
}

// Waits until nothing is being said and nothing new was said for kSettleMs since the later of
// the last speech and since, or until the deadline. Returns when speech went quiet (ms since
// 1970), or null at the deadline.
export async function quiet(orcaLog, speechLog, deadline, since = 0) {
  for (;;) {
    const spoken = orcaSpeech(orcaLog);
    const voice = synthesised(speechLog);
    // The synthesiser says one thing at a time: only the latest start can still be going.
    const latest = voice[voice.length - 1];
    const speaking = Boolean(latest) && latest.end === null;
    const last = Math.max(0, ...spoken.map((u) => u.at), ...voice.map((u) => u.end || u.start));
    if (!speaking && Date.now() - Math.max(last, since) >= kSettleMs) return last;
    if (Date.now() > deadline) return null;
    await sleep(200);
  }
}

// Finds each utterance in the story at or after the end of the one before. Returns the
// utterances found nowhere there (strays) and the share of the story's characters (spaces aside)
// that the found ones said: lost speech lowers it, speech said twice or out of order adds nothing.
export function inOrder(story, utterances) {
  const strays = [];
  let cursor = 0;
  let said = 0;
  for (const u of utterances) {
    const text = flat(u.text);
    const at = text ? story.indexOf(text, cursor) : -1;
    if (at < 0) {
      strays.push(u.text);
      continue;
    }
    said += text.replace(/\s/g, '').length;
    cursor = at + text.length;
  }
  const all = story.replace(/\s/g, '').length;
  return { strays, said, all, share: all ? said / all : 1 };
}

export const percent = (share) => `${Math.floor(share * 1000) / 10}%`;

// When a voice at 180 words a minute that says each utterance once Orca hands it over, after the
// one before, goes quiet: the listener the rules of time are judged by, whatever the pace of the
// check's own voice.
export function voiceEnd(utterances) {
  let end = 0;
  for (const u of utterances) end = Math.max(end, u.at) + (1000 * flat(u.text).split(' ').length) / kWordsPerSecond;
  return end;
}

export function show(utterances, from) {
  for (const u of utterances) {
    console.log(`    ${((u.at - from) / 1000).toFixed(1).padStart(5)} s  '${u.text.replace(/\n/g, ' / ')}'`);
  }
}

// The rules' tally: rule() prints each one; done() prints "N passed, N failed" and exits, non-zero
// on a failure.
let passed = 0;
let failed = 0;
export function rule(ok, what) {
  if (ok) passed += 1;
  else failed += 1;
  console.log(`  ${ok ? 'ok  ' : 'FAIL'} ${what}`);
}
export function done() {
  console.log(`screen reader: ${passed} passed, ${failed} failed`);
  process.exit(failed === 0 && passed > 0 ? 0 : 1);
}
