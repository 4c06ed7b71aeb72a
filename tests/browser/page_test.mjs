// The page (web/dist, built by web/build) in headless Chromium, served by
// Python's http.server as scripts/web serves it. Run by ./run, which skips
// where Chromium, em++ or the npm packages are missing.
//
// Environment: SORVIK_CLI, the command-line tool whose bytes the page must
// give; CHROMIUM, the browser (/usr/bin/chromium).
import test, { after, before } from 'node:test';
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { countNotes } from '../../web/texts.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const dist = path.join(root, 'web/dist');
const cliPath = process.env.SORVIK_CLI || path.join(root, 'build/SorvikToMusicXml');
const chromium = process.env.CHROMIUM || '/usr/bin/chromium';
const examples = ['sabah-sarki', 'yayla-yolunda', 'saba-taksim'];
const variants = { normal: [], P: ['-P'], A: ['-A'] };
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'sorvik-browser-'));
const downloads = path.join(scratch, 'downloads');
fs.mkdirSync(downloads);

let server;
let origin;
let browser;
const requests = [];  // every request any page made
const problems = [];  // errors the pages reported

// --- the command-line tool ------------------------------------------------------------

// Runs the tool on `bytes` saved as `name` in a folder of its own; returns
// its console text and the document it wrote.
function cli(name, bytes, args = []) {
  const dir = fs.mkdtempSync(path.join(scratch, 'cli-'));
  fs.writeFileSync(path.join(dir, name), bytes);
  const run = spawnSync(cliPath, [name, ...args], { cwd: dir, input: '' });
  assert.ifError(run.error);
  const outName = fs.readdirSync(dir).find((f) => f !== name && f.endsWith('.xml'));
  return {
    status: run.status,
    console: run.stdout.toString('utf8'),
    outName,
    document: outName ? fs.readFileSync(path.join(dir, outName)) : null,
  };
}

const example = (song) => fs.readFileSync(path.join(root, 'examples', `${song}.sv2`));

// --- songs made here --------------------------------------------------------------------

// A 4/4 song of `measures` measures of four quarter notes, long enough for
// several pages.
function longSong(measures) {
  const pitches = ['la4', 'si4b1', 'do5', 're5', 'mi5', 'fa5#3', 'sol5', 'fa5#3', 'mi5', 're5', 'do5', 'si4b1'];
  const lines = ['4\t4\t\t\t\t\t\t\t\t', '50\t\t\t\t\t\t\tHüseyni\tB4b1/F4#4\t', '60\t\t\t\t\t\t\tUzun Türkü\t\t'];
  let k = 0;
  for (let m = 0; m < measures; m++) {
    for (let q = 1; q <= 4; q++) {
      lines.push(`9\t${pitches[k++ % pitches.length]}\t1\t4\t0\t0\t0\tla\t\t${m + q / 4}`);
    }
  }
  return Buffer.from(lines.join('\r\n') + '\r\n');
}

// The example with two empty lines after its third line and line 22 (now
// 24) mistyped as a half note: the warning names line 17, the 19th line.
function mistyped() {
  const lines = example('sabah-sarki').toString('utf8').split('\n');
  assert.match(lines[21], /\t1\t4\t/);
  lines[21] = lines[21].replace('\t1\t4\t', '\t1\t2\t');
  return Buffer.from([...lines.slice(0, 3), '', '', ...lines.slice(3)].join('\n'));
}

// The example with three empty lines after its fifth line and an unknown
// code on line 30 (now 33): the error names line 30.
function faulty() {
  const lines = example('sabah-sarki').toString('utf8').split('\n');
  lines[29] = `77${lines[29].slice(1)}`;
  return Buffer.from([...lines.slice(0, 5), '', '', '', ...lines.slice(5)].join('\n'));
}

// --- the page -------------------------------------------------------------------------------

async function openPage() {
  const page = await browser.newPage();
  await page.setViewport({ width: 1400, height: 1000 });
  page.on('request', (r) => requests.push(r.url()));
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('console', (m) => { if (m.type() === 'error') problems.push(`console: ${m.text()}`); });
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.goto(`${origin}/`, { waitUntil: 'load' });
  await page.waitForFunction(() => document.body.dataset.state !== 'loading', { timeout: 60_000 });
  assert.equal(await page.evaluate(() => document.body.dataset.state), 'ready', 'the converter loaded');
  return page;
}

const shownCount = (page) => page.evaluate(() => Number(document.body.dataset.shown || 0));

