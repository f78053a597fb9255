// The page's tests in three engines, one test code: a page object with Playwright's method names
// for the subset the tests use, over Debian's Chromium (playwright-core), Firefox ESR
// (puppeteer-core over WebDriver BiDi) or WebKitGTK (webdriverio, WebKitWebDriver and MiniBrowser).
// The engine is ORVEX_ENGINE (chromium unless set). Firefox and WebKit get a private Xvfb (WebGL
// needs an X display), and downloads land in a scratch folder where waitForEvent('download') finds
// them.
'use strict';
const {spawn} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {serve, chromiumArgs} = require('./browser.js');

const kEngines = ['chromium', 'firefox', 'webkit'];
const engine = process.env.ORVEX_ENGINE || 'chromium';
if (!kEngines.includes(engine)) throw new Error(`ORVEX_ENGINE=${engine}: not one of ${kEngines.join(', ')}`);
const kMiniBrowser = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// ---- processes the session starts, ended with it

function startProcess(program, args, env, stdio = 'ignore') {
    const child = spawn(program, args, {env: {...process.env, ...env}, stdio});
    child.on('error', () => {});
    return child;
}

async function startXvfb() {
    const xvfb = startProcess('Xvfb', ['-displayfd', '3', '-screen', '0', '1920x1400x24', '-nolisten', 'tcp'], {},
                              ['ignore', 'ignore', 'ignore', 'pipe']);
    const display = await new Promise((resolve, reject) => {
        xvfb.stdio[3].once('data', (bytes) => resolve(':' + String(bytes).trim()));
        xvfb.once('exit', (code) => reject(new Error(`Xvfb ended (${code}) before it had a display`)));
        setTimeout(() => reject(new Error('Xvfb gave no display in 20 s')), 20000);
    }).catch((error) => { xvfb.kill(); throw error; });
    return {display, close: () => xvfb.kill()};
}

// ---- downloads: files that appear whole in a folder

// A file is whole once no part file of it is left and its size held over one poll. Each one taken
// is moved into a folder of its own under `taken`.
const partial = /\.(part|download|crdownload|wkdownload)$/i;
class DownloadFolder {
    constructor(folder, taken) { Object.assign(this, {folder, taken}); }
    files() {
        return fs.readdirSync(this.folder, {withFileTypes: true}).filter((e) => e.isFile()).map((e) => e.name);
    }
    // Resolves to the next download the predicate accepts, moved out of the folder so that the next
    // one of the same name keeps its name.
    async next(accepts = () => true, timeout = 60000) {
        const sizes = new Map();
        for (const started = Date.now(); Date.now() - started < timeout; await sleep(100)) {
            const names = this.files();
            for (const name of names) {
                if (partial.test(name) || names.some((other) => other !== name && other.startsWith(name + '.'))) continue;
                const size = fs.statSync(path.join(this.folder, name)).size;
                if (size === 0 || sizes.get(name) !== size) { sizes.set(name, size); continue; }
                const kept = path.join(fs.mkdtempSync(path.join(this.taken, 'download-')), name);
                fs.renameSync(path.join(this.folder, name), kept);
                const download = {suggestedFilename: () => name, path: async () => kept};
                if (accepts(download)) return download;
            }
        }
        throw new Error(`no download in ${timeout} ms: ${this.files().join(', ')}`);
    }
}

// ---- Playwright's locators, for the engines without them: found in the page by a query

// Runs in the page: the elements a query names ({css}, or {role, name, exact} among those shown, as
// Playwright's roles leave hidden elements out).
function findElements(query) {
    const shown = (e) => Boolean(e.offsetParent || e.getClientRects().length) && getComputedStyle(e).visibility !== 'hidden';
    const implicit = {button: 'button', textbox: 'input[type="text"]'};
    const all = query.css ? Array.from(document.querySelectorAll(query.css))
        : Array.from(document.querySelectorAll(`[role="${query.role}"]${implicit[query.role] ? ', ' + implicit[query.role] : ''}`))
            .filter((e) => (!e.hasAttribute('role') || e.getAttribute('role') === query.role) && shown(e));
    const named = query.name === undefined ? all : all.filter((e) => {
        const name = (e.getAttribute('aria-label') || e.textContent).trim();
        return query.exact ? name === query.name : name.toLowerCase().includes(query.name.toLowerCase());
    });
    return query.nth === undefined ? named : named.slice(query.nth, query.nth + 1);
}
const isShown = (e) => Boolean(e.offsetParent || e.getClientRects().length) && getComputedStyle(e).visibility !== 'hidden';

