// The page: files in, the converter's messages beside the source, the score
// drawn by Verovio, the documents out. Nothing leaves the browser.
import { loadConverter } from './converter.mjs';
import { GENERAL_MIDI } from './instruments.mjs';
import { sectionOf } from './docs.mjs';
import explanations from './explanations.mjs';
import {
  consoleLines, countsOfLines, lineOfCount, sameCommand, shellWords, splitLines, withClef,
} from './texts.mjs';

const $ = (id) => document.getElementById(id);
const el = (tag, props = {}, ...children) => {
  const e = Object.assign(document.createElement(tag), props);
  e.append(...children);
  return e;
};
const utf8 = new TextDecoder('utf-8');

// A one-note score that Verovio draws once as it starts.
const WARM_UP = '<?xml version="1.0" encoding="UTF-8"?><score-partwise version="3.0"><part-list>'
  + '<score-part id="P1"><part-name>S</part-name></score-part></part-list><part id="P1"><measure number="1">'
  + '<attributes><divisions>1</divisions><time><beats>4</beats><beat-type>4</beat-type></time>'
  + '<clef><sign>G</sign><line>2</line></clef></attributes>'
  + '<direction placement="below"><direction-type><dynamics><p/></dynamics></direction-type></direction><note><pitch><step>A</step><octave>4</octave></pitch>'
  + '<duration>4</duration><type>whole</type><lyric number="1"><text>a</text></lyric></note></measure></part></score-partwise>';

// Source views longer than this show only the lines around the marked one.
const SHOWN_LINES = 4000;

// Verovio's scale, and the widths of its page: the drawing keeps the size of
// its notes on a narrow screen, where a wide page would be shrunk to fit.
const SCALE = 45;
const PAGE_WIDTH = { min: 600, max: 2100 };

const pageWidthFor = (sheet) => Math.round(Math.min(PAGE_WIDTH.max, Math.max(PAGE_WIDTH.min, (sheet.clientWidth * 100) / SCALE)));

const ENCODING_NAMES = { 'utf-8': 'UTF-8', 'windows-1254': 'Windows-1254' };

const page = {
  converter: null,
  verovio: null,   // a promise of the toolkit, made when first needed
  files: [],       // {name, bytes, result}
  current: -1,
  pageNumber: 1,
  pageCount: 0,
  marked: -1,      // index of the highlighted source line
  shown: 0,        // files shown so far; body[data-shown] tells a watcher
  drawing: 0,      // the latest drawing begun
  pageWidth: PAGE_WIDTH.max,
  explained: null, // {kind, count, text, message?, hint?}: the explanation open beside the marked line
};

function options() {
  return {
    print: $('print').checked,
    arrows: $('arrows').checked,
    strictBars: $('strict').checked,
    instrument: Number($('instrument').value),
    encoding: $('encoding').value,
  };
}

function setStatus(text, isError = false) {
  $('status').textContent = text;
  $('status').classList.toggle('error', isError);
}

// --- Verovio -----------------------------------------------------------------

// Fetches Verovio's 7 MB showing how much has come, so that a slow network
// shows progress; the import after it takes the module from the cache.
async function fetchShowingProgress(url) {
  const response = await fetch(url);
  if (!response.ok || !response.body) return;
  const total = Number(response.headers.get('content-length')) || 0;
  const bar = $('verovio-progress');
  if (total) bar.max = total;
  const reader = response.body.getReader();
  let got = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    got += value.length;
    if (total) bar.value = got;
    $('verovio-amount').textContent = `${(got / 1e6).toFixed(1)}${total ? ` of ${(total / 1e6).toFixed(1)}` : ''} MB`;
  }
}

// Resolves when the service worker controls the page (at once where there
// is none), so that what is fetched next is cached for offline use.
async function offlineReady() {
  if (!('serviceWorker' in navigator)) return;
  try {
    await navigator.serviceWorker.register('sw.js');
  } catch {
    return;  // served where workers may not run: the page works all the same
  }
  if (navigator.serviceWorker.controller) return;
  await new Promise((resolve) => {
    navigator.serviceWorker.addEventListener('controllerchange', resolve, { once: true });
    setTimeout(resolve, 10_000);
  });
}

