// The user's folder kept in the browser (IndexedDB): one record per file, keyed by its name. Each
// failure rejects with an Error whose `code` the page puts in plain words:
//   storage-missing   no IndexedDB here (some private windows, site data turned off), or it threw
//   storage-full      the site's share of the disk is used up (QuotaExceededError)
//   storage-evicted   maps were kept on an earlier visit and the browser has removed them since
// A failed write changes nothing kept: a new folder replaces the old one in a single transaction,
// which the browser commits whole or not at all, and a write that throws aborts it.
'use strict';

(function () {
  const kConfig = 'Orvex.Txt';
  const kMarker = 'orvex-maps-kept';        // localStorage: a folder of the user's maps is in IndexedDB
  const kRefusedMarker = 'orvex-persist-refused';  // localStorage: the refusal of persistent storage was told

  let pending = Promise.resolve();  // writes not yet done, in order; a read waits for them

  function storageFailure(error) {
    if (error && error.code && String(error.code).startsWith('storage-')) return error;
    const quota = error && (error.name === 'QuotaExceededError' || /quota/i.test(error.message || ''));
    const failure = new Error((error && error.message) || String(error));
    failure.code = quota ? 'storage-full' : 'storage-missing';
    return failure;
  }

  // localStorage's markers; a browser that refuses localStorage keeps none.
  function marker(name, value) {
    try {
      if (value === undefined) return localStorage.getItem(name);
      if (value === null) localStorage.removeItem(name);
      else localStorage.setItem(name, value);
    } catch (error) {
      return null;
    }
    return null;
  }

  // A connection for one transaction: closed after it, so that the store is looked up afresh each
  // time (a browser may take IndexedDB away, or another tab delete the database).
  function openDatabase() {
    return new Promise((resolve, reject) => {
      if (typeof indexedDB === 'undefined' || !indexedDB) throw new Error('this browser offers no IndexedDB here');
      const request = indexedDB.open('orvex', 1);
      request.onupgradeneeded = () => request.result.createObjectStore('folder');
      request.onsuccess = () => {
        request.result.onversionchange = () => request.result.close();
        resolve(request.result);
      };
      request.onerror = () => reject(request.error);
    });
  }

  // Runs `work(store)` in one transaction; resolves, once it has committed, with what the function
  // `work` returned gives then.
  async function transaction(mode, work) {
    try {
      const db = await openDatabase();
      try {
        return await new Promise((resolve, reject) => {
          const step = db.transaction('folder', mode);
          let result = null;
          step.oncomplete = () => resolve(result ? result() : undefined);
          step.onabort = () => reject(step.error || new Error('the browser gave the write up'));
          try {
            result = work(step.objectStore('folder'));
          } catch (error) {
            try { step.abort(); } catch (ignored) { /* it has ended already */ }
            reject(error);
          }
        });
      } finally {
        db.close();
      }
    } catch (error) {
      throw storageFailure(error);
    }
  }

  function queue(write) {
    pending = pending.catch(() => {}).then(write);
    return pending;
  }

  // The kept folder ([{name, bytes}]).
  async function read() {
    await pending.catch(() => {});
    const files = await transaction('readonly', (store) => {
      const names = store.getAllKeys(), values = store.getAll();
      return () => names.result.map((name, i) => ({name, bytes: values.result[i]}));
    });
    if (marker(kMarker) && !files.some((file) => file.name === kConfig)) {
      marker(kMarker, null);  // told once
      const gone = new Error('');
      gone.code = 'storage-evicted';
      throw gone;
    }
    return files;
  }

  // Replaces the whole folder (files: [{name, bytes}]), or with `files` null empties it.
  function replace(files) {
    return queue(async () => {
      await transaction('readwrite', (store) => {
        store.clear();
        for (const file of files || []) store.put(file.bytes, file.name);
      });
      marker(kMarker, files && files.some((file) => file.name === kConfig) ? '1' : null);
    });
  }

  // Adds a file to the kept folder, or replaces the one of its name.
  function add(name, bytes) {
    return queue(() => transaction('readwrite', (store) => { store.put(bytes, name); }));
  }

  // Asks the browser to keep the site's storage (the maps, the offline copy) also when the disk runs
  // short. Resolves with 'granted', 'refused' the first time it is refused (a later refusal is not
  // told again), '' otherwise (refused again, or a browser that cannot be asked).
  async function persist() {
    if (!navigator.storage || !navigator.storage.persist) return '';
    const granted = await navigator.storage.persisted() || await navigator.storage.persist();
    if (granted) {
      marker(kRefusedMarker, null);
      return 'granted';
    }
    if (marker(kRefusedMarker)) return '';
    marker(kRefusedMarker, '1');
    return 'refused';
  }

  window.orvexStore = {read, replace, add, persist};
})();