class Locator {
    constructor(page, query) { Object.assign(this, {page, query}); }
    // `what(elements, shown, arg)` runs in the page on the elements found.
    on(what, arg) {
        return this.page.evaluate(([query, find, shown, what, arg]) => {
            const elements = new Function('return ' + find)()(query);
            return new Function('return ' + what)()(elements, new Function('return ' + shown)(), arg);
        }, [this.query, findElements.toString(), isShown.toString(), what.toString(), arg]);
    }
    async waitFor({state = 'visible', timeout = 60000} = {}) {
        for (const started = Date.now(); ; await sleep(50)) {
            const visible = await this.on((es, shown) => es.length > 0 && shown(es[0]));
            if (visible === (state === 'visible')) return;
            if (Date.now() - started > timeout) throw new Error(`${JSON.stringify(this.query)} not ${state} in ${timeout} ms`);
        }
    }
    async isHidden() { return !(await this.on((es, shown) => es.length > 0 && shown(es[0]))); }
    allTextContents() { return this.on((es) => es.map((e) => e.textContent)); }
    async all() {
        const count = await this.on((es) => es.length);
        return Array.from({length: count}, (_, nth) => new Locator(this.page, {...this.query, nth}));
    }
    boundingBox() {
        return this.on((es) => {
            if (!es.length) return null;
            const box = es[0].getBoundingClientRect();
            return {x: box.x, y: box.y, width: box.width, height: box.height};
        });
    }
    async click(options) {
        await this.waitFor();
        await this.on((es) => es[0].scrollIntoView({block: 'nearest'}));
        const box = await this.boundingBox();
        await this.page.mouse.click(box.x + box.width / 2, box.y + box.height / 2, options);
    }
}

// ---- the page object over an engine's few primitives

// Playwright's key names and chords ("Shift+F10"); `pressed(key, down)` sends one key.
class Keyboard {
    constructor(pressed) { this.pressed = pressed; }
    down(key) { return this.pressed(key, true); }
    up(key) { return this.pressed(key, false); }
    async press(chord) {
        const keys = chord.length > 1 ? chord.split('+') : [chord];
        for (const key of keys) await this.down(key);
        for (const key of keys.reverse()) await this.up(key);
    }
    async type(text) { for (const key of text) await this.press(key); }
}

class Mouse {
    // `send(action)`: {move: [x, y]} or {button, down}, in CSS pixels of the viewport.
    constructor(send) { Object.assign(this, {send, at: [0, 0]}); }
    async move(x, y, {steps = 1} = {}) {
        const [fromX, fromY] = this.at;
        for (let step = 1; step <= steps; ++step) {
            await this.send({move: [fromX + (x - fromX) * step / steps, fromY + (y - fromY) * step / steps]});
        }
        this.at = [x, y];
    }
    down({button = 'left'} = {}) { return this.send({button, down: true}); }
    up({button = 'left'} = {}) { return this.send({button, down: false}); }
    async click(x, y, options) { await this.move(x, y); await this.down(options); await this.up(options); }
}

