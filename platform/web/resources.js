// The game's pictures and sounds for its web builds: the PNG sheets decoded
// into the BMP files the game reads, and the waves, by resource number.
"use strict";

window.MorvaskResources = (function () {
  const Pictures = [114, 115, 117, 124, 125];
  const Waves = [111, 118, 119, 120, 121, 122];

  // A decoded PNG as a top-down 24-bit BMP file, the form the game reads.
  async function pictureAsBitmap(number) {
    const response = await fetch(`assets/${number}.png`);
    if (!response.ok) throw new Error(`assets/${number}.png: ${response.status}`);
    const image = await createImageBitmap(await response.blob(), {
      colorSpaceConversion: "none",
      premultiplyAlpha: "none",
    });
    const width = image.width, height = image.height;
    const scratch = document.createElement("canvas");
    scratch.width = width;
    scratch.height = height;
    const scratchContext = scratch.getContext("2d", { willReadFrequently: true });
    scratchContext.drawImage(image, 0, 0);
    const rgba = scratchContext.getImageData(0, 0, width, height).data;
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
  }

  async function waveBytes(number) {
    const response = await fetch(`assets/${number}.wav`);
    if (!response.ok) throw new Error(`assets/${number}.wav: ${response.status}`);
    return new Uint8Array(await response.arrayBuffer());
  }

  // Every resource of the game by number, ready to be unpacked into /res.
  async function loadResources() {
    const numbers = Pictures.concat(Waves);
    const files = await Promise.all(
      numbers.map((n) => (Pictures.includes(n) ? pictureAsBitmap(n) : waveBytes(n))));
    const resources = {};
    numbers.forEach((n, i) => (resources[n] = files[i]));
    return resources;
  }

  return { load: loadResources, pictures: Pictures, waves: Waves };
})();
