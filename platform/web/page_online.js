// Online play in the page: a #host link asks the lobby that served the page
// for a room and shows the link that joins it (#join=CODE); the game tells
// the page each stage of the meeting and the game, which the page says in
// its status and keeps in page.online for its tests.
"use strict";

(function (M) {
  const page = M.page;
  page.online = null;
  const said = document.getElementById("share-said");
  const field = document.getElementById("share-text");
  const line = document.getElementById("share-line");
  const base = () => location.href.split("#")[0];
  const isOnline = (hash) => hash === "#host" || /^#(host&|join=)/.test(hash);

  // The join link, selected in the share field for copying.
  function showJoinLink(link) {
    said.textContent = "Send the other player this link: ";
    field.value = link;
    field.hidden = false;
    line.hidden = false;
    field.select();
  }

  const say = {
    asking: (text) => (text ? `Joining the online game ${text}…` : "Asking the lobby for a room…"),
    room: (code) => `Hosting an online game (room ${code}): waiting for the other player.`,
    playing: () => "Playing online: you drive the first player's keys, the other player the " +
                   "other tank.",
    failed: (text) => `The online game did not start: ${text}. The game starts as ever.`,
    ended: (text, ticks) => `The online game ended after ${ticks} ticks agreed` +
                            (text ? `: ${text}` : "."),
  };

  M.onlineHooks = {
    onlineStage: (stage, text, ticks, checksum) => {
      page.online = { ...(page.online || {}), stage, text, ticks, checksum };
      if (stage === "room") {
        page.online.code = text;
        page.online.link = `${base()}#join=${text}`;
        showJoinLink(page.online.link);
      } else if (stage === "playing") {
        page.online.startedMs = performance.now();
        line.hidden = true;
      }
      M.say(say[stage](text, ticks));
    },
    // The agreed game's replay, for the page's tests to verify.
    onlineReplay: (bytes) => (page.online.replay = bytes),
  };

  // A link to another online game followed while the page is open starts it.
  window.addEventListener("hashchange", () => {
    if (isOnline(location.hash)) location.reload();
  });
})(window.Morvask);
