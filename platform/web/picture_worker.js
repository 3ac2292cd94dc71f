// Decodes the game's pictures into the BMP files it reads: in a worker, away
// from the page's thread, and on the page itself where no worker can (the
// page loads this file too, for MorvaskBitmapFile).
"use strict";

// A decoded picture's RGBA pixels as a top-down 24-bit BMP file.
self.MorvaskBitmapFile = function (rgba, width, height) {
  const stride = (width * 3 + 3) & ~3;
  const bytes = new Uint8Array(54 + stride * height);
  const view = new DataView(bytes.buffer);
  bytes[0] = 0x42;
  bytes[1] = 0x4d;
  view.setUint32(2, bytes.length, true);
  view.setUint32(10, 54, true);
  view.setUint32(14, 40, true);
  view.setInt32(18, width, true);
  view.setInt32(22, -height, true);
  view.setUint16(26, 1, true);
  view.setUint16(28, 24, true);
  view.setUint32(34, stride * height, true);
  for (let y = 0; y < height; ++y) {
    let out = 54 + y * stride, at = y * width * 4;
    for (let x = 0; x < width; ++x, at += 4) {
      bytes[out++] = rgba[at + 2];
      bytes[out++] = rgba[at + 1];
      bytes[out++] = rgba[at];
    }
  }
  return bytes;
};

// In a worker: {id, blob} in, {id, bytes} out; no bytes when it cannot
// decode here (the page then does).
if (typeof WorkerGlobalScope !== "undefined" && self instanceof WorkerGlobalScope) {
  self.onmessage = async (event) => {
    const { id, blob } = event.data;
    try {
      const image = await createImageBitmap(blob, {
        colorSpaceConversion: "none",
        premultiplyAlpha: "none",
      });
      const canvas = new OffscreenCanvas(image.width, image.height);
      const context = canvas.getContext("2d", { willReadFrequently: true });
      context.drawImage(image, 0, 0);
      const rgba = context.getImageData(0, 0, image.width, image.height).data;
      const bytes = self.MorvaskBitmapFile(rgba, image.width, image.height);
      self.postMessage({ id, bytes }, [bytes.buffer]);
    } catch (error) {
      self.postMessage({ id, bytes: null });
    }
  };
}
