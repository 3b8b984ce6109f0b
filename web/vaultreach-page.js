// The page around the game: it turns what the game writes into a document and hands the
// player's answers to it.
//
// Rules:
//  - The story is a transcript of text. A colour change starts a span with one class per
//    console attribute (c4 ... c15, c128); 7 is the page's own colour. No escape sequences.
//  - Text reaches the transcript a line at a time. A line not yet ended is shown at once but
//    hidden from screen readers, and is added for real when the game waits for an answer or
//    after a short quiet spell; so the live region ("log", polite) receives each passage once.
//  - What is committed in one go (one run of the game between two turns of the event loop) is
//    an element of its own, so a screen reader speaks each passage once, in order, and nothing
//    it spoke before.
//  - The game says what it draws. A picture (the title banner, a monster, the gnome) stays in
//    the transcript as text hidden from screen readers, who read "Picture: " and the name the
//    game gives it in its place; the map's drawing likewise, with the game's sentence for each
//    row in its place.
//  - The game says what each prompt offers: its choices are buttons under the story, outside
//    the live region, each sending its answer as a typed line does. A finger's press leaves
//    the input line without focus, so no on-screen keyboard comes up; the name is typed.
//  - After the last game the game's "Press Enter to exit" is followed by what Enter does now:
//    the status says it plays again, and describes the focused Play again button.
//  - The typed answer is echoed into the transcript when it is sent, as a terminal echoes it,
//    but hidden from screen readers: the input line has already spoken it.
//  - The shake moves the transcript with a CSS transform; never when the system asks for
//    reduced motion.
//  - Quit and Ctrl-C end the game as "q" does; Ctrl-D ends the input; leaving the page quits
//    (the game saves). Typing during a pause queues the line, as a terminal does.
//  - A click anywhere that is not on a control and selects nothing gives the input line the
//    keys. Inside another site's frame the page takes no keys until then.
//  - One game at a time in a browser profile (a Web Lock): another tab says so and may take the
//    game over, which ends the first tab's game as a hang-up does before this one starts.
'use strict';

