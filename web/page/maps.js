// The viewer's folder in the page: the demo maps, or the user's own maps and Orvex.Txt kept in the
// browser (IndexedDB, through store.js) across reloads; files the viewer writes (screen dumps, Orvex.Out) are kept
// there too and downloaded. A newly opened set is kept only once the viewer has started on it (a
// frame of its main loop): a set whose start stops leaves the last good one kept, and the page says
// why in plain words.
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

  // The page's plain words for a failure of the browser's storage, by its code.
  const kFailureWords = {
    'storage-missing': 'This browser does not let the page keep maps here (some private windows, or site data ' +
      'turned off): the maps showing last until the page is left. To keep maps, open the page in a normal window, ' +
      'or allow this site to store data.',
    'storage-full': 'These maps could not be kept: the browser\'s storage for this site is full. They show until the ' +
      'page is left; the maps kept before are unchanged. To keep them, make room (smaller or fewer maps, or other ' +
      'sites\' data cleared in the browser\'s settings) and open them again.',
    'storage-evicted': 'The maps you kept in this browser are gone: the browser has removed this site\'s data since ' +
      'your last visit (to free space, or after a time unused). The demo maps show; open your maps again to keep ' +
      'them. An installed app (Install app, or Add to Home Screen) is less likely to lose them.',
    'storage-refused': 'The browser did not grant this site lasting storage: it may remove the kept maps when the ' +
      'disk runs short. Installing the page as an app, or bookmarking it, lets browsers keep them; keep your ' +
      'original files too.',
  };

  // A storage failure in plain words under the buttons, with the browser's own words after them;
  // once, while the same words are there.
  function tellStorage(error) {
    const words = kFailureWords[error.code] || kFailureWords['storage-missing'];
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

  // The map names an Orvex.Txt lists (at most five, each cut to 20 characters as the viewer cuts
  // it), or null when its first value is no number. Each value starts a line that is not blank and
  // ends at a blank, tab, comma or slash, unless quoted.
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
    for (let k = 0; k < Math.min(count, 5) && 1 + 2 * k < lines.length; ++k) names.push(value(lines[1 + 2 * k]).slice(0, 20));
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

  // The BMP name for a picture: its name without extension, within 20 characters; when the folder
  // has a file of that name already, a numbered one ("stem-2.bmp"), so no other map is replaced.
  function bmpNameFor(pictureName, folder) {
    const dot = pictureName.lastIndexOf('.');
    const stem = dot > 0 ? pictureName.slice(0, dot) : pictureName;
    const taken = new Set(folder.map((file) => file.name.toLowerCase()));
    let name = stem.slice(0, 16) + '.bmp';
    for (let n = 2; taken.has(name.toLowerCase()); ++n) name = stem.slice(0, 16 - String(n).length - 1) + '-' + n + '.bmp';
    if (name !== stem.slice(0, 16) + '.bmp')
      log(pictureName + ': the folder has a ' + stem.slice(0, 16) + '.bmp already; this picture becomes ' + name + '.');
    return name;
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
    const running = window.orvexRun.module;
    if (running && pictures.length === 0 && read.length === 1 && read[0].name === 'Orvex.Out') {
      running.FS.writeFile(read[0].name, read[0].bytes);
      if (keptInMemory) keptInMemory = mergeFiles(keptInMemory, read);
      else await store.add(read[0].name, read[0].bytes).catch(tellStorage);
      log('Orvex.Out is in the viewer\'s folder; L reads it back.');
      return;
    }
    const newFolder = read.some((file) => file.name === kConfig);
    let folder = newFolder ? read : mergeFiles(await keptFiles(), read);
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
      if (file.name.length > 20 && named.includes(file.name.slice(0, 20))) {
        log(file.name + ' has a name of more than 20 characters, of which the viewer reads 20: rename it, ' +
            'in Orvex.Txt too.');
      } else {
        log(file.name + ' is in the folder, but Orvex.Txt does not name it, so the viewer does not show it. To show ' +
            'it, open it again with an Orvex.Txt that names it (its name on one line, the radius in km on the next), ' +
            'or open the picture it was made from with a radius.');
      }
    }
    startSet(folder);
  }

  // ---- a new set: kept once it has started -----------------------------------------------------

  let keptInMemory = null;  // the folder when the browser refuses to store it
  let trial = null;         // a newly opened set, until its run has started or ended
  let runText = '';         // what the latest run printed, for the reason of a stop

  function startSet(folder) {
    trial = folder;
    window.orvexRun.start(folder);
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
  function dropTrial() {
    trial = null;
    window.orvexMaps.dropped = 'These maps could not be shown: ' + plainReason(runText) +
                               ' The maps kept before are unchanged.';
    window.orvexMaps.opened += 1;
  }

  // The cause of a stop at start, in plain words, from the viewer's own message.
  function plainReason(text) {
    const missing = /Importing:\[(.*?) *\] *\.\.\.not found/.exec(text);
    if (missing) {
      return `Orvex.Txt names "${missing[1]}", which is not among the files opened ` +
             '(the viewer cuts names to 20 characters).';
    }
    const reasons = [
      [/Orvex\.Txt \.\.\.not found/, 'there is no Orvex.Txt among the files.'],
      [/< 1 texture image/, 'Orvex.Txt is empty, or its first line does not give a number of maps of 1 or more.'],
      [/Read error/, 'a BMP file is shorter than its header says: it is cut short or damaged.'],
      [/only supports 8 and 24 bit|compressed \.bmp|compressed rows/, 'a map is not a BMP the viewer reads (8 or 24 ' +
       'bits, uncompressed or RLE8); open the original picture instead, and the page converts it.'],
      [/BmpImpor: (Halt|allocation)/, 'a BMP is damaged, stored top row first, or too large.'],
      [/GlErr|OpenGL error/, 'a map is larger than the largest texture WebGL takes here; open the original ' +
       'picture instead, and the page scales it down.'],
      [/input\/output failure/, 'a file could not be read.'],
    ];
    for (const [pattern, reason] of reasons) if (pattern.test(text)) return reason;
    return 'the viewer stopped before showing them (its message is in the console).';
  }

  window.orvexRun.on('state', (state) => {
    if (state !== 'loading') return;
    runText = '';
    window.orvexMaps.dropped = null;
  });
  window.orvexRun.on('console', (text) => { runText += text; });
  window.orvexRun.on('started', () => {
    const folder = trial;
    trial = null;
    if (folder) keep(folder);
  });
  window.orvexRun.on('ended', (status, started) => { if (trial && !started) dropTrial(); });
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

  function showFolder(files, kept) {
    const own = files.some((file) => file.name === kConfig);
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
  document.getElementById('demo-maps').addEventListener('click', async () => {
    clearLog();
    keptInMemory = null;
    trial = null;
    await store.replace(null).catch(tellStorage);
    window.orvexRun.start(keptFiles());
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

  // The kept set: the one the page starts on, and the base BMPs opened alone join.
  function keptFiles() {
    return keptInMemory ? Promise.resolve(keptInMemory) : folderFiles();
  }

  window.orvexMaps = {
    keptFiles,
    namedMaps,
    openFiles,
    dropped: null,  // why the latest run's new set was dropped, in plain words
    opened: 0,  // sets opened: each has been kept once its run started, or dropped when it stopped first
  };
})();
