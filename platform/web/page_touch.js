// The web edition's layouts and touch controls. The page lays itself out for
// the keyboard (the field, the page's text and buttons below), or, from the
// first touch on, for a finger: the field with a direction pad under the
// left thumb and the gun ring around a large fire button under the right
// one, beside the field in landscape and below it in portrait. The controls
// hold the game's own keys, as the keyboard would; a key or a gamepad hides
// them again. In the editor they give way to the brush bar and the editor's
// commands, and while a box is open a touch screen shows the box's text and
// buttons at a size that can be read and tapped.
"use strict";

(function (M) {
  const page = M.page;
  const body = document.body;
  const below = document.getElementById("below");
  const VK = { left: 0x25, up: 0x26, right: 0x27, down: 0x28, space: 0x20, ctrl: 0x11,
               escape: 0x1b, f1: 0x70, f2: 0x71, f3: 0x72, f5: 0x74 };

  // ---- Layouts ------------------------------------------------------------

  // The width of the page's text beside the field in a wide window.
  const SideColumn = 300;

  // The room left for the field, in CSS pixels.
  M.room = () => {
    const width = document.documentElement.clientWidth;
    const height = document.documentElement.clientHeight;
    if (!body.classList.contains("touch")) {
      if (document.fullscreenElement) return [width, height];
      // The page's text and buttons go below the field, or beside it in a
      // wide window where that leaves the field more room.
      body.classList.remove("wide");
      const across = width - 16;
      const under = [across, height - below.offsetHeight - 16];
      const beside = [across - SideColumn, height - 16];
      const fit = ([w, h]) => Math.min(w / M.FieldWidth, h / M.FieldHeight);
      if (fit(beside) <= fit(under) * 1.04) return under;
      body.classList.add("wide");
      return beside;
    }
    if (width > height) {
      const side = Math.round(Math.min(240, Math.max(120, width * 0.18)));
      body.style.setProperty("--side", `${side}px`);
      return [width - 2 * side, height];
    }
    return [width, height - Math.max(240, Math.round(height * 0.36))];
  };

  function layout() {
    const touch = page.input === "touch";
    const wide = document.documentElement.clientWidth > document.documentElement.clientHeight;
    body.classList.toggle("touch", touch);
    body.classList.toggle("landscape", touch && wide);
    body.classList.toggle("portrait", touch && !wide);
    if (!touch) body.classList.remove("menu");
    M.fitField();
    showTouchBox();
  }
  M.on("input", (kind) => {
    if (kind !== "touch") releaseAll();
    layout();
  });
  window.addEventListener("resize", layout);

  // The first touch anywhere shows the controls.
  window.addEventListener("pointerdown", (event) => {
    if (event.pointerType === "touch" || event.pointerType === "pen") M.useInput("touch");
  }, true);

  // ---- The pad and the gun ring -------------------------------------------

  // Each finger on a control holds one key, found from where it is: the pad
  // drives along its stronger axis (nothing near its centre); the ring turns
  // the gun, and its centre fires.
  function padKey(dx, dy, r) {
    if (r < 0.2) return 0;
    if (Math.abs(dx) > Math.abs(dy)) return dx < 0 ? VK.left : VK.right;
    return dy < 0 ? VK.up : VK.down;
  }
  function gunKey(dx, dy, r) {
    if (r < 0.46) return VK.space;
    if (Math.abs(dx) > Math.abs(dy)) return dx < 0 ? 0x41 : 0x44;  // A, D
    return dy < 0 ? 0x57 : 0x53;  // W, S
  }

  const fingers = new Map();  // pointerId -> { element, key }
  let held = new Set();

  function follow() {
    const now = new Set();
    for (const finger of fingers.values()) if (finger.key) now.add(finger.key);
    for (const key of held) if (!now.has(key)) M.holdTouchKey(key, false);
    for (const key of now) if (!held.has(key)) M.holdTouchKey(key, true);
    held = now;
    page.touchKeys = Array.from(held);
    for (const element of document.querySelectorAll(".held")) element.classList.remove("held");
    for (const finger of fingers.values())
      if (finger.key) (finger.mark || finger.element).classList.add("held");
  }

  function releaseAll() {
    fingers.clear();
    follow();
  }

  function place(finger, event) {
    const box = finger.element.getBoundingClientRect();
    const dx = event.clientX - (box.left + box.width / 2);
    const dy = event.clientY - (box.top + box.height / 2);
    const r = Math.hypot(dx, dy) / (box.width / 2);
    finger.key = finger.zone ? finger.zone(dx, dy, r) : finger.fixed;
    finger.mark = finger.zone ? finger.element.querySelector(`[data-vk="${finger.key}"]`) : null;
  }

  function control(element, zone, fixed) {
    element.addEventListener("pointerdown", (event) => {
      event.preventDefault();
      M.unlockAudio();
      element.setPointerCapture(event.pointerId);
      const finger = { element, zone, fixed };
      fingers.set(event.pointerId, finger);
      place(finger, event);
      follow();
    });
    element.addEventListener("pointermove", (event) => {
      const finger = fingers.get(event.pointerId);
      if (!finger || !zone) return;
      place(finger, event);
      follow();
    });
    const lift = (event) => {
      if (fingers.delete(event.pointerId)) follow();
    };
    element.addEventListener("pointerup", lift);
    element.addEventListener("pointercancel", lift);
    element.addEventListener("lostpointercapture", lift);
    element.addEventListener("contextmenu", (event) => event.preventDefault());
  }

  control(document.getElementById("pad"), padKey);
  control(document.getElementById("gun"), gunKey);
  for (const button of document.querySelectorAll("[data-hold]"))
    control(button, null, Number(button.dataset.hold));

  // ---- The editor's bar ---------------------------------------------------

  for (const button of document.querySelectorAll("[data-tap]")) {
    button.addEventListener("click", () => {
      const modifiers = button.dataset.ctrl ? [VK.ctrl] : [];
      M.tapKey(Number(button.dataset.tap), modifiers);
      if (button.dataset.brush) {
        for (const b of document.querySelectorAll("[data-brush]")) b.classList.remove("on");
        button.classList.add("on");
      }
    });
  }
  const eraser = document.getElementById("eraser");
  eraser.addEventListener("click", () => {
    M.eraser = !M.eraser;
    eraser.classList.toggle("on", M.eraser);
    eraser.setAttribute("aria-pressed", String(M.eraser));
  });
  // On a touch screen the menu covers the page: a dialog while it is open,
  // focus in it, and back on its button when it closes.
  const menuButton = document.getElementById("menu");
  new MutationObserver(() => {
    const open = body.classList.contains("menu");
    if (open === (below.getAttribute("role") === "dialog")) return;
    if (open) {
      below.setAttribute("role", "dialog");
      below.setAttribute("aria-modal", "true");
      below.setAttribute("aria-label", "menu");
      document.getElementById("close-menu").focus({ preventScroll: true });
    } else {
      below.removeAttribute("role");
      below.removeAttribute("aria-modal");
      below.removeAttribute("aria-label");
      if (below.contains(document.activeElement)) menuButton.focus({ preventScroll: true });
    }
  }).observe(body, { attributes: true, attributeFilter: ["class"] });
  menuButton.addEventListener("click", () => body.classList.toggle("menu"));
  document.getElementById("close-menu").addEventListener("click", () => body.classList.remove("menu"));

  // Which controls show follows the game: the editor, a level tried from
  // it, or play.
  let mode = -1;
  M.on("frame", () => {
    const now = typeof Module !== "undefined" && Module._morvask_mode ? Module._morvask_mode() : 0;
    if (now === mode) return;
    mode = now;
    page.mode = ["play", "editor", "trying"][mode] || "play";
    body.classList.toggle("editing", mode === 1);
    body.classList.toggle("trying", mode === 2);
    if (mode === 1) releaseAll();
  });

  // ---- Boxes on a touch screen --------------------------------------------

  const touchBox = document.getElementById("touchbox");
  const boxSaid = document.getElementById("box-said");
  const screen = document.getElementById("screen");
  // Where focus goes back to when the box closes.
  let focusBefore = null;
  function showTouchBox() {
    const box = page.dialog;
    const visible = box !== null && page.input === "touch";
    // The game draws its boxes on the field: a screen reader hears them here.
    boxSaid.textContent = box ? [box.caption, box.text].filter(Boolean).join(": ") : "";
    const wasVisible = !touchBox.hidden;
    touchBox.hidden = !visible;
    if (!visible) {
      // Back where it was, or on the field when that is gone or hidden now
      // (a menu button, say).
      const shown = focusBefore && document.contains(focusBefore) &&
                    focusBefore.getClientRects().length > 0;
      if (wasVisible) (shown ? focusBefore : screen).focus({ preventScroll: true });
      return;
    }
    if (!wasVisible) focusBefore = document.activeElement;
    touchBox.querySelector("h2").textContent = box.caption;
    touchBox.querySelector("p").textContent = box.text;
    // A box without a caption is named by its first line.
    touchBox.setAttribute("aria-labelledby", box.caption ? "touchbox-caption" : "touchbox-text");
    const buttons = touchBox.querySelector(".answers");
    buttons.textContent = "";
    const answers = box.buttons === "yesno" ? [["yes", 1], ["no", 2]] : [["ok", 0]];
    for (const [answer, label] of answers) {
      const button = document.createElement("button");
      button.type = "button";
      button.textContent = box.labels ? box.labels[label] : answer;
      button.dataset.answer = answer;
      button.addEventListener("click", () => M.answerDialog(answer));
      buttons.appendChild(button);
    }
    buttons.firstChild.focus({ preventScroll: true });
  }
  M.on("dialog", showTouchBox);

  if (window.matchMedia && matchMedia("(hover: none) and (pointer: coarse)").matches)
    page.input = "touch";
  M.layout = layout;
})(window.Morvask);