// Does `action` and waits until the page has shown the file it leads to.
async function andShown(page, action) {
  const before = await shownCount(page);
  await action();
  await page.waitForFunction((n) => Number(document.body.dataset.shown || 0) > n, { timeout: 120_000 }, before);
}

async function setOptions(page, { print = false, arrows = false, strictBars = false, instrument = 1, encoding = 'utf-8' } = {}) {
  for (const [id, on] of [['print', print], ['arrows', arrows], ['strict', strictBars]]) {
    if ((await page.$eval(`#${id}`, (e) => e.checked)) !== on) await page.click(`#${id}`);
  }
  await page.select('#instrument', String(instrument));
  await page.select('#encoding', encoding);
}

async function upload(page, files) {
  const paths = files.map(([name, bytes]) => {
    const dir = fs.mkdtempSync(path.join(scratch, 'up-'));
    fs.writeFileSync(path.join(dir, name), bytes);
    return path.join(dir, name);
  });
  const input = await page.$('#files');
  await andShown(page, () => input.uploadFile(...paths));
}

// Clicks a download button and returns the file's name and bytes.
async function download(page, button) {
  const name = await page.$eval(button, (b) => b.textContent.replace(/^Download /, ''));
  for (const f of fs.readdirSync(downloads)) fs.rmSync(path.join(downloads, f));
  await page.click(button);
  const deadline = Date.now() + 30_000;
  for (;;) {
    const done = fs.readdirSync(downloads).filter((f) => !f.endsWith('.crdownload'));
    if (done.length === 1 && !fs.readdirSync(downloads).some((f) => f.endsWith('.crdownload'))) {
      return { name: done[0], label: name, bytes: fs.readFileSync(path.join(downloads, done[0])) };
    }
    assert.ok(Date.now() < deadline, `no download from ${button}`);
    await new Promise((r) => setTimeout(r, 50));
  }
}

// The notes Verovio drew on every page, turning the pages with the buttons.
async function drawnNotes(page) {
  const pages = Number(await page.$eval('#svg', (e) => e.dataset.pages));
  assert.ok(pages >= 1, 'at least one page drawn');
  const perPage = [];
  const marks = {};
  for (let p = 1; p <= pages; p++) {
    assert.equal(await page.$eval('#svg', (e) => e.dataset.page), String(p));
    assert.equal(await page.$eval('#pageinfo', (e) => e.textContent), `Page ${p} of ${pages}`);
    assert.equal(await page.$eval('#prev', (e) => e.disabled), p === 1);
    assert.equal(await page.$eval('#next', (e) => e.disabled), p === pages);
    perPage.push(await page.$$eval('#svg svg g.note', (n) => n.length));
    for (const [name, selector] of Object.entries(DRAWN_MARKS)) {
      marks[name] = (marks[name] ?? 0) + await page.$$eval(`#svg svg ${selector}`, (n) => n.length);
    }
    if (p < pages) {
      await page.click('#next');
      await page.waitForFunction((n) => document.getElementById('svg').dataset.page === String(n), {}, p + 1);
    }
  }
  return { pages, perPage, total: perPage.reduce((a, b) => a + b, 0), marks };
}

// What Verovio draws of the marks and rests of a document: its SVG class, and
// the document's element.
const DRAWN_MARKS = {
  fermata: 'g.fermata', mordent: 'g.mordent', trill: 'g.trill', staccato: 'g.artic', rest: 'g.rest', measureRest: 'g.mRest',
};
const WRITTEN_MARKS = {
  fermata: /<fermata\b/g, mordent: /<mordent\b/g, trill: /<trill-mark\b/g, staccato: /<staccato\b/g, rest: /<rest\/>/g,
  measureRest: /<rest measure="yes"\/>/g,
};
const written = (xml) => Object.fromEntries(Object.entries(WRITTEN_MARKS).map(([k, re]) => [k, (xml.match(re) ?? []).length]));

const consoleText = (page) => page.$eval('#console', (e) => e.textContent);

async function chooseExample(page, song) {
  await andShown(page, () => page.click(`button[data-example="${song}.sv2"]`));
}

// --- start and end ------------------------------------------------------------------------------

