// The viewer's folder in the page: the demo maps, or the user's own maps and Orvex.Txt kept in the
// browser (IndexedDB) across reloads; files the viewer writes (screen dumps, Orvex.Out) are kept
// there too and downloaded. Pictures in other formats are made viewer-ready by the picture helper
// (picture.js), which scales them to WebGL's largest texture and adds them to Orvex.Txt.
'use strict';

(function () {
  const kConfig = 'Orvex.Txt';
  const kHelper = 'orvex-picture';
  const kPictureTypes = /\.(jpe?g|png|webp)$/i;
  const kFolderTypes = /\.bmp$|^orvex\.txt$|^orvex\.out$/i;
  const kCanonical = {'orvex.txt': kConfig, 'orvex.out': 'Orvex.Out'};  // the names the viewer opens

  // ---- the store: one record per file of the folder, keyed by its name -------------------------

  let database = null;  // a Promise of the open IndexedDB database
  let pending = Promise.resolve();  // store writes not yet done; a run waits for them

  function openDatabase() {
    database = database || new Promise((resolve, reject) => {
      const request = indexedDB.open('orvex', 1);
      request.onupgradeneeded = () => request.result.createObjectStore('folder');
      request.onsuccess = () => resolve(request.result);
      request.onerror = () => reject(request.error);
    });
    return database;
  }

  // Runs `work(store)` in one transaction; resolves with the last request's result when it commits.
  async function transaction(mode, work) {
    const db = await openDatabase();
    return new Promise((resolve, reject) => {
      const step = db.transaction('folder', mode);
      const store = step.objectStore('folder');
      let request = null;
      work(store, (r) => { request = r; });
      step.oncomplete = () => resolve(request ? request.result : undefined);
      step.onerror = () => reject(step.error);
      step.onabort = () => reject(step.error || new Error('the browser refused to keep the files'));
    });
  }

  async function storedFiles() {
    const names = await transaction('readonly', (store, keep) => keep(store.getAllKeys()));
    const values = await transaction('readonly', (store, keep) => keep(store.getAll()));
    return names.map((name, i) => ({name, bytes: values[i]}));
  }

  // Replaces the whole folder (files: [{name, bytes}]), or with `files` null empties it.
  function replaceStore(files) {
    pending = pending.then(() => transaction('readwrite', (store) => {
      store.clear();
      for (const file of files || []) store.put(file.bytes, file.name);
    }));
    return pending;
  }

  function keepFile(name, bytes) {
    pending = pending.catch(() => {}).then(() => transaction('readwrite', (store) => store.put(bytes, name)));
    return pending;
  }

  // ---- the folder of a run ----------------------------------------------------------------------

  // The stored folder when it holds an Orvex.Txt; else the demo maps with what runs wrote beside them.
  async function folderFiles() {
    await pending.catch(() => {});
    let stored = [];
    try {
      stored = await storedFiles();
    } catch (error) {
      log('The maps kept in this browser could not be read (' + error.message + '); showing the demo maps.');
    }
    showFolder(stored);
    if (stored.some((file) => file.name === kConfig)) return stored;
    return mergeFiles(await window.orvexPage.demoFiles(), stored);
  }

  // `base` with `added` put in, a file of the same name replaced.
  function mergeFiles(base, added) {
    const names = new Set(added.map((file) => file.name));
    return base.filter((file) => !names.has(file.name)).concat(added);
  }

  // ---- the picture helper -----------------------------------------------------------------------

  let helperLoaded = null;

  function loadHelper() {
    helperLoaded = helperLoaded || new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = 'picture.js';
      script.onload = resolve;
      script.onerror = () => reject(new Error('picture.js could not be loaded'));
      document.head.append(script);
    });
    return helperLoaded;
  }

  // The BMP name the helper offers for a picture: its name without extension, within 20 characters.
  function bmpNameFor(pictureName) {
    const dot = pictureName.lastIndexOf('.');
    return (dot > 0 ? pictureName.slice(0, dot) : pictureName).slice(0, 16) + '.bmp';
  }

  // Runs the helper on one picture against the folder's Orvex.Txt; resolves with the folder's
  // new files ([] when it refused), its messages shown as it prints them.
  async function convertPicture(picture, folder, radius) {
    await loadHelper();
    const helper = await window.createPicture({print: log, printErr: log});
    helper.FS.mkdir('/orvex');
    helper.FS.chdir('/orvex');
    const config = folder.find((file) => file.name === kConfig);
    if (config) helper.FS.writeFile(kConfig, config.bytes);
    helper.FS.writeFile(picture.name, new Uint8Array(await picture.arrayBuffer()));
    const bmpName = bmpNameFor(picture.name);
    const args = [kHelper, '--fit-gl', picture.name, radius, bmpName];
    const argv = helper._malloc(4 * (args.length + 1));
    args.forEach((arg, i) => {
      const size = helper.lengthBytesUTF8(arg) + 1;
      const text = helper._malloc(size);
      helper.stringToUTF8(arg, text, size);
      helper.HEAPU32[(argv >> 2) + i] = text;
    });
    helper.HEAPU32[(argv >> 2) + args.length] = 0;
    const status = await helper.ccall('main', 'number', ['number', 'number'], [args.length, argv], {async: true});
    if (status !== 0) return [];
    return [{name: bmpName, bytes: helper.FS.readFile(bmpName)}, {name: kConfig, bytes: helper.FS.readFile(kConfig)}];
  }

  // ---- opening files ----------------------------------------------------------------------------

  // BMPs, Orvex.Txt and Orvex.Out go into the folder as they are (an Orvex.Txt starts a new folder
  // of the files chosen with it); pictures are converted into it; then the viewer starts afresh.
  async function openFiles(fileList) {
    const chosen = Array.from(fileList);
    if (chosen.length === 0) return;
    clearLog();
    const asIs = chosen.filter((file) => kFolderTypes.test(file.name));
    const pictures = chosen.filter((file) => !kFolderTypes.test(file.name) && kPictureTypes.test(file.name));
    for (const file of chosen) {
      if (!asIs.includes(file) && !pictures.includes(file))
        log(file.name + ': not a map the page takes (BMP, Orvex.Txt, Orvex.Out, or a JPEG, PNG or WebP picture)');
    }
    const read = await Promise.all(asIs.map(async (file) => ({
      name: kCanonical[file.name.toLowerCase()] || file.name,
      bytes: new Uint8Array(await file.arrayBuffer()),
    })));
    // An Orvex.Out alone is an edit of the file the running viewer wrote: it goes into that run's
    // folder, where the next L reads it, and the run goes on.
    if (running && pictures.length === 0 && read.length === 1 && read[0].name === 'Orvex.Out') {
      running.FS.writeFile(read[0].name, read[0].bytes);
      await keepFile(read[0].name, read[0].bytes).catch(() => {});
      log('Orvex.Out is in the viewer\'s folder; L reads it back.');
      return;
    }
    const newFolder = read.some((file) => file.name === kConfig);
    let folder = newFolder ? read : mergeFiles(await folderFiles(), read);
    let changed = read.length > 0;
    for (const picture of pictures) {
      try {
        const written = await convertPicture(picture, folder, radiusInput.value.trim());
        if (written.length) folder = mergeFiles(folder, written), changed = true;
      } catch (error) {
        log(kHelper + ': error: ' + picture.name + ': ' + error.message);
      }
    }
    if (!changed) return;
    running = null;
    try {
      await replaceStore(folder);
    } catch (error) {
      log('The maps could not be kept in this browser (' + error.message + '); they last until the page is left.');
      keptInMemory = folder;
    }
    window.orvexPage.restart();
    window.orvexMaps.opened += 1;
  }

  let keptInMemory = null;  // the folder when the browser refuses to store it
  let running = null;       // the viewer's module of the current run

  // Keeps each run's module as page.js makes it, for the edit of Orvex.Out above.
  function watchRuns() {
    const create = window.createOrvex;
    if (!create || create.watched) return;
    window.createOrvex = Object.assign(async (options) => (running = await create(options)), {watched: true});
  }

  // ---- the page's part ------------------------------------------------------------------------

  const bar = document.getElementById('maps');
  bar.innerHTML =
    '<label class="open-maps">Open maps… <input id="open-maps" type="file" multiple ' +
    'accept=".bmp,.txt,.out,.jpg,.jpeg,.png,.webp,image/jpeg,image/png,image/webp"></label> ' +
    '<label>Radius of a picture\'s planet (km) <input id="radius" type="text" size="8" value="6371"></label> ' +
    '<button id="demo-maps" type="button">Back to the demo maps</button> ' +
    '<span id="folder"></span>' +
    '<pre id="maps-log" role="status" hidden style="flex-basis: 100%; margin: 0"></pre>';
  Object.assign(bar.style, {display: 'flex', flexWrap: 'wrap', alignItems: 'center', gap: '0.3em 1em'});
  const fileInput = document.getElementById('open-maps');
  const radiusInput = document.getElementById('radius');
  const logPanel = document.getElementById('maps-log');
  const folderText = document.getElementById('folder');

  function log(text) {
    logPanel.textContent += text + '\n';
    logPanel.hidden = false;
  }
  function clearLog() {
    logPanel.textContent = '';
    logPanel.hidden = true;
  }

  function showFolder(stored) {
    const own = stored.some((file) => file.name === kConfig);
    folderText.textContent = own ? 'Showing your maps (kept in this browser).' : 'Showing the demo maps.';
  }

  fileInput.addEventListener('change', () => {
    const files = Array.from(fileInput.files);
    fileInput.value = '';
    openFiles(files);
  });
  document.addEventListener('dragover', (event) => {
    if (event.dataTransfer && Array.from(event.dataTransfer.types).includes('Files')) event.preventDefault();
  });
  document.addEventListener('drop', (event) => {
    if (!event.dataTransfer || event.dataTransfer.files.length === 0) return;
    event.preventDefault();
    openFiles(event.dataTransfer.files);
  });
  document.getElementById('demo-maps').addEventListener('click', async () => {
    clearLog();
    keptInMemory = null;
    await replaceStore(null).catch((error) => log('The stored maps could not be removed: ' + error.message));
    window.orvexPage.restart();
  });

  // A file the viewer wrote: downloaded, and kept in the folder for the next run.
  function download(name, bytes) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], {type: 'application/octet-stream'}));
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  window.orvexMaps = {
    async filesForRun() {
      watchRuns();
      return keptInMemory || folderFiles();
    },
    fileWritten(name, bytes) {
      download(name, bytes);
      if (keptInMemory) keptInMemory = mergeFiles(keptInMemory, [{name, bytes}]);
      else keepFile(name, bytes).catch((error) => log(name + ' could not be kept in this browser: ' + error.message));
    },
    openFiles,
    opened: 0,  // folders opened: a new run has been started for each
  };
})();