// What Firefox's and WebKit's pages share; each engine's page gives evaluateSource, goto, reload,
// close, screenshot, setFiles and the keyboard and mouse.
class DriverPage {
    constructor(session) { Object.assign(this, {session, engine: session.engine}); }
    evaluate(fn, arg) { return this.evaluateSource(`(${fn})`, arg); }
    // Polls in the page, a few seconds at a time (a driver's round trip costs more than a poll).
    async waitForFunction(fn, arg, {timeout = 30000, polling = 100} = {}) {
        const poll = async ([source, arg, polling, slice]) => {  // the page's clock may be a test's
            const holds = new Function('return ' + source)(), until = performance.now() + slice;
            for (let value; ; await new Promise((resolve) => setTimeout(resolve, polling))) {
                if ((value = await holds(arg)) || performance.now() > until) return value || null;
            }
        };
        for (const started = Date.now(); ;) {
            const value = await this.evaluate(poll, [String(fn), arg, polling, 5000]).catch((error) => {
                if (/context|navigat|destroyed|detached|no such|unload/i.test(String(error))) return null;  // a reload under way
                throw error;
            });
            if (value) return value;
            if (Date.now() - started > timeout) throw new Error(`waitForFunction: ${fn} did not hold in ${timeout} ms`);
            await sleep(polling);
        }
    }
    waitForEvent(event, accepts) {
        if (event !== 'download') throw new Error(`waitForEvent('${event}') is not in the driver`);
        return this.session.downloads.next(accepts);
    }
    // Playwright's file payloads ({name, mimeType, buffer}) are written to a folder of their own.
    setInputFiles(selector, files) {
        const folder = fs.mkdtempSync(path.join(this.session.scratch, 'files-'));
        const paths = [].concat(files).map((file) => {
            if (typeof file === 'string') return path.resolve(file);
            fs.writeFileSync(path.join(folder, file.name), file.buffer);
            return path.join(folder, file.name);
        });
        return this.setFiles(selector, paths);
    }
    locator(css) { return new Locator(this, {css}); }
    getByRole(role, {name, exact = false} = {}) { return new Locator(this, {role, name, exact}); }
    click(selector, options) { return this.locator(selector).click(options); }
    async fill(selector, value) {
        await this.locator(selector).click();
        await this.evaluate(([selector, value]) => {
            const input = document.querySelector(selector);
            input.value = value;
            input.dispatchEvent(new Event('input', {bubbles: true}));
            input.dispatchEvent(new Event('change', {bubbles: true}));
        }, [selector, value]);
    }
}

// ---- Firefox ESR: puppeteer-core over WebDriver BiDi

class FirefoxPage extends DriverPage {
    constructor(session, context, page) {
        super(session);
        Object.assign(this, {context, page});
        this.keyboard = new Keyboard((key, down) => down ? page.keyboard.down(key) : page.keyboard.up(key));
        this.mouse = new Mouse(({move, button, down}) => move ? page.mouse.move(...move)
            : down ? page.mouse.down({button}) : page.mouse.up({button}));
    }
    evaluateSource(source, arg) { return this.page.evaluate(`(async () => ${source}(${JSON.stringify(arg)}))()`); }
    async waitForFunction(fn, arg, {timeout = 30000, polling = 100} = {}) {
        return this.page.waitForFunction(`(${fn})(${JSON.stringify(arg)})`, {timeout, polling});
    }
    addInitScript(fn) { return this.page.evaluateOnNewDocument(fn); }
    goto(url) { return this.page.goto(url); }
    reload() { return this.page.reload(); }
    close() { return this.context.close(); }
    screenshot(options = {}) { return this.page.screenshot(options); }
    async setFiles(selector, paths) { await (await this.page.$(selector)).uploadFile(...paths); }
    // Touch as Chromium's DevTools protocol sends it: every finger in one action, so that fingers
    // land and move together (puppeteer's touchscreen sends one finger a round trip). `type` is
    // touchStart or touchMove with points [x, y], or touchEnd, which lifts all fingers.
    async touch(type, points = []) {
        if (type === 'touchStart') this.fingers = points.length;
        const actions = type === 'touchEnd' ? Array.from({length: this.fingers}, () => [{type: 'pointerUp', button: 0}])
            : points.map(([x, y]) => [{type: 'pointerMove', x, y, width: 1, height: 1, pressure: 0.5},
                                      ...(type === 'touchStart' ? [{type: 'pointerDown', button: 0, width: 1, height: 1, pressure: 0.5}] : [])]);
        await this.page.mainFrame().browsingContext.performActions(actions.map((fingerActions, id) => (
            {type: 'pointer', id: `finger${id}`, parameters: {pointerType: 'touch'}, actions: fingerActions})));
    }
}

