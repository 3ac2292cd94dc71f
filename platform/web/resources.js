// The game's pictures and sounds for its web builds: the sheets (WebP or PNG)
// decoded into the BMP files the game reads, away from the page's thread
// where the browser can (picture_worker.js), and the waves, by resource
// number.
"use strict";

window.MorvaskResources = (function () {
  // Written in by pack_web.py: each picture's file, size and the CRC-32 of
  // its rows, each wave's file.
  const Files = null;
  const Pictures = Object.keys(Files.pictures).map(Number);
  const Waves = Object.keys(Files.waves).map(Number);

  async function fetched(path) {
    // The module's files come first: the first box needs none of these.
    const response = await fetch(path, { priority: "low" });
    if (!response.ok) throw new Error(`${path}: ${response.status}`);
    return response.blob();
  }

  // On the page's thread, where no worker can decode.
  async function decodeHere(blob) {
    const image = await createImageBitmap(blob, {
      colorSpaceConversion: "none",
      premultiplyAlpha: "none",
    });
    const scratch = document.createElement("canvas");
    scratch.width = image.width;
    scratch.height = image.height;
    const context = scratch.getContext("2d", { willReadFrequently: true });
    context.drawImage(image, 0, 0);
    const rgba = context.getImageData(0, 0, image.width, image.height).data;
    return MorvaskBitmapFile(rgba, image.width, image.height);
  }

  // One worker decodes the pictures in turn; when it cannot (no worker, no
  // canvas there) the page's thread does.
  let worker = null, workerFailed = false;
  const waiting = new Map();
  let nextId = 1;
  function decodeInWorker(blob) {
    if (!worker && !workerFailed) {
      try {
        worker = new Worker("picture_worker.js");
        worker.onmessage = (event) => {
          const { id, bytes } = event.data;
          const job = waiting.get(id);
          waiting.delete(id);
          if (bytes) job.resolve(bytes);
          else decodeHere(job.blob).then(job.resolve, job.reject);
        };
        worker.onerror = (event) => {
          event.preventDefault();
          workerFailed = true;
          for (const [, job] of waiting) decodeHere(job.blob).then(job.resolve, job.reject);
          waiting.clear();
        };
      } catch (error) {
        workerFailed = true;
      }
    }
    if (workerFailed) return decodeHere(blob);
    return new Promise((resolve, reject) => {
      const id = nextId++;
      waiting.set(id, { blob, resolve, reject });
      worker.postMessage({ id, blob });
    });
  }

  async function waveBytes(path) {
    return new Uint8Array(await (await fetched(path)).arrayBuffer());
  }

  // Starts fetching every resource at once. For each picture: its size, and
  // its BMP bytes when asked for (decoded away from the page's thread); for
  // each wave, its bytes. `wavesAs`: "wav" fetches every wave as WAV (the
  // tools' harness reads their headers), whatever is shipped.
  function startResources(wavesAs) {
    const pictures = {}, waves = {};
    for (const number of Pictures) {
      const entry = Files.pictures[number];
      const file = fetched(entry.file);
      let bitmap = null;
      pictures[number] = {
        size: [entry.width, entry.height],
        crc: entry.crc,
        fetched: file,
        bitmap: () => bitmap || (bitmap = file.then(decodeInWorker)),
      };
    }
    for (const number of Waves)
      waves[number] = waveBytes(wavesAs === "wav" ? `assets/${number}.wav` : Files.waves[number]);
    return { pictures, waves };
  }

  // Every resource of the game by number, decoded, ready to be unpacked
  // into /res.
  async function loadResources(wavesAs) {
    const started = startResources(wavesAs);
    const resources = {};
    const bitmaps = Pictures.map((n) => started.pictures[n].bitmap());
    for (let i = 0; i < Pictures.length; ++i) resources[Pictures[i]] = await bitmaps[i];
    for (const n of Waves) resources[n] = await started.waves[n];
    return resources;
  }

  return { start: startResources, load: loadResources, pictures: Pictures, waves: Waves,
           files: Files };
})();
