// A stand-in for the game's module, following the page's contract, so the page and its checks
// can be worked on without an emscripten build. Served as vaultreach.js by make-fake-site.sh.
'use strict';
(function () {
  const host = Module.host;
  const queue = [];
  let waiter = null;
  let closed = false;
  let sound = true;
  const files = new Map();
  const enc = new TextEncoder();
  const skeleton = '\n   .-.\n  (o.o)\n   |=|\n  __|__\n //.=|=.\\\\\n// .=|=. \\\\\n\\\\ .=|=. //\n \\\\(_=_)//\n  (:| |:)\n   || ||\n   () ()\n   || ||\n  ==\' \'==\n';
  function sleep(ms) { return new Promise((r) => setTimeout(r, ms)); }
  function line() {
    if (queue.length) return Promise.resolve(queue.shift());
    if (closed) return Promise.resolve(null);
    host.waiting(true);
    return new Promise((r) => { waiter = (v) => { host.waiting(false); r(v); }; });
  }
  function put(c, t) { host.setColour(c); host.write(t); }
  function save(name) {
    files.set('Player.txt', enc.encode('100\n10\n' + name + '\n'));
    files.set('log.txt', enc.encode('Vaultreach\nSaving Player Data.\n'));
    host.filesChanged();
  }
  async function game() {
    host.setTitle('Vaultreach');
    put(7, 'Vaultreach v1.2\n\n');
    put(128, '  ______________  \n |  VAULTREACH  | \n |______________| \n');
    put(7, '\nVaultreach awaits.\n');
    put(15, '\nWhat is your name? ');
    let name = await line();
    if (name === null) name = '';
    put(7, '\nWelcome ' + name + '.\n');
    for (;;) {
      put(10, '\nWhich way do you want to go?\n');
      put(14, '(N)orth\n(M)ap\n(F)ight\n(Q)uit\n?:');
      put(7, '');
      const answer = await line();
      if (answer === null || answer === 'q') break;
      if (answer === 'm') put(7, 'Map of Tovashal Dungeon.\n X        \n          \n');
      else if (answer === 'f') {
        put(7, 'A Skeleton attacks!\n' + skeleton);
        for (let i = 0; i < 4; ++i) { host.moveWindow(i % 2 ? -15 : 15, i % 2 ? -15 : 15); await sleep(40); }
        host.moveWindow(0, 0);
        put(12, name + ': 90\tSkeleton: 20\n');
        put(7, '');
      } else put(7, 'You walk ' + answer + '.\n');
      await sleep(200);
    }
    save(name);
    put(15, '\nThanks for playing.\nPress Enter to exit.');
    put(7, '');
    await line();
    host.exited(0);
  }
  Module.vr = {
    sendLine(t) { if (waiter) { const w = waiter; waiter = null; w(t); } else queue.push(t); },
    endInput() { closed = true; if (waiter) { const w = waiter; waiter = null; w(null); } },
    quit() { closed = true; queue.length = 0; if (waiter) { const w = waiter; waiter = null; w(null); } },
    userGesture() {}, setSound(on) { sound = on; },
    files() { return [...files].map(([name, bytes]) => ({ name, bytes })); },
    pictures() { return [{ name: 'Skeleton.txt', text: skeleton }]; },
  };
  Promise.resolve(Module.vrMayStart).then(() => setTimeout(() => {
    if (Module.onRuntimeInitialized) Module.onRuntimeInitialized();
    game();
  }, 0));
})();