async function startFirefox(session) {
    const puppeteer = require('puppeteer-core');
    const browser = await puppeteer.launch({
        browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: false, env: {...process.env, DISPLAY: session.display},
        extraPrefsFirefox: {'browser.download.dir': session.downloads.folder, 'browser.download.folderList': 2,
                            'browser.download.useDownloadDir': true, 'browser.download.always_ask_before_handling_new_types': false}});
    return {
        // A browser context of its own: fresh storage, as each of Playwright's contexts has.
        async newPage({viewport, deviceScaleFactor = 1, isMobile = false, hasTouch = false}) {
            const context = await browser.createBrowserContext(), page = await context.newPage();
            await page.setViewport({...viewport, deviceScaleFactor, isMobile, hasTouch});
            return new FirefoxPage(session, context, page);
        },
        close: () => browser.close(),
    };
}

// ---- WebKitGTK: webdriverio over WebDriver classic, one MiniBrowser window

// Playwright's key names as WebDriver's key code points.
const kWebDriverKeys = {Tab: '\uE004', Enter: '\uE007', Shift: '\uE008', Control: '\uE009', Alt: '\uE00A', Escape: '\uE00C',
                        End: '\uE010', Home: '\uE011', ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014',
                        ArrowDown: '\uE015', F10: '\uE03A'};
