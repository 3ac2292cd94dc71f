// The page of the web edition: loads the pictures and sounds, mounts the save
// folder in the browser's storage, starts the game's module, and is the
// game's window for it (Module.morvask): animation frames, keys and mouse in
// field pixels, the canvas, the message boxes, the sound channel and the map
// buttons.
"use strict";

(function () {
  const FieldWidth = 960;
  const FieldHeight = 704;
  const Waves = MorvaskResources.waves;
  const MapValueCount = 5775;
  const IDOK = 1, IDYES = 6, IDNO = 7;

  const canvas = document.getElementById("field");
  const context = canvas.getContext("2d", { alpha: false });
  const status = document.getElementById("status");

  // What the tests and the curious can read.
  const page = {
    firstFrameMs: null,
    framesShown: 0,
    dialog: null,
    dialogsShown: 0,
    ticks: 0,
    tickMs: 0,
    ready: false,
    errors: [],
  };
  window.morvaskPage = page;

  function say(text) {
    status.textContent = text;
  }

  // ---- The sound channel --------------------------------------------------

  // Browsers start audio only after the player did something: the first key
  // or click makes the context; until then the channel is silent.
  const audio = { context: null, buffers: {}, source: null, endsAt: 0, waves: null };

  function unlockAudio() {
    if (audio.context || !audio.waves || typeof AudioContext === "undefined") return;
    audio.context = new AudioContext();
    audio.context.resume();
    for (const number of Waves) {
      const copy = audio.waves[number].slice().buffer;
      audio.context.decodeAudioData(copy).then(
        (buffer) => (audio.buffers[number] = buffer),
        () => say(`Sound ${number} cannot be played in this browser.`));
    }
  }

  // One channel: a request cuts off what plays, unless it yields, in which
  // case it is dropped while a sound still plays.
  function playSound(number, yielding) {
    const ctx = audio.context;
    if (!ctx || ctx.state !== "running") return;
    const playing = audio.source !== null && ctx.currentTime < audio.endsAt;
    if (yielding && playing) return;
    if (audio.source) {
      audio.source.onended = null;
      audio.source.stop();
      audio.source = null;
    }
    const buffer = audio.buffers[number];
    // A wave not decoded yet still cuts off what played: the request was made.
    if (!buffer) return;
    const source = ctx.createBufferSource();
    source.buffer = buffer;
    source.connect(ctx.destination);
    source.start();
    audio.source = source;
    audio.endsAt = ctx.currentTime + buffer.duration;
  }

  // ---- Keys and mouse -----------------------------------------------------

  // KeyboardEvent.code to the game's virtual keys.
  const KeyCodes = {
    Backspace: 0x08, Tab: 0x09, Enter: 0x0d, NumpadEnter: 0x0d, ShiftLeft: 0x10,
    ShiftRight: 0x10, ControlLeft: 0x11, ControlRight: 0x11, AltLeft: 0x12, AltRight: 0x12,
    Pause: 0x13, Escape: 0x1b, Space: 0x20, PageUp: 0x21, PageDown: 0x22, End: 0x23,
    Home: 0x24, ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
    Insert: 0x2d, Delete: 0x2e,
  };
  for (let i = 0; i < 26; ++i) KeyCodes["Key" + String.fromCharCode(65 + i)] = 65 + i;
  for (let i = 0; i < 10; ++i) {
    KeyCodes["Digit" + i] = 48 + i;
    KeyCodes["Numpad" + i] = 0x60 + i;
  }
  for (let i = 1; i <= 12; ++i) KeyCodes["F" + i] = 0x6f + i;
  // Keys whose browser meaning (scrolling, help, search, reload of a frame)
  // must not happen while the game has them.
  const Swallowed = new Set(["ArrowLeft", "ArrowUp", "ArrowRight", "ArrowDown", "Space",
                             "F1", "F2", "F3", "F11", "Tab"]);

  const keys = new Uint8Array(256);
  const events = [];
  const MK_LBUTTON = 1, MK_RBUTTON = 2, MK_SHIFT = 4, MK_CONTROL = 8, MK_MBUTTON = 0x10;

  function fieldPoint(event) {
    const box = canvas.getBoundingClientRect();
    return [Math.floor(((event.clientX - box.left) * FieldWidth) / box.width),
            Math.floor(((event.clientY - box.top) * FieldHeight) / box.height)];
  }

  function mouseFlags(event) {
    return (event.buttons & 1 ? MK_LBUTTON : 0) | (event.buttons & 2 ? MK_RBUTTON : 0) |
           (event.buttons & 4 ? MK_MBUTTON : 0) | (event.shiftKey ? MK_SHIFT : 0) |
           (event.ctrlKey ? MK_CONTROL : 0);
  }

  window.addEventListener("keydown", (event) => {
    unlockAudio();
    if (event.target instanceof HTMLInputElement) return;
    if (Swallowed.has(event.code)) event.preventDefault();
    if (event.code === "F11") {
      if (!event.repeat) toggleFullscreen();
      return;
    }
    if (page.dialog) {
      dialogKey(event);
      return;
    }
    const key = KeyCodes[event.code];
    if (!key || event.ctrlKey || event.metaKey) return;
    keys[key] = 1;
    events.push([1, key, event.repeat ? 1 : 0]);
  });
  window.addEventListener("keyup", (event) => {
    const key = KeyCodes[event.code];
    if (key) keys[key] = 0;
  });
  // Keys released while the page had no focus would otherwise stay down.
  window.addEventListener("blur", () => keys.fill(0));

  canvas.addEventListener("mousemove", (event) => {
    const [x, y] = fieldPoint(event);
    if (page.dialog) {
      dialogPointer(x, y, false);
      return;
    }
    events.push([2, x, y, mouseFlags(event)]);
  });
  canvas.addEventListener("mousedown", (event) => {
    unlockAudio();
    canvas.focus();
    event.preventDefault();
    const [x, y] = fieldPoint(event);
    if (page.dialog) {
      if (event.button === 0) dialogPointer(x, y, true);
      return;
    }
    if (event.button === 0) keys[0x01] = 1;
    if (event.button === 2) keys[0x02] = 1;
    if (event.button === 1) keys[0x04] = 1;
  });
  window.addEventListener("mouseup", (event) => {
    if (event.button === 0) keys[0x01] = 0;
    if (event.button === 2) keys[0x02] = 0;
    if (event.button === 1) keys[0x04] = 0;
  });
  canvas.addEventListener("contextmenu", (event) => event.preventDefault());
  document.addEventListener("visibilitychange", () => events.push([3, document.hidden ? 1 : 0]));

  // ---- Showing the field --------------------------------------------------

  // The largest whole scale that fits the room, or a smaller exact fit when
  // not even 1 fits; pixels stay sharp either way (CSS pixelated).
  function fitCanvas() {
    const fullscreen = document.fullscreenElement !== null;
    const roomWidth = fullscreen ? window.innerWidth : document.documentElement.clientWidth - 16;
    const below = fullscreen ? 0 : document.getElementById("below").offsetHeight + 24;
    const roomHeight = window.innerHeight - below;
    const fit = Math.min(roomWidth / FieldWidth, roomHeight / FieldHeight);
    const scale = fit >= 1 ? Math.floor(fit) : Math.max(fit, 0.25);
    canvas.style.width = `${Math.floor(FieldWidth * scale)}px`;
    canvas.style.height = `${Math.floor(FieldHeight * scale)}px`;
  }
  window.addEventListener("resize", fitCanvas);
  document.addEventListener("fullscreenchange", fitCanvas);

  function toggleFullscreen() {
    const holder = document.getElementById("screen");
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    else if (holder.requestFullscreen) holder.requestFullscreen().catch(() => {});
  }
  document.getElementById("fullscreen").addEventListener("click", (event) => {
    event.currentTarget.blur();
    toggleFullscreen();
  });

  let lastPicture = null;

  function present(pointer, width, height) {
    const bytes = new Uint8ClampedArray(Module.HEAPU8.buffer, pointer, width * height * 4);
    lastPicture = new ImageData(new Uint8ClampedArray(bytes), width, height);
    context.putImageData(lastPicture, 0, 0);
    noteFrame();
  }

  function noteFrame() {
    page.framesShown += 1;
    if (page.firstFrameMs === null) page.firstFrameMs = performance.now();
  }

  // ---- Message boxes ------------------------------------------------------

  // Drawn over the field like the desktop's in-window boxes, answered with
  // Enter or Space (the focused button), Escape (the button that changes
  // nothing), Y and N, the arrows or Tab (the focus), or a click.
  const dialogFont = '16px "Noto Sans CJK SC", "Microsoft YaHei", "PingFang SC", sans-serif';
  let dialogState = null;

  function layoutDialog(text, caption, yesNo, warning) {
    context.font = dialogFont;
    const lines = text.split("\n");
    const lineHeight = 22;
    const textWidth = Math.max(120, ...lines.map((l) => context.measureText(l).width));
    const iconRoom = warning ? 48 : 0;
    const width = Math.min(FieldWidth - 40, Math.ceil(textWidth) + iconRoom + 48);
    const height = Math.min(FieldHeight - 20, 32 + 20 + lines.length * lineHeight + 20 + 44);
    const x = Math.floor((FieldWidth - width) / 2), y = Math.floor((FieldHeight - height) / 2);
    const buttons = (yesNo ? [["是", IDYES], ["否", IDNO]] : [["确定", IDOK]]).map(
      ([label, answer], i, all) => {
        const w = 88, h = 28, gap = 12;
        const left = x + Math.floor((width - (all.length * w + (all.length - 1) * gap)) / 2);
        return { label, answer, x: left + i * (w + gap), y: y + height - 42, w, h };
      });
    return { text, caption, yesNo, warning, lines, lineHeight, x, y, width, height, buttons,
             focus: 0, pressed: -1 };
  }

  function drawDialog() {
    const d = dialogState;
    if (lastPicture) context.putImageData(lastPicture, 0, 0);
    else {
      context.fillStyle = "#000";
      context.fillRect(0, 0, FieldWidth, FieldHeight);
    }
    context.fillStyle = "rgba(0,0,0,0.35)";
    context.fillRect(d.x + 6, d.y + 6, d.width, d.height);
    context.fillStyle = "#f0f0f0";
    context.fillRect(d.x, d.y, d.width, d.height);
    context.fillStyle = "#2b4f86";
    context.fillRect(d.x, d.y, d.width, 30);
    context.strokeStyle = "#1b2f50";
    context.lineWidth = 2;
    context.strokeRect(d.x + 1, d.y + 1, d.width - 2, d.height - 2);
    context.font = dialogFont;
    context.textBaseline = "middle";
    context.fillStyle = "#fff";
    context.fillText(d.caption, d.x + 12, d.y + 16);
    let textLeft = d.x + 24;
    if (d.warning) {
      const cx = d.x + 36, cy = d.y + 62;
      context.fillStyle = "#f2c230";
      context.beginPath();
      context.moveTo(cx, cy - 16);
      context.lineTo(cx + 17, cy + 14);
      context.lineTo(cx - 17, cy + 14);
      context.closePath();
      context.fill();
      context.fillStyle = "#000";
      context.fillText("!", cx - 3, cy + 3);
      textLeft += 48;
    }
    context.fillStyle = "#111";
    d.lines.forEach((line, i) => context.fillText(line, textLeft, d.y + 52 + i * d.lineHeight + 11));
    d.buttons.forEach((b, i) => {
      context.fillStyle = d.pressed === i ? "#c8d4e6" : "#e4e4e4";
      context.fillRect(b.x, b.y, b.w, b.h);
      context.strokeStyle = i === d.focus ? "#2b4f86" : "#888";
      context.lineWidth = i === d.focus ? 2 : 1;
      context.strokeRect(b.x + 0.5, b.y + 0.5, b.w - 1, b.h - 1);
      context.fillStyle = "#111";
      context.textAlign = "center";
      context.fillText(b.label, b.x + b.w / 2, b.y + b.h / 2 + 1);
      context.textAlign = "left";
    });
    noteFrame();
  }

  function closeDialog(answer) {
    const d = dialogState;
    dialogState = null;
    page.dialog = null;
    if (lastPicture) context.putImageData(lastPicture, 0, 0);
    d.resolve(answer);
  }

  function dialogKey(event) {
    const d = dialogState;
    event.preventDefault();
    if (event.repeat) return;
    const noAnswer = d.yesNo ? IDNO : IDOK;
    switch (event.code) {
      case "Enter":
      case "NumpadEnter":
      case "Space":
        closeDialog(d.buttons[d.focus].answer);
        return;
      case "Escape":
        closeDialog(noAnswer);
        return;
      case "KeyY":
        if (d.yesNo) closeDialog(IDYES);
        return;
      case "KeyN":
        if (d.yesNo) closeDialog(IDNO);
        return;
      case "ArrowLeft":
      case "ArrowRight":
      case "Tab":
        d.focus = (d.focus + 1) % d.buttons.length;
        drawDialog();
        return;
      default:
        return;
    }
  }

  function dialogPointer(x, y, press) {
    const d = dialogState;
    const hit = d.buttons.findIndex((b) => x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h);
    if (press && hit >= 0) closeDialog(d.buttons[hit].answer);
  }

  function messageBox(text, caption, yesNo, warning) {
    return new Promise((resolve) => {
      dialogState = layoutDialog(text, caption, yesNo, warning);
      dialogState.resolve = resolve;
      page.dialog = { text, caption, buttons: yesNo ? "yesno" : "ok" };
      page.dialogsShown += 1;
      drawDialog();
    });
  }

  // ---- Time ---------------------------------------------------------------

  // The next animation frame; a hidden page has none, so a slow timeout
  // keeps its events (the page being hidden or shown again) flowing.
  function waitFrame() {
    return new Promise((resolve) => {
      let done = false;
      const finish = () => {
        if (done) return;
        done = true;
        resolve(performance.now());
      };
      requestAnimationFrame(finish);
      if (document.hidden) setTimeout(finish, 200);
    });
  }

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

  function storeFiles() {
    FS.syncfs(false, (error) => {
      if (error) say("The map could not be stored in this browser: it is kept until the page closes.");
    });
  }

  document.getElementById("download").addEventListener("click", (event) => {
    event.currentTarget.blur();
    let bytes;
    try {
      bytes = FS.readFile("/save/map.txt");
    } catch (error) {
      say("No map saved yet: make one in the editor (F1) and save it with F3.");
      return;
    }
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([bytes], { type: "text/plain" }));
    link.download = "map.txt";
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    say("map.txt downloaded.");
  });

  const chooser = document.getElementById("chooser");
  document.getElementById("upload").addEventListener("click", (event) => {
    event.currentTarget.blur();
    chooser.value = "";
    chooser.click();
  });
  chooser.addEventListener("change", async () => {
    const file = chooser.files[0];
    if (!file) return;
    const bytes = new Uint8Array(await file.arrayBuffer());
    const problem = bytes.length > 4 * 1024 * 1024 ? "it is larger than 4 MB"
                  : checkMap(new TextDecoder("latin1").decode(bytes));
    if (problem) {
      say(`${file.name} is not a map (${problem}); the stored map is kept.`);
      return;
    }
    FS.writeFile("/save/map.txt", bytes);
    storeFiles();
    say(`${file.name} is now the stored map.txt: F2 plays it, F1 edits it.`);
  });
  page.checkMap = checkMap;

  // ---- Start --------------------------------------------------------------

  window.addEventListener("error", (event) => page.errors.push(String(event.message)));

  fitCanvas();
  // The module loads and compiles while the pictures are decoded; it starts
  // once both are done and the save folder is read.
  const resourcesLoaded = MorvaskResources.load();
  resourcesLoaded.then((resources) => {
    page.resourcesMs = performance.now();
    audio.waves = {};
    for (const number of Waves) audio.waves[number] = resources[number];
  }, (error) => say(`The game could not be loaded: ${error.message}`));
  window.Module = {
    canvas,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    morvask: {
      waitFrame, present, playSound, messageBox,
      nextEvent: () => events.shift(),
      keyDown: (key) => keys[key],
      syncFiles: storeFiles,
      // The time the ticks took, summed (a tick that waits for a box counts
      // the waiting too).
      noteTick: (ms) => {
        page.ticks += 1;
        page.tickMs += ms;
      },
    },
    preRun: [() => {
      FS.mkdir("/res");
      addRunDependency("morvask-resources");
      resourcesLoaded.then((resources) => {
        for (const number in resources) FS.writeFile(`/res/${number}`, resources[number]);
        removeRunDependency("morvask-resources");
      });
      // The save folder is the browser's storage, read before the game starts.
      FS.mkdir("/save");
      FS.mount(IDBFS, {}, "/save");
      addRunDependency("morvask-save");
      FS.syncfs(true, (error) => {
        if (error) say("This browser keeps no storage for the page: saved maps last until it closes.");
        removeRunDependency("morvask-save");
      });
    }],
    onRuntimeInitialized: () => {
      page.ready = true;
      page.runtimeMs = performance.now();
      canvas.focus();
    },
  };
})();