function verovio() {
  if (!page.verovio) {
    page.verovio = (async () => {
      await offlineReady();
      await fetchShowingProgress('./verovio/verovio-module.mjs').catch(() => {});
      const [{ default: createVerovioModule }, { VerovioToolkit }] = await Promise.all([
        import('./verovio/verovio-module.mjs'),
        import('./verovio/verovio.mjs'),
      ]);
      const tk = new VerovioToolkit(await createVerovioModule());
      tk.setOptions({
        pageWidth: 2100,
        pageHeight: 2970,
        scale: 45,
        adjustPageHeight: true,
        breaks: 'auto',
        footer: 'none',
        svgViewBox: true,
      });
      // The first score that Verovio reads, and the first of its drawings
      // that the browser lays out (with Verovio's font), take a second more
      // than later ones: spend it now, out of sight, not on the first file.
      tk.loadData(WARM_UP);
      const warm = el('div', { className: 'warm-up' });
      warm.innerHTML = tk.renderToSVG(1);
      document.body.append(warm);
      await new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)));
      warm.remove();
      document.body.dataset.verovio = 'ready';
      $('loading').hidden = true;
      return tk;
    })();
    page.verovio.catch((e) => { $('loading').textContent = `Verovio did not load: ${e.message}`; });
  }
  return page.verovio;
}

// --- conversion ---------------------------------------------------------------

function convertAll() {
  const opts = options();
  for (const file of page.files) file.result = page.converter.convert(file.bytes, file.name, opts);
}

// The command line that makes the same document from the same bytes.
function showCommand(name, encoding) {
  const { tool, args } = sameCommand(name, options(), encoding);
  $('command').replaceChildren(el('span', {}, 'The same as ', el('code', {}, shellWords([tool, ...args]))));
  $('encoding-used').textContent = `read as ${ENCODING_NAMES[encoding] ?? encoding}`;
}

async function openFiles(fileList) {
  const chosen = [...fileList];
  if (chosen.length === 0 || !page.converter) return;
  page.files = await Promise.all(chosen.map(async (f) => ({ name: f.name, bytes: new Uint8Array(await f.arrayBuffer()) })));
  page.current = 0;
  convertAll();
  await show(0);
}

async function reconvert() {
  if (page.files.length === 0) return;
  convertAll();
  await show(page.current);
}

// --- what the page shows ----------------------------------------------------------

function fileState(result) {
  if (result.status !== 0) return 'error';
  return result.diagnostics.some((d) => d.kind === 'warning') ? 'warning' : 'ok';
}

// "line 33 of the file" where empty lines make the message's line another, else ''.
function fileLine(count) {
  const line = lineOfCount(page.lines, count);
  return line >= 0 && line + 1 !== count ? `line ${line + 1} of the file` : '';
}

const plural = (n, one) => `${n} ${one}${n === 1 ? '' : 's'}`;

// What became of the file shown: converted, with a warning, or stopped.
function outcome(file) {
  const { result, name } = file;
  const last = result.diagnostics[result.diagnostics.length - 1];
  if (result.status !== 0) {
    if (last?.kind !== 'error') return `${name} was not converted: ${result.ioError}`;
    const also = fileLine(last.count);
    return `${name} stopped at an error in line ${last.count}${also ? ` (${also})` : ''}.`;
  }
  const hints = result.hints.length ? ` ${plural(result.hints.length, 'hint')} on what may not be meant.` : '';
  if (last) {
    const also = fileLine(last.count);
    return `${name} converted with a warning (line ${last.count}${also ? `, ${also}` : ''}).${hints}`;
  }
  return `${name} converted.${hints}`;
}

function showStatus(file) {
  const n = page.files.length;
  let text = outcome(file);
  if (n > 1) {
    const states = page.files.map((f) => fileState(f.result));
    const count = (state) => states.filter((s) => s === state).length;
    const parts = [[count('ok'), 'converted'], [count('warning'), 'converted with a warning'], [count('error'), 'stopped at an error']]
      .filter(([k]) => k).map(([k, what]) => `${k} ${what}`);
    text = `${n} files: ${parts.join(', ')}. ${text}`;
  }
  setStatus(text, file.result.status !== 0);
}

function showFileList() {
  const marks = { ok: '✓', warning: '!', error: '✗' };
  $('filelist').replaceChildren(
    ...(page.files.length < 2 ? [] : page.files.map((f, i) => {
      const state = fileState(f.result);
      const b = el('button', { type: 'button', className: state, title: `${f.name}: ${state}` },
        el('span', { className: 'mark' }, marks[state]), f.name);
      b.setAttribute('aria-selected', String(i === page.current));
      b.addEventListener('click', () => show(i));
      return b;
    })),
  );
}