const kButtons = {left: 0, middle: 1, right: 2};
const kShifted = /^[A-Z~!@#$%^&*()_+{}|:"<>?]$/;

class WebKitPage extends DriverPage {
    constructor(session, browser) {
        super(session);
        this.browser = browser;
        const act = (type, actions) => browser.performActions([{type, id: type, ...(type === 'pointer' ? {parameters: {pointerType: 'mouse'}} : {}), actions}]);
        // A character typed with Shift on a US keyboard is sent inside Shift, as a person types it:
        // WebKit otherwise gives its unshifted key now and then (a backquote for ~).
        this.keyboard = new Keyboard((key, down) => {
            const value = kWebDriverKeys[key] || ([...key].length === 1 ? key : null);
            if (value === null) throw new Error(`WebDriver has no key ${key}`);
            const press = [{type: down ? 'keyDown' : 'keyUp', value}];
            if (!kShifted.test(key)) return act('key', press);
            const shift = (type) => ({type, value: kWebDriverKeys.Shift});
            return act('key', down ? [shift('keyDown'), ...press] : [...press, shift('keyUp')]);
        });
        this.mouse = new Mouse(({move, button, down}) => act('pointer', move
            ? [{type: 'pointerMove', origin: 'viewport', x: Math.round(move[0]), y: Math.round(move[1]), duration: 0}]
            : [{type: down ? 'pointerDown' : 'pointerUp', button: kButtons[button]}]));
    }
    evaluateSource(source, arg) {
        return this.browser.executeScript(`return (async () => ${source}(arguments[0]))()`, [arg === undefined ? null : arg]);
    }
    // The server puts the script into the page's HTML: WebDriver classic has no script run before a page's own.
    async addInitScript(fn) { this.session.server.headScript = `(${fn})();`; }
    goto(url) { return this.browser.navigateTo(url); }
    reload() { return this.browser.refresh(); }
    async close() {
        this.session.server.headScript = '';
        await this.browser.navigateTo('about:blank');
        this.session.pageOpen = false;
    }
    async screenshot({path: file} = {}) {
        const png = Buffer.from(await this.browser.takeScreenshot(), 'base64');
        if (file) fs.writeFileSync(file, png);
        return png;
    }
    async setFiles(selector, paths) {
        const element = await this.browser.$(selector);
        await this.browser.elementSendKeys(element.elementId, paths.join('\n'));
    }
}

async function startWebKit(session) {
    const port = await new Promise((resolve) => {  // a free port for the driver
        const probe = require('node:net').createServer().listen(0, '127.0.0.1', () => {
            const {port} = probe.address();
            probe.close(() => resolve(port));
        });
    });
    // The driver's HOME is scratch: WebKit saves downloads there, and its caches go with it.
    const home = session.downloads.folder;
    const driver = startProcess('WebKitWebDriver', [`--port=${port}`],
                                {DISPLAY: session.display, HOME: home, WEBKIT_DISABLE_DMABUF_RENDERER: '1'});
    const {remote} = await import('webdriverio');
    let browser;
    for (let tries = 0; !browser; ++tries) {  // bounded: the driver listens within a few seconds
        try {
            browser = await remote({hostname: '127.0.0.1', port, logLevel: 'silent', connectionRetryCount: 0,
                                    capabilities: {browserName: 'MiniBrowser', 'wdio:enforceWebDriverClassic': true,
                                                   'webkitgtk:browserOptions': {binary: kMiniBrowser, args: ['--automation']}}});
        } catch (error) {
            if (tries >= 50) { driver.kill(); throw error; }
            await sleep(200);
        }
    }
    return {
        // One page at a time, with its origin's storage emptied first: a fresh profile, as each of
        // Playwright's contexts has.
        async newPage({viewport}) {
            if (session.pageOpen) throw new Error('the WebKit driver has one page at a time: close the last one first');
            session.pageOpen = true;
            await browser.navigateTo(session.url + 'engines-blank');
            await browser.executeAsyncScript(`const done = arguments[arguments.length - 1];
                localStorage.clear();
                Promise.all([indexedDB.databases().then((all) => all.map((db) => new Promise((gone) => {
                                 const deleting = indexedDB.deleteDatabase(db.name);
                                 deleting.onsuccess = deleting.onerror = deleting.onblocked = gone;
                             }))).then((all) => Promise.all(all)),
                             self.caches ? caches.keys().then((all) => Promise.all(all.map((name) => caches.delete(name)))) : null,
                             navigator.serviceWorker ? navigator.serviceWorker.getRegistrations()
                                 .then((all) => Promise.all(all.map((r) => r.unregister()))) : null]).then(() => done(), () => done());`, []);
            // The window's size is set so that the viewport is the one asked for.
            for (let tries = 0; tries < 3; ++tries) {
                const [width, height] = await browser.executeScript('return [innerWidth, innerHeight]', []);
                if (width === viewport.width && height === viewport.height) break;
                const rect = await browser.getWindowRect();
                await browser.setWindowRect(null, null, rect.width + viewport.width - width, rect.height + viewport.height - height);
            }
            return new WebKitPage(session, browser);
        },
        async close() {
            await browser.deleteSession().catch(() => {});
            driver.kill();
        },
    };
}

// ---- the session

// Serves the site and starts the engine: resolves to {engine, url, newPage(device), close()}, where
// device is Playwright's ({viewport, deviceScaleFactor, isMobile, hasTouch}).
async function start() {
    const server = await serve();
    const session = {engine, url: server.url, server};
    const closers = [() => server.close()];
    session.close = async () => { for (const close of closers.reverse()) await close(); };
    try {
        if (engine === 'chromium') {
            const {chromium} = require('playwright-core');
            const browser = await chromium.launch({executablePath: '/usr/bin/chromium', headless: true, args: chromiumArgs});
            closers.push(() => browser.close());
            session.newPage = async (device) => {
                const context = await browser.newContext({acceptDownloads: true, ...device}), page = await context.newPage();
                page.close = () => context.close();  // the page's context goes with it
                return page;
            };
            return session;
        }
        const xvfb = await startXvfb();
        closers.push(xvfb.close);
        session.display = xvfb.display;
        // Scratch: the downloads folder (WebKit's HOME), the downloads taken, the files chosen.
        session.scratch = fs.mkdtempSync(path.join(os.tmpdir(), `orvex-${engine}-`));
        closers.push(() => fs.rmSync(session.scratch, {recursive: true, force: true}));
        fs.mkdirSync(path.join(session.scratch, 'downloads'));
        session.downloads = new DownloadFolder(path.join(session.scratch, 'downloads'), session.scratch);
        const browser = await (engine === 'firefox' ? startFirefox : startWebKit)(session);
        closers.push(() => browser.close());
        session.newPage = browser.newPage;
        return session;
    } catch (error) {
        await session.close();
        throw error;
    }
}

module.exports = {start, engine};