before(async () => {
  server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', dist],
    { stdio: ['ignore', 'pipe', 'ignore'] });
  const port = await new Promise((resolve, reject) => {
    let out = '';
    server.stdout.on('data', (d) => {
      out += d;
      const m = /port (\d+)/.exec(out);
      if (m) resolve(Number(m[1]));
    });
    server.on('exit', (code) => reject(new Error(`http.server ended with ${code}`)));
  });
  origin = `http://127.0.0.1:${port}`;
  browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--disable-default-apps'],
  });
});

after(async () => {
  await browser?.close();
  server?.kill();
  fs.rmSync(scratch, { recursive: true, force: true });
});

// --- the tests ------------------------------------------------------------------------------------

test('the build: a converter under 300 KB, the Verovio that the other checks pin', async () => {
  const wasm = await fetch(`${origin}/sorvik.wasm`);
  assert.equal(wasm.headers.get('content-type'), 'application/wasm');
  const size = (await wasm.arrayBuffer()).byteLength;
  assert.ok(size > 50_000 && size < 300 * 1024, `sorvik.wasm has ${size} bytes`);
  const pinned = JSON.parse(fs.readFileSync(path.join(root, 'tests/thirdparty/package.json'), 'utf8')).dependencies.verovio;
  const served = await (await fetch(`${origin}/verovio/package.json`)).json();
  assert.equal(served.version, pinned);
  console.log(`sorvik.wasm: ${size} bytes`);
});

test('the bundled example, from choosing it to the drawn score; the screenshot', async () => {
  const page = await openPage();
  await page.waitForFunction(() => document.body.dataset.verovio === 'ready', { timeout: 120_000 });
  const elapsed = [];
  for (let i = 0; i < 6; i++) {
    // From the click on the example to the frame after the score is in place.
    elapsed.push(await page.evaluate(async () => {
      const before = Number(document.body.dataset.shown || 0);
      const t0 = performance.now();
      document.querySelector('button[data-example="sabah-sarki.sv2"]').click();
      while (Number(document.body.dataset.shown || 0) === before) await new Promise((r) => setTimeout(r, 1));
      await new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)));
      return performance.now() - t0;
    }));
  }
  const [first, ...rest] = elapsed;
  rest.sort((a, b) => a - b);
  console.log(`choosing sabah-sarki.sv2 to its drawn score: first ${first.toFixed(0)} ms, `
    + `then median ${rest[Math.floor(rest.length / 2)].toFixed(0)} ms (${rest.map((t) => t.toFixed(0)).join(', ')})`);
  assert.ok((await page.$$eval('#svg svg g.note', (n) => n.length)) > 0, 'the score is drawn');
  // The clef put into the drawn copy is drawn, and the key signature after it.
  assert.ok((await page.$$eval('#svg svg g.clef', (n) => n.length)) > 0, 'a clef is drawn');
  assert.ok((await page.$$eval('#svg svg g.keySig', (n) => n.length)) > 0, 'a key signature is drawn');
  await page.screenshot({ path: path.join(root, 'docs/web.png') });
  await page.close();
});

test('every example in every variant: the tool\'s bytes, drawn in full', async () => {
  const page = await openPage();
  for (const song of examples) {
    for (const [variant, args] of Object.entries(variants)) {
      const what = `${song} ${variant}`;
      await setOptions(page, { print: variant === 'P', arrows: variant === 'A' });
      await chooseExample(page, song);
      const tool = cli(`${song}.sv2`, example(song), args);
      const got = await download(page, '#download');
      assert.equal(got.name, tool.outName, what);
      assert.ok(got.bytes.equals(tool.document), `${what}: the document differs from the tool's`);
      const blessed = fs.readFileSync(path.join(root, 'tests/cases/examples', `${song}-${variant}`, 'out', tool.outName));
      assert.ok(got.bytes.equals(blessed), `${what}: the document differs from the case's`);
      assert.equal(await consoleText(page), tool.console, `${what}: console`);
      assert.equal(await page.$eval('#command code', (e) => e.textContent),
        ['SorvikToMusicXml', `${song}.sv2`, ...args].join(' '), `${what}: command line`);

      const notes = countNotes(got.bytes.toString('utf8'));
      const drawn = await drawnNotes(page);
      assert.equal(drawn.total, notes, `${what}: notes drawn on ${drawn.pages} page(s)`);
      // Every ornament, and each rest at its length (not as a whole-measure rest).
      assert.deepEqual(drawn.marks, written(got.bytes.toString('utf8')), `${what}: marks and rests drawn`);
      assert.match(await page.$eval('#stats', (e) => e.textContent), new RegExp(`, ${notes} notes$`));

      if (variant === 'normal') {
        // The second button gives the print variant of the same song.
        const print = await download(page, '#download-print');
        const toolPrint = cli(`${song}.sv2`, example(song), ['-P']);
        assert.equal(print.name, toolPrint.outName);
        assert.ok(print.bytes.equals(toolPrint.document), `${song}: the print variant differs`);
        // The third, the music21 variant, as the library makes it.
        const music21 = await download(page, '#download-music21');
        assert.equal(music21.name, `${song}.music21.xml`);
        const blessed21 = fs.readFileSync(path.join(root, 'tests/cases/examples', `${song}-music21`, 'out', music21.name));
        assert.ok(music21.bytes.equals(blessed21), `${song}: the music21 variant differs from the case's`);
      } else if (variant === 'P') {
        assert.equal(await page.$eval('#download-print', (e) => e.hidden), true);
      }
    }
  }
  // The instrument from the list: -I 72.
  await setOptions(page, { instrument: 72 });
  await chooseExample(page, 'sabah-sarki');
  const clarinet = await download(page, '#download');
  assert.ok(clarinet.bytes.equals(cli('sabah-sarki.sv2', example('sabah-sarki'), ['-I', '72']).document));
  assert.match(await page.$eval('#instrument', (e) => e.selectedOptions[0].textContent), /^72 Clarinet$/);
  await page.close();
});

