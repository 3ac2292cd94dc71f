// The game's pictures and sounds for its web builds: the PNG sheets decoded
// into the BMP files the game reads, and the waves, by resource number.
"use strict";

window.MorvaskResources = (function () {
  const Pictures = [114, 115, 117, 124, 125];
  const Waves = [111, 118, 119, 120, 121, 122];

  async function fetched(path) {
    const response = await fetch(path);
    if (!response.ok) throw new Error(`${path}: ${response.status}`);
    return response.blob();
  }

  // A PNG's width and height, from its header.
  async function pngSize(blob) {
    const header = new DataView(await blob.slice(0, 24).arrayBuffer());
    return [header.getUint32(16), header.getUint32(20)];
  }

  // A decoded PNG as a top-down 24-bit BMP file, the form the game reads.
  async function pictureAsBitmap(blob) {
    const image = await createImageBitmap(blob, {
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
    return new Uint8Array(await (await fetched(`assets/${number}.wav`)).arrayBuffer());
  }

  // Starts fetching every resource at once. For each picture: its size as
  // soon as its file has come, and its BMP bytes when asked for (decoding
  // the tank sheet takes a while of the page's thread); for each wave, its
  // bytes.
  function startResources() {
    const pictures = {}, waves = {};
    for (const number of Pictures) {
      const file = fetched(`assets/${number}.png`);
      let bitmap = null;
      pictures[number] = {
        size: file.then(pngSize),
        bitmap: () => bitmap || (bitmap = file.then(pictureAsBitmap)),
      };
    }
    for (const number of Waves) waves[number] = waveBytes(number);
    return { pictures, waves };
  }

  // Every resource of the game by number, decoded, ready to be unpacked
  // into /res.
  async function loadResources() {
    const started = startResources();
    const resources = {};
    const bitmaps = Pictures.map((n) => started.pictures[n].bitmap());
    for (let i = 0; i < Pictures.length; ++i) resources[Pictures[i]] = await bitmaps[i];
    for (const n of Waves) resources[n] = await started.waves[n];
    return resources;
  }

  return { start: startResources, load: loadResources, pictures: Pictures, waves: Waves };
})();
