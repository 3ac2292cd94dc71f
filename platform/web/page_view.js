// How the web edition shows the field: the picture the game presents (only
// the rectangles that changed), scaled to the room the layout leaves it. A
// whole factor with sharp pixels where one fills the room; otherwise a
// whole-factor enlargement filtered smoothly down to the size (sharp-
// bilinear, which the game works out in the screen's own pixels), or, below
// 1x, smooth filtering alone: never a pixelated shrink, which drops whole
// rows and columns of the boxes' text.
"use strict";

(function (M) {
  const W = M.FieldWidth, H = M.FieldHeight;
  const page = M.page;
  const screen = document.getElementById("screen");
  // The field at 1x, as the game draws it.
  const field = document.getElementById("field");
  const fieldContext = field.getContext("2d", { alpha: false });
  // The field in sharp-bilinear, in the screen's pixels, as the game scales
  // it: the browser shows it as it is, at no cost of its own per frame.
  const view = document.getElementById("view");
  const viewContext = view.getContext("2d", { alpha: false });
  let shown = field;
  page.view = { mode: "whole", scale: 1, factor: 1, width: W, height: H };
  // What the game is asked to scale to, taken once by the game.
  let output = null;
  M.takeOutput = () => {
    const asked = output;
    output = null;
    return asked;
  };

  // A share of the room a whole factor must fill to be used: less is left
  // to smooth scaling, which fills all of it.
  const WholeFill = 0.95;

  // ---- Presenting ---------------------------------------------------------

  let image = null;
  function imageAt(pointer, width, height) {
    const buffer = Module.HEAPU8.buffer;
    if (!image || image.pointer !== pointer || image.buffer !== buffer ||
        image.data.width !== width || image.data.height !== height) {
      const bytes = new Uint8ClampedArray(buffer, pointer, width * height * 4);
      image = { pointer, buffer, data: new ImageData(bytes, width, height) };
    }
    return image.data;
  }

  // The picture at `pointer` (RGBA), only inside the `count` rectangles at
  // `rects` (x, y, width, height as 32-bit values) when count > 0: the field
  // at 1x, or scaled to the view's pixels where the page asked for that.
  M.present = (pointer, width, height, rects, count, window) => {
    const started = performance.now();
    const data = imageAt(pointer, width, height);
    const scaled = width !== W || height !== H;
    const context = scaled ? viewContext : fieldContext;
    if (!count) {
      page.presentedPixels += width * height;
      context.putImageData(data, 0, 0);
    } else {
      const r = Module.HEAP32.subarray(rects >> 2, (rects >> 2) + 4 * count);
      for (let i = 0; i < r.length; i += 4) {
        page.presentedPixels += r[i + 2] * r[i + 3];
        context.putImageData(data, 0, 0, r[i], r[i + 1], r[i + 2], r[i + 3]);
      }
    }
    page.framesShown += 1;
    page.presentMs += performance.now() - started;
    if (window && page.checkPresents > 0) checkPresent(context, window, width, height, scaled);
    if (page.firstFrameMs === null) {
      page.firstFrameMs = performance.now();
      setTimeout(() => M.emit("shown"), 0);
    }
    // The first box the player can read (the first frame is the empty field).
    if (page.dialog && page.firstBoxMs === null) page.firstBoxMs = performance.now();
  };

  // For the tests: the canvas against the window's own picture (0x00RRGGBB),
  // or when scaled against the whole picture scaled afresh (RGBA), for the
  // next `page.checkPresents` frames; the pixels that differ are counted in
  // `page.presentMismatches`.
  function checkPresent(context, window, width, height, scaled) {
    page.checkPresents -= 1;
    const shown = context.getImageData(0, 0, width, height).data;
    const pixels = Module.HEAPU32.subarray(window >> 2, (window >> 2) + width * height);
    let wrong = 0;
    for (let i = 0, at = 0; i < pixels.length; ++i, at += 4) {
      const p = pixels[i];
      const red = scaled ? p & 255 : (p >> 16) & 255, blue = scaled ? (p >> 16) & 255 : p & 255;
      if (shown[at] !== red || shown[at + 1] !== ((p >> 8) & 255) || shown[at + 2] !== blue)
        wrong += 1;
    }
    if (scaled) page.scaledPresentsChecked = (page.scaledPresentsChecked || 0) + 1;
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
    if (device >= 1) {
      // Whole screen pixels, so that the browser shows the view unscaled.
      const pixelsWide = Math.round(W * device), pixelsHigh = Math.round(H * device);
      return { mode: "sharp", scale: pixelsWide / W / ratio, factor: Math.ceil(device),
               pixelsWide, pixelsHigh };
    }
    return { mode: "smooth", scale: fit, factor: 1 };
  }

  // The field smoothly scaled into the view from the 1x canvas: the last
  // picture in the view's new size until the game's next present, which
  // takes the new size before it shows anything.
  function drawFieldInView() {
    viewContext.imageSmoothingEnabled = true;
    viewContext.imageSmoothingQuality = "high";
    viewContext.drawImage(field, 0, 0, view.width, view.height);
  }

  function useView(choice) {
    const sharp = choice.mode === "sharp";
    if (shown === view && (!sharp || view.width !== choice.pixelsWide ||
                           view.height !== choice.pixelsHigh)) {
      // The view's picture is the newest; the resize below clears it.
      fieldContext.imageSmoothingEnabled = true;
      fieldContext.drawImage(view, 0, 0, W, H);
    }
    if (sharp && (view.width !== choice.pixelsWide || view.height !== choice.pixelsHigh)) {
      view.width = choice.pixelsWide;
      view.height = choice.pixelsHigh;
      drawFieldInView();
      output = { width: view.width, height: view.height, whole: choice.factor };
    } else if (!sharp && view.width) {
      view.width = view.height = 0;
      output = { width: W, height: H, whole: 1 };
    }
    shown = sharp ? view : field;
    view.hidden = !sharp;
    field.hidden = sharp;
  }

  // Lays the field out in the room the page's layout gives it (M.room).
  M.fitField = () => {
    const [roomWidth, roomHeight] = M.room();
    const choice = chooseScale(roomWidth, roomHeight);
    useView(choice);
    const ratio = window.devicePixelRatio || 1;
    const width = choice.pixelsWide ? choice.pixelsWide / ratio : W * choice.scale;
    const height = choice.pixelsHigh ? choice.pixelsHigh / ratio : H * choice.scale;
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

  // The game's options screen asks for full screen on or off (a tap on its
  // row a moment before lets the browser grant it).
  M.setFullscreen = (on) => {
    if (on !== (document.fullscreenElement !== null)) M.toggleFullscreen();
  };
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