test('a long song: page turning shows every page and every note', async () => {
  const page = await openPage();
  const song = longSong(160);
  await upload(page, [['uzun.sv2', song]]);
  const tool = cli('uzun.sv2', song);
  assert.equal(tool.status, 0);
  assert.doesNotMatch(tool.console, /Warning|Error/);
  const drawn = await drawnNotes(page);
  assert.ok(drawn.pages >= 2, `${drawn.pages} pages`);
  assert.equal(drawn.total, 640);
  assert.ok(drawn.perPage.every((n) => n > 0), drawn.perPage.join(' '));
  // back again, by keyboard
  await page.keyboard.press('ArrowLeft');
  await page.waitForFunction((n) => document.getElementById('svg').dataset.page === String(n), {}, drawn.pages - 1);
  assert.equal(await page.$eval('#next', (e) => e.disabled), false);
  await page.close();
});

test('a faulty file: its error names its line, and that line of the source is marked', async () => {
  const page = await openPage();
  const bytes = faulty();
  await upload(page, [['kusurlu.sv2', bytes]]);
  const tool = cli('kusurlu.sv2', bytes, ['-q']);
  assert.equal(tool.status, 1);
  const text = await consoleText(page);
  assert.match(text, /^Error in File kusurlu\.sv2$/m);
  assert.match(text, /^Error in Line 000030: Unknown code in first field: "77": $/m);
  assert.ok(tool.console.includes('Error in Line 000030: Unknown code in first field: "77": \n'));
  const marked = await page.$$eval('#source .row.marked', (rows) => rows.map((r) => [r.dataset.line, r.childNodes[1].textContent]));
  assert.equal(marked.length, 1);
  assert.equal(marked[0][0], '33', 'three empty lines come before it');
  assert.match(marked[0][1], /^77\tsi4b1\t1\t12\t/);
  assert.match(await page.$eval('#svg', (e) => e.textContent), /stopped at an error/);
  assert.equal(await page.$eval('#download', (e) => e.hidden), true);

  // A warning, and the same song with the strict bar check.
  await upload(page, [['uyari.sv2', mistyped()]]);
  assert.match(await consoleText(page), /^Warning in Line 000017: Measure overfull: 1\.75 - 2: uyari\.sv2$/m);
  assert.deepEqual(await page.$$eval('#source .row.marked', (r) => r.map((x) => [x.dataset.line, x.className])),
    [['19', 'row marked warning']]);
  assert.ok((await page.$$eval('#svg svg g.note', (n) => n.length)) > 0, 'a warning still draws the score');
  await andShown(page, () => page.click('#strict'));
  assert.match(await consoleText(page), /^Error in Line 000017: Measure overfull: 1\.75 - 2: $/m);
  assert.deepEqual(await page.$$eval('#source .row.marked', (r) => r.map((x) => [x.dataset.line, x.className])),
    [['19', 'row marked']]);
  assert.equal(await page.$eval('#command code', (e) => e.textContent), 'SorvikToMusicXml uyari.sv2 -M');
  // A message's line in the console marks its source line when clicked.
  const link = await page.$('#console a');
  assert.ok(link, 'the message is a link');
  await page.$eval('#source', (e) => { e.querySelector('.row.marked')?.classList.remove('marked'); });
  await link.click();
  assert.equal(await page.$eval('#source .row.marked', (e) => e.dataset.line), '19');
  await page.close();
});

