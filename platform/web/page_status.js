// The status beside the field, in the game's own words and the page's
// language: under the field in place of the caption once a game has begun,
// one part to a line above the left thumb's controls on a touch screen and
// in the bar beside the field in full screen, and in the tab's title after
// the game's name, as the desktop's window title has it.
"use strict";

(function (M) {
  const page = M.page;
  const below = document.getElementById("below");
  const line = document.getElementById("game-status");
  const caption = document.getElementById("caption");
  const touchLines = document.getElementById("game-status-touch");
  const sideLines = document.getElementById("game-status-side");
  const gameTitle = document.title;
  page.status = "";

  function show(text) {
    page.status = text;
    const height = below.offsetHeight;
    line.textContent = text;
    line.hidden = !text;
    caption.hidden = !!text;
    // Each part in its own span, a line of its own where the column is
    // narrow (page.css); a long part wraps between its pairs ("Armour 1
    // Fire 2"), never inside one.
    const parts = text ? text.split(" · ").map((part) => part.replace(/([^\s\d]) (\d)/g,
                                                                      "$1\u00a0$2")) : [];
    for (const column of [touchLines, sideLines])
      column.replaceChildren(...parts.map((part) => {
        const span = document.createElement("span");
        span.textContent = part;
        return span;
      }));
    document.title = text ? `${gameTitle} — ${text}` : gameTitle;
    // The field's room is what the text under it leaves.
    if (below.offsetHeight !== height) M.fitField();
    else levelHeads();
  }

  // On a touch screen the block over each thumb's ring (the status and the
  // lock, the three buttons) is as tall as the other, so that the two rings
  // stand level in either orientation.
  const heads = [document.querySelector("#left .head"), document.querySelector("#right > .tools")];
  function levelHeads() {
    for (const head of heads) head.style.minHeight = "";
    if (!document.body.classList.contains("touch")) return;
    const tallest = Math.max(...heads.map((head) => head.offsetHeight));
    for (const head of heads) head.style.minHeight = `${tallest}px`;
  }

  // In full screen the bar right of the field holds the status, one part to
  // a line, where it is at least SideRoom CSS pixels wide.
  const SideRoom = 140;
  M.on("layout", (view) => {
    const bar = (document.documentElement.clientWidth - view.width) / 2;
    document.body.style.setProperty("--bar", `${Math.floor(bar)}px`);
    document.body.classList.toggle("roomy", bar >= SideRoom);
    levelHeads();
  });

  // The module hands the status over only when it changed, so a frame of
  // play writes nothing into the page.
  M.on("frame", () => {
    if (!page.ready || !Module._morvask_status_if_changed) return;
    const changed = Module._morvask_status_if_changed();
    if (changed) show(Module.UTF8ToString(changed));
  });
})(window.Morvask);
