// The web edition keeps the editor's work: while edits are not saved,
// leaving the page asks first, the working levels are kept in the page's
// storage as they change and offered back on the next visit, and a storage
// that refuses them (full, a private window) is said in a box.
"use strict";

(function (M) {
  const page = M.page;
  const Key = "morvask.work";
  const KeepEveryMs = 1000;
  page.work = { kept: 0, offered: null, failed: null, box: null };

  // ---- The page's own box -------------------------------------------------

  const box = document.getElementById("workbox");
  const english = () => (M.language ? M.language() === "en" : false);
  const Texts = {
    caption: ["未保存的编辑", "Unsaved edits"],
    offer: ["上次离开时编辑器里有未保存的关卡（%s）。\n是否在编辑器中打开它们？",
            "The editor had levels that were not saved when you last left (%s).\n" +
            "Open them in the editor?"],
    failed: ["浏览器拒绝保存编辑中的关卡（存储已满或处于隐私模式）：\n" +
             "关闭或刷新页面会丢失未保存的编辑。请按F3保存，或下载 map.txt。",
             "The browser refused to keep the levels being edited (its storage is full, " +
             "or this is a private window):\nclosing or reloading the page loses the " +
             "unsaved edits. Save them with F3, or download map.txt."],
    yes: ["是", "Yes"], no: ["否", "No"], ok: ["确定", "OK"],
  };
  const text = (name) => Texts[name][english() ? 1 : 0];

  // Shows the box; resolves with "yes", "no" or "ok" as the player answers.
  function ask(message, answers) {
    return new Promise((resolve) => {
      box.querySelector("h2").textContent = text("caption");
      box.querySelector("p").textContent = message;
      const buttons = box.querySelector(".answers");
      buttons.textContent = "";
      for (const answer of answers) {
        const button = document.createElement("button");
        button.type = "button";
        button.textContent = text(answer);
        button.dataset.answer = answer;
        button.addEventListener("click", () => {
          box.hidden = true;
          page.work.box = null;
          document.getElementById("screen").focus({ preventScroll: true });
          resolve(answer);
        });
        buttons.appendChild(button);
      }
      page.work.box = { text: message, answers };
      box.hidden = false;
      buttons.firstChild.focus({ preventScroll: true });
    });
  }

  // ---- Keeping the work ---------------------------------------------------

  const game = () => page.ready && typeof Module !== "undefined" && Module._morvask_edits_unsaved;
  const unsaved = () => game() && Module._morvask_edits_unsaved() !== 0;
  // What this page stored last: only that is removed once the work is saved,
  // never the work of a visit not yet offered back.
  let stored = null;
  let toldFailure = false;

  function storageFailed(error) {
    page.work.failed = String(error && (error.name || error.message || error));
    if (toldFailure) return;
    toldFailure = true;
    ask(text("failed"), ["ok"]);
  }

  // Nothing is kept (or let go) before the last visit's work is offered:
  // a link's levels opened at the start must not take its place.
  function keep() {
    if (!game() || page.work.offered === null || page.work.offered === "waiting") return;
    try {
      if (!unsaved()) {
        if (stored !== null) localStorage.removeItem(Key);
        stored = null;
        return;
      }
      const value = JSON.stringify({
        levels: Module.UTF8ToString(Module._morvask_level_set()),
        shared: Module._morvask_levels_shared() !== 0,
        at: new Date().toISOString(),
      });
      if (value === stored) return;
      localStorage.setItem(Key, value);
      stored = value;
      page.work.kept += 1;
      toldFailure = false;
    } catch (error) {
      storageFailed(error);
    }
  }
  setInterval(keep, KeepEveryMs);

  window.addEventListener("beforeunload", (event) => {
    keep();
    if (!unsaved()) return;
    event.preventDefault();
    event.returnValue = "";
  });

  // ---- Offering it back ---------------------------------------------------

  function storedWork() {
    try {
      const work = JSON.parse(localStorage.getItem(Key) || "null");
      return work && typeof work.levels === "string" ? work : null;
    } catch (error) {
      return null;
    }
  }

  // Once the game runs: the work of the last visit into the editor as a drop
  // (after the start-up boxes, as a link's levels), the player's own levels
  // as their own, a share's as a share.
  async function offer() {
    const work = earlier;
    if (!work) {
      page.work.offered = "none";
      return;
    }
    page.work.offered = "waiting";
    const when = new Date(work.at).toLocaleString(english() ? "en" : "zh-CN");
    const answer = await ask(text("offer").replace("%s", when), ["yes", "no"]);
    page.work.offered = answer;
    if (answer === "yes") {
      stored = JSON.stringify(work);
      if (!work.shared) Module._morvask_next_drop_own();
      M.drop(work.levels);
    } else {
      try {
        localStorage.removeItem(Key);
      } catch (error) {
        storageFailed(error);
      }
    }
  }
  // Read as the page loads, before this visit keeps anything.
  const earlier = storedWork();
  // The offer waits for the game's start-up boxes (and the first level's):
  // its box and the game's never stand together.
  const waitForGame = setInterval(() => {
    if (!game() || !(page.ticks > 0) || page.dialog) return;
    clearInterval(waitForGame);
    offer();
  }, 100);
})(window.Morvask);
