// The page around the viewer: starts a run of the viewer's module on the canvas with the run's
// files in its folder, shows what it prints, answers its wait for Enter, shows its pop-up menu,
// and offers to start again when the run has ended.
'use strict';

(function () {
  const canvas = document.getElementById('orvex');
  const panel = document.getElementById('console');
  const enterButton = document.getElementById('enter');
  const againButton = document.getElementById('again');
  const statusText = document.getElementById('status');
  const menu = document.getElementById('menu');

  let module = null;         // the running viewer
  let runNumber = 0;         // counts the runs started; only the latest one may reach the page
  let enterPressed = null;   // resolves the viewer's wait for Enter
  let menuOpen = false;
  let pointer = {x: 0, y: 0};  // the last pointer position over the page, in canvas pixels

  function setState(state, text) {
    page.state = state;
    statusText.textContent = text;
    enterButton.hidden = state !== 'waiting';
    againButton.hidden = state !== 'ended';
  }

  function canvasPixel(clientX, clientY) {
    const box = canvas.getBoundingClientRect();
    return {
      x: Math.floor((clientX - box.left) * (box.width ? canvas.width / box.width : 1)),
      y: Math.floor((clientY - box.top) * (box.height ? canvas.height / box.height : 1)),
    };
  }

  // ---- hooks the viewer's module calls ----------------------------------------------------------

  const page = window.orvexPage = {
    state: 'loading',
    framesDrawn: 0,
    passes: 0,                           // passes of the viewer's loop (one per animation frame)
    passTimes: new Float64Array(1024),   // the main thread's milliseconds in the latest passes, a ring

    passTimed(milliseconds) {
      page.passTimes[page.passes % page.passTimes.length] = milliseconds;
      ++page.passes;
    },

    console(text) {
      panel.append(text);
      panel.scrollTop = panel.scrollHeight;
      if (text.includes('\x07')) {  // the bell: a short flash of the panel's border
        panel.classList.add('bell');
        setTimeout(() => panel.classList.remove('bell'), 150);
      }
    },

    waitForEnter() {
      setState('waiting', 'Press Enter to go on.');
      enterButton.focus();
      return new Promise((resolve) => {
        enterPressed = () => {
          enterPressed = null;
          setState('running', '');
          resolve();
        };
      });
    },

    ended(status) {
      closeMenu(0);
      module = null;
      setState('ended', 'The run has ended' + (status ? ' (status ' + status + ').' : '.'));
    },

    fileWritten(name, bytes) {
      if (window.orvexMaps && window.orvexMaps.fileWritten) window.orvexMaps.fileWritten(name, bytes);
    },

    openMenu(entries, x, y) { showMenu(entries, x, y); },

    restart() { return start(); },
    demoFiles() { return demoFiles(); },  // the demo's maps, also the base of the maps the user adds
  };

  // ---- one run ----------------------------------------------------------------------------------

  async function demoFiles() {
    const names = await (await fetch('demo/files.json')).json();
    return Promise.all(names.map(async (name) => {
      const response = await fetch('demo/' + encodeURIComponent(name));
      if (!response.ok) throw new Error('demo/' + name + ': ' + response.status);
      return {name, bytes: new Uint8Array(await response.arrayBuffer())};
    }));
  }

  // The hooks one run gets: they reach the page only while that run is the latest.
  function hooksFor(run) {
    const current = () => run === runNumber;
    return {
      get framesDrawn() { return page.framesDrawn; },
      set framesDrawn(count) { if (current()) page.framesDrawn = count; },
      console(text) { if (current()) page.console(text); },
      passTimed(milliseconds) { if (current()) page.passTimed(milliseconds); },
      waitForEnter() { return current() ? page.waitForEnter() : new Promise(() => {}); },
      ended(status) { if (current()) page.ended(status); },
      fileWritten(name, bytes) { if (current()) page.fileWritten(name, bytes); },
      openMenu(entries, x, y) { if (current()) page.openMenu(entries, x, y); },
    };
  }

  async function start() {
    const run = ++runNumber;
    if (module) module._webStopRun();
    module = null;
    closeMenu(0);
    enterPressed = null;
    panel.textContent = '';
    page.framesDrawn = 0;
    setState('loading', 'Loading…');
    let files;
    try {
      files = window.orvexMaps && window.orvexMaps.filesForRun ? await window.orvexMaps.filesForRun()
                                                                : await demoFiles();
    } catch (error) {
      if (run === runNumber) setState('ended', 'The maps could not be loaded: ' + error.message);
      return;
    }
    if (run !== runNumber) return;
    const instance = await createOrvex({
      canvas,
      orvexPage: hooksFor(run),
      preRun: [(m) => {
        m.FS.mkdirTree('/orvex');
        for (const file of files) m.FS.writeFile('/orvex/' + file.name, file.bytes);
        files.length = 0;  // the folder holds the only copy from here on
        m.FS.chdir('/orvex');
      }],
      print: (text) => page.console(text + '\n'),
      printErr: (text) => console.warn(text),
      onRuntimeInitialized() { if (run === runNumber) setState('running', ''); },
    });
    if (run !== runNumber) {
      instance._webStopRun();  // a newer run was started meanwhile
    } else if (page.state !== 'ended') {
      module = instance;
    }
  }

  // ---- the pop-up menu --------------------------------------------------------------------------

  function items() { return Array.from(menu.querySelectorAll('[role="menuitem"]')); }

  function highlight(item) {
    for (const each of items()) each.classList.toggle('active', each === item);
    if (item) item.focus();
  }

  function showMenu(entries, x, y) {
    menu.textContent = '';
    for (const entry of entries) {
      const item = document.createElement('div');
      item.setAttribute('role', 'menuitem');
      item.tabIndex = -1;
      item.textContent = entry.label;
      item.dataset.value = String(entry.value);
      menu.append(item);
    }
    const box = canvas.getBoundingClientRect();
    const scale = box.width ? box.width / canvas.width : 1;
    menu.hidden = false;
    // At the pointer, moved back to stay over the canvas as GLUT keeps it on the screen.
    let left = x * scale, top = y * scale;
    if (left + menu.offsetWidth > box.width) left = Math.max(0, left - menu.offsetWidth);
    if (top + menu.offsetHeight > box.height) top = Math.max(0, top - menu.offsetHeight);
    menu.style.left = left + 'px';
    menu.style.top = top + 'px';
    menuOpen = true;
    menu.focus();
  }

  // Closes the menu and tells the viewer: `value` 0 for no choice.
  function closeMenu(value) {
    if (!menuOpen) return;
    menuOpen = false;
    menu.hidden = true;
    if (module) module._webMenuClosed(value, pointer.x, pointer.y);
  }

  function itemAt(target) { return target && target.closest ? target.closest('[role="menuitem"]') : null; }

  menu.addEventListener('mousemove', (event) => highlight(itemAt(event.target)));
  // A release over an entry picks it: a press-drag-release from the canvas, or a click.
  document.addEventListener('mouseup', (event) => {
    pointer = canvasPixel(event.clientX, event.clientY);
    const item = itemAt(event.target);
    if (menuOpen && item && menu.contains(item)) closeMenu(Number(item.dataset.value));
  }, true);
  // A press outside the open menu closes it without a choice, and goes no further. A press on
  // the canvas takes the focus from any control, so that the keys go to the viewer again.
  document.addEventListener('mousedown', (event) => {
    pointer = canvasPixel(event.clientX, event.clientY);
    if (event.target === canvas && document.activeElement && document.activeElement !== document.body) {
      document.activeElement.blur();
    }
    if (menuOpen && !menu.contains(event.target)) {
      event.stopPropagation();
      event.preventDefault();
      closeMenu(0);
    }
  }, true);
  document.addEventListener('mousemove', (event) => { pointer = canvasPixel(event.clientX, event.clientY); }, true);
  menu.addEventListener('keydown', (event) => {
    const all = items();
    const at = all.indexOf(document.activeElement);
    if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
      const step = event.key === 'ArrowDown' ? 1 : -1;
      highlight(all[(at + step + all.length) % all.length] || all[0]);
    } else if (event.key === 'Home' || event.key === 'End') {
      highlight(event.key === 'Home' ? all[0] : all[all.length - 1]);
    } else if (event.key === 'Enter' || event.key === ' ') {
      if (at >= 0) closeMenu(Number(all[at].dataset.value));
    } else if (event.key === 'Escape') {
      closeMenu(0);
    } else {
      return;
    }
    event.preventDefault();
    event.stopPropagation();
  });
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());
  menu.addEventListener('contextmenu', (event) => event.preventDefault());

  // ---- Enter while the viewer waits, and starting again -----------------------------------------

  enterButton.addEventListener('click', () => { if (enterPressed) enterPressed(); });
  document.addEventListener('keydown', (event) => {
    if (page.state === 'waiting' && event.key === 'Enter' && enterPressed) {
      event.preventDefault();
      enterPressed();
    }
  });
  againButton.addEventListener('click', () => {
    againButton.blur();
    start();
  });

  start();
})();