// A message or hint as a button that opens its explanation beside its line.
function explainButton(item, label) {
  const b = el('button', { type: 'button', className: `message ${item.kind}` }, label);
  b.setAttribute('aria-expanded', 'false');
  b.setAttribute('aria-controls', 'explanation');
  b.title = `Show line ${item.count} and what this means`;
  b.addEventListener('click', () => explain(item, b));
  return b;
}

function showConsole(result) {
  const messages = [...result.diagnostics];
  const items = consoleLines(result.console).map(({ text, kind, count }) => {
    if (!kind) return el('span', {}, text, '\n');
    if (count === 0) return el('span', { className: kind }, text, '\n');
    const message = messages.shift()?.message ?? '';
    return el('span', { className: kind }, explainButton({ kind, count, text, message }, text), '\n');
  });
  $('console').replaceChildren(...items);
  $('hints').replaceChildren(...result.hints.map((h) => el('li', {},
    explainButton({ kind: 'hint', count: h.count, text: h.text, hint: h.kind }, `Hint, line ${h.count}: ${h.text}`))));
  $('hints').hidden = result.hints.length === 0;
}

// The explanation of a message or hint: docs/messages.md's section for it.
function explanation(item) {
  const box = el('div', { id: 'explanation', className: `explanation ${item.kind}`, tabIndex: -1 });
  box.setAttribute('role', 'note');
  box.setAttribute('aria-label', `What ${item.kind === 'hint' ? 'the hint' : 'the message'} means`);
  const close = el('button', { type: 'button', className: 'close', title: 'Close (Esc)' }, '×');
  close.setAttribute('aria-label', 'Close the explanation');
  close.addEventListener('click', () => closeExplanation());
  const body = el('div', { className: 'body' });
  if (item.hint) {
    const row = explanations.hints[item.hint];
    body.innerHTML = `<p class="what"><strong>Hint:</strong> ${escapeHtml(item.text)}</p>${row
      ? `<p><strong>The line:</strong> ${row.line}.</p><p><strong>What happens:</strong> ${row.happens}.</p>`
        + `<p><strong>Write instead:</strong> ${row.instead}.</p>` : ''}<p class="more"><a href="messages.html#hints">About hints</a></p>`;
  } else {
    const section = sectionOf(item.message, explanations.sections);
    body.innerHTML = `<p class="what"><strong>${escapeHtml(item.text)}</strong></p>${section
      ? `${section.html}<p class="more"><a href="messages.html#${section.id}">In the list of messages</a>` : '<p class="more">'}`
      + ' · <a href="format.html">How to write a score</a></p>';
  }
  box.append(close, body);
  return box;
}

const escapeHtml = (text) => text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');

function explain(item, button) {
  for (const b of document.querySelectorAll('button.message')) b.setAttribute('aria-expanded', String(b === button));
  page.explained = { ...item, button };
  markLine(item.count, item.kind);
  const box = $('explanation');
  box?.focus({ preventScroll: true });
}

function closeExplanation() {
  const button = page.explained?.button;
  page.explained = null;
  button?.setAttribute('aria-expanded', 'false');
  renderSource();
  button?.focus();
}

function showSource(result) {
  const lines = splitLines(result.source);
  page.lines = lines;
  page.counts = countsOfLines(lines);
  const last = result.diagnostics[result.diagnostics.length - 1];
  page.marked = last ? lineOfCount(lines, last.count) : -1;
  page.markKind = last ? last.kind : null;
  page.hinted = new Set(result.hints.map((h) => lineOfCount(lines, h.count)));
  page.explained = null;
  $('source-title').replaceChildren('Source ', el('span', { className: 'count' },
    `(${lines.length} lines, ${page.counts.filter(Boolean).length} counted; read as ${ENCODING_NAMES[result.encoding]}`
    + `${result.textReplaced ? '; bytes that are not UTF-8 shown as �' : ''})`));
  renderSource();
}

