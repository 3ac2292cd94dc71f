// The game's menu on a touch screen: the field's own menu is a third of its
// size on a phone, too small to read or tap, so while it is open the page
// shows its caption, rows and note itself, as it shows the boxes, and a tap
// on a row gives the game the keys that choose it (the game's menu decides,
// and a replay records the keys). The language the game speaks comes with
// the menu: one chosen on the options screen becomes the page's too.
"use strict";

(function (M) {
  const page = M.page;
  const panel = document.getElementById("touchmenu");
  const caption = document.getElementById("touchmenu-caption");
  const rowsShown = panel.querySelector(".rows");
  const note = panel.querySelector(".note");
  const VK = { left: 0x25, up: 0x26, right: 0x27, down: 0x28, enter: 0x0d, escape: 0x1b };
  const EventMenuKey = 6;
  page.menu = null;

  // The keys that move the focus to `row` and then do `last` there.
  function keysTo(row, last) {
    const steps = row - page.menu.focus;
    const keys = new Array(Math.abs(steps)).fill(steps < 0 ? VK.up : VK.down);
    for (const key of keys.concat([last])) M.pushEvent([EventMenuKey, key]);
    // Where the game's focus is once those keys are in, for a second tap
    // before the menu comes back.
    page.menu.focus = row;
  }

  function button(text, className, onTap) {
    const b = document.createElement("button");
    b.type = "button";
    b.textContent = text;
    if (className) b.className = className;
    b.addEventListener("click", onTap);
    return b;
  }

  function row(entry, index) {
    const [label, value, changes] = entry;
    const line = document.createElement("div");
    line.className = "row" + (index === page.menu.focus ? " focus" : "");
    const choose = button(value ? `${label}: ${value}` : label, "choose",
                          () => keysTo(index, VK.enter));
    choose.dataset.row = String(index);
    choose.disabled = page.menu.capturing;
    if (changes) {
      const less = button("◀", "step", () => keysTo(index, VK.left));
      const more = button("▶", "step", () => keysTo(index, VK.right));
      less.setAttribute("aria-label", `${label}: ◀`);
      more.setAttribute("aria-label", `${label}: ▶`);
      less.disabled = more.disabled = page.menu.capturing;
      line.append(less, choose, more);
    } else {
      line.append(choose);
    }
    return line;
  }

  // Where focus goes back to when the menu closes.
  let focusBefore = null;
  function show() {
    const menu = page.menu;
    const visible = menu !== null && page.input === "touch";
    const wasVisible = !panel.hidden;
    panel.hidden = !visible;
    if (!visible) {
      if (wasVisible && focusBefore && document.contains(focusBefore) &&
          focusBefore.getClientRects().length > 0)
        focusBefore.focus({ preventScroll: true });
      return;
    }
    if (!wasVisible) focusBefore = document.activeElement;
    caption.textContent = menu.caption;
    back.textContent = page.menuLanguage === "en" ? "◀ back" : "◀ 返回";
    rowsShown.textContent = "";
    menu.rows.forEach((entry, index) => rowsShown.appendChild(row(entry, index)));
    note.textContent = menu.note;
    note.hidden = !menu.note;
    const focused = rowsShown.children[menu.focus];
    if (focused) {
      focused.scrollIntoView({ block: "nearest" });
      if (!panel.contains(document.activeElement) || !wasVisible)
        focused.querySelector(".choose").focus({ preventScroll: true });
    }
  }

  const back = document.getElementById("touchmenu-back");
  back.addEventListener("click", () => M.pushEvent([EventMenuKey, VK.escape]));

  M.on("frame", () => {
    if (!page.ready || typeof Module === "undefined" || !Module._morvask_menu_if_changed) return;
    const changed = Module._morvask_menu_if_changed();
    if (!changed) return;
    const menu = JSON.parse(Module.UTF8ToString(changed));
    if (menu.lang) M.followGameLanguage(menu.lang);
    page.menuLanguage = M.language();
    page.menu = menu.open ? menu : null;
    show();
  });
  M.on("input", show);
})(window.Morvask);
