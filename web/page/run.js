// A run of the viewer on the page's canvas, from start to end: starts the viewer's module on a
// folder of files, hands it the hooks it calls (console, wait for Enter, end of the run, written
// files, the menu, frames, failures, the view's readouts), and stops it when another run starts.
// It is the one owner of the running module: the page and the maps code reach it only through
// `orvexRun.key`, `orvexRun.menuClosed` and `orvexRun.writeFile`, and follow a run through
// `orvexRun.on(step, listener)`:
//   console(text)          the viewer printed text
//   state(state, text)     loading, running, waiting (for Enter) or ended, with a line for the user
//   started()              the run drew its first frame in the main loop: its start-up is over
//   ended(status, started, failure)  the run has ended; `started` tells whether it drew a frame
//                          first, `failure` ({code, detail} or null) what went wrong
//   failed(failure)        a failure the page should explain, the run going on or not
//   written(name, bytes)   the viewer wrote a file (a screen dump, Orvex.Out)
//   menu(entries, x, y)    the viewer opens its menu with the pointer at canvas pixel (x, y)
//   view(readouts)         after a frame: {latitude, longitude, fieldOfView, image, imageName}
'use strict';

(function () {
  const canvas = document.getElementById('orvex');
  const listeners = {console: [], state: [], started: [], ended: [], failed: [], written: [], menu: [], view: []};
  const tell = (step, ...args) => { for (const listener of listeners[step]) listener(...args); };

  // What the page shows of the runs, also read by the tests and the benchmarks.
  const page = window.orvexPage = {
    state: 'loading',
    framesDrawn: 0,
    passes: 0,                           // passes of the viewer's loop (one per animation frame)
    passTimes: new Float64Array(1024),   // the main thread's milliseconds in the latest passes, a ring
  };

  const run = window.orvexRun = {
    module: null,      // the running viewer's module, once created and until its run ends
    number: 0,         // counts the runs started; only the latest one may reach the page
    started: false,    // the latest run has drawn a frame in its main loop
    config: null,      // the Orvex.Txt of the latest run's folder ({name, bytes}), if it has one
    enter: null,       // answers the viewer's wait for Enter, while it waits
    failure: null,     // the latest run's first failure, {code, detail}
    on(step, listener) { listeners[step].push(listener); },
    start,
    stop,
    // A key for the viewer: a character's code, or with `special` a GLUT special key's.
    key(code, special = false) { if (run.module) run.module._webKey(code, special ? 1 : 0); },
    // The page's menu has closed on `value` (0: no choice); GLUT knows where the pointer is.
    menuClosed(value) { if (run.module) run.module._webMenuClosed(value); },
    // Writes a file into the running viewer's folder; false when no run takes it.
    writeFile(name, bytes) {
      if (!run.module) return false;
      run.module.FS.writeFile(name, bytes);
      return true;
    },
    explain,
  };

  // The page's plain words for each failure code: what happened, and what to try.
  const kPlainWords = {
    'config-missing': 'there is no Orvex.Txt among the files.',
    'config-empty': 'Orvex.Txt is empty, or its first line does not give a number of maps of 1 or more.',
    'config-name': 'a map\'s name in Orvex.Txt starts with a quote that is never closed.',
    'too-many-maps': (count) => `Orvex.Txt lists ${count} maps; the viewer shows the first five, the most it reads.`,
    'image-missing': (name) => `Orvex.Txt names "${name}", which is not among the files opened ` +
                               '(the viewer cuts names to 20 characters).',
    'image-read': 'a BMP file is shorter than its header says: it is cut short or damaged.',
    'image-format': 'a map is not a BMP the viewer reads (8 or 24 bits, uncompressed or RLE8); open the original ' +
                    'picture instead, and the page converts it.',
    'image-damaged': 'a BMP\'s compressed rows are damaged; open the original picture instead, and the page ' +
                     'converts it.',
    'image-too-large': 'a BMP is damaged, stored top row first, or too large; open the original picture instead, ' +
                       'and the page converts it.',
    'gl-error-at-start': 'a map is larger than the largest texture WebGL takes here; open the original picture ' +
                         'instead, and the page scales it down.',
    'gl-error': 'the browser\'s graphics (WebGL) reported an error while drawing. Start again; if it comes back, ' +
                'try another browser.',
    'out-of-memory': 'the browser gave the viewer too little memory for the maps; open smaller maps, or close ' +
                     'other tabs and start again.',
    'io-error': 'a file could not be read or written.',
    'dump-width': 'the window\'s width is not one the screen dump can write.',
    'dumps-done': 'the fifth screen dump ends the run, as the viewer does. Start again to go on.',
    'no-webgl': 'this browser or machine refused the viewer WebGL, which it draws with. Turn on hardware ' +
                'acceleration in the browser\'s settings, or try another browser.',
    'shader': 'the browser\'s graphics (WebGL) could not build the viewer\'s drawing programs. Try another ' +
              'browser, or update this one.',
    'load-failed': 'the viewer could not be loaded: its files (orvex.js, orvex.wasm) are missing or damaged, or ' +
                   'this browser is too old for WebAssembly. Reload the page; if that does not help, try another ' +
                   'browser.',
    'crashed': 'the viewer stopped on an internal error. Start again.',
    'maps-unreadable': (why) => `the maps could not be read (${why}). Reload the page, or open your maps again.`,
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

  // A failure in plain words (the viewer's message is in the console).
  function explain(failure) {
    const words = failure && kPlainWords[failure.code];
    if (!words) return 'the viewer stopped (its message is in the console).';
    return typeof words === 'function' ? words(failure.detail) : words;
  }

  function setState(state, text) {
    page.state = state;
    tell('state', state, text);
  }

  // The hooks one run's module calls: they reach the page only while that run is the latest.
  function hooksFor(number) {
    const current = () => number === run.number;
    return {
      failed(code, detail) { if (current()) fail(code, detail); },
      view(latitude, longitude, fieldOfView, image, imageName) {
        if (current()) tell('view', {latitude, longitude, fieldOfView, image, imageName: imageName.trimEnd()});
      },
      get framesDrawn() { return page.framesDrawn; },
      set framesDrawn(count) { if (current()) page.framesDrawn = count; },
      // A frame of the main loop: the start-up is over, the maps are in.
      loopFrame() {
        if (!current() || run.started) return;
        run.started = true;
        tell('started');
      },
      passTimed(milliseconds) {
        if (!current()) return;
        page.passTimes[page.passes % page.passTimes.length] = milliseconds;
        ++page.passes;
      },
      console(text) { if (current()) tell('console', text); },
      waitForEnter() {
        if (!current()) return new Promise(() => {});
        setState('waiting', 'Press Enter to go on.');
        return new Promise((resolve) => {
          run.enter = () => {
            run.enter = null;
            setState('running', '');
            resolve();
          };
        });
      },
      // The module has stopped its loop and events itself (GLUT's leave of the main loop).
      ended(status) { if (current()) end(status); },
      fileWritten(name, bytes) { if (current()) tell('written', name, bytes); },
      openMenu(entries, x, y) { if (current()) tell('menu', entries, x, y); },
    };
  }

  // Codes of failures the run goes on after: a later failure, which stops it, takes their place.
  const kGoingOn = new Set(['too-many-maps']);

  // Keeps the run's first failure and tells the page.
  function fail(code, detail) {
    if (run.failure && !kGoingOn.has(run.failure.code)) return;
    const failure = {code, detail: detail || ''};
    if (!run.failure || !kGoingOn.has(code)) run.failure = failure;
    tell('failed', failure);
  }

  // The latest run has ended. A run that ended before its first frame leaves no picture of an
  // earlier run on the canvas: a change of size clears a canvas's drawing buffer.
  function end(status) {
    run.module = null;
    run.enter = null;
    if (!run.started) {
      const width = canvas.width;
      canvas.width = 0;
      canvas.width = width;
    }
    const why = run.failure && !kGoingOn.has(run.failure.code) ? ': ' + explain(run.failure) : '.';
    setState('ended', 'The run has ended' + (status ? ' (status ' + status + ')' : '') + why);
    tell('ended', status, run.started, run.failure);
  }

  // Stops the running viewer, if any: it draws no more frames and takes no more events.
  function stop() {
    ++run.number;
    if (run.module) run.module._webStopRun();
    run.module = null;
    run.enter = null;
  }

  // Starts a run on `files` ([{name, bytes}], or a promise of them); resolves once it runs or ended,
  // never rejects: a start that fails ends the run with the failure `load-failed`.
  async function start(files) {
    stop();
    const number = run.number;
    run.started = false;
    run.failure = null;
    page.framesDrawn = 0;
    setState('loading', 'Loading…');
    try {
      files = await files;
    } catch (error) {
      if (number !== run.number) return;
      fail('maps-unreadable', error && error.message ? error.message : String(error));
      end(1);
      return;
    }
    if (number !== run.number) return;
    run.config = files.find((file) => file.name === 'Orvex.Txt') || null;
    let initialised = false;
    let instance;
    try {
      if (typeof window.createOrvex !== 'function') throw new Error('orvex.js was not loaded');
      instance = await window.createOrvex({
        canvas,
        orvexPage: hooksFor(number),
        preRun: [(m) => {
          m.FS.mkdirTree('/orvex');
          for (const file of files) m.FS.writeFile('/orvex/' + file.name, file.bytes);
          m.FS.chdir('/orvex');
        }],
        print: (text) => { if (number === run.number) tell('console', text + '\n'); },
        printErr: (text) => console.warn(text),
        onRuntimeInitialized() {
          initialised = true;
          if (number === run.number) setState('running', '');
        },
        // An exit that did not pass the console's end of the run (a layer below the viewer stopped it).
        onExit(status) { if (number === run.number && page.state !== 'ended') end(status); },
        // The module cannot go on: before its start it failed to load, after it a fault stopped it.
        onAbort(what) {
          if (number !== run.number) return;
          fail(initialised ? 'crashed' : 'load-failed', String(what));
          if (initialised && page.state !== 'ended') end(1);
        },
      });
    } catch (error) {
      if (number !== run.number) return;
      fail('load-failed', error && error.message ? error.message : String(error));
      if (page.state !== 'ended') end(1);
      return;
    }
    if (number !== run.number) {
      instance._webStopRun();  // a newer run was started meanwhile
    } else if (page.state !== 'ended') {
      run.module = instance;
    }
  }
})();