(function () {
  const kPartialDelayMs = 60;
  // The group of a prompt's choices is named for the question, for a screen reader that walks
  // to it; the game names the kind of prompt.
  const kChoiceGroups = {
    weapon: 'Weapons', direction: 'Directions', fight: 'Fight', inventory: 'Inventory',
    'use-item': 'Item to use', 'drop-item': 'Item to drop', loot: 'Loot', gnome: 'The gnome\'s offer',
    'gnome-question': 'The gnome\'s question', replay: 'Play again?', exit: 'Exit',
  };

  const transcript = document.getElementById('transcript');
  const form = document.getElementById('answer-form');
  const input = document.getElementById('answer');
  const send = document.getElementById('send');
  const status = document.getElementById('status');
  const soundStatus = document.getElementById('sound-status');
  const soundButton = document.getElementById('sound');
  const quitButton = document.getElementById('quit');
  const filesToggle = document.getElementById('files-toggle');
  const filesPanel = document.getElementById('files');
  const filesList = document.getElementById('files-list');
  const choices = document.getElementById('choices');
  const coarsePointer = window.matchMedia('(pointer: coarse)');
  const reducedMotion = window.matchMedia('(prefers-reduced-motion: reduce)');

  let vr = null; // the game's interface, once its runtime is up
  let colour = 7;
  let pending = []; // [{colour, text}] of the line not yet ended
  let drawing = null; // the open picture or map, {art, first words}: what the game writes goes into it
  let offered = []; // [{label, answer}] of the prompt the game asks next or is waiting at
  let touching = coarsePointer.matches; // the last press was a finger's (or, before any, the screen is touch)
  let afterTyping = false; // the prompt before this one offered no choices: its answer was typed
  let running = true;
  let gestured = false;
  const earlyLines = []; // typed before the game was ready
  let partialTimer = 0;
  let scrollQueued = false;
  let fileUrls = [];

  const pendingNode = document.createElement('span');
  pendingNode.setAttribute('aria-hidden', 'true');
  transcript.appendChild(pendingNode);

  function say(text) {
    status.textContent = text;
  }
  // The sound's news ("Sound on.", a sound the browser could not decode) is shown, not spoken:
  // it comes at the first key, while the story's answer is being read, and the player hears
  // whether the music plays. A screen reader still finds it by reading the page.
  function showSound(text) {
    soundStatus.textContent = text;
  }
  say('Loading the game\u2026');

  // New text keeps the story at its end, unless the player has scrolled back to read; an
  // answer brings it back to the end.
  let following = true;
  let autoTop = 0; // where the page last scrolled to itself; only the player scrolls above it
  transcript.addEventListener('scroll', () => {
    if (transcript.scrollHeight - transcript.scrollTop - transcript.clientHeight < 48) {
      following = true;
    } else if (transcript.scrollTop < autoTop - 4) {
      following = false;
    }
  }, { passive: true });

  function scrollToEnd() {
    if (scrollQueued || !following) return;
    scrollQueued = true;
    requestAnimationFrame(() => {
      scrollQueued = false;
      transcript.scrollTop = transcript.scrollHeight;
      autoTop = transcript.scrollTop;
    });
  }

  function styled(text, attribute) {
    if (attribute === 7) return document.createTextNode(text);
    const span = document.createElement('span');
    span.className = 'c' + attribute;
    span.textContent = text;
    return span;
  }

  // What the game commits in one run between two turns of the browser's event loop (lines
  // written without a pause between them, a menu and its prompt, a picture's name) goes into one
  // element of its own, inline so the story flows as before. A screen reader is told of each new
  // element and speaks it once, whole and in order. Text added beside text already there is
  // reported as all of that element's text removed and inserted again (the whole story, spoken
  // anew after every line), and several elements added at once reach it in any order.
  let piece = null;
  function append(node) {
    if (!piece) {
      piece = document.createElement('span');
      piece.setAttribute('role', 'paragraph');
      transcript.insertBefore(piece, pendingNode);
      queueMicrotask(() => {
        piece = null;
      });
    }
    piece.appendChild(node);
  }

  function appendSegments(segments) {
    const fragment = document.createDocumentFragment();
    for (const segment of segments) {
      if (segment.text) fragment.appendChild(styled(segment.text, segment.colour));
    }
    if (fragment.childNodes.length) append(fragment);
  }

  // What the game names in place of a drawing (a picture's name, the map's row sentences) is
  // text of the story for screen readers, generated by the style sheet off screen, so copying the
  // story gives what the terminal shows: a live region speaks the text it gains, never the name
  // of an image.
  function said(text, className) {
    const words = document.createElement('span');
    words.className = className;
    words.dataset.name = text;
    // Spoken as part of the new text around it, not a second time as an element of its own
    // (the off-screen text is a block of its own to the browser).
    words.setAttribute('aria-live', 'off');
    return words;
  }

  // The game tells what it is about to draw: a picture (kind "picture", its name) or the map
  // (kind "map", a sentence per row). The drawing stays for sighted players, hidden from screen
  // readers, who get the words in its place.
  function figureBegin(kind, text) {
    commitPartial();
    const isMap = kind === 'map';
    const words = (isMap ? String(text).split('\n') : ['Picture: ' + text]).map((sentence) =>
      said(sentence, isMap ? 'map-words' : 'picture-name'));
    for (const sentence of words) append(sentence);
    const art = document.createElement('span');
    art.className = isMap ? 'map' : 'picture';
    art.setAttribute('aria-hidden', 'true');
    append(art);
    drawing = { art, first: words[0] };
  }

  // The blank lines a drawing opens with are story text, before its words: a passage of only
  // words spoken as part of the text around them, and a hidden drawing, is not spoken at all.
  function draw(text) {
    if (!drawing.art.hasChildNodes()) {
      const blank = text.match(/^\n*/)[0];
      if (blank) drawing.first.before(styled(blank, colour));
      text = text.slice(blank.length);
    }
    if (text) drawing.art.appendChild(styled(text, colour));
  }

  function figureEnd() {
    drawing = null;
  }

  function showPending() {
    pendingNode.textContent = '';
    for (const segment of pending) {
      if (segment.text) pendingNode.appendChild(styled(segment.text, segment.colour));
    }
  }

  // Puts the unended line into the transcript for real (a prompt, or text before a pause).
  function commitPartial() {
    clearTimeout(partialTimer);
    partialTimer = 0;
    if (!pending.length) return;
    appendSegments(pending);
    pending = [];
    showPending();
    scrollToEnd();
  }

  function write(text) {
    if (status.textContent) say('');
    if (soundStatus.textContent) showSound('');
    registerWorker(2000);
    if (drawing) {
      draw(String(text));
      scrollToEnd();
      return;
    }
    let rest = String(text);
    while (rest.length) {
      const end = rest.indexOf('\n');
      const piece = end < 0 ? rest : rest.slice(0, end + 1);
      rest = end < 0 ? '' : rest.slice(end + 1);
      const last = pending[pending.length - 1];
      if (last && last.colour === colour) last.text += piece;
      else pending.push({ colour, text: piece });
      if (end >= 0) {
        appendSegments(pending);
        pending = [];
      }
    }
    showPending();
    scrollToEnd();
    clearTimeout(partialTimer);
    partialTimer = pending.length ? setTimeout(commitPartial, kPartialDelayMs) : 0;
  }

  function echo(line) {
    commitPartial();
    const span = document.createElement('span');
    span.className = 'echo';
    span.setAttribute('aria-hidden', 'true');
    span.textContent = line + '\n';
    append(span);
    piece = null; // the game's reply is new text
    scrollToEnd();
  }

  function shake(dx, dy) {
    if (reducedMotion.matches) return;
    if (dx || dy) {
      transcript.classList.add('shaking');
      transcript.style.transform = 'translate(' + dx + 'px, ' + dy + 'px)';
    } else {
      transcript.style.transform = '';
      transcript.classList.remove('shaking');
    }
  }

  // A prompt's choices are buttons under the story, labelled as the game prints them, each
  // sending its answer as a typed line would. They are outside the live region (the story has
  // just said them) and answer only while the game waits at their prompt: one press, one answer.
  // The same choices asked again keep their buttons, and a finger's focus with them.
  function offer(kind, list) {
    const same = choices.dataset.kind === kind && list.length === offered.length &&
      list.every((choice, i) => choice.label === offered[i].label && choice.answer === offered[i].answer);
    afterTyping = offered.length === 0;
    offered = list;
    choices.dataset.kind = kind;
    choicesLive(false);
    if (same) return;
    choices.textContent = '';
    choices.setAttribute('aria-label', kChoiceGroups[kind] || 'Choices');
    for (const choice of list) {
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = choice.label;
      button.dataset.answer = choice.answer;
      choices.appendChild(button);
    }
    choices.hidden = list.length === 0;
  }

  function choicesLive(live) {
    choices.dataset.live = live ? 'yes' : 'no';
    for (const button of choices.children) button.setAttribute('aria-disabled', live ? 'false' : 'true');
  }

  function ended(code) {
    commitPartial();
    offer('', []);
    running = false;
    shake(0, 0);
    form.classList.add('ended');
    input.disabled = true;
    send.textContent = 'Play again';
    send.setAttribute('aria-describedby', 'status');
    quitButton.disabled = true;
    // The game's last words were "Press Enter to exit": what Enter does now is said here, and
    // again by the focused button, which this status describes.
    say((code === 0 ? 'The game has ended.' : 'The game has ended with an error; see log.txt in your files.') +
      ' Press Enter to play again.');
    if (document.activeElement === input || document.activeElement === document.body) send.focus();
    letGameGo(code);
  }

  function refreshFiles() {
    if (filesPanel.hidden) return;
    for (const url of fileUrls) URL.revokeObjectURL(url);
    fileUrls = [];
    filesList.textContent = '';
    const files = vr && vr.files ? vr.files() : [];
    if (!files.length) {
      const item = document.createElement('li');
      item.textContent = vr ? 'No files yet.' : 'The game is still loading.';
      filesList.appendChild(item);
      return;
    }
    for (const file of files) {
      const url = URL.createObjectURL(new Blob([file.bytes], { type: 'text/plain' }));
      fileUrls.push(url);
      const item = document.createElement('li');
      const link = document.createElement('a');
      link.href = url;
      link.download = file.name;
      link.textContent = file.name;
      item.appendChild(link);
      item.appendChild(document.createTextNode(' (' + file.bytes.length + ' bytes)'));
      if (framed) offerText(item, file);
      filesList.appendChild(item);
    }
  }

  function sendLine(line) {
    echo(line);
    if (vr) vr.sendLine(line);
    else earlyLines.push(line);
  }

  function gesture() {
    if (gestured) return;
    gestured = true;
    if (vr && vr.userGesture) vr.userGesture();
  }

  function setSound(on) {
    soundButton.setAttribute('aria-pressed', on ? 'true' : 'false');
    try {
      localStorage.setItem('vaultreach-sound', on ? 'on' : 'off');
    } catch (unavailable) {
      // the choice then lasts for this visit only
    }
    if (vr && vr.setSound) vr.setSound(on);
  }

  function soundWanted() {
    try {
      return localStorage.getItem('vaultreach-sound') !== 'off';
    } catch (unavailable) {
      return true;
    }
  }

  function quit() {
    if (vr && running) vr.quit();
  }

  function ready() {
    if (!window.Module.vr) {
      if (window.Module.vrReady) window.Module.vrReady.then(ready);
      return;
    }
    if (vr) return;
    vr = window.Module.vr;
    if (vr.setSound) vr.setSound(soundWanted());
    if (gestured && vr.userGesture) vr.userGesture();
    for (const line of earlyLines.splice(0)) vr.sendLine(line);
    refreshFiles();
    if (takenOver) quit();
  }

  form.addEventListener('submit', (event) => {
    event.preventDefault();
    if (!running) {
      window.location.reload();
      return;
    }
    const line = input.value;
    input.value = '';
    following = true;
    // Focused before the game answers, so that a prompt of choices after a typed name can take
    // a finger's keyboard down.
    input.focus();
    sendLine(line);
  });

  choices.addEventListener('click', (event) => {
    const button = event.target instanceof Element ? event.target.closest('button') : null;
    if (!button || choices.dataset.live !== 'yes') return;
    following = true;
    sendLine(button.dataset.answer);
    // A finger's press leaves the on-screen keyboard down (only the name needs it); a mouse's
    // click or a key on the button gives the input line the keys back, as after a typed answer.
    if (!touching || event.detail === 0) input.focus();
  });

  document.addEventListener('keydown', gesture, true);
  // With the focus nowhere after a finger's press, a key typed (on a tablet's keyboard) still
  // reaches the input line.
  document.addEventListener('keydown', (event) => {
    if (touching && running && document.activeElement === document.body && event.key.length === 1 &&
        !event.ctrlKey && !event.altKey && !event.metaKey && !input.disabled) input.focus();
  });
  document.addEventListener('pointerdown', gesture, true);
  document.addEventListener('pointerdown', (event) => {
    touching = event.pointerType === 'touch' || event.pointerType === 'pen';
  }, true);

  document.addEventListener('keydown', (event) => {
    if (!event.ctrlKey || event.altKey || event.metaKey || !running) return;
    const key = event.key.toLowerCase();
    if (key === 'c') {
      // Ctrl-C copies when something is selected, and otherwise interrupts, as in a terminal.
      const selected = String(window.getSelection()) !== '' ||
        (document.activeElement === input && input.selectionStart !== input.selectionEnd);
      if (selected) return;
      event.preventDefault();
      quit();
    } else if (key === 'd' && document.activeElement === input) {
      event.preventDefault();
      commitPartial();
      if (vr) vr.endInput();
    }
  });

  soundButton.addEventListener('click', () => {
    setSound(soundButton.getAttribute('aria-pressed') !== 'true');
  });
  soundButton.setAttribute('aria-pressed', soundWanted() ? 'true' : 'false');

  quitButton.addEventListener('click', () => {
    quit();
    input.focus();
  });

  filesToggle.addEventListener('click', () => {
    const open = filesPanel.hidden;
    filesPanel.hidden = !open;
    filesToggle.setAttribute('aria-expanded', open ? 'true' : 'false');
    refreshFiles();
  });

  // Leaving the page ends the game as a hang-up does: it saves. A page brought back from the
  // back-forward cache starts a new game.
  window.addEventListener('pagehide', quit);
  window.addEventListener('pageshow', (event) => {
    if (event.persisted && !running) window.location.reload();
  });

  window.addEventListener('error', () => {
    if (running && !vr) say('The game could not start in this browser.');
  });

  // Inside another site's page (a game host's frame) or on its own.
  const framed = window.top !== window.self;
  document.getElementById('files-framed').hidden = !framed;

  // A click or a tap anywhere on the page gives the input line the keys: a click on the story
  // to read it must not leave the keys with the story, and inside a frame, where autofocus does
  // not reach, that click is the way in. A click that selected text (to copy it) or was meant
  // for another control keeps its own effect.
  function focusOnClick(event) {
    const target = event.target instanceof Element ? event.target : null;
    if (target && target.closest('a, button, input, label, select, textarea, summary, ' +
        '[contenteditable], #files, #elsewhere')) return;
    if (String(window.getSelection()) !== '') return;
    // A finger on the story brings up no keyboard while the choices answer.
    if (touching && offered.length && running) return;
    const keys = input.disabled ? send : input;
    if (!keys.disabled && document.activeElement !== keys) keys.focus({ preventScroll: true });
  }
  document.addEventListener('click', focusOnClick);

  // The input line has the keys from the start on the game's own page. In a frame it waits for
  // the frame to have them, so that the host page's keys stay the host's.
  function focusAtStart() {
    if (!framed || document.hasFocus()) input.focus();
  }

  // A host's frame may refuse downloads (a sandbox without allow-downloads drops them and tells
  // the page nothing), so there each file can also be shown as text, to copy.
  function offerText(item, file) {
    const show = document.createElement('button');
    show.type = 'button';
    show.textContent = 'Show';
    show.setAttribute('aria-label', 'Show ' + file.name);
    show.setAttribute('aria-expanded', 'false');
    const text = document.createElement('pre');
    text.hidden = true;
    text.textContent = new TextDecoder().decode(file.bytes);
    show.addEventListener('click', () => {
      text.hidden = !text.hidden;
      show.setAttribute('aria-expanded', text.hidden ? 'false' : 'true');
    });
    item.append(show, text);
  }

  // One game at a time in a browser profile: the module (loaded and compiled meanwhile) starts
  // only in the tab that holds the game's Web Lock (Module.vrMayStart), so only one game reads
  // and writes the saved folder. Another tab says so and
  // offers to play there instead: it asks the playing tab (over a BroadcastChannel) to end its
  // game as a hang-up does, and gets the lock once that tab has saved and written its files.
  // Where there are no Web Locks (an old browser, a page that is not a secure context, a frame
  // that forbids them) the game simply plays.
  const kGameLock = 'vaultreach-game';
  const kLockGraceMs = 1000;
  const elsewhere = document.getElementById('elsewhere');
  const playHere = document.getElementById('play-here');
  let startGame = null; // lets the module start, once this tab may play
  let releaseLock = null; // set while this tab holds the lock
  let takenOver = false;
  let tabs = null;

  // Runs the game while the lock is held; the lock goes when the game has ended.
  function holdLock() {
    startGame();
    return new Promise((resolve) => {
      releaseLock = resolve;
    });
  }

  function letGameGo(code) {
    if (takenOver && code === 0) say('Your character is saved; the game goes on in another tab.');
    if (releaseLock) releaseLock();
    releaseLock = null;
  }

  function requestLock(options, granted) {
    try {
      return navigator.locks.request(kGameLock, options, granted);
    } catch (refused) {
      return Promise.reject(refused);
    }
  }

  function showElsewhere() {
    say('');
    elsewhere.hidden = false;
    input.disabled = true;
    send.disabled = true;
    if (!framed || document.hasFocus()) playHere.focus();
  }

  // The lock is this tab's now: the game starts here.
  function playHereNow() {
    if (!elsewhere.hidden) {
      elsewhere.hidden = true;
      input.disabled = false;
      send.disabled = false;
      input.focus();
    }
    return holdLock();
  }

  function playHereInstead() {
    playHere.disabled = true;
    say('Waiting for the other tab to save your character\u2026');
    requestLock({}, playHereNow).catch(startGame);
    if (tabs) tabs.postMessage('take-over');
  }

  // A page just reloaded or left in this tab may hold the lock a moment longer while it goes
  // away: only a lock still held after a grace is another tab's game.
  function waitForLock() {
    const giveUp = new AbortController();
    const timer = setTimeout(() => {
      if (releaseLock) return;
      giveUp.abort();
      showElsewhere();
    }, kLockGraceMs);
    requestLock({ signal: giveUp.signal }, () => {
      clearTimeout(timer);
      return playHereNow();
    }).catch(() => {
      // given up: the notice is up, and its button asks again
    });
  }

  function claimGame() {
    window.Module.vrMayStart = new Promise((resolve) => {
      startGame = () => resolve();
    });
    try {
      tabs = new BroadcastChannel('vaultreach-tabs');
      tabs.addEventListener('message', (event) => {
        if (event.data !== 'take-over' || !releaseLock) return;
        takenOver = true;
        quit();
      });
    } catch (unavailable) {
      tabs = null; // then no tab can ask this one to stop: it plays until it ends
    }
    playHere.addEventListener('click', playHereInstead);
    if (!navigator.locks) {
      startGame();
      return;
    }
    requestLock({ ifAvailable: true }, (lock) => {
      if (lock) return holdLock();
      waitForLock();
      return null;
    }).catch(startGame);
  }

  const previousInitialized = window.Module && window.Module.onRuntimeInitialized;
  window.Module = Object.assign(window.Module || {}, {
    host: {
      write,
      setColour(attribute) {
        colour = Number(attribute) || 7;
      },
      setTitle(text) {
        document.title = text;
      },
      moveWindow: shake,
      waiting(isWaiting) {
        if (isWaiting) {
          commitPartial();
          registerWorker(0);
          // After the name a finger answers with presses: the keyboard the name brought up goes
          // down. A player who then taps the input line to type keeps it.
          if (offered.length && afterTyping && touching && document.activeElement === input) input.blur();
        }
        choicesLive(isWaiting && offered.length > 0);
        form.dataset.waiting = isWaiting ? 'yes' : 'no';
      },
      prompt: offer,
      figureBegin,
      figureEnd,
      exited: ended,
      filesChanged: refreshFiles,
      audioStatus(text) {
        if (text) showSound(text);
      },
    },
    onRuntimeInitialized() {
      if (previousInitialized) previousInitialized();
      ready();
    },
  });

  // The worker that keeps the game for offline play starts once the title is on screen (the
  // game's first wait, or two seconds after its first text), so its downloads never hold up
  // the title.
  let workerDue = false;
  function registerWorker(delay) {
    if (workerDue || !('serviceWorker' in navigator) || !window.isSecureContext) return;
    workerDue = true;
    setTimeout(() => {
      // Without a worker the game still plays; it just needs the network next time. A frame
      // may forbid workers outright, and then even asking throws.
      try {
        navigator.serviceWorker.register('sw.js').catch(() => {});
      } catch (forbidden) {
        // as above
      }
    }, delay);
  }

  focusAtStart();
  claimGame();
})();