function renderSource() {
  const { lines, counts, marked } = page;
  let from = 0;
  let to = lines.length;
  if (lines.length > SHOWN_LINES) {
    from = Math.max(0, (marked < 0 ? 0 : marked) - SHOWN_LINES / 2);
    to = Math.min(lines.length, from + SHOWN_LINES);
  }
  const rows = [];
  if (from > 0) rows.push(el('div', { className: 'gap' }, `… ${from} lines before`));
  for (let i = from; i < to; i++) {
    const row = el('div', { className: 'row' }, el('span', { className: 'no' }, String(i + 1)), lines[i] || ' ');
    row.dataset.line = String(i + 1);
    if (counts[i]) row.title = `line ${i + 1}; messages count it as line ${counts[i]}`;
    if (page.hinted.has(i)) row.classList.add('hinted');
    if (i === marked) row.classList.add('marked', ...(page.markKind === 'error' ? [] : [page.markKind]));
    rows.push(row);
    if (i === marked && page.explained) rows.push(explanation(page.explained));
  }
  if (to < lines.length) rows.push(el('div', { className: 'gap' }, `… ${lines.length - to} lines after`));
  const box = $('source');
  box.replaceChildren(...rows);
  const row = box.querySelector('.row.marked');
  box.scrollTop = row ? Math.max(0, row.offsetTop - box.offsetTop - box.clientHeight / 3) : 0;
  // On a narrow screen the source is below the score: bring the line to the eye.
  if (row && page.explained) (box.querySelector('.explanation') ?? row).scrollIntoView({ block: 'nearest' });
}

function markLine(count, kind) {
  page.marked = lineOfCount(page.lines, count);
  page.markKind = kind;
  renderSource();
}

async function showScore(file) {
  const { result } = file;
  const drawing = ++page.drawing;
  const sheet = $('svg');
  delete sheet.dataset.file;
  page.pageCount = 0;
  const downloads = [$('download'), $('download-print'), $('download-music21')];
  if (result.status !== 0) {
    downloads.forEach((b) => { b.hidden = true; });
    $('stats').textContent = '';
    sheet.replaceChildren(el('p', { className: 'none' },
      result.ioError || 'The conversion stopped at an error (see the messages); there is no score to draw.'));
    showPageBar();
    return;
  }
  $('download').hidden = false;
  $('download').textContent = `Download ${result.outputName}`;
  const opts = options();
  $('download-print').hidden = opts.print;
  if (!opts.print) $('download-print').textContent = `Print variant (-P)`;
  $('download-music21').hidden = false;
  $('download-music21').textContent = 'music21 variant';
  $('stats').textContent = `${result.lines} lines, ${result.notes} notes`;

  sheet.replaceChildren(el('p', { className: 'none' },
    document.body.dataset.verovio === 'ready' ? 'Drawing…' : 'Drawing as soon as Verovio has loaded (see above)…'));
  let tk;
  try {
    tk = await verovio();
  } catch (e) {
    sheet.replaceChildren(el('p', { className: 'none' }, `Verovio did not load (${e.message}); the documents can be downloaded all the same.`));
    return;
  }
  if (drawing !== page.drawing) return;  // something else is drawn meanwhile
  const pageWidth = pageWidthFor(sheet);
  if (pageWidth !== page.pageWidth) {
    tk.setOptions({ pageWidth });
    page.pageWidth = pageWidth;
  }
  if (!tk.loadData(withClef(utf8.decode(result.drawing)))) {
    sheet.replaceChildren(el('p', { className: 'none' }, 'Verovio could not read this document.'));
    return;
  }
  page.pageCount = tk.getPageCount();
  page.pageNumber = 1;
  drawPage(tk);
  sheet.dataset.file = file.name;
}

function drawPage(tk) {
  const sheet = $('svg');
  sheet.innerHTML = tk.renderToSVG(page.pageNumber);
  const svg = sheet.querySelector('svg');
  if (svg) {
    const title = `The score of ${page.files[page.current]?.name}, page ${page.pageNumber} of ${page.pageCount}`;
    svg.setAttribute('role', 'img');
    svg.setAttribute('aria-label', title);
    svg.prepend(Object.assign(document.createElementNS('http://www.w3.org/2000/svg', 'title'), { textContent: title }));
  }
  sheet.dataset.page = String(page.pageNumber);
  sheet.dataset.pages = String(page.pageCount);
  sheet.scrollTop = 0;
  showPageBar();
}

function showPageBar() {
  document.querySelector('.scorebar .pages').hidden = !page.pageCount;
  $('pageinfo').textContent = page.pageCount ? `Page ${page.pageNumber} of ${page.pageCount}` : '';
  $('prev').disabled = page.pageNumber <= 1 || !page.pageCount;
  $('next').disabled = page.pageNumber >= page.pageCount;
}

async function turn(by) {
  const to = page.pageNumber + by;
  if (!page.pageCount || to < 1 || to > page.pageCount) return;
  page.pageNumber = to;
  drawPage(await verovio());
}

