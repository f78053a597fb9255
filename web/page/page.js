// The page around the viewer: the console panel, the wait for Enter and the offer to start again,
// the pop-up menu, the key bar, and the keys' way back to the viewer after any page control.
'use strict';

(function () {
  const run = window.orvexRun;
  const canvas = document.getElementById('orvex');
  const panel = document.getElementById('console');
  const enterButton = document.getElementById('enter');
  const againButton = document.getElementById('again');
  const statusText = document.getElementById('status');
  const menu = document.getElementById('menu');
  const keys = document.getElementById('keys');
  const radiusInput = document.getElementById('radius');

  let menuOpen = false;
  let lastInput = 'mouse';     // what the user last used: mouse, touch, pen or keyboard

  // After a page control has done its work, the keys go to the viewer again.
  function keysToViewer() {
    if (document.activeElement !== canvas) canvas.focus({preventScroll: true});
  }

  // ---- the run: its console text, its state, its end ------------------------------------------

  run.on('console', (text) => {
    panel.append(text);
    panel.scrollTop = panel.scrollHeight;
    if (text.includes('\x07')) {  // the bell: a short flash of the panel's border
      panel.classList.add('bell');
      setTimeout(() => panel.classList.remove('bell'), 150);
    }
  });

  run.on('state', (state, text) => {
    statusText.textContent = text;
    enterButton.hidden = state !== 'waiting';
    againButton.hidden = state !== 'ended';
    if (state === 'loading') {
      panel.textContent = '';
      againButton.textContent = 'Start again';
    }
    if (state === 'loading' || state === 'ended') closeMenu(0);
    // A stop's message and what the user can do about it come into view.
    if (state === 'waiting') {
      enterButton.focus({preventScroll: true});
      enterButton.scrollIntoView({block: 'nearest'});
    } else if (state === 'ended') {
      againButton.scrollIntoView({block: 'nearest'});
    }
  });

  // A new set that stopped before it started: why, and the way back to the kept maps.
  run.on('ended', () => {
    if (!window.orvexMaps.dropped) return;
    statusText.textContent = window.orvexMaps.dropped;
    againButton.textContent = 'Back to the kept maps';
    againButton.scrollIntoView({block: 'nearest'});
  });

  // The keys 1 to 5 of the key bar: one for each map the run's Orvex.Txt lists.
  run.on('started', () => {
    const count = (window.orvexMaps.namedMaps(run.config) || []).length;
    for (const button of keys.querySelectorAll('[data-key]')) {
      if (/^[1-5]$/.test(button.dataset.key)) button.hidden = Number(button.dataset.key) > count;
    }
  });

  enterButton.addEventListener('click', () => { if (run.enter) run.enter(); });
  document.addEventListener('keydown', (event) => {
    if (window.orvexPage.state === 'waiting' && event.key === 'Enter' && run.enter) {
      event.preventDefault();
      run.enter();
    }
  });
  againButton.addEventListener('click', () => run.start(window.orvexMaps.keptFiles()));

  // ---- the key bar: each button sends what its key sends, through the keyboard's queue ---------

  // GLUT's codes of the special keys on the bar, by their names in freeglut.h.
  const kGlutSpecialKeys = {GLUT_KEY_UP: 101, GLUT_KEY_DOWN: 103};

  if (window.matchMedia('(pointer: coarse)').matches || navigator.maxTouchPoints > 0) keys.open = true;
  keys.addEventListener('click', (event) => {
    const button = event.target.closest('button');
    if (!button || !run.module) return;
    if (button.dataset.special) run.module._webKey(kGlutSpecialKeys[button.dataset.special], 1);
    else run.module._webKey(button.dataset.key.toLowerCase().charCodeAt(0), 0);
  });

  // ---- where the keys go --------------------------------------------------------------------------

  // A button (or the key bar's fold), the file picker or the radius box, once used, hands the keys
  // back to the viewer.
  document.addEventListener('click', (event) => { if (event.target.closest('button, summary')) keysToViewer(); });
  for (const done of ['change', 'cancel']) document.getElementById('open-maps').addEventListener(done, keysToViewer);
  radiusInput.addEventListener('keydown', (event) => {
    if (event.key === 'Enter' || event.key === 'Escape') {
      event.preventDefault();
      keysToViewer();
    }
  });
  document.addEventListener('keydown', () => { lastInput = 'keyboard'; }, true);
  document.addEventListener('pointerdown', (event) => { lastInput = event.pointerType || 'mouse'; }, true);

  // ---- the pop-up menu ----------------------------------------------------------------------------

  function items() { return Array.from(menu.querySelectorAll('[role="menuitem"]')); }

  function highlight(item) {
    for (const each of items()) each.classList.toggle('active', each === item);
    if (item) item.focus();
  }

  // Opens the menu with its corner at canvas pixel (x, y) as GLUT does at the pointer: moved back
  // by its size where it would leave the visible page, and never off its top or left edge.
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
    menu.classList.toggle('touch', lastInput === 'touch');
    menu.hidden = false;
    const box = canvas.getBoundingClientRect();
    const scale = box.width ? box.width / canvas.width : 1;
    const viewWidth = document.documentElement.clientWidth, viewHeight = window.innerHeight;
    let left = box.left + x * scale, top = box.top + y * scale;
    if (left + menu.offsetWidth > viewWidth) left -= menu.offsetWidth;
    if (top + menu.offsetHeight > viewHeight) top -= menu.offsetHeight;
    menu.style.left = Math.max(0, Math.min(left, viewWidth - menu.offsetWidth)) + 'px';
    menu.style.top = Math.max(0, Math.min(top, viewHeight - menu.offsetHeight)) + 'px';
    menuOpen = true;
    menu.focus();
    if (lastInput === 'keyboard') highlight(items()[0]);
  }
  run.on('menu', showMenu);

  // Closes the menu and tells the viewer (GLUT knows where the pointer is): `value` 0 for no
  // choice. The keys go back to the viewer, unless the focus has gone on elsewhere.
  function closeMenu(value, focusMovedOn = false) {
    if (!menuOpen) return;
    menuOpen = false;
    menu.hidden = true;
    if (run.module) run.module._webMenuClosed(value);
    if (!focusMovedOn) keysToViewer();
  }

  function itemAt(target) { return target && target.closest ? target.closest('[role="menuitem"]') : null; }

  menu.addEventListener('mousemove', (event) => highlight(itemAt(event.target)));
  // A release over an entry picks it: a press-drag-release from the canvas, or a click; a finger's
  // tap picks it by its click.
  document.addEventListener('mouseup', (event) => {
    const item = itemAt(event.target);
    if (menuOpen && item && menu.contains(item)) closeMenu(Number(item.dataset.value));
  }, true);
  menu.addEventListener('click', (event) => {
    const item = itemAt(event.target);
    if (menuOpen && item) closeMenu(Number(item.dataset.value));
  });
  // A press outside the open menu closes it without a choice, and goes no further. A press on
  // the canvas takes the focus from any control, so that the keys go to the viewer again.
  document.addEventListener('mousedown', (event) => {
    if (event.target === canvas) keysToViewer();
    if (menuOpen && !menu.contains(event.target)) {
      event.stopPropagation();
      event.preventDefault();
      closeMenu(0);
    }
  }, true);
  document.addEventListener('touchstart', (event) => {
    if (event.target === canvas) keysToViewer();  // as a press of the mouse does
    if (!menuOpen || menu.contains(event.target)) return;
    event.stopPropagation();
    event.preventDefault();
    closeMenu(0);
  }, {capture: true, passive: false});
  // The menu closes when the focus leaves it (Tab, another window) and when the page is re-laid.
  menu.addEventListener('focusout', (event) => {
    if (!menu.contains(event.relatedTarget)) closeMenu(0, Boolean(event.relatedTarget));
  });
  let laidWidth = window.innerWidth;  // a change of height alone (a phone's bars) keeps the menu
  window.addEventListener('resize', () => {
    if (window.innerWidth !== laidWidth) closeMenu(0);
    laidWidth = window.innerWidth;
  });
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
  // The browser's own context menu stays closed over the viewer (the right button, a long press,
  // the menu key with the focus on the canvas or nowhere).
  document.addEventListener('contextmenu', (event) => {
    if (event.target === canvas || event.target === document.body || menu.contains(event.target)) event.preventDefault();
  });

  run.start(window.orvexMaps.keptFiles());
})();
