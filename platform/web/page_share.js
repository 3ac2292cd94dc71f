// The web edition's sharing: a link to this page with #levels=CODE opens its
// levels in the editor (the game reads the link as a drop and says whose set
// it is, or why it refuses it); #replay=CODE plays the run with speed and
// pause controls and says whether it went as recorded; the share buttons copy
// a link to the level in the editor, all 35 levels, or the run up to the
// last finished game (the Clipboard API, or a field to copy from when the
// browser refuses it). Text or a file dropped on the field opens the same way.
"use strict";

(function (M) {
  const page = M.page;
  page.share = { drops: 0, copied: null, shown: null, replay: null };
  const ShareLevel = 1, ShareSet = 2, ShareRun = 3;
  // The game takes at most this much of a drop (platform.h's cap).
  const MostDropBytes = 2 << 20;

  // ---- Drops ----------------------------------------------------------------

  // The text the game reads next as dropped (a key-down of VK_DROP tells it).
  let dropped = "", droppedLink = false;
  const encoder = new TextEncoder();
  // `link`: the text is the page's own address, followed (its reply then
  // speaks of a link, not of a drop).
  M.drop = (text, link = false) => {
    dropped = String(text);
    droppedLink = link;
    page.share.drops += 1;
    M.pushEvent([5]);
  };
  const hooks = {
    // The replay dropped before this start (its bytes), or null.
    droppedReplay: () => droppedReplay,
    dropBytes: () => Math.min(encoder.encode(dropped).length, MostDropBytes),
    takeDrop: () => {
      const text = dropped;
      dropped = "";
      if (droppedLink && Module._morvask_next_drop_link) Module._morvask_next_drop_link();
      droppedLink = false;
      return text;
    },
  };

  // A replay dropped on the page plays in the page, exactly as its link
  // would: a replay plays from a page's start, so the page keeps it for the
  // next start (in sessionStorage, which a reload keeps) and starts again.
  // A replay file begins with its magic; a replay's code, alone or in a
  // link, with the share code's magic, version 1 and kind 3 ("TQED").
  const DroppedReplay = "morvask.dropped-replay";
  const ReplayFileMagic = [0x4d, 0x56, 0x52, 0x50];  // "MVRP"
  const isReplayFile = (bytes) => ReplayFileMagic.every((b, i) => bytes[i] === b);
  const isReplayText = (text) => text.includes("#replay=") || /^\s*TQED/.test(text);
  function playDroppedReplay(bytes) {
    let binary = "";
    for (let i = 0; i < bytes.length; i += 0x8000)
      binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    try {
      sessionStorage.setItem(DroppedReplay, JSON.stringify({ at: Date.now(), bytes: btoa(binary) }));
    } catch (error) {
      M.say("The dropped replay cannot be played here: the browser keeps no room for it " +
            "while the page starts again.");
      return;
    }
    page.share.replayDropped = true;
    // The page starts again at its own address: a link it was opened with
    // is done with.
    history.replaceState(null, "", base());
    location.reload();
  }
  // The replay kept for this start, once (a later reload starts a game); one
  // kept longer ago than a minute was left behind by a start the player
  // called off (the leave question).
  function takeDroppedReplay() {
    let kept = null;
    try {
      kept = JSON.parse(sessionStorage.getItem(DroppedReplay));
      sessionStorage.removeItem(DroppedReplay);
    } catch (error) {
      return null;
    }
    if (!kept || typeof kept.bytes !== "string" || !(Date.now() - kept.at < 60000)) return null;
    const binary = atob(kept.bytes);
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }
  const droppedReplay = takeDroppedReplay();

  function dropText(text) {
    if (isReplayText(text)) playDroppedReplay(encoder.encode(text));
    else M.drop(text);
  }

  const screen = document.getElementById("screen");
  screen.addEventListener("dragover", (event) => event.preventDefault());
  screen.addEventListener("drop", async (event) => {
    event.preventDefault();
    const file = event.dataTransfer.files[0];
    if (file) {
      if (file.size > MostDropBytes) return M.drop("");
      const bytes = new Uint8Array(await file.arrayBuffer());
      if (isReplayFile(bytes)) playDroppedReplay(bytes);
      else dropText(new TextDecoder().decode(bytes));
      return;
    }
    dropText(event.dataTransfer.getData("text/plain") || event.dataTransfer.getData("text/uri-list"));
  });

  // ---- Links ----------------------------------------------------------------

  // The page's own address without its fragment: the base of every link.
  const base = () => location.href.split("#")[0];
  const linkKind = (hash) => (hash.startsWith("#levels=") ? "levels"
                              : hash.startsWith("#replay=") ? "replay" : null);
  const opened = linkKind(location.hash);
  page.share.link = droppedReplay ? "dropped-replay" : opened;
  // The levels of a link go to the game once its start-up boxes are done
  // (the message loop reads them first); a link followed while the page is
  // open goes the same way. A replay link plays from the start of a page.
  // The game calls what it was handed a link, not a drop.
  const followLink = () => M.drop(location.href, true);
  if (opened === "levels") followLink();
  window.addEventListener("hashchange", () => {
    if (linkKind(location.hash) === "levels") followLink();
    else if (linkKind(location.hash) === "replay") location.reload();
  });

  // ---- The share buttons ------------------------------------------------------

  const field = document.getElementById("share-text");
  const shareLine = document.getElementById("share-line");

  function codeOf(kind) {
    if (!page.ready || !Module._morvask_share_code) return "";
    return Module.UTF8ToString(Module._morvask_share_code(kind));
  }

  // Shows the link in the field, selected, for copying by hand.
  function showLink(link, text) {
    field.hidden = false;
    runFile.hidden = true;
    field.value = link;
    shareLine.hidden = false;
    document.body.classList.add("sharing");
    document.getElementById("share-said").textContent = text;
    field.focus({ preventScroll: true });
    field.select();
    page.share.shown = link;
  }

  async function copyLink(link, what) {
    page.share.copied = null;
    page.share.shown = null;
    shareLine.hidden = true;
    document.body.classList.remove("sharing");
    try {
      if (!navigator.clipboard || !window.isSecureContext) throw new Error("no Clipboard API");
      await navigator.clipboard.writeText(link);
      page.share.copied = link;
      M.say(`The link to ${what} is on the clipboard (${link.length} characters).`);
    } catch (error) {
      page.share.clipboardError = String(error && (error.name || error.message || error));
      showLink(link, `The browser keeps the clipboard to itself: copy the link to ${what} ` +
                     "from this field.");
      M.say("");
    }
  }

  // A run too long for a link: the line says so and offers the whole
  // session as a replay file (which morvask --open plays, and which plays
  // here when dropped on the field).
  const runFile = document.getElementById("share-file");
  function offerRunFile() {
    page.share.shown = null;
    field.hidden = true;
    runFile.hidden = false;
    shareLine.hidden = false;
    document.body.classList.add("sharing");
    document.getElementById("share-said").textContent =
      "The run of the last game is too long for a link: keep it as a file instead.";
    // In sight, but not focused: Space and Enter stay the game's.
    runFile.scrollIntoView({ block: "nearest" });
    page.share.fileOffered = true;
  }
  runFile.addEventListener("click", () => {
    if (page.ready && Module._morvask_download_run) Module._morvask_download_run();
  });
  hooks.downloadRun = (bytes) => {
    const url = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
    const link = document.createElement("a");
    link.href = url;
    link.download = "morvask-run.mvr";
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
    page.share.fileBytes = bytes.length;
    M.say(`The run is kept as morvask-run.mvr (${bytes.length} bytes).`);
  };

  function share(kind) {
    const games = page.ready && Module._morvask_games_ended ? Module._morvask_games_ended() : 0;
    const unshared = games > 0 ? Module._morvask_run_unshared() : 0;
    if (kind === ShareRun && games > 0 && unshared === 1) {
      M.say("");
      offerRunFile();
      return;
    }
    if (kind === ShareRun && (games === 0 || unshared)) {
      M.say([
        "Play a game to its end first: then its run can be shared.",
        "The run is too long to share as a link.",
        "A map.txt was uploaded during this session, which a replay cannot give back: " +
          "reload the page to share the runs that follow.",
      ][unshared]);
      return;
    }
    const code = codeOf(kind);
    if (!code) {
      M.say("The game has not started yet.");
      return;
    }
    const what = { [ShareLevel]: "this level", [ShareSet]: "all 35 levels",
                   [ShareRun]: "the run" }[kind];
    const hash = kind === ShareRun ? "#replay=" : "#levels=";
    copyLink(base() + hash + code, what);
  }

  for (const button of document.querySelectorAll("[data-share]")) {
    button.addEventListener("click", (event) => {
      event.currentTarget.blur();
      document.body.classList.remove("menu");
      share(Number(button.dataset.share));
    });
  }
  // Ctrl+Shift+C in play shares the last game's run, as on the desktop, but
  // as the page's link (the editor keeps the key for its level's code).
  window.addEventListener("keydown", (event) => {
    if (event.code === "KeyC" && event.ctrlKey && event.shiftKey && !event.repeat &&
        !page.dialog && page.mode === "play" && !(page.share.replay))
      share(ShareRun);
  });
  document.getElementById("share-close").addEventListener("click", () => {
    shareLine.hidden = true;
    document.body.classList.remove("sharing");
    screen.focus({ preventScroll: true });
  });

  // "share run" stands out once a game has ended.
  let gamesSeen = 0;
  M.on("frame", () => {
    if (!page.ready || !Module._morvask_games_ended) return;
    const games = Module._morvask_games_ended();
    if (games === gamesSeen) return;
    gamesSeen = games;
    page.share.gamesEnded = games;
    document.body.classList.add("run-over");
  });

  // ---- Playing a linked run ---------------------------------------------------

  const bar = document.getElementById("replay-bar");
  const pauseButton = document.getElementById("replay-pause");
  const shown = document.getElementById("replay-shown");
  const said = document.getElementById("replay-result");
  let speed = 1, paused = false, total = 0;

  function showSpeed() {
    for (const button of bar.querySelectorAll("[data-speed]"))
      button.classList.toggle("on", Number(button.dataset.speed) === speed);
    pauseButton.textContent = paused ? "go on (P)" : "pause (P)";
    pauseButton.setAttribute("aria-pressed", String(paused));
  }
  function togglePause() {
    paused = !paused;
    showSpeed();
  }
  for (const button of bar.querySelectorAll("[data-speed]")) {
    button.addEventListener("click", (event) => {
      event.currentTarget.blur();
      speed = Number(button.dataset.speed);
      paused = false;
      showSpeed();
    });
  }
  pauseButton.addEventListener("click", (event) => {
    event.currentTarget.blur();
    togglePause();
  });
  window.addEventListener("keydown", (event) => {
    if (page.share.replay && page.share.replay.state === "playing" && event.code === "KeyP" &&
        !event.repeat)
      togglePause();
  });

  Object.assign(hooks, {
    replaySpeed: () => (paused ? 0 : speed),
    replayStarted: (ticks) => {
      total = ticks;
      page.share.replay = { state: "playing", tick: 0, total };
      document.body.classList.add("replaying");
      bar.hidden = false;
      showSpeed();
    },
    replayProgress: (ticks) => {
      page.share.replay.tick = ticks;
      shown.textContent = `tick ${ticks} of ${total}`;
    },
    replayEnded: (result) => {
      Object.assign(page.share.replay, result, { state: "ended" });
      const hex = (n) => "0x" + n.toString(16).padStart(8, "0");
      said.textContent = result.same
        ? `The same game as recorded: ${result.tick} ticks, checksum ${hex(result.checksum)}.`
        : `This game differs from the recording at tick ${result.desyncTick}: ${result.reason}`;
      said.className = result.same ? "same" : "differs";
      shown.textContent = `tick ${result.tick} of ${total}`;
      pauseButton.hidden = true;
      document.getElementById("replay-own").hidden = false;
    },
    replayRefused: (reason) => {
      page.share.replay = { state: "refused", reason };
      const what = droppedReplay ? "The dropped replay" : "The replay link";
      M.say(`${what} is refused: ${reason}. The game starts as ever.`);
    },
    // The game's menu shares the run of the last game as the page's button does.
    shareRun: () => share(ShareRun),
  });
  document.getElementById("replay-own").addEventListener("click", () => {
    location.href = base();
  });

  M.shareHooks = hooks;
})(window.Morvask);
