// The web edition's page, its core: the keys the game reads (the keyboard's
// and the touch controls'), the queues of input the game's module takes, the
// message boxes and the animation frames the module waits for. The other
// page scripts add to `Morvask`: the view (page_view.js), the sound, the
// language and the gamepad (page_options.js), the touch controls
// (page_touch.js), and the start (page_start.js).
"use strict";

window.Morvask = (function () {
  const M = { FieldWidth: 960, FieldHeight: 704 };

  // What the tests and the curious can read.
  const page = {
    firstFrameMs: null,
    firstBoxMs: null,
    framesShown: 0,
    framesGiven: 0,
    dialog: null,
    dialogsShown: 0,
    ticks: 0,
    tickMs: 0,
    ticksDropped: 0,
    longFrames: 0,
    frameWorkMs: 0,
    presentMs: 0,
    presentedPixels: 0,
    input: "keys",
    ready: false,
    errors: [],
  };
  window.morvaskPage = page;
  M.page = page;

  const status = document.getElementById("status");
  M.say = (text) => {
    status.textContent = text;
  };

  // A few named moments the page scripts listen to: "frame" (an animation
  // frame, before the game runs), "dialog" (a box opened or closed), "input"
  // (the player changed from keys to touch or a gamepad, or back).
  const listeners = {};
  M.on = (name, listener) => (listeners[name] = listeners[name] || []).push(listener);
  M.emit = (name, ...values) => (listeners[name] || []).forEach((l) => l(...values));

  // What the player plays with now: "keys", "touch" or "pad".
  M.useInput = (kind) => {
    if (page.input === kind) return;
    page.input = kind;
    M.emit("input", kind);
  };

  // ---- Keys ---------------------------------------------------------------

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
  M.KeyCodes = KeyCodes;
  // Keys whose browser meaning (scrolling, help, search, reloading the page)
  // must not happen while the game has them: F5 tries a level in the editor.
  const Swallowed = new Set(["ArrowLeft", "ArrowUp", "ArrowRight", "ArrowDown", "Space",
                             "F1", "F2", "F3", "F4", "F5", "F11", "Tab"]);
  // The editor's Ctrl commands (undo, redo, copy, paste, clear) are the
  // game's, not the browser's.
  const CtrlCommands = new Set(["KeyZ", "KeyY", "KeyC", "KeyV", "Delete"]);
  // + and - set the volume, as on the desktop (not with Ctrl: that zooms).
  const VolumeKeys = { Equal: 1, NumpadAdd: 1, Minus: -1, NumpadSubtract: -1 };

  // Held keys: the keyboard's and mouse buttons', and the touch controls'.
  const keyboard = new Uint8Array(256);
  const touch = new Uint8Array(256);
  // While the game handles a key-down, Ctrl and Shift read as they were when
  // the key went down: a quick Ctrl+Y is often let go of before the next
  // animation frame hands the key to the game.
  let withKey = null;
  M.keyDown = (key) => keyboard[key] | touch[key] | (withKey && withKey.has(key) ? 1 : 0);
  // Whether the player's hands are on the keys or the touch controls: one is
  // held, or one went down or up less than `restMs` ago.
  let lastKeyAt = -Infinity;
  const noteKey = () => (lastKeyAt = performance.now());
  M.keysInUse = (restMs) => keyboard.includes(1) || touch.includes(1) ||
                            performance.now() - lastKeyAt < restMs;
  const events = [];
  M.pushEvent = (event) => events.push(event);
  M.nextEvent = () => {
    const event = events.shift();
    withKey = event && event.modifiers ? event.modifiers : null;
    return event;
  };

  // A touch control holds or lets go of a key, as the keyboard's key would.
  M.holdTouchKey = (key, down) => {
    noteKey();
    if (down && !touch[key]) {
      touch[key] = 1;
      if (!page.dialog) events.push([1, key, 0]);
    } else if (!down) {
      touch[key] = 0;
    }
  };
  // A tap on a command button: its key goes down (with Ctrl, say, held) and
  // stays down through the game's next ticks, which poll some keys (the
  // editor's blocks), then goes up.
  const taps = [];
  M.tapKey = (key, modifiers = []) => {
    if (page.dialog) return;
    const held = modifiers.concat([key]);
    held.forEach((k) => (touch[k] = 1));
    events.push([1, key, 0]);
    taps.push({ held, frames: 2 });
  };
  function releaseTaps() {
    for (let i = taps.length - 1; i >= 0; --i) {
      if (--taps[i].frames > 0) continue;
      taps[i].held.forEach((k) => (touch[k] = 0));
      taps.splice(i, 1);
    }
  }

  function isFormField(target) {
    return target instanceof HTMLInputElement || target instanceof HTMLSelectElement ||
           target instanceof HTMLTextAreaElement;
  }

  window.addEventListener("keydown", (event) => {
    M.unlockAudio();
    if (isFormField(event.target)) return;
    M.useInput("keys");
    if (Swallowed.has(event.code) || (event.ctrlKey && CtrlCommands.has(event.code)))
      event.preventDefault();
    if (event.code === "F11" || (event.code === "Enter" && event.altKey)) {
      event.preventDefault();
      if (!event.repeat) M.toggleFullscreen();
      return;
    }
    const volume = VolumeKeys[event.code];
    if (volume && !event.ctrlKey && !event.metaKey) {
      M.stepVolume(volume);
      return;
    }
    if (page.dialog) {
      dialogKey(event);
      return;
    }
    const key = KeyCodes[event.code];
    if (!key || event.metaKey) return;
    keyboard[key] = 1;
    noteKey();
    const down = [1, key, event.repeat ? 1 : 0];
    down.modifiers = new Set([event.ctrlKey && 0x11, event.shiftKey && 0x10].filter((k) => k));
    events.push(down);
  });
  window.addEventListener("keyup", (event) => {
    const key = KeyCodes[event.code];
    if (key) keyboard[key] = 0;
    noteKey();
  });
  // Keys released while the page had no focus would otherwise stay down.
  window.addEventListener("blur", () => keyboard.fill(0));
  document.addEventListener("visibilitychange", () => events.push([3, document.hidden ? 1 : 0]));

  // ---- The pointer on the field -------------------------------------------

  // The mouse as on the desktop; a finger or a pen paints like the left
  // button (the right one with the eraser on), one finger at a time.
  const MK_LBUTTON = 1, MK_RBUTTON = 2, MK_SHIFT = 4, MK_CONTROL = 8, MK_MBUTTON = 0x10;
  const screen = document.getElementById("screen");
  let fingerId = null;
  M.eraser = false;

  function mouseFlags(event) {
    return (keyboard[1] ? MK_LBUTTON : 0) | (keyboard[2] ? MK_RBUTTON : 0) |
           (keyboard[4] ? MK_MBUTTON : 0) | (event.shiftKey ? MK_SHIFT : 0) |
           (event.ctrlKey ? MK_CONTROL : 0);
  }

  function pointerButton(event) {
    if (event.pointerType !== "mouse") return M.eraser ? 2 : 1;
    return [1, 4, 2][event.button] || 0;
  }

  screen.addEventListener("pointerdown", (event) => {
    M.unlockAudio();
    if (event.pointerType !== "mouse") {
      M.useInput("touch");
      if (fingerId !== null) return;
      fingerId = event.pointerId;
      lifted = null;
      screen.setPointerCapture(event.pointerId);
    }
    // The touch box keeps the focus it took (page_touch.js).
    if (!(page.dialog && page.input === "touch")) screen.focus({ preventScroll: true });
    event.preventDefault();
    const [x, y] = M.fieldPoint(event.clientX, event.clientY);
    if (page.dialog) {
      if (event.button === 0) dialogPointer(2, x, y), dialogPointer(3, x, y);
      return;
    }
    events.push([2, x, y, mouseFlags(event)]);
    const button = pointerButton(event);
    if (button) keyboard[button] = 1;
  });
  screen.addEventListener("pointermove", (event) => {
    if (event.pointerType !== "mouse" && event.pointerId !== fingerId) return;
    const [x, y] = M.fieldPoint(event.clientX, event.clientY);
    if (page.dialog) dialogPointer(2, x, y);
    else events.push([2, x, y, mouseFlags(event)]);
  });
  // A finger lifted lets go of its button only after the game's next ticks
  // (a quick tap may come and go within one frame), then takes the
  // editor's brush off the field: a finger does not hover.
  let lifted = null;
  function pointerUp(event) {
    const finger = event.pointerType !== "mouse";
    if (finger) {
      if (event.pointerId !== fingerId) return;
      fingerId = null;
    }
    if (page.dialog && event.button === 0) dialogPointer(4, ...M.fieldPoint(event.clientX, event.clientY));
    const button = pointerButton(event);
    if (finger && button && !page.dialog) lifted = { button, frames: 2 };
    else if (button) keyboard[button] = 0;
  }
  M.on("frame", releaseTaps);
  M.on("frame", () => {
    if (!lifted || --lifted.frames > 0) return;
    keyboard[lifted.button] = 0;
    lifted = null;
    events.push([2, -1000, -1000, 0]);
  });
  window.addEventListener("pointerup", pointerUp);
  window.addEventListener("pointercancel", pointerUp);
  screen.addEventListener("contextmenu", (event) => event.preventDefault());

  // When the last animation frame came, and when the game's work since began.
  let lastFrame = 0, workStarted = 0;

  // ---- Message boxes ------------------------------------------------------

  // The game draws its boxes itself; while one is open the page passes it
  // the keys and the pointer instead of the game.
  const dialogEvents = [];
  M.nextDialogEvent = () => dialogEvents.shift();
  // The keys a box answers to, in the order of dialog::Key.
  const DialogKeys = { Enter: 0, NumpadEnter: 0, Space: 1, Escape: 2, Tab: 3, ArrowLeft: 5,
                       ArrowRight: 6, KeyY: 7, KeyN: 8 };
  M.DialogKeys = DialogKeys;

  function dialogKey(event) {
    event.preventDefault();
    // A key held down since before the box opened answers nothing, as on
    // the desktop.
    if (event.repeat) return;
    let key = DialogKeys[event.code];
    if (key === undefined) return;
    if (key === 3 && event.shiftKey) key = 4;
    pushDialogEvent([1, key]);
  }

  function dialogPointer(kind, x, y) {
    pushDialogEvent([kind, x, y]);
  }

  // An open box waits for its next event, or a while (the gamepad is read
  // meanwhile), not for animation frames.
  let wakeDialog = null;
  function pushDialogEvent(event) {
    dialogEvents.push(event);
    if (wakeDialog) wakeDialog();
  }
  M.waitDialogInput = (ms) => new Promise((resolve) => {
    // The time a box stands open is not the game's work.
    workStarted = 0;
    let timer = 0;
    const finish = () => {
      if (!timer) return;
      clearTimeout(timer);
      timer = 0;
      wakeDialog = null;
      M.emit("frame");
      resolve(performance.now());
    };
    timer = setTimeout(finish, dialogEvents.length ? 0 : ms);
    wakeDialog = finish;
  });

  // An answer given by a touch button or a gamepad: "ok", "yes", "no" (the
  // default button, or the one that changes nothing).
  M.answerDialog = (answer) => {
    if (!page.dialog) return;
    const key = { ok: "Enter", yes: page.dialog.buttons === "yesno" ? "KeyY" : "Enter",
                  no: page.dialog.buttons === "yesno" ? "KeyN" : "Escape", cancel: "Escape" }[answer];
    pushDialogEvent([1, DialogKeys[key]]);
  };

  M.dialogOpened = (text, caption, yesNo, labels) => {
    dialogEvents.length = 0;
    page.dialog = { text, caption, buttons: yesNo ? "yesno" : "ok", labels, ready: false };
    page.dialogsShown += 1;
    M.emit("dialog", page.dialog);
  };

  // The box takes answers from now on (after its reading pause).
  M.dialogReady = () => {
    if (page.dialog) page.dialog.ready = true;
  };

  M.dialogClosed = () => {
    page.dialog = null;
    M.emit("dialog", null);
  };

  // ---- Time ---------------------------------------------------------------

  // The battery saver (page_options.js) shows at most 30 frames a second:
  // the game waits for the first animation frame that comes at least this
  // long after the one it was shown last. The slack lets the second frame of
  // a 60 Hz display (33.3 ms on) or the fourth of a 120 Hz one qualify.
  const SaverGapMs = 1000 / 30 - 5;
  page.frameSaver = false;
  page.shortestFrameGapMs = null;

  // The next animation frame; a hidden page has none, so a slow timeout
  // keeps its events (the page being hidden or shown again) flowing.
  M.waitFrame = () => new Promise((resolve) => {
    // What the game did since the last frame came: its ticks and the present.
    if (workStarted) page.frameWorkMs += performance.now() - workStarted;
    let done = false;
    const finish = () => {
      if (done) return;
      done = true;
      const now = performance.now();
      if (lastFrame && !document.hidden) {
        // A frame more than twice the usual gap after the last one.
        if (now - lastFrame > (page.frameSaver ? 68 : 34)) page.longFrames += 1;
        const gap = now - lastFrame, shortest = page.shortestFrameGapMs;
        page.shortestFrameGapMs = shortest === null ? gap : Math.min(shortest, gap);
      }
      lastFrame = now;
      page.framesGiven += 1;
      M.emit("frame");
      workStarted = performance.now();
      resolve(now);
    };
    const onFrame = () => {
      if (page.frameSaver && lastFrame && performance.now() - lastFrame < SaverGapMs)
        requestAnimationFrame(onFrame);
      else finish();
    };
    requestAnimationFrame(onFrame);
    if (document.hidden) setTimeout(finish, 200);
  });

  // The time the ticks took, summed (a tick that waits for a box counts the
  // waiting too), and the ticks a stall dropped.
  M.noteTick = (ms, dropped) => {
    page.ticks += 1;
    page.tickMs += ms;
    page.ticksDropped += dropped || 0;
  };

  window.addEventListener("error", (event) => page.errors.push(String(event.message)));
  return M;
})();
