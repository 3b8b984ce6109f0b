// The game's module in the page (given to emcc with --pre-js): the saved folder, the calls the
// page makes (Module.vr), and the end of the game.
//
// The saved folder, /vaultreach, is the game's working directory and lives in the page's
// IndexedDB (IDBFS); it is read before main runs. The data files come in vaultreach.data,
// preloaded into memory at /vaultreach-data, and are copied into the saved folder at every
// start: the game finds them where it writes, a new release's data replace an old one's, and
// nothing in the folder is a link (links come back from IndexedDB as empty files). The page
// offers only the player's own files (Module.vr.files()).
//
// The page may hold the game back (Module.vrMayStart, a promise: while another tab plays):
// the module loads and compiles meanwhile, but the saved folder is not read, nor anything
// written, before that promise is fulfilled.

Module['doNotCaptureKeyboard'] = true;

Module['vr'] = {
  sendLine: function(text) { VR.sendLine(text); },
  endInput: function() { VR.endInput(); },
  quit: function() { VR.requestQuit(); },
  userGesture: function() { VR.userGesture(); },
  setSound: function(on) { VR.setSound(on); },
  files: function() { return VR.files(); },
  pictures: function() { return VR.pictures(); },
};

Module['vrReady'] = new Promise(function(resolve) {
  Module['preRun'] = [].concat(Module['preRun'] || []);
  Module['preRun'].push(function() {
    addRunDependency('vaultreach-saved-folder');
    Promise.resolve(Module['vrMayStart']).then(function() {
      FS.mkdir(VR.savedFolder);
      FS.mount(IDBFS, {}, VR.savedFolder);
      FS.syncfs(true, function(error) {
        if (error) {
          err('The saved folder could not be read from IndexedDB (' + error + '): this visit plays without it.');
        }
        removeRunDependency('vaultreach-saved-folder');
      });
    });
    addOnPreMain(function() {
      var data = VR.dataFolder;
      FS.readdir(data).forEach(function(name) {
        if (name !== '.' && name !== '..') {
          FS.writeFile(VR.savedFolder + '/' + name, FS.readFile(data + '/' + name));
        }
      });
      if (VR.restoreCopy()) {
        VR.sync(function() {});
      }
      FS.chdir(VR.savedFolder);
      resolve(Module['vr']);
    });
  });
});

// main ends with exit(): the logs are closed by then; the player's files are written to
// IndexedDB before the page hears that the game is over.
(function() {
  var pageOnExit = Module['onExit'];
  Module['onExit'] = function(status) {
    VR.endOutput();
    VR.sync(function(error) {
      if (error) err('The saved folder could not be written to IndexedDB: ' + error);
      VR.tell('exited', status);
      if (pageOnExit) pageOnExit(status);
    });
  };
})();
