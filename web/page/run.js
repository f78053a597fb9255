// A run of the viewer on the page's canvas, from start to end: starts the viewer's module on a
// folder of files, hands it the hooks it calls (console, wait for Enter, end of the run, written
// files, the menu, frames), and stops it when another run starts. The page and the maps code
// follow a run through `orvexRun.on(step, listener)`:
//   console(text)          the viewer printed text
//   state(state, text)     loading, running, waiting (for Enter) or ended, with a line for the user
//   started()              the run drew its first frame in the main loop: its start-up is over
//   ended(status, started) the run has ended; `started` tells whether it drew a frame first
//   written(name, bytes)   the viewer wrote a file (a screen dump, Orvex.Out)
//   menu(entries, x, y)    the viewer opens its menu with the pointer at canvas pixel (x, y)
'use strict';

(function () {
  const canvas = document.getElementById('orvex');
  const listeners = {console: [], state: [], started: [], ended: [], written: [], menu: []};
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
    on(step, listener) { listeners[step].push(listener); },
    start,
    stop,
  };

  function setState(state, text) {
    page.state = state;
    tell('state', state, text);
  }

  // The hooks one run's module calls: they reach the page only while that run is the latest.
  function hooksFor(number) {
    const current = () => number === run.number;
    return {
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
      ended(status) {
        if (!current()) return;
        run.module = null;
        setState('ended', 'The run has ended' + (status ? ' (status ' + status + ').' : '.'));
        tell('ended', status, run.started);
      },
      fileWritten(name, bytes) { if (current()) tell('written', name, bytes); },
      openMenu(entries, x, y) { if (current()) tell('menu', entries, x, y); },
    };
  }

  // Stops the running viewer, if any: it draws no more frames and takes no more events.
  function stop() {
    ++run.number;
    if (run.module) run.module._webStopRun();
    run.module = null;
    run.enter = null;
  }

  // Starts a run on `files` ([{name, bytes}], or a promise of them); resolves once it runs or ended.
  async function start(files) {
    stop();
    const number = run.number;
    run.started = false;
    page.framesDrawn = 0;
    setState('loading', 'Loading…');
    try {
      files = await files;
    } catch (error) {
      if (number === run.number) setState('ended', 'The maps could not be loaded: ' + error.message);
      return;
    }
    if (number !== run.number) return;
    run.config = files.find((file) => file.name === 'Orvex.Txt') || null;
    const instance = await window.createOrvex({
      canvas,
      orvexPage: hooksFor(number),
      preRun: [(m) => {
        m.FS.mkdirTree('/orvex');
        for (const file of files) m.FS.writeFile('/orvex/' + file.name, file.bytes);
        m.FS.chdir('/orvex');
      }],
      print: (text) => { if (number === run.number) tell('console', text + '\n'); },
      printErr: (text) => console.warn(text),
      onRuntimeInitialized() { if (number === run.number) setState('running', ''); },
    });
    if (number !== run.number) {
      instance._webStopRun();  // a newer run was started meanwhile
    } else if (page.state !== 'ended') {
      run.module = instance;
    }
  }
})();
