// The web edition's start: the map buttons (the stored map.txt downloaded and
// uploaded), the game's module started with the page as its window
// (Module.morvask) once the save folder is read from the browser's storage
// (page_store.js), and the service worker that keeps every file for playing
// offline.
"use strict";

(function (M) {
  const page = M.page;
  const MapValueCount = 5775;

  // ---- The map file -------------------------------------------------------

  // The map reader's rules: numbers and separators strictly alternate
  // (white space between them), each number an optional sign and digits
  // that fit 32 bits; a map is a file that gives all 5775 numbers.
  function checkMap(text) {
    const isSpace = (c) => c === " " || c === "\t" || c === "\r" || c === "\n" ||
                           c === "\v" || c === "\f";
    let at = 0;
    for (let k = 0; k < MapValueCount; ++k) {
      while (at < text.length && isSpace(text[at])) ++at;
      const start = at;
      if (text[at] === "+" || text[at] === "-") ++at;
      const digits = at;
      while (at < text.length && text[at] >= "0" && text[at] <= "9") ++at;
      if (at === digits)
        return `value ${k + 1} of ${MapValueCount} is missing or not a number`;
      const value = Number(text.slice(start, at));
      if (value > 2147483647 || value < -2147483648)
        return `value ${k + 1} does not fit 32 bits`;
      if (k + 1 === MapValueCount) break;
      while (at < text.length && isSpace(text[at])) ++at;
      if (at >= text.length) return `the file ends after ${k + 1} of ${MapValueCount} values`;
      while (at < text.length && !isSpace(text[at])) ++at;
    }
    return null;
  }
  page.checkMap = checkMap;


  document.getElementById("download").addEventListener("click", (event) => {
    event.currentTarget.blur();
    let bytes;
    try {
      bytes = FS.readFile("/save/map.txt");
    } catch (error) {
      M.say("No map saved yet: make one in the editor (F1) and save it with F3.");
      return;
    }
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([bytes], { type: "text/plain" }));
    link.download = "map.txt";
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    M.say("map.txt downloaded.");
  });

  const chooser = document.getElementById("chooser");
  document.getElementById("upload").addEventListener("click", (event) => {
    event.currentTarget.blur();
    chooser.value = "";
    chooser.click();
  });
  // An upload keeps the stored map as the game's saves do
  // (platform::ReplaceKeepingVersions): map.txt.1 the newest to map.txt.3,
  // each copied on before the newer one is written over it; the folder is
  // then stored whole, in one transaction, with the new map.
  const MapVersionsKept = 3;
  function keepMapVersions() {
    const map = "/save/map.txt";
    const exists = (path) => FS.analyzePath(path).exists;
    for (let number = MapVersionsKept - 1; number >= 1; --number)
      if (exists(`${map}.${number}`))
        FS.writeFile(`${map}.${number + 1}`, FS.readFile(`${map}.${number}`));
    if (exists(map)) FS.writeFile(`${map}.1`, FS.readFile(map));
  }
  chooser.addEventListener("change", async () => {
    const file = chooser.files[0];
    if (!file) return;
    const bytes = new Uint8Array(await file.arrayBuffer());
    const problem = bytes.length > 4 * 1024 * 1024 ? "it is larger than 4 MB"
                  : checkMap(new TextDecoder("latin1").decode(bytes));
    if (problem) {
      M.say(`${file.name} is not a map (${problem}); the stored map is kept.`);
      return;
    }
    keepMapVersions();
    FS.writeFile("/save/map.txt", bytes);
    // A run that loads it cannot be shared (page_share.js).
    if (Module._morvask_map_replaced) Module._morvask_map_replaced();
    const stored = await M.persistFiles("/save/map.txt");
    M.say(stored ? `${file.name} is now the stored map.txt: F2 plays it, F1 edits it.`
                 : `${file.name} is map.txt until the page closes (the browser did not store it): ` +
                   "F2 plays it, F1 edits it.");
  });

  // The game's own commands for a player without the function keys.
  for (const button of document.querySelectorAll("[data-command]")) {
    button.addEventListener("click", () => {
      document.body.classList.remove("menu");
      M.tapKey(Number(button.dataset.command));
    });
  }
  document.getElementById("fullscreen").addEventListener("click", (event) => {
    event.currentTarget.blur();
    M.toggleFullscreen();
  });

  // ---- Offline ------------------------------------------------------------

  // The service worker keeps every file of this version; once it is active
  // the page says so. It is registered after the first frame, so that its
  // downloads do not compete with the page's own.
  function keepOffline() {
    if (!("serviceWorker" in navigator) || !window.isSecureContext) return;
    navigator.serviceWorker.register("sw.js").then(() => navigator.serviceWorker.ready)
      .then(() => {
        page.offline = true;
        document.getElementById("offline").textContent = "Ready to play offline.";
      }, (error) => (page.offlineError = String(error)));
  }
  M.on("shown", keepOffline);
  // The loading picture and bar (index.html) stand where the field is, at
  // its size, and give way to the first frame.
  const poster = document.getElementById("poster");
  M.on("layout", (view) => {
    poster.style.width = `${view.width}px`;
    poster.style.height = `${view.height}px`;
  });
  M.on("shown", () => {
    document.getElementById("loading").hidden = true;
    poster.hidden = true;
  });

  // ---- Start --------------------------------------------------------------

  M.layout();
  const canvas = document.getElementById("field");
  // The module's own files were asked for first (index.html preloads them):
  // it starts as soon as it is compiled and the save folder is read. The
  // pictures and sounds come meanwhile; the pictures are decoded away from
  // the page's thread once the game asks for them, while the first boxes
  // wait.
  const resources = MorvaskResources.start();
  const failed = (error) => M.say(`The game could not be loaded: ${error.message}`);
  Promise.all([...MorvaskResources.pictures.map((n) => resources.pictures[n].fetched),
               ...MorvaskResources.waves.map((n) => resources.waves[n])])
    .then(() => (page.resourcesFetched = true), () => {});
  Promise.all(MorvaskResources.waves.map((n) => resources.waves[n])).then((bytes) => {
    const waves = {};
    MorvaskResources.waves.forEach((n, i) => (waves[n] = bytes[i]));
    M.setWaves(waves);
  }, failed);
  // The pictures the game asked for, written into its memory when decoded.
  const fills = [];
  let unfilled = 0;
  function fillPicture(number, pointer) {
    unfilled += 1;
    fills.push(resources.pictures[number].bitmap().then((bytes) => {
      Module.HEAPU8.set(bytes, pointer);
      unfilled -= 1;
      if (!unfilled) page.resourcesMs = performance.now();
    }, failed));
  }

  window.Module = {
    canvas,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    morvask: {
      waitFrame: M.waitFrame, waitDialogInput: M.waitDialogInput, present: M.present,
      takeOutput: M.takeOutput,
      playSound: M.playSound, setRinging: M.setRinging,
      dialogOpened: M.dialogOpened, dialogClosed: M.dialogClosed, dialogReady: M.dialogReady,
      nextDialogEvent: M.nextDialogEvent, nextEvent: M.nextEvent,
      keyDown: M.keyDown, persistFiles: M.persistFiles, noteTick: M.noteTick,
      padState: M.padState, language: M.language,
      setVolume: M.setVolume, volume: () => page.volume, setFullscreen: M.setFullscreen,
      pictureSize: (number) => (resources.pictures[number] || {}).size || null, fillPicture,
      picturesFilled: () => unfilled === 0,
      waitForPictures: () => Promise.all(fills),
      ...M.shareHooks,
      ...M.onlineHooks,
      ...M.netHooks,
    },
    // The module index.html started compiling; fetched and compiled here
    // where the browser cannot compile while downloading.
    instantiateWasm: (imports, receive) => {
      MorvaskEarly.module.catch(() => fetch("morvask.wasm", { credentials: "same-origin" })
        .then((response) => response.arrayBuffer()).then((bytes) => WebAssembly.compile(bytes)))
        .then((compiled) => WebAssembly.instantiate(compiled, imports))
        .then((instance) => receive(instance), failed);
      return {};
    },
    preRun: [() => {
      // The save folder holds what the browser stored before the game starts.
      addRunDependency("morvask-save");
      M.fillSaveFolder().then(() => removeRunDependency("morvask-save"), failed);
    }],
    onRuntimeInitialized: () => {
      MorvaskEarly.done = true;
      page.ready = true;
      page.runtimeMs = performance.now();
      document.getElementById("screen").focus({ preventScroll: true });
    },
  };
  const module = document.createElement("script");
  module.src = "morvask.js";
  document.body.appendChild(module);
})(window.Morvask);
