// The browser platform's JavaScript: what the game's C++ asks of the page (platform/web/
// PageBridge.h), and the state the page's calls on Module.vr leave for it.
//
// Rules kept here:
// - The game reads time only through performance.now() and Date.now(), and waits only through
//   setTimeout, so a page (or a check) that replaces them controls the game's clock.
// - A line the player sent waits in a queue until the game reads it; typing during a pause is
//   kept for the next prompt, as a terminal keeps it.
// - A quit request (the page's Quit button, Ctrl-C, the tab being hidden or closed) ends the
//   read or the sleep the game is in at once and closes input for good: the game then saves
//   and says farewell as after 'q'. End of input (Ctrl-D) closes input once the sent lines are
//   read.
// - A waiting call is woken from an event of the page, never from inside the game's own code;
//   a wake that comes from inside (the page acting on a host call) is put off to a microtask.
// - The player's files are synced to IndexedDB after each save and at exit. A synchronous copy
//   of them is kept in localStorage until the sync has finished, so a tab closed while the sync
//   runs loses nothing: the next start puts that copy back.

var LibraryVaultreach = {
  $VR__deps: ['$FS', '$IDBFS'],
  $VR: {
    lines: [],
    pendingBytes: null,
    ended: false,
    quit: false,
    reader: null,
    sleeper: null,
    inGame: 0,
    decoder: null,
    savedFolder: '/vaultreach',
    dataFolder: '/vaultreach-data',
    copyKey: 'vaultreach-unsynced-files',
    playerFiles: ['Player.txt', 'log.txt', 'AudioLog.txt', 'WeaponsLog.txt'],
    sounds: [],
    soundsFetched: false,
    soundOn: true,

    host: function(name) {
      var host = typeof Module != 'undefined' && Module['host'];
      return host && typeof host[name] == 'function' ? host[name].bind(host) : null;
    },

    // Calls the page's host; a wake the page causes meanwhile is put off until we are back.
    tell: function(name) {
      var call = VR.host(name);
      if (!call) return;
      var args = Array.prototype.slice.call(arguments, 1);
      VR.inGame++;
      try {
        call.apply(null, args);
      } catch (e) {
        err('Module.host.' + name + ' failed: ' + e);
      } finally {
        VR.inGame--;
      }
    },

    // Resumes a suspended wait. The exit the game then reaches ends in an ExitStatus thrown
    // through here, which is its normal way out.
    wake: function(resume, value) {
      if (!resume) return;
      var run = function() {
        try {
          resume(value);
        } catch (e) {
          if (!(e instanceof ExitStatus) && e !== 'unwind') throw e;
        }
      };
      if (VR.inGame > 0) {
        Promise.resolve().then(run);
      } else {
        run();
      }
    },

    wakeReader: function() {
      var reader = VR.reader;
      VR.reader = null;
      VR.wake(reader);
    },

    wakeSleeper: function() {
      var sleeper = VR.sleeper;
      VR.sleeper = null;
      if (sleeper) {
        clearTimeout(sleeper.timer);
        VR.wake(sleeper.resume);
      }
    },

    sendLine: function(text) {
      VR.lines.push(String(text));
      VR.wakeReader();
    },

    endInput: function() {
      VR.ended = true;
      VR.wakeReader();
    },

    requestQuit: function() {
      VR.quit = true;
      VR.wakeReader();
      VR.wakeSleeper();
    },

    // The next bytes of input, at most capacity of them; null when there are none yet.
    takeInput: function(capacity) {
      if (!VR.pendingBytes) {
        if (!VR.lines.length) return null;
        VR.pendingBytes = new TextEncoder().encode(VR.lines.shift() + '\n');
      }
      var bytes = VR.pendingBytes.subarray(0, capacity);
      VR.pendingBytes = bytes.length < VR.pendingBytes.length ? VR.pendingBytes.subarray(bytes.length) : null;
      return bytes;
    },

    write: function(bytes) {
      if (!VR.decoder) VR.decoder = new TextDecoder('utf-8');
      VR.emit(VR.decoder.decode(bytes, {stream: true}));
    },

    // The end of the output: a character cut short is shown as U+FFFD.
    endOutput: function() {
      if (VR.decoder) VR.emit(VR.decoder.decode());
      VR.decoder = null;
    },

    emit: function(text) {
      if (!text) return;
      if (VR.host('write')) {
        VR.tell('write', text);
      } else if (typeof process == 'object' && process.stdout) {
        process.stdout.write(text);
      } else {
        out(text);
      }
    },

    // Once the game first waits (the title is on screen), the sounds are fetched; each is
    // decoded once the AudioContext exists (after the first gesture).
    idle: function() {
      if (VR.soundsFetched || typeof fetch != 'function') return;
      VR.soundsFetched = true;
      setTimeout(function() {
        VR.sounds.forEach(VR.fetchSound);
      }, 0);
    },

    fetchSound: function(sound) {
      sound.bytes = fetch(locateFile(sound.path)).then(function(response) {
        if (!response.ok) throw new Error('HTTP ' + response.status);
        return response.arrayBuffer();
      });
      sound.bytes.catch(function(e) {
        VR.audioLog('Error: ' + sound.path + ' could not be fetched: ' + (e && e.message || e));
      });
      VR.decodeSounds();
    },

    decodeSounds: function() {
      if (!SDL.audioContext) return;
      VR.sounds.forEach(function(sound) {
        if (!sound.bytes || sound.decoding) return;
        sound.decoding = sound.bytes.then(function(bytes) {
          return new Promise(function(resolve, reject) {
            SDL.audioContext.decodeAudioData(bytes, resolve, function(e) {
              reject(e || new Error('the browser cannot decode it'));
            });
          }).then(function(decoded) {
            var webAudio = sound.info.webAudio;
            var waiting = webAudio.onDecodeComplete || [];
            webAudio.decodedBuffer = decoded;
            webAudio.onDecodeComplete = undefined;
            waiting.forEach(function(play) { play(); });
            // Music the game started before there was a context to play it on.
            var music = SDL.music.audio;
            if (music && music.resource === sound.info && !music.paused && !music.webAudioNode) {
              SDL.playWebAudio(music);
            }
          }, function(e) {
            VR.audioLog('Error: ' + sound.path + ' could not be decoded: ' + (e && e.message || e));
          });
        }, function() {});
      });
    },

    // A line in AudioLog.txt (the audio manager wrote its own lines there at start, and
    // writes nothing after), and the page is told.
    audioLog: function(line) {
      try {
        var path = VR.savedFolder + '/AudioLog.txt';
        var old = '';
        try { old = FS.readFile(path, {encoding: 'utf8'}); } catch (e) {}
        FS.writeFile(path, old + line + '\n');
      } catch (e) {}
      VR.tell('audioStatus', line);
    },

    // The first key or click: the browser lets sound start now, so the AudioContext is made.
    userGesture: function() {
      VR.idle();
      if (!VR.soundOn || VR.gestured || typeof SDL != 'object') return;
      VR.gestured = true;
      try {
        SDL.openAudioContext();
      } catch (e) {
        VR.audioLog('Error: the browser refused an AudioContext: ' + (e && e.message || e));
        return;
      }
      var context = SDL.audioContext;
      if (!context) return;
      VR.decodeSounds();
      var check = function(problem) {
        if (context.state !== 'running') {
          VR.audioLog('Error: the browser\'s AudioContext is ' + context.state +
                      (problem ? ' (' + problem + ')' : '') + '; the game goes on silent.');
        } else {
          VR.tell('audioStatus', 'Sound on.');
        }
      };
      context.resume().then(function() { check(); }, function(e) { check(e && e.message || String(e)); });
    },

    setSound: function(on) {
      VR.soundOn = !!on;
      var context = typeof SDL == 'object' && SDL.audioContext;
      if (VR.soundOn) {
        if (context) {
          context.resume();
        } else if (VR.gestured) {
          // Sound was off at the first gesture: this click is a gesture too.
          VR.gestured = false;
          VR.userGesture();
        }
      } else if (context) {
        context.suspend();
      }
    },

    // The player's own files that exist, for the page to offer.
    files: function() {
      var found = [];
      VR.playerFiles.forEach(function(name) {
        try {
          found.push({name: name, bytes: FS.readFile(VR.savedFolder + '/' + name)});
        } catch (e) {}
      });
      return found;
    },

    // The player's files, held in localStorage while a sync to IndexedDB runs.
    keepCopy: function() {
      try {
        var copy = {};
        VR.files().forEach(function(file) {
          var text = '';
          for (var i = 0; i < file.bytes.length; i++) text += String.fromCharCode(file.bytes[i]);
          copy[file.name] = text;
        });
        localStorage.setItem(VR.copyKey, JSON.stringify(copy));
        return true;
      } catch (e) {
        return false;
      }
    },

    dropCopy: function() {
      try { localStorage.removeItem(VR.copyKey); } catch (e) {}
    },

    // At start, after IndexedDB was read: a copy left by a sync that never finished is the
    // newest state of the player's files.
    restoreCopy: function() {
      var copy = null;
      try { copy = JSON.parse(localStorage.getItem(VR.copyKey) || 'null'); } catch (e) {}
      if (!copy) return false;
      Object.keys(copy).forEach(function(name) {
        if (VR.playerFiles.indexOf(name) < 0) return;
        var text = copy[name];
        var bytes = new Uint8Array(text.length);
        for (var i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i) & 0xff;
        FS.writeFile(VR.savedFolder + '/' + name, bytes);
      });
      return true;
    },

    // Writes the saved folder to IndexedDB; done(error) once the database has it.
    // The copy is for a sync that never finishes (the tab closed meanwhile). A sync that the
    // database refused is a failed save, reported as such: the next visit finds the previous
    // save, as the message says, so the copy goes then too.
    // IDBFS reports a write the database refuses, but not a transaction that aborts after it
    // took every write (the browser finds the storage short when it commits): its callback never
    // comes, and the game would wait at its save for ever. The abort reaches the database's
    // connection too, so it is heard there.
    sync: function(done) {
      VR.keepCopy();
      var database = null;
      var finished = false;
      var finish = function(error) {
        if (finished) return;
        finished = true;
        if (database) database.removeEventListener('abort', aborted);
        VR.dropCopy();
        VR.tell('filesChanged');
        done(error || null);
      };
      var aborted = function(event) {
        finish(event.target.error || 'the database aborted the write');
      };
      IDBFS.getDB(VR.savedFolder, function(error, opened) {
        if (opened) {
          database = opened;
          database.addEventListener('abort', aborted);
        }
        FS.syncfs(false, finish);
      });
    },
  },

  vr_read_line: function(buffer, capacity) {
    return Asyncify.handleSleep(function(wakeUp) {
      var deliver = function() {
        var bytes = VR.quit ? null : VR.takeInput(capacity);
        if (!bytes) return 0;
        HEAPU8.set(bytes, buffer);
        return bytes.length;
      };
      if (VR.quit || VR.ended || VR.lines.length || VR.pendingBytes) {
        wakeUp(deliver());
        return;
      }
      VR.idle();
      VR.tell('waiting', true);
      VR.reader = function() {
        VR.tell('waiting', false);
        wakeUp(deliver());
      };
    });
  },

  vr_write: function(bytes, count) {
    VR.write(HEAPU8.slice(bytes, bytes + count));
  },

  vr_sleep: function(milliseconds) {
    return Asyncify.handleSleep(function(wakeUp) {
      if (VR.quit) {
        wakeUp(0);
        return;
      }
      VR.idle();
      var sleeper = {resume: wakeUp};
      sleeper.timer = setTimeout(function() {
        if (VR.sleeper === sleeper) VR.sleeper = null;
        VR.wake(wakeUp, 0);
      }, milliseconds);
      VR.sleeper = sleeper;
    });
  },

  vr_quit_requested: function() {
    return VR.quit ? 1 : 0;
  },

  vr_request_quit: function() {
    VR.quit = true;
  },

  vr_clear_quit: function() {
    VR.quit = false;
  },

  vr_set_colour: function(attribute) {
    VR.tell('setColour', attribute);
  },

  vr_set_title: function(title) {
    VR.tell('setTitle', UTF8ToString(title));
  },

  vr_move_window: function(dx, dy) {
    VR.tell('moveWindow', dx, dy);
  },

  // A prompt's kind and its choices, "label\tanswer\n" each, for the page's buttons.
  vr_prompt: function(kind, choices) {
    var list = UTF8ToString(choices).split('\n').filter(function(line) { return line !== ''; })
      .map(function(line) {
        var tab = line.indexOf('\t');
        return {label: line.slice(0, tab), answer: line.slice(tab + 1)};
      });
    VR.tell('prompt', UTF8ToString(kind), list);
  },

  vr_figure_begin: function(kind, text) {
    VR.tell('figureBegin', UTF8ToString(kind), UTF8ToString(text));
  },

  vr_figure_end: function() {
    VR.tell('figureEnd');
  },

  vr_sync_folder: function(folder) {
    var node = null;
    try { node = FS.lookupPath(UTF8ToString(folder), {follow: true}).node; } catch (e) {}
    if (!node || !node.mount || !node.mount.type.syncfs) {
      // Written straight to a disk (node's own file system, the tests) or kept in memory only:
      // nothing to wait for.
      return node ? 1 : 0;
    }
    return Asyncify.handleSleep(function(wakeUp) {
      VR.sync(function(error) {
        if (error) err('The saved folder could not be written to IndexedDB: ' + error);
        VR.wake(wakeUp, error ? 0 : 1);
      });
    });
  },

  vr_audio_usable: function(error, capacity) {
    if (typeof AudioContext == 'undefined' && typeof webkitAudioContext == 'undefined') {
      stringToUTF8('the browser gives this page no AudioContext', error, capacity);
      return 0;
    }
    return 1;
  },

  vr_audio_deferred__deps: ['$SDL'],
  vr_audio_deferred: function(path) {
    // An SDL_mixer audio whose decoding has not finished: music started on it waits for it.
    var info = {source: UTF8ToString(path), webAudio: {onDecodeComplete: []}};
    var id = SDL.audios.length;
    SDL.audios.push(info);
    VR.sounds.push({path: info.source, info: info});
    return id;
  },

  // emscripten's fsync under Asyncify writes the whole folder to IndexedDB and reports a
  // failure as success. The save syncs the folder itself after its rename (vr_sync_folder),
  // so a file's own fsync has nothing to do here.
  fd_sync: function(fd) {
    return 0;
  },
};

// Every function here uses VR.
autoAddDeps(LibraryVaultreach, '$VR');
mergeInto(LibraryManager.library, LibraryVaultreach);
