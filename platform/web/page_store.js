// The web edition's save folder in the browser's storage (IndexedDB): read
// into the module's /save before the game starts, and written back whenever
// the game makes a file durable (its fsync, as the map's save does), with the
// answer going back to the game, so that a save the browser refused (no
// storage in this window, the storage full) is a failed save in the game's
// own box. The page says in one line when storage fails.
"use strict";

(function (M) {
  const page = M.page;
  const Folder = "/save";
  // Where earlier versions of the page kept the folder, in the same form, so
  // that the map saved by them is read by this one: the database "/save"
  // (version 21), opened by index.html as the page starts.
  const StoreName = "FILE_DATA";
  // A read or write the browser neither finished nor refused by then has
  // failed (the game would wait for it).
  const ReadTimeoutMs = 8000, WriteTimeoutMs = 10000;
  const line = document.getElementById("storage");
  page.storage = { state: "reading", note: "", writes: 0, failedWrites: 0 };

  function tell(text) {
    page.storage.note = text;
    line.textContent = text;
    line.hidden = !text;
  }

  // Every stored file of the folder: [path, {timestamp, mode, contents}].
  function readFiles(database) {
    return new Promise((resolve, reject) => {
      const files = [];
      const transaction = database.transaction(StoreName, "readonly");
      const cursor = transaction.objectStore(StoreName).openCursor();
      cursor.onsuccess = () => {
        const at = cursor.result;
        if (!at) return;
        const path = String(at.key), entry = at.value;
        // Files right in the folder; nothing else is the game's.
        if (path.startsWith(Folder + "/") && !path.slice(Folder.length + 1).includes("/") &&
            entry && entry.contents instanceof Uint8Array)
          files.push([path, entry]);
        at.continue();
      };
      transaction.oncomplete = () => resolve(files);
      transaction.onabort = () => reject(transaction.error || new Error("aborted"));
    });
  }

  function reason(error) {
    return error && error.name === "QuotaExceededError" ? "full" : "refused";
  }

  function unavailable(error) {
    page.storage.state = "unavailable";
    page.storage.error = String(error && (error.name || error.message || error));
    tell("This browser keeps no storage for this page (IndexedDB is unavailable): " +
         "the game plays, but a map cannot be saved here.");
  }

  // Read at once, so that the reading overlaps the module's download.
  let database = null;
  let stored = [];
  const read = (async () => {
    let timer = 0;
    const late = new Promise((resolve, reject) => {
      timer = setTimeout(() => reject(new Error("no answer")), ReadTimeoutMs);
    });
    try {
      const opened = await Promise.race([MorvaskEarly.database, late]);
      stored = await Promise.race([readFiles(opened), late]);
      database = opened;
      page.storage.state = "ready";
    } catch (error) {
      unavailable(error);
    }
    clearTimeout(timer);
  })();

  // Before the game starts: the stored files in the module's folder.
  M.fillSaveFolder = async () => {
    await read;
    FS.mkdir(Folder);
    for (const [path, entry] of stored) {
      FS.writeFile(path, entry.contents);
      FS.chmod(path, entry.mode);
      const time = entry.timestamp instanceof Date ? entry.timestamp.getTime() : Date.now();
      FS.utime(path, time, time);
    }
    stored = [];
  };

  // The folder as it is now, stored whole in one transaction (so the store
  // holds the old files or the new ones): true once the browser has it.
  // Without the stored files read first nothing is written, which could
  // lose them.
  function storeFolder() {
    return new Promise((resolve) => {
      let settled = false;
      const settle = (ok, error) => {
        if (settled) return;
        settled = true;
        clearTimeout(timer);
        page.storage.writes += 1;
        if (ok) {
          if (page.storage.state === "full") {
            page.storage.state = "ready";
            tell("");
          }
        } else {
          page.storage.failedWrites += 1;
          page.storage.error = String(error && (error.name || error.message || error));
          if (reason(error) === "full") {
            page.storage.state = "full";
            tell("The browser's storage for this page is full: the map was not saved.");
          }
        }
        resolve(ok);
      };
      const timer = setTimeout(() => settle(false, new Error("no answer")), WriteTimeoutMs);
      // For the tests: the browser refusing this write and every later one.
      if (page.storage.refuseFrom && page.storage.writes + 1 >= page.storage.refuseFrom) {
        settle(false, new Error("refused"));
        return;
      }
      if (!database) {
        settle(false, new Error(`no storage (${page.storage.error})`));
        return;
      }
      try {
        const transaction = database.transaction(StoreName, "readwrite");
        const store = transaction.objectStore(StoreName);
        const kept = new Set();
        for (const name of FS.readdir(Folder)) {
          const path = `${Folder}/${name}`;
          const status = FS.stat(path);
          if (!FS.isFile(status.mode)) continue;
          kept.add(path);
          store.put({ timestamp: status.mtime, mode: status.mode, contents: FS.readFile(path) },
                    path);
        }
        const keys = store.getAllKeys();
        keys.onsuccess = () => {
          for (const key of keys.result)
            if (typeof key === "string" && key.startsWith(Folder + "/") && !kept.has(key))
              store.delete(key);
        };
        transaction.oncomplete = () => settle(true);
        transaction.onabort = () => settle(false, transaction.error);
      } catch (error) {
        settle(false, error);
      }
    });
  }

  // The module's fsync (web_files.js): a file of the save folder made
  // durable is the folder stored. One write at a time, in order.
  let queue = Promise.resolve();
  M.persistFiles = (path) => {
    if (!String(path).startsWith(Folder)) return Promise.resolve(true);
    queue = queue.then(storeFolder);
    return queue;
  };
})(window.Morvask);