test('two files dropped at once', async () => {
  const page = await openPage();
  const files = [['yayla-yolunda.sv2', example('yayla-yolunda')], ['kusurlu.sv2', faulty()]];
  await page.evaluate(() => {
    document.dispatchEvent(new DragEvent('dragenter', { dataTransfer: (() => {
      const dt = new DataTransfer();
      dt.items.add(new File(['x'], 'x.sv2'));
      return dt;
    })(), bubbles: true }));
  });
  assert.equal(await page.$eval('#dropzone', (e) => e.hidden), false, 'the drop zone shows');
  await andShown(page, () => page.evaluate((list) => {
    const dt = new DataTransfer();
    for (const [name, bytes] of list) dt.items.add(new File([new Uint8Array(bytes)], name));
    const target = document.querySelector('.sheet') || document.body;
    target.dispatchEvent(new DragEvent('dragover', { dataTransfer: dt, bubbles: true, cancelable: true }));
    target.dispatchEvent(new DragEvent('drop', { dataTransfer: dt, bubbles: true, cancelable: true }));
  }, files.map(([name, bytes]) => [name, [...bytes]])));
  assert.equal(await page.$eval('#dropzone', (e) => e.hidden), true);
  const tabs = await page.$$eval('#filelist button', (b) => b.map((x) => [x.textContent, x.className, x.getAttribute('aria-selected')]));
  assert.deepEqual(tabs, [['✓yayla-yolunda.sv2', 'ok', 'true'], ['✗kusurlu.sv2', 'error', 'false']]);
  const first = await download(page, '#download');
  assert.ok(first.bytes.equals(cli('yayla-yolunda.sv2', example('yayla-yolunda')).document));
  await andShown(page, () => page.click('#filelist button:nth-child(2)'));
  assert.match(await consoleText(page), /Error in Line 000030/);
  assert.equal(await page.$eval('#source .row.marked', (e) => e.dataset.line), '33');
  assert.equal(await page.$eval('#filelist button:nth-child(2)', (e) => e.getAttribute('aria-selected')), 'true');
  await page.close();
});

test('a Windows-1254 file, converted offline once the page is loaded', async () => {
  const page = await openPage();
  await page.waitForFunction(() => document.body.dataset.verovio === 'ready', { timeout: 120_000 });
  await page.setOfflineMode(true);
  const utf8 = example('sabah-sarki');
  // The example's Turkish letters, each one byte in Windows-1254.
  const cp1254 = { 'Ç': 0xC7, 'Ğ': 0xD0, 'İ': 0xDD, 'Ö': 0xD6, 'Ş': 0xDE, 'Ü': 0xDC,
    'ç': 0xE7, 'ğ': 0xF0, 'ı': 0xFD, 'ö': 0xF6, 'ş': 0xFE, 'ü': 0xFC, 'â': 0xE2, 'î': 0xEE, 'û': 0xFB };
  const bytes = Buffer.from([...utf8.toString('utf8')].map((c) => {
    if (c.charCodeAt(0) < 0x80) return c.charCodeAt(0);
    assert.ok(c in cp1254, `no Windows-1254 byte for ${c}`);
    return cp1254[c];
  }));
  assert.ok(bytes.length < utf8.length, 'the file has letters beyond ASCII');
  await setOptions(page, { encoding: 'windows-1254' });
  await upload(page, [['sabah-sarki.sv2', bytes]]);
  const got = await download(page, '#download');
  assert.ok(got.bytes.equals(cli('sabah-sarki.sv2', utf8).document), 'converted as its UTF-8 text');
  assert.match(await page.$eval('#source', (e) => e.textContent), /Hüseyni/);
  assert.ok((await page.$$eval('#svg svg g.note', (n) => n.length)) > 0);
  await page.setOfflineMode(false);
  await page.close();
});

test('no request left this machine, and no page reported an error', () => {
  assert.ok(requests.length > 0);
  const away = requests.filter((u) => !u.startsWith(`${origin}/`) && !/^(data|blob):/.test(u));
  assert.deepEqual(away, []);
  assert.deepEqual(problems, []);
});
