// The page (web/dist, built by web/build) in headless Chromium, served by
// Python's http.server as scripts/web serves it. Run by ./run, which skips
// where Chromium, em++ or the npm packages are missing.
//
// Environment: SORVIK_CLI, the command-line tool whose bytes the page must
// give; SORVIK_BATCH, sorvik-batch, for the files the tool cannot read as
// they are; CHROMIUM, the browser (/usr/bin/chromium).
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
const batchPath = process.env.SORVIK_BATCH || path.join(root, 'build/src/batch/sorvik-batch');
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

// The document `out` that sorvik-batch writes beside `name` with these arguments.
function batch(name, bytes, args, out = name.replace(/\.sv2$/, '.xml')) {
  const dir = fs.mkdtempSync(path.join(scratch, 'batch-'));
  fs.writeFileSync(path.join(dir, name), bytes);
  const run = spawnSync(batchPath, [...args, name], { cwd: dir, input: '' });
  assert.equal(run.status, 0, run.stderr.toString());
  return fs.readFileSync(path.join(dir, out));
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

// The example with the syllable of its 11th line written "ge-": the hyphen
// makes the line a marker line, and its note is not written.
function hyphenated() {
  const lines = example('sabah-sarki').toString('utf8').split('\n');
  const fields = lines[10].split('\t');
  assert.equal(fields[7], 'bah');
  fields[7] = 'ge-';
  lines[10] = fields.join('\t');
  return Buffer.from(lines.join('\n'));
}

// The example in Windows-1254: its Turkish letters are one byte each.
function inCp1254() {
  const cp1254 = { 'Ç': 0xC7, 'Ğ': 0xD0, 'İ': 0xDD, 'Ö': 0xD6, 'Ş': 0xDE, 'Ü': 0xDC,
    'ç': 0xE7, 'ğ': 0xF0, 'ı': 0xFD, 'ö': 0xF6, 'ş': 0xFE, 'ü': 0xFC, 'â': 0xE2, 'î': 0xEE, 'û': 0xFB };
  return Buffer.from([...example('sabah-sarki').toString('utf8')].map((c) => {
    if (c.charCodeAt(0) < 0x80) return c.charCodeAt(0);
    assert.ok(c in cp1254, `no Windows-1254 byte for ${c}`);
    return cp1254[c];
  }));
}

// --- the page -------------------------------------------------------------------------------

const DESKTOP = { width: 1400, height: 1000 };
const PHONE = { width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 2 };

async function openPage({ viewport = DESKTOP, context = browser } = {}) {
  const page = await context.newPage();
  await page.setViewport(viewport);
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

async function setOptions(page, { print = false, arrows = false, strictBars = false, instrument = 1, encoding = 'auto' } = {}) {
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
const statusText = (page) => page.$eval('#status', (e) => e.textContent);
const markedRows = (page) => page.$$eval('#source .row.marked', (r) => r.map((x) => [x.dataset.line, x.className]));
const topOf = (page, selector) => page.$eval(selector, (e) => e.getBoundingClientRect().top + window.scrollY);

// Opens the explanation of the message or hint `selector` with the keyboard.
async function explainByKeyboard(page, selector) {
  await page.focus(selector);
  await page.keyboard.press('Enter');
  await page.waitForSelector('#source .explanation');
  return page.evaluate(() => {
    const box = document.querySelector('#source .explanation');
    return {
      after: box.previousElementSibling.dataset.line,
      kind: box.className,
      text: box.textContent,
      links: [...box.querySelectorAll('a')].map((a) => a.getAttribute('href')),
      focused: box.contains(document.activeElement),
    };
  });
}

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

test('the bundled example, from choosing it to the drawn score', async () => {
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
  assert.equal(await statusText(page), 'sabah-sarki.sv2 converted.');
  // For a screen reader the drawing is an image with a title.
  assert.deepEqual(await page.$eval('#svg svg', (svg) => [svg.getAttribute('role'), svg.querySelector(':scope > title')?.textContent]),
    ['img', 'The score of sabah-sarki.sv2, page 1 of 1']);
  // The line numbers stand out from the ground by at least 4.5:1.
  const contrast = await page.$eval('#source .row .no', (no) => {
    const rgb = (c) => c.match(/[\d.]+/g).slice(0, 3).map(Number);
    const luminance = (c) => {
      const [r, g, b] = rgb(c).map((v) => { const x = v / 255; return x <= 0.03928 ? x / 12.92 : ((x + 0.055) / 1.055) ** 2.4; });
      return 0.2126 * r + 0.7152 * g + 0.0722 * b;
    };
    let ground = no;
    while (/rgba\(.*, 0\)|transparent/.test(getComputedStyle(ground).backgroundColor)) ground = ground.parentElement;
    const [a, b] = [luminance(getComputedStyle(no).color), luminance(getComputedStyle(ground).backgroundColor)].sort((x, y) => y - x);
    return (a + 0.05) / (b + 0.05);
  });
  assert.ok(contrast >= 4.5, `line numbers at ${contrast.toFixed(2)}:1`);
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
      assert.equal(await page.$eval('#hints', (e) => e.hidden), true, `${what}: no hints`);
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

test('a faulty file: its error names its line, and that line of the source is marked; the screenshot', async () => {
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
  assert.equal(await statusText(page), 'kusurlu.sv2 stopped at an error in line 30 (line 33 of the file).');
  assert.equal(await page.$eval('#status', (e) => e.className), 'status error');
  // The message is reached with Tab and opened with Enter: its explanation
  // from docs/messages.md stands below the marked line.
  await page.focus('#encoding');
  for (let i = 0; i < 12 && !(await page.evaluate(() => document.activeElement.matches('button.message'))); i++) {
    await page.keyboard.press('Tab');
  }
  assert.match(await page.evaluate(() => document.activeElement.textContent), /^Error in Line 000030/);
  const told = await explainByKeyboard(page, '#console button.message');
  assert.equal(told.after, '33');
  assert.equal(told.kind, 'explanation error');
  assert.match(told.text, /Field 1 holds a number that is not a line code/);
  assert.deepEqual(told.links, ['format.html#line-codes', 'messages.html#unknown-code-in-first-field-n', 'format.html']);
  assert.ok(told.focused, 'the explanation takes the focus');
  await page.keyboard.press('Escape');
  assert.equal(await page.$('#source .explanation'), null);
  assert.equal(await page.evaluate(() => document.activeElement.getAttribute('aria-expanded')), 'false');

  // A warning, and the same song with the strict bar check.
  await upload(page, [['uyari.sv2', mistyped()]]);
  assert.match(await consoleText(page), /^Warning in Line 000017: Measure overfull: 1\.75 - 2: uyari\.sv2$/m);
  assert.equal(await statusText(page), 'uyari.sv2 converted with a warning (line 17, line 19 of the file).');
  assert.deepEqual(await page.$$eval('#source .row.marked', (r) => r.map((x) => [x.dataset.line, x.className])),
    [['19', 'row marked warning']]);
  assert.ok((await page.$$eval('#svg svg g.note', (n) => n.length)) > 0, 'a warning still draws the score');
  await page.click('#console button.message');
  await page.evaluate(() => window.scrollTo(0, 0));
  await page.screenshot({ path: path.join(root, 'docs/web.png') });
  await andShown(page, () => page.click('#strict'));
  assert.match(await consoleText(page), /^Error in Line 000017: Measure overfull: 1\.75 - 2: $/m);
  assert.equal(await statusText(page), 'uyari.sv2 stopped at an error in line 17 (line 19 of the file).');
  assert.deepEqual(await page.$$eval('#source .row.marked', (r) => r.map((x) => [x.dataset.line, x.className])),
    [['19', 'row marked']]);
  assert.equal(await page.$eval('#command code', (e) => e.textContent), 'SorvikToMusicXml uyari.sv2 -M');
  // A message's line in the console marks its source line when clicked.
  await page.$eval('#source', (e) => { e.querySelector('.row.marked')?.classList.remove('marked'); });
  await page.click('#console button.message');
  assert.equal(await page.$eval('#source .row.marked', (e) => e.dataset.line), '19');
  assert.match(await page.$eval('#source .explanation', (e) => e.textContent), /smaller than the sum of the values/);
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
  assert.equal(await statusText(page), '2 files: 1 converted, 1 stopped at an error. kusurlu.sv2 stopped at an error in line 30 (line 33 of the file).');
  await page.close();
});

test('a Windows-1254 file: read so by the automatic encoding, and the command that gives its bytes', async () => {
  const page = await openPage();
  assert.equal(await page.$eval('#encoding', (e) => e.value), 'auto', 'the automatic encoding is the default');
  const bytes = inCp1254();
  await upload(page, [['sabah-sarki.sv2', bytes]]);
  const got = await download(page, '#download');
  assert.ok(got.bytes.equals(cli('sabah-sarki.sv2', example('sabah-sarki')).document), 'converted as its UTF-8 text');
  assert.match(await page.$eval('#source', (e) => e.textContent), /Hüseyni/);
  assert.equal(await page.$eval('#encoding-used', (e) => e.textContent), 'read as Windows-1254');
  assert.match(await page.$eval('#source-title', (e) => e.textContent), /read as Windows-1254\)$/);
  const command = await page.$eval('#command code', (e) => e.textContent);
  assert.equal(command, 'sorvik-batch --encoding windows-1254 sabah-sarki.sv2');
  assert.ok(got.bytes.equals(batch('sabah-sarki.sv2', bytes, command.split(' ').slice(1, -1))), 'the command gives the same bytes');
  // With the options the single tool cannot take together, and forced to UTF-8.
  await setOptions(page, { print: true, strictBars: true, instrument: 72, encoding: 'windows-1254' });
  await andShown(page, () => page.click('#arrows'));
  const both = await download(page, '#download');
  const args = (await page.$eval('#command code', (e) => e.textContent)).split(' ');
  assert.deepEqual(args, ['sorvik-batch', '--encoding', 'windows-1254', '-P', '-A', '-M', '-I', '72', 'sabah-sarki.sv2']);
  assert.ok(both.bytes.equals(batch('sabah-sarki.sv2', bytes, args.slice(1, -1), both.name)), 'and these options too');
  await setOptions(page, { encoding: 'utf-8' });
  assert.equal(await page.$eval('#encoding-used', (e) => e.textContent), 'read as UTF-8');
  assert.equal(await page.$eval('#command code', (e) => e.textContent), 'SorvikToMusicXml sabah-sarki.sv2');
  assert.match(await page.$eval('#source-title', (e) => e.textContent), /bytes that are not UTF-8 shown as �/);
  await page.close();
});

test('hints: beside the marked line, apart from errors and warnings', async () => {
  const page = await openPage();
  const bytes = hyphenated();
  await upload(page, [['tire.sv2', bytes]]);
  const tool = cli('tire.sv2', bytes);
  assert.equal(await consoleText(page), tool.console, 'the console text has no hint');
  assert.equal(await statusText(page), 'tire.sv2 converted. 1 hint on what may not be meant.');
  const hints = await page.$$eval('#hints button.message', (b) => b.map((x) => x.textContent));
  assert.equal(hints.length, 1);
  assert.match(hints[0], /^Hint, line 11: /);
  assert.deepEqual(await page.$$eval('#source .row.hinted', (r) => r.map((x) => x.dataset.line)), ['11']);
  const told = await explainByKeyboard(page, '#hints button.message');
  assert.equal(told.after, '11');
  assert.equal(told.kind, 'explanation hint');
  assert.match(told.text, /What happens: the line is a marker line/);
  assert.deepEqual(await markedRows(page), [['11', 'row hinted marked hint']]);
  await page.close();
});

test('a phone: the messages, then the score at a readable size, then the source', async () => {
  // Screen pixels to a unit of Verovio's page: the size of everything drawn.
  const drawnScale = (page) => page.$eval('#svg svg', (svg) => svg.getBoundingClientRect().width / svg.viewBox.baseVal.width);
  const desktop = await openPage();
  await chooseExample(desktop, 'sabah-sarki');
  const wide = await drawnScale(desktop);
  await desktop.close();

  const page = await openPage({ viewport: PHONE });
  await upload(page, [['uyari.sv2', mistyped()]]);
  const [messages, score, source] = [await topOf(page, '.messages'), await topOf(page, '.score'), await topOf(page, '.report')];
  assert.ok(messages < score && score < source, `messages at ${messages}, score at ${score}, source at ${source}`);
  const narrow = await drawnScale(page);
  assert.ok(narrow >= 0.9 * wide, `drawn at ${narrow.toFixed(3)} px a unit on the phone, ${wide.toFixed(3)} on the desktop`);
  assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth), 'nothing wider than the screen');
  await page.evaluate(() => document.getElementById('status').scrollIntoView());
  await page.screenshot({ path: path.join(root, 'docs/web-phone.png') });
  // The message brings its line, below the score, into view.
  await page.click('#console button.message');
  const seen = await page.$eval('#source .row.marked', (r) => {
    const box = r.getBoundingClientRect();
    return box.top >= 0 && box.bottom <= window.innerHeight;
  });
  assert.ok(seen, 'the marked line is in view');
  await page.close();
});

test('loading: nothing to press before the converter is ready, then Verovio\'s progress', async () => {
  const context = await browser.createBrowserContext();  // nothing cached yet
  const page = await context.newPage();
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  await page.evaluateOnNewDocument(() => {
    window.seen = { amounts: [] };
    document.addEventListener('DOMContentLoaded', () => {
      const ids = ['files', 'print', 'strict', 'encoding'];
      window.seen.early = { state: document.body.dataset.state, disabled: ids.filter((id) => document.getElementById(id).disabled) };
    });
    new MutationObserver(() => {
      const amount = document.getElementById('verovio-amount')?.textContent;
      if (amount && amount !== window.seen.amounts.at(-1)) window.seen.amounts.push(amount);
    }).observe(document, { subtree: true, childList: true, characterData: true });
  });
  await page.goto(`${origin}/`);
  await page.waitForFunction(() => document.body.dataset.verovio === 'ready', { timeout: 120_000 });
  const seen = await page.evaluate(() => window.seen);
  assert.deepEqual(seen.early, { state: 'loading', disabled: ['files', 'print', 'strict', 'encoding'] });
  assert.equal(await page.$eval('#files', (e) => e.disabled), false);
  assert.ok(seen.amounts.length > 1, seen.amounts.join(', '));
  assert.match(seen.amounts.at(-1), /^(\d+\.\d) of \1 MB$/);
  assert.equal(await page.$eval('#loading', (e) => e.hidden), true);
  await context.close();
});

test('offline: the page opens again with the network off and converts and draws', async () => {
  const page = await openPage();
  await page.waitForFunction(() => document.body.dataset.verovio === 'ready', { timeout: 120_000 });
  await chooseExample(page, 'yayla-yolunda');
  await page.setOfflineMode(true);
  server.kill();
  await page.reload({ waitUntil: 'load' });
  await page.waitForFunction(() => document.body.dataset.state === 'ready', { timeout: 60_000 });
  await chooseExample(page, 'yayla-yolunda');
  assert.ok((await page.$$eval('#svg svg g.note', (n) => n.length)) > 0, 'drawn offline');
  const got = await download(page, '#download');
  assert.ok(got.bytes.equals(cli('yayla-yolunda.sv2', example('yayla-yolunda')).document));
  assert.equal(await (await page.goto(`${origin}/format.html`)).status(), 200, 'the notation, offline too');
  await page.close();
});

test('no request left this machine, and no page reported an error', () => {
  assert.ok(requests.length > 0);
  const away = requests.filter((u) => !u.startsWith(`${origin}/`) && !/^(data|blob):/.test(u));
  assert.deepEqual(away, []);
  assert.deepEqual(problems, []);
});
