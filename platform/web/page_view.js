// How the web edition shows the field: the picture the game presents (only
// the rectangles that changed), scaled to the room the layout leaves it. A
// whole factor with sharp pixels where one fills the room; otherwise a
// whole-factor enlargement filtered smoothly down to the size (sharp-
// bilinear), or, below 1x, smooth filtering alone: never a pixelated
// shrink, which drops whole rows and columns of the boxes' text.
"use strict";

(function (M) {
  const W = M.FieldWidth, H = M.FieldHeight;
  const page = M.page;
  const screen = document.getElementById("screen");
  // The field at 1x, as the game draws it.
  const field = document.getElementById("field");
  const fieldContext = field.getContext("2d", { alpha: false });
  // The field enlarged by a whole factor, for sharp-bilinear.
  const view = document.getElementById("view");
  let viewContext = null;
  let factor = 1;
  let shown = field;
  page.view = { mode: "whole", scale: 1, factor: 1, width: W, height: H };

  // A share of the room a whole factor must fill to be used: less is left
  // to smooth scaling, which fills all of it.
  const WholeFill = 0.95;

  // ---- Presenting ---------------------------------------------------------

  let image = null;
  function imageAt(pointer, width, height) {
    const buffer = Module.HEAPU8.buffer;
    if (!image || image.pointer !== pointer || image.buffer !== buffer ||
        image.data.width !== width) {
      const bytes = new Uint8ClampedArray(buffer, pointer, width * height * 4);
      image = { pointer, buffer, data: new ImageData(bytes, width, height) };
    }
    return image.data;
  }

  // The picture at `pointer` (RGBA), only inside the `count` rectangles at
  // `rects` (x, y, width, height as 32-bit values) when count > 0.
  M.present = (pointer, width, height, rects, count, window) => {
    const started = performance.now();
    const data = imageAt(pointer, width, height);
    if (!count) {
      page.presentedPixels += width * height;
      fieldContext.putImageData(data, 0, 0);
      if (factor > 1) viewContext.drawImage(field, 0, 0, W * factor, H * factor);
    } else {
      const r = Module.HEAP32.subarray(rects >> 2, (rects >> 2) + 4 * count);
      for (let i = 0; i < r.length; i += 4) {
        page.presentedPixels += r[i + 2] * r[i + 3];
        fieldContext.putImageData(data, 0, 0, r[i], r[i + 1], r[i + 2], r[i + 3]);
        if (factor > 1)
          viewContext.drawImage(field, r[i], r[i + 1], r[i + 2], r[i + 3], r[i] * factor,
                                r[i + 1] * factor, r[i + 2] * factor, r[i + 3] * factor);
      }
    }
    page.framesShown += 1;
    page.presentMs += performance.now() - started;
    if (window && page.checkPresents > 0) checkPresent(window, width, height);
    if (page.firstFrameMs === null) {
      page.firstFrameMs = performance.now();
      setTimeout(() => M.emit("shown"), 0);
    }
    // The first box the player can read (the first frame is the empty field).
    if (page.dialog && page.firstBoxMs === null) page.firstBoxMs = performance.now();
  };

  // For the tests: the canvas against the window's own picture (0x00RRGGBB),
  // for the next `page.checkPresents` frames; the pixels that differ are
  // counted in `page.presentMismatches`.
  function checkPresent(window, width, height) {
    page.checkPresents -= 1;
    const shown = fieldContext.getImageData(0, 0, width, height).data;
    const pixels = Module.HEAPU32.subarray(window >> 2, (window >> 2) + width * height);
    let wrong = 0;
    for (let i = 0, at = 0; i < pixels.length; ++i, at += 4) {
      const p = pixels[i];
      if (shown[at] !== ((p >> 16) & 255) || shown[at + 1] !== ((p >> 8) & 255) ||
          shown[at + 2] !== (p & 255)) wrong += 1;
    }
    page.presentsChecked = (page.presentsChecked || 0) + 1;
    page.presentMismatches = (page.presentMismatches || 0) + wrong;
  }

  // ---- Scaling ------------------------------------------------------------

  // The field's CSS size in a room of roomWidth x roomHeight CSS pixels, and
  // how it is filtered there.
  function chooseScale(roomWidth, roomHeight) {
    const ratio = window.devicePixelRatio || 1;
    const fit = Math.max(0.1, Math.min(roomWidth / W, roomHeight / H));
    const device = fit * ratio;
    const whole = Math.floor(device);
    if (whole >= 1 && whole / device >= WholeFill)
      return { mode: "whole", scale: whole / ratio, factor: 1 };
    if (device >= 1) return { mode: "sharp", scale: fit, factor: Math.ceil(device) };
    return { mode: "smooth", scale: fit, factor: 1 };
  }

  function useFactor(newFactor) {
    if (newFactor === factor) return;
    factor = newFactor;
    if (factor > 1) {
      view.width = W * factor;
      view.height = H * factor;
      viewContext = view.getContext("2d", { alpha: false });
      viewContext.imageSmoothingEnabled = false;
      viewContext.drawImage(field, 0, 0, W * factor, H * factor);
    } else {
      view.width = view.height = 0;
    }
    shown = factor > 1 ? view : field;
    view.hidden = factor <= 1;
    field.hidden = factor > 1;
  }

  // Lays the field out in the room the page's layout gives it (M.room).
  M.fitField = () => {
    const [roomWidth, roomHeight] = M.room();
    const choice = chooseScale(roomWidth, roomHeight);
    useFactor(choice.factor);
    const width = W * choice.scale, height = H * choice.scale;
    shown.style.width = `${width}px`;
    shown.style.height = `${height}px`;
    shown.classList.toggle("pixelated", choice.mode === "whole");
    page.view = { ...choice, width, height };
    M.emit("layout", page.view);
  };

  // A point of the window (client pixels) in field pixels, at any scale.
  M.fieldPoint = (clientX, clientY) => {
    const box = shown.getBoundingClientRect();
    return [Math.floor(((clientX - box.left) * W) / box.width),
            Math.floor(((clientY - box.top) * H) / box.height)];
  };
  M.shownCanvas = () => shown;

  // ---- Full screen --------------------------------------------------------

  M.toggleFullscreen = () => {
    const whole = document.documentElement;
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    else if (whole.requestFullscreen) whole.requestFullscreen().catch(() => {});
  };
  document.addEventListener("fullscreenchange", () => {
    document.body.classList.toggle("fullscreen", document.fullscreenElement !== null);
    M.fitField();
  });
  screen.addEventListener("dblclick", (event) => event.preventDefault());
})(window.Morvask);