async function show(index) {
  page.current = index;
  const file = page.files[index];
  $('work').hidden = false;
  showCommand(file.name, file.result.encoding);
  showFileList();
  showConsole(file.result);
  showSource(file.result);
  showStatus(file);
  document.body.dataset.state = 'converted';
  await showScore(file);
  document.body.dataset.shown = String(++page.shown);
}

// --- downloads ----------------------------------------------------------------

function save(bytes, name) {
  const url = URL.createObjectURL(new Blob([bytes], { type: 'application/vnd.recordare.musicxml+xml' }));
  const a = el('a', { href: url, download: name });
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60_000);
}

function downloadCurrent() {
  const { result } = page.files[page.current];
  save(result.document, result.outputName);
}

// Another variant of the current file, converted as it is asked for.
function downloadVariant(variant) {
  const file = page.files[page.current];
  const result = page.converter.convert(file.bytes, file.name, { ...options(), print: false, ...variant });
  if (result.status === 0) save(result.document, result.outputName);
}

// --- start ------------------------------------------------------------------------

async function loadExamples() {
  try {
    const response = await fetch('examples/index.json');
    if (!response.ok) return;
    const names = await response.json();
    const box = $('examples');
    for (const name of names) {
      const b = el('button', { type: 'button', disabled: !page.converter }, name.replace(/\.sv2$/, ''));
      b.dataset.example = name;
      b.addEventListener('click', async () => {
        const bytes = await (await fetch(`examples/${encodeURIComponent(name)}`)).arrayBuffer();
        await openFiles([new File([bytes], name)]);
      });
      box.append(b);
    }
    box.hidden = names.length === 0;
  } catch {
    // a page without its examples works all the same
  }
}

function wire() {
  const select = $('instrument');
  GENERAL_MIDI.forEach((name, i) => select.append(el('option', { value: String(i + 1) }, `${i + 1} ${name}`)));
  $('files').addEventListener('change', (e) => openFiles(e.target.files));
  for (const id of ['print', 'arrows', 'strict', 'instrument', 'encoding']) $(id).addEventListener('change', reconvert);
  $('prev').addEventListener('click', () => turn(-1));
  $('next').addEventListener('click', () => turn(1));
  $('download').addEventListener('click', downloadCurrent);
  $('download-print').addEventListener('click', () => downloadVariant({ print: true }));
  $('download-music21').addEventListener('click', () => downloadVariant({ music21: true }));
  document.addEventListener('keydown', (e) => {
    if (e.key === 'Escape' && page.explained) closeExplanation();
    if (e.target.closest('input, select, textarea')) return;
    if (e.key === 'PageDown' || e.key === 'ArrowRight') turn(1);
    if (e.key === 'PageUp' || e.key === 'ArrowLeft') turn(-1);
  });

  // A drawing made for another width is drawn again for this one (a phone
  // that hides its address bar changes only the height).
  let resizing;
  window.addEventListener('resize', () => {
    clearTimeout(resizing);
    resizing = setTimeout(() => {
      if (page.pageCount && pageWidthFor($('svg')) !== page.pageWidth) showScore(page.files[page.current]);
    }, 300);
  });

  let depth = 0;
  const zone = $('dropzone');
  const carriesFiles = (e) => [...(e.dataTransfer?.types ?? [])].includes('Files');
  document.addEventListener('dragenter', (e) => { if (carriesFiles(e)) { depth++; zone.hidden = false; } });
  document.addEventListener('dragleave', () => { if (depth > 0 && --depth === 0) zone.hidden = true; });
  document.addEventListener('dragover', (e) => { if (carriesFiles(e)) e.preventDefault(); });
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    depth = 0;
    zone.hidden = true;
    if (e.dataTransfer?.files?.length) openFiles(e.dataTransfer.files);
  });
}

async function start() {
  wire();
  loadExamples();
  try {
    page.converter = await loadConverter();
  } catch (e) {
    setStatus(`The converter did not load: ${e.message}`, true);
    document.body.dataset.state = 'failed';
    return;
  }
  $('banner').textContent = page.converter.banner.replace(/\.$/, '');
  for (const e of document.querySelectorAll('.controls input, .controls select, .controls button')) e.disabled = false;
  setStatus('Open or drop a .sv2 file, or try an example.');
  document.body.dataset.state = 'ready';
  verovio();  // start Verovio now, so that the first score is drawn sooner
}

start();
