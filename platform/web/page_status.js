// The status beside the field, in the game's own words and the page's
// language: under the field in place of the caption once a game has begun
// (on a touch screen above the left thumb's controls, one part to a line),
// and in the tab's title after the game's name, as the desktop's window
// title has it.
"use strict";

(function (M) {
  const page = M.page;
  const below = document.getElementById("below");
  const line = document.getElementById("hud");
  const caption = document.getElementById("caption");
  const touchLines = document.getElementById("hud-touch");
  const gameTitle = document.title;
  let version = -1;
  page.status = "";

  function show(text) {
    page.status = text;
    const height = below.offsetHeight;
    line.textContent = text;
    line.hidden = !text;
    caption.hidden = !!text;
    touchLines.textContent = text.split(" · ").join("\n");
    document.title = text ? `${gameTitle} — ${text}` : gameTitle;
    // The field's room is what the text under it leaves.
    if (below.offsetHeight !== height) M.fitField();
  }

  // The module says when the status changed; the page reads the text only
  // then, so a frame of play writes nothing into the page.
  M.on("frame", () => {
    if (!page.ready || !Module._morvask_status_version) return;
    const now = Module._morvask_status_version();
    if (now === version) return;
    version = now;
    show(Module.UTF8ToString(Module._morvask_status_text()));
  });
})(window.Morvask);
