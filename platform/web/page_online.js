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
  const isOnline = (hash) => hash === "#host" || /^#(host&|join=|watch=)/.test(hash);

  // The join link, selected in the share field for copying.
  function showJoinLink(link) {
    said.textContent = "Send the other player this link: ";
    field.value = link;
    field.hidden = false;
    line.hidden = false;
    field.select();
  }

  const say = {
    asking: (text) => (text ? `Asking the lobby for the online game ${text}…`
                            : "Asking the lobby for a room…"),
    room: (code) => `Hosting an online game (room ${code}): waiting for the other player. ` +
                    `Others can watch it at ${base()}#watch=${code}`,
    watching: (code) => `Watching the online game ${code}, a few seconds behind its players.`,
    playing: () => "Playing online: you drive the first player's keys, the other player the " +
                   "other tank.",
    failed: (text) => `The online game did not start: ${text}. The game starts as ever.`,
    ended: (text, ticks) => `The online game ended after ${ticks} ticks ` +
                            (page.online.watching ? "watched" : "agreed") +
                            (text ? `: ${text}` : "."),
  };

  M.onlineHooks = {
    onlineStage: (stage, text, ticks, checksum) => {
      page.online = { ...(page.online || {}), stage, text, ticks, checksum, at: Date.now() };
      if (stage === "room") {
        page.online.code = text;
        page.online.link = `${base()}#join=${text}`;
        page.online.watchLink = `${base()}#watch=${text}`;
        showJoinLink(page.online.link);
      } else if (stage === "watching") {
        page.online.watching = true;
        page.online.startedMs = performance.now();
      } else if (stage === "playing") {
        page.online.startedMs = performance.now();
        line.hidden = true;
      }
      M.say(say[stage](text, ticks));
    },
    // The agreed game's replay, for the page's tests to verify.
    onlineReplay: (bytes) => (page.online.replay = bytes),
  };

  // The page's own way in: host a room, or join one by its code (the
  // game starts afresh for it, as when the link is opened).
  const choice = document.getElementById("online-line");
  const code = document.getElementById("online-code");
  document.getElementById("online").addEventListener("click", (event) => {
    event.currentTarget.blur();
    choice.hidden = !choice.hidden;
    if (!choice.hidden) code.focus();
  });
  document.getElementById("online-close").addEventListener("click", () => (choice.hidden = true));
  document.getElementById("online-host").addEventListener("click", () => (location.hash = "#host"));
  function go(what) {
    const typed = code.value.toUpperCase().replace(/[^0-9A-Z]/g, "");
    if (typed.length !== 10) return M.say("A room's code is 10 letters and digits, as ABCDE-FGHJK.");
    location.hash = `#${what}=${typed.slice(0, 5)}-${typed.slice(5)}`;
  }
  document.getElementById("online-join").addEventListener("click", () => go("join"));
  document.getElementById("online-watch").addEventListener("click", () => go("watch"));
  code.addEventListener("keydown", (event) => {
    if (event.key === "Enter") go("join");
  });

  // A link to another online game followed while the page is open starts it.
  window.addEventListener("hashchange", () => {
    if (isOnline(location.hash)) location.reload();
  });
})(window.Morvask);
