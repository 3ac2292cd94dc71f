// The web edition's sound channel and the player's choices on the page: the
// language of the boxes, the volume and the battery saver, remembered in the
// browser's storage, and the gamepad through the Gamepad API (its state goes
// to the game, which reads it with the desktop's layout).
"use strict";

(function (M) {
  const page = M.page;

  // ---- Remembered choices -------------------------------------------------

  // Storage may be refused (private windows, blocked cookies): the choice
  // then lasts until the page closes.
  function recall(name, fallback) {
    try {
      const value = localStorage.getItem("morvask." + name);
      return value === null ? fallback : value;
    } catch (error) {
      return fallback;
    }
  }
  function remember(name, value) {
    try {
      localStorage.setItem("morvask." + name, String(value));
    } catch (error) {
      // Kept for this page only.
    }
  }

  const languageChoice = document.getElementById("language");
  const volumeChoice = document.getElementById("volume");
  const volumeShown = document.getElementById("volume-shown");
  let language = recall("lang", "zh") === "en" ? "en" : "zh";
  const stored = Number.parseInt(recall("volume", "100"), 10);
  let volume = Number.isNaN(stored) ? 100 : Math.min(100, Math.max(0, stored));

  M.language = () => language;
  // Screen readers pick their voice from the page's lang, so it follows the boxes' language.
  const markLanguage = () => { document.documentElement.lang = language === "en" ? "en" : "zh-Hans"; };
  markLanguage();
  languageChoice.value = language;
  languageChoice.addEventListener("change", () => {
    language = languageChoice.value === "en" ? "en" : "zh";
    remember("lang", language);
    markLanguage();
    languageChoice.blur();
    M.say(language === "en" ? "The boxes speak English from the next one on."
                            : "从下一个对话框起使用中文。");
  });

  // The game's options screen chose a language: the page speaks it too, and
  // remembers it as its own choice.
  M.followGameLanguage = (name) => {
    const now = name === "en" ? "en" : "zh";
    if (now === language) return;
    language = now;
    remember("lang", language);
    markLanguage();
    languageChoice.value = language;
    M.say(language === "en" ? "The game speaks English." : "游戏使用中文。");
  };

  function showVolume() {
    volumeChoice.value = String(volume);
    volumeShown.textContent = `${volume}%`;
    if (audio.gain) audio.gain.gain.value = volume / 100;
    page.volume = volume;
  }
  M.setVolume = (percent) => {
    volume = Math.min(100, Math.max(0, Math.round(percent)));
    remember("volume", volume);
    showVolume();
  };
  M.stepVolume = (steps) => M.setVolume(Math.round(volume / 10) * 10 + steps * 10);
  volumeChoice.addEventListener("input", () => M.setVolume(Number(volumeChoice.value)));
  volumeChoice.addEventListener("change", () => volumeChoice.blur());

  // The battery saver shows half the frames of a 60 Hz display (the ticks
  // keep their pace, a frame shows three or four of them): the browser's
  // work for each frame shown is most of what the page costs a phone.
  const framesChoice = document.getElementById("frames");
  function useFrames(choice) {
    page.frameSaver = choice === "saver";
    framesChoice.value = page.frameSaver ? "saver" : "all";
  }
  useFrames(recall("frames", "all"));
  framesChoice.addEventListener("change", () => {
    useFrames(framesChoice.value);
    remember("frames", framesChoice.value);
    framesChoice.blur();
  });

  // ---- The sound channel --------------------------------------------------

  // Browsers start audio only after the player did something: the first key
  // or touch makes the context; until then the channel is silent.
  const audio = { context: null, gain: null, buffers: {}, source: null, endsAt: 0, waves: null,
                  resting: false, waking: false, restTimer: 0, ringing: {} };
  M.setWaves = (waves) => (audio.waves = waves);
  // The engine's wave with its ringing on, as the game's mixing rule makes
  // it (platform/shared/engine_loop.cpp): it plays on past the wave, but only
  // the wave itself makes a yielding request give way.
  M.setRinging = (number, samples, rate, ownSeconds) => {
    audio.ringing[number] = { samples: Float32Array.from(samples, (v) => v / 32768), rate,
                              ownSeconds, buffer: null };
  };
  showVolume();

  M.unlockAudio = () => {
    if (audio.context || !audio.waves || typeof AudioContext === "undefined") return;
    // Chromium's "playback" latency (about 23 ms against 10 ms) wakes the
    // audio threads less than half as often: about 1% of a core less while
    // sounds play, and still well inside a frame or two.
    audio.context = new AudioContext({ latencyHint: "playback" });
    audio.context.resume();
    audio.gain = audio.context.createGain();
    audio.gain.connect(audio.context.destination);
    showVolume();
    restLater(0);
    for (const number in audio.waves) {
      const copy = audio.waves[number].slice().buffer;
      audio.context.decodeAudioData(copy).then(
        (buffer) => (audio.buffers[number] = buffer),
        () => M.say(`Sound ${number} cannot be played in this browser.`));
    }
  };

  // A running audio context renders silence all the time, on a thread of
  // its own: once the channel has been quiet for a while it is suspended,
  // and the next sound wakes it.
  const RestAfterMs = 1500;
  function restLater(seconds) {
    clearTimeout(audio.restTimer);
    audio.restTimer = setTimeout(() => {
      const ctx = audio.context;
      if (ctx && ctx.state === "running" && ctx.currentTime >= audio.endsAt) {
        audio.resting = true;
        ctx.suspend();
      }
    }, seconds * 1000 + RestAfterMs);
  }

  // One channel: a request cuts off what plays, unless it yields, in which
  // case it is dropped while a sound still plays. Silence (volume 0) still
  // cuts off what played, as the channel would.
  M.playSound = (number, yielding) => {
    const ctx = audio.context;
    if (!ctx) return;
    if (audio.resting && ctx.state === "suspended") {
      audio.resting = false;
      audio.waking = true;
      ctx.resume().then(() => (audio.waking = false));
    }
    // Before the browser lets the page play (no key or touch yet), nothing.
    if (ctx.state !== "running" && !audio.waking) return;
    const playing = audio.source !== null && ctx.currentTime < audio.endsAt;
    if (yielding && playing) return;
    if (audio.source) {
      audio.source.onended = null;
      audio.source.stop();
      audio.source = null;
    }
    let buffer = audio.buffers[number];
    // A wave not decoded yet still cuts off what played: the request was made.
    if (!buffer || volume === 0) return;
    let own = buffer.duration;
    const ring = audio.ringing[number];
    if (ring) {
      if (!ring.buffer) {
        ring.buffer = ctx.createBuffer(1, ring.samples.length, ring.rate);
        ring.buffer.copyToChannel(ring.samples, 0);
      }
      buffer = ring.buffer;
      own = ring.ownSeconds;
    }
    const source = ctx.createBufferSource();
    source.buffer = buffer;
    source.connect(audio.gain);
    source.start();
    audio.source = source;
    audio.endsAt = ctx.currentTime + own;
    restLater(buffer.duration);
  };

  // ---- The gamepad --------------------------------------------------------

  // The standard mapping's buttons in the order the game's layout names
  // them: south, east, west, north, back, start, the shoulders, the D-pad.
  const Buttons = [0, 1, 2, 3, 8, 9, 4, 5, 12, 13, 14, 15];
  const Start = 5, Back = 4, South = 0, East = 1;
  let pad = null, secondPad = null;

  function padStateOf(gamepad) {
    const pressed = (i) => !!(gamepad.buttons[i] && gamepad.buttons[i].pressed);
    const axis = (i) => Math.round(Math.max(-1, Math.min(1, gamepad.axes[i] || 0)) * 32767);
    const trigger = (i) => Math.round((gamepad.buttons[i] ? gamepad.buttons[i].value : 0) * 32767);
    return { buttons: Buttons.map(pressed), axes: [axis(0), axis(1), axis(2), axis(3),
                                                   trigger(6), trigger(7)] };
  }

  // The first pad still attached drives; the second one attached plays the
  // second player in a game of two, as on the desktop.
  function readPads() {
    if (!navigator.getGamepads) return [null, null];
    const attached = Array.from(navigator.getGamepads()).filter((p) => p && p.connected);
    return [attached[0] ? padStateOf(attached[0]) : null,
            attached[1] ? padStateOf(attached[1]) : null];
  }

  // The browser polls the pads at every display frame for as long as the
  // page listens for them: a share of a core that a keyboard player pays for
  // nothing. Until a pad has been seen, the page stops listening while the
  // keys are in use, and listens again once they have rested for a second
  // (a player who picks up a pad lets go of the keys first).
  const KeysRestMs = 1000;
  let padSeen = false, listening = false;
  const noteConnected = (event) => M.say(`Gamepad connected: ${event.gamepad.id.slice(0, 40)}`);
  function listenForPads(on) {
    if (on === listening) return;
    listening = on;
    page.padListening = on;
    if (on) window.addEventListener("gamepadconnected", noteConnected);
    else window.removeEventListener("gamepadconnected", noteConnected);
  }

  // Once per animation frame: the pad's state for the game, its Start and
  // Back for the game's commands, and in a box its south and east buttons as
  // answers.
  M.on("frame", () => {
    listenForPads(padSeen || !M.keysInUse(KeysRestMs));
    const [now, second] = listening ? readPads() : [null, null];
    if (now) padSeen = true;
    const before = pad;
    pad = now;
    secondPad = second;
    // Start and Back go to the game as they go down and up, and the game
    // decides as the desktop does (P or H as one is let go alone, the menu
    // as both are held); under a box they are followed and give nothing. A
    // pad that went away lets go of them.
    const isDown = (state, b) => !!(state && state.buttons[b]);
    for (const b of [Start, Back])
      if (isDown(now, b) !== isDown(before, b))
        M.pushEvent([4, b, isDown(now, b) ? 1 : 0, page.dialog || !now ? 1 : 0]);
    if (!now) return;
    const pressedNow = (b) => now.buttons[b] && !(before && before.buttons[b]);
    const moved = now.buttons.some((b) => b) || now.axes.slice(0, 4).some((a) => Math.abs(a) > 16000) ||
                  now.axes[5] > 16383;
    if (moved) M.useInput("pad");
    if (page.dialog) {
      if (pressedNow(South)) M.answerDialog("yes");
      else if (pressedNow(East)) M.answerDialog("no");
    }
  });
  // Pad 0 drives, pad 1 plays the second player.
  M.padState = (index) => (page.dialog ? null : index === 1 ? secondPad : pad);
  listenForPads(true);
})(window.Morvask);
