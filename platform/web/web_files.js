// The web edition's fsync (an Emscripten library): a file of the save folder
// made durable is the folder stored in the browser (page_store.js), and the
// program waits for the answer (Asyncify), so a save the browser refused
// fails as a full disk does on the desktop, instead of being reported done.
mergeInto(LibraryManager.library, {
  fd_sync__sig: "ii",
  fd_sync: function (fd) {
    return Asyncify.handleSleep(function (wakeUp) {
      var stream = FS.getStream(fd);
      if (!stream) {
        wakeUp(8); // EBADF
        return;
      }
      Module.morvask.persistFiles(stream.path).then(function (stored) {
        wakeUp(stored ? 0 : 29); // EIO
      });
    });
  },
});
