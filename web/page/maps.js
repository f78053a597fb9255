// The viewer's folder in the page: the demo maps, or the user's own maps and Orvex.Txt kept in the
// browser (IndexedDB, through store.js) across reloads; files the viewer writes (screen dumps, Orvex.Out) are kept
// there too and downloaded. A newly opened set is kept only once the viewer has started on it (a
// frame of its main loop): a set whose start stops leaves the last good one kept, and the page says
// why in plain words (from the run's failure code). A BMP opened alone never replaces a kept map of
// its name, and the demo maps' button can be undone.
// Pictures in other formats are made viewer-ready by the picture helper (picture.js), which scales
// them to WebGL's largest texture and adds them to Orvex.Txt.
'use strict';

(function () {
  const kConfig = 'Orvex.Txt';
  const kHelper = 'orvex-picture';
  const kPictureTypes = /\.(jpe?g|png|webp)$/i;
  const kFolderTypes = /\.bmp$|^orvex\.txt$|^orvex\.out$/i;
  const kCanonical = {'orvex.txt': kConfig, 'orvex.out': 'Orvex.Out'};  // the names the viewer opens

  const store = window.orvexStore;

  // A storage failure in plain words under the buttons, with the browser's own words after them;
  // once, while the same words are there.
  function tellStorage(error) {
    const code = /^storage-/.test(error.code) ? error.code : 'storage-missing';
    const words = window.orvexRun.explain({code});
    if (!logLines.includes(words)) log(words + (error.message ? ' (' + error.message + ')' : ''));
  }

  // ---- the folder of a run ----------------------------------------------------------------------

  // The demo's maps, also the base of the maps the user adds.
  async function demoFiles() {
    const names = await (await fetch('demo/files.json')).json();
    return Promise.all(names.map(async (name) => {
      const response = await fetch('demo/' + encodeURIComponent(name));
      if (!response.ok) throw new Error('demo/' + name + ': ' + response.status);
      return {name, bytes: new Uint8Array(await response.arrayBuffer())};
    }));
  }

  // The stored folder when it holds an Orvex.Txt; else the demo maps with what runs wrote beside them.
  async function folderFiles() {
    let stored = [];
    try {
      stored = await store.read();
    } catch (error) {
      tellStorage(error);
    }
    showFolder(stored, true);
    if (stored.some((file) => file.name === kConfig)) return stored;
    return mergeFiles(await demoFiles(), stored);
  }

  // `base` with `added` put in, a file of the same name replaced.
  function mergeFiles(base, added) {
    const names = new Set(added.map((file) => file.name));
    return base.filter((file) => !names.has(file.name)).concat(added);
  }

  // The map names an Orvex.Txt lists (as many as it counts, though the viewer reads five; each cut
  // to 20 characters as the viewer cuts it), or null when its first value is no number. Each value
  // starts a line that is not blank and ends at a blank, tab, comma or slash, unless quoted.
  function namedMaps(config) {
    if (!config) return null;
    const lines = new TextDecoder('latin1').decode(config.bytes).split(/\r\n|\n|\r/).filter((line) => line.trim());
    const value = (line) => {
      const text = line.trimStart(), quote = text[0];
      if (quote === '"' || quote === "'") return text.slice(1, text.indexOf(quote, 1) >>> 0);
      return text.split(/[\s,/]/)[0];
    };
    const count = lines.length ? parseInt(value(lines[0]), 10) : NaN;
    if (Number.isNaN(count)) return null;
    const names = [];
    for (let k = 0; k < count && 1 + 2 * k < lines.length; ++k) names.push(value(lines[1 + 2 * k]).slice(0, 20));
    return names;
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

  // The BMP name for a picture or a BMP: its name without extension, within 20 characters; when
  // the folder has a file of that name already, a numbered one ("stem-2.bmp"), so no other map is
  // replaced.
  function bmpNameFor(pictureName, folder) {
    const dot = pictureName.lastIndexOf('.');
    const stem = dot > 0 ? pictureName.slice(0, dot) : pictureName;
    const taken = new Set(folder.map((file) => file.name.toLowerCase()));
    let name = stem.slice(0, 16) + '.bmp';
    for (let n = 2; taken.has(name.toLowerCase()); ++n) name = stem.slice(0, 16 - String(n).length - 1) + '-' + n + '.bmp';
    if (name !== stem.slice(0, 16) + '.bmp')
      log(pictureName + ': the folder has a ' + stem.slice(0, 16) + '.bmp already; this ' +
          (kPictureTypes.test(pictureName) ? 'picture' : 'one') + ' becomes ' + name + '.');
    return name;
  }

  // BMPs opened without an Orvex.Txt join the kept folder; one whose name a kept file has already
  // is renamed (an identical one is left out), so that no kept map is replaced unasked.
  function joinFolder(folder, read) {
    const same = (a, b) => a.length === b.length && a.every((v, i) => v === b[i]);
    for (const file of read) {
      const kept = folder.find((each) => each.name.toLowerCase() === file.name.toLowerCase());
      if (kept && /\.bmp$/i.test(file.name)) {
        if (same(kept.bytes, file.bytes)) continue;
        file.name = bmpNameFor(file.name, folder);
      }
      folder = mergeFiles(folder, [file]);
    }
    return folder;
  }

  // The helper's standard output and error as a terminal shows them: a carriage return starts its
  // line again, so a progress percentage updates on a line of its own.
  function showOutput(helper) {
    for (const descriptor of [1, 2]) {
      const stream = helper.FS.getStream(descriptor);
      if (!stream) continue;
      stream.stream_ops = Object.assign({}, stream.stream_ops, {
        write(s, buffer, offset, length) {
          for (const byte of buffer.subarray(offset, offset + length)) terminalCharacter(String.fromCharCode(byte));
          showLog();
          return length;
        },
      });
    }
  }

  // Runs the helper on one picture against the folder's Orvex.Txt; resolves with the folder's
  // new files ([] when it refused), its messages shown as it prints them.
  async function convertPicture(picture, folder, radius) {
    await loadHelper();
    const helper = await window.createPicture({print: log, printErr: log});
    showOutput(helper);
    helper.FS.mkdir('/orvex');
    helper.FS.chdir('/orvex');
    const config = folder.find((file) => file.name === kConfig);
    if (config) helper.FS.writeFile(kConfig, config.bytes);
    helper.FS.writeFile(picture.name, new Uint8Array(await picture.arrayBuffer()));
    const bmpName = bmpNameFor(picture.name, folder);
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
    try {
      await openChosen(chosen);
    } catch (error) {
      log('The files could not be opened: ' + (error && error.message ? error.message : error));
    }
  }

  async function openChosen(chosen) {
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
    if (pictures.length === 0 && read.length === 1 && read[0].name === 'Orvex.Out' &&
        window.orvexRun.writeFile(read[0].name, read[0].bytes)) {
      if (keptInMemory) keptInMemory = mergeFiles(keptInMemory, read);
      else await store.add(read[0].name, read[0].bytes).catch(tellStorage);
      log('Orvex.Out is in the viewer\'s folder; L reads it back.');
      return;
    }
    const newFolder = read.some((file) => file.name === kConfig);
    let folder = newFolder ? read : joinFolder(await keptFiles(), read);
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
    const named = namedMaps(folder.find((file) => file.name === kConfig));
    for (const file of read) {
      if (!named || !/\.bmp$/i.test(file.name) || named.includes(file.name)) continue;
      if (!folder.includes(file)) continue;  // the same as a kept map
      if (file.name.length > 20 && named.includes(file.name.slice(0, 20))) {
        log(file.name + ' has a name of more than 20 characters, of which the viewer reads 20: rename it, ' +
            'in Orvex.Txt too.');
      } else {
        log(file.name + ' is in the folder, but Orvex.Txt does not name it, so the viewer does not show it. To show ' +
            'it, open it again with an Orvex.Txt that names it (its name on one line, the radius in km on the next), ' +
            'or open the picture it was made from with a radius.');
      }
    }
    await startSet(folder);
  }

  // ---- a new set: kept once it has started -----------------------------------------------------

  let keptInMemory = null;  // the folder when the browser refuses to store it
  let trial = null;         // a newly opened set, until its run has started or ended
  let forgotten = null;     // the user's maps that the demo maps' button put aside, until undone

  function startSet(folder) {
    trial = folder;
    showUndo(null);
    return window.orvexRun.start(folder);
  }

  // The set's run has started: it becomes the kept one.
  async function keep(folder) {
    try {
      await store.replace(folder);
      keptInMemory = null;
    } catch (error) {
      tellStorage(error);
      keptInMemory = folder;
    }
    showFolder(folder, !keptInMemory);
    window.orvexMaps.opened += 1;
    if (!keptInMemory && folder.some((file) => file.name === kConfig)) {
      store.persist().then((answer) => { if (answer === 'refused') tellStorage({code: 'storage-refused'}); },
                           () => {});
    }
  }

  // The set stopped before its first frame: it is dropped, and the kept set stays.
  // The page shows why beside the stop's message, with the offer to go back to the kept set.
  function dropTrial(failure) {
    trial = null;
    window.orvexMaps.dropped = 'These maps could not be shown: ' + window.orvexRun.explain(failure) +
                               ' The maps kept before are unchanged.';
    folderText.textContent = 'No maps are showing.';
    window.orvexMaps.opened += 1;
  }

  window.orvexRun.on('state', (state) => {
    if (state === 'loading') window.orvexMaps.dropped = null;
  });
  // A set of more than five maps starts on the first five: which ones are left out.
  window.orvexRun.on('failed', (failure) => {
    if (failure.code !== 'too-many-maps') return;
    const left = (namedMaps(window.orvexRun.config) || []).slice(5);
    log(window.orvexRun.explain(failure) + (left.length ? ' Not shown: ' + left.join(', ') + '.' : ''));
  });
  window.orvexRun.on('started', () => {
    const folder = trial;
    trial = null;
    if (folder) keep(folder);
  });
  window.orvexRun.on('ended', (status, started, failure) => {
    if (trial && !started) dropTrial(failure);
    else if (!started) folderText.textContent = 'No maps are showing.';
  });
  window.orvexRun.on('written', (name, bytes) => {
    download(name, bytes);
    if (keptInMemory) keptInMemory = mergeFiles(keptInMemory, [{name, bytes}]);
    else store.add(name, bytes).catch(tellStorage);
  });

  // ---- the page's part ------------------------------------------------------------------------

  const fileInput = document.getElementById('open-maps');
  const radiusInput = document.getElementById('radius');
  const logPanel = document.getElementById('maps-log');
  const folderText = document.getElementById('folder');
  const undoButton = document.getElementById('undo-demo');

  // The messages under the buttons: finished lines, and the line being written.
  let logLines = '', logLine = '';
  function terminalCharacter(character) {
    if (character === '\n') logLines += logLine + '\n', logLine = '';
    else if (character === '\r') logLine = '';
    else logLine += character;
  }
  function showLog() {
    logPanel.textContent = logLines + logLine;
    logPanel.hidden = !logPanel.textContent;
  }
  function log(text) {
    if (logLine) terminalCharacter('\n');
    for (const character of text + '\n') terminalCharacter(character);
    showLog();
  }
  function clearLog() {
    logLines = logLine = '';
    showLog();
  }

  let ownKept = false;  // the kept folder is the user's own (it has an Orvex.Txt of theirs)
  function showFolder(files, kept) {
    const own = ownKept = files.some((file) => file.name === kConfig);
    folderText.textContent = !own ? 'Showing the demo maps.' : kept ? 'Showing your maps (kept in this browser).'
                                                                   : 'Showing your maps (not kept: they last until the page is left).';
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
  // The demo maps: the user's own are put aside, and the undo button brings them back until the
  // page is left or other maps are opened.
  document.getElementById('demo-maps').addEventListener('click', async () => {
    clearLog();
    const own = ownKept ? await keptFiles().catch(() => null) : null;
    keptInMemory = null;
    trial = null;
    await store.replace(null).catch(tellStorage);
    await window.orvexRun.start(keptFiles());
    showUndo(own);
  });
  undoButton.addEventListener('click', async () => {
    const own = forgotten;
    if (!own) return;
    clearLog();
    showUndo(null);
    await keep(own);
    await window.orvexRun.start(keptFiles());
  });

  function showUndo(folder) {
    forgotten = folder;
    undoButton.hidden = !folder;
    if (folder) log('Your maps are put aside; "Bring back my maps" shows them again.');
  }

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

  // The kept set: the one the page starts on, and the base BMPs opened alone join.
  function keptFiles() {
    if (!keptInMemory) return folderFiles();
    showFolder(keptInMemory);
    return Promise.resolve(keptInMemory);
  }

  window.orvexMaps = {
    keptFiles,
    namedMaps,
    openFiles,
    dropped: null,  // why the latest run's new set was dropped, in plain words
    opened: 0,  // sets opened: each has been kept once its run started, or dropped when it stopped first
  };
})();
