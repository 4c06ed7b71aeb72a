// The page: files in, the converter's messages beside the source, the score
// drawn by Verovio, the documents out. Nothing leaves the browser.
import { loadConverter } from './converter.mjs';
import { GENERAL_MIDI } from './instruments.mjs';
import { commandLine, consoleLines, countsOfLines, lineOfCount, shellWords, splitLines, withClef } from './texts.mjs';

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

function verovio() {
  if (!page.verovio) {
    page.verovio = (async () => {
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
      return tk;
    })();
  }
  return page.verovio;
}

// --- conversion ---------------------------------------------------------------

function convertAll() {
  const opts = options();
  for (const file of page.files) file.result = page.converter.convert(file.bytes, file.name, opts);
}

// The command line that makes the same document, where there is one.
function showCommand(name) {
  const opts = options();
  const args = commandLine(name, opts);
  $('command').replaceChildren(args
    ? el('span', {}, 'The same as ', el('code', {}, shellWords(['SorvikToMusicXml', ...args])))
    : el('span', {}, 'No single command line of the tool takes these options together: ' +
        (opts.print && opts.strictBars ? '-P and -M are both its second argument.' : '-A must come by the fourth argument.')));
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

function showConsole(result) {
  const items = consoleLines(result.console).map(({ text, kind, count }) => {
    if (!kind) return el('span', {}, text, '\n');
    if (count === 0) return el('span', { className: kind }, text, '\n');
    const link = el('a', { title: `Show line ${count} of the messages' count in the source` }, text);
    link.addEventListener('click', () => markLine(count, kind));
    return el('span', { className: kind }, link, '\n');
  });
  $('console').replaceChildren(...items);
}

function showSource(result) {
  const lines = splitLines(result.source);
  page.lines = lines;
  page.counts = countsOfLines(lines);
  const last = result.diagnostics[result.diagnostics.length - 1];
  page.marked = last ? lineOfCount(lines, last.count) : -1;
  page.markKind = last ? last.kind : null;
  $('source-title').replaceChildren('Source ', el('span', { className: 'count' },
    `(${lines.length} lines, ${page.counts.filter(Boolean).length} counted${result.textReplaced ? '; bytes that are not UTF-8 shown as �' : ''})`));
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
    if (i === marked) row.classList.add('marked', ...(page.markKind === 'warning' ? ['warning'] : []));
    rows.push(row);
  }
  if (to < lines.length) rows.push(el('div', { className: 'gap' }, `… ${lines.length - to} lines after`));
  const box = $('source');
  box.replaceChildren(...rows);
  const row = box.querySelector('.row.marked');
  box.scrollTop = row ? Math.max(0, row.offsetTop - box.offsetTop - box.clientHeight / 3) : 0;
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

  sheet.replaceChildren(el('p', { className: 'none' }, 'Drawing…'));
  const tk = await verovio();
  if (drawing !== page.drawing) return;  // something else is drawn meanwhile
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
  showCommand(file.name);
  showFileList();
  showConsole(file.result);
  showSource(file.result);
  const n = page.files.length;
  setStatus(n > 1 ? `${n} files converted.` : `${file.name} converted.`);
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
      const b = el('button', { type: 'button' }, name.replace(/\.sv2$/, ''));
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
    if (e.target.closest('input, select, textarea')) return;
    if (e.key === 'PageDown' || e.key === 'ArrowRight') turn(1);
    if (e.key === 'PageUp' || e.key === 'ArrowLeft') turn(-1);
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
  setStatus('Open or drop a .sv2 file, or try an example.');
  document.body.dataset.state = 'ready';
  verovio();  // start Verovio now, so that the first score is drawn sooner
}

start();
