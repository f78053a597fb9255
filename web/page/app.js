// The page as an installed app that works offline: once the first run has started or ended, the
// service worker (sw.js) is registered to keep the site; the line under the console says which
// build runs, whether it is kept for use offline, and when a newer build waits for the next start.
'use strict';

(function () {
  const line = document.getElementById('build');
  const build = document.querySelector('meta[name="orvex-build"]').content;
  const app = window.orvexApp = {
    build,          // the build of the page's own files
    offline: false, // this build is kept in the browser: the page opens and runs with no network
    newer: null,    // a newer build, fetched and kept, that runs from the next start of the page
  };

  function show(text) { line.textContent = 'Build ' + build + ': ' + text; }

  // The service worker tells its build when it takes over and when asked.
  function workerBuild(event) {
    if (!event.data || typeof event.data.build !== 'string') return;
    if (event.data.build === build) {
      app.offline = true;
      show('kept in this browser; it opens and runs with no network.');
    } else {
      app.newer = event.data.build;
      show('build ' + app.newer + ' has been fetched and runs from the next time the page is opened or reloaded.');
    }
  }

  async function register() {
    try {
      const registration = await navigator.serviceWorker.register('sw.js', {updateViaCache: 'none'});
      // A first install that fails (a file of the site missing, the network gone) leaves no worker.
      const installing = registration.installing;
      if (installing) {
        installing.addEventListener('statechange', () => {
          if (installing.state === 'redundant' && !registration.active) {
            show('this page could not be kept for use offline (a file of the site could not be fetched); it is ' +
                 'tried again at the next start.');
          }
        });
      }
      const ready = await navigator.serviceWorker.ready;
      if (ready.active) ready.active.postMessage('build');
      // A newer build of the site, if one is published, is fetched now (no network: the next start).
      if (ready.active && !installing) registration.update().catch(() => {});
    } catch (error) {
      show('this page could not be kept for use offline (' + error.message + ').');
    }
  }

  if (!('serviceWorker' in navigator)) {
    show('this browser does not keep the page for use offline' +
         (window.isSecureContext ? '.' : ' (it does so only for pages served over https).'));
    return;
  }
  navigator.serviceWorker.addEventListener('message', workerBuild);  // from the start: a new build may take over early
  show('keeping the page for use offline…');
  // After the first run's start-up, which the files' fetches would otherwise slow down.
  let asked = false;
  const once = () => { if (!asked) asked = true, register(); };
  window.orvexRun.on('started', once);
  window.orvexRun.on('ended', once);
})();
