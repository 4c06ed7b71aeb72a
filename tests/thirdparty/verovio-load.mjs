#!/usr/bin/env node
// Loads MusicXML documents with the Verovio toolkit (npm verovio 6.3.0),
// renders page 1 of each as SVG and reports on standard output, one item a
// line, for each document in turn:
//   file PATH     the document that the lines up to the next "file" are about
//   log TEXT      every warning or error of the toolkit
//   measures N    measures of the MEI that Verovio built from the document
//   notes N       notes of that MEI
//   lyrics N      lyric syllables
//   rests N       rests, and "mrests N" whole-measure rests
//   ornament KIND N   fermata, staccato, mordent, inverted-mordent,
//                 trill-mark, tremolo: the MusicXML names of what it kept
//   note STEP OCTAVE ACCIDENTAL   each note in order: its step, octave and
//                 the accidental written (an MEI value, "-" for none)
//   pages N
//   svg N         bytes of page 1's SVG (0 when it is not a whole SVG)
//   done
// or "error TEXT" where it fails (Verovio refuses the document, or faults
// while it reads it); the exit status is then 1.
// With --with-clef each document first gets the clef that the page adds
// (withClef of web/texts.mjs): given the converter's drawing copy
// (sorvik::Options::drawingCopy), Verovio then reads what the page draws.
// Usage: node verovio-load.mjs [--with-clef] FILE.xml...
import createVerovioModule from 'verovio/wasm';
import { VerovioToolkit, enableLog, enableLogToBuffer, LOG_WARNING } from 'verovio/esm';
import fs from 'node:fs';
import { withClef } from '../../web/texts.mjs';

const args = process.argv.slice(2);
const clef = args[0] === '--with-clef';
const files = clef ? args.slice(1) : args;
if (!files.length) {
  console.error('usage: node verovio-load.mjs [--with-clef] FILE.xml...');
  process.exit(3);
}
const out = (line) => process.stdout.write(line + '\n');
// A toolkit of its own (a new WebAssembly instance): after a fault in one
// document the next is read by a fresh one.
async function toolkit() {
  const module = await createVerovioModule();
  const made = new VerovioToolkit(module);
  // after the toolkit exists: its constructor resets the log settings
  enableLog(LOG_WARNING, module);
  enableLogToBuffer(1, module);
  return made;
}
let tk = await toolkit();
// every toolkit call empties the log buffer, so read it after each one
const collect = () => {
  for (const l of (tk.getLog() || '').split('\n')) if (l.trim()) out(`log ${l.trimEnd()}`);
};

// MusicXML names of ornaments and the MEI that holds each.
const ORNAMENTS = {
  fermata: /<fermata\b/g,
  staccato: /\bartic="stacc"/g,
  mordent: /<mordent\b(?![^>]*form="upper")/g,
  'inverted-mordent': /<mordent\b[^>]*form="upper"/g,
  'trill-mark': /<trill\b/g,
  tremolo: /<bTrem\b/g,
};

function report(mei) {
  const count = (re) => (mei.match(re) || []).length;
  out(`measures ${count(/<measure\b/g)}`);
  out(`notes ${count(/<note\b/g)}`);
  out(`lyrics ${count(/<syl\b/g)}`);
  out(`rests ${count(/<rest\b/g)}`);
  out(`mrests ${count(/<mRest\b/g)}`);
  for (const [kind, re] of Object.entries(ORNAMENTS)) out(`ornament ${kind} ${count(re)}`);
  for (const [, head, body] of mei.matchAll(/<note\b([^>]*?)(?:\/>|>([\s\S]*?)<\/note>)/g)) {
    const attr = (name, text) => new RegExp(`\\s${name}="([^"]*)"`).exec(text || '')?.[1];
    const written = attr('accid', head) ?? attr('accid', /<accid\b[^>]*>/.exec(body || '')?.[0]) ?? '-';
    out(`note ${attr('pname', head).toUpperCase()} ${attr('oct', head)} ${written}`);
  }
}

function read(file) {
  const text = fs.readFileSync(file, 'utf8');
  const loaded = tk.loadData(clef ? withClef(text) : text);
  collect();
  if (!loaded) throw new Error('load failed');
  const mei = tk.getMEI({});
  collect();
  report(mei);
  const pages = tk.getPageCount();
  out(`pages ${pages}`);
  const svg = pages > 0 ? tk.renderToSVG(1) : '';
  collect();
  const whole = /<svg\b/.test(svg) && /<\/svg>\s*$/.test(svg);
  out(`svg ${whole ? svg.length : 0}`);
  out('done');
}

for (const file of files) {
  out(`file ${file}`);
  try {
    read(file);
  } catch (e) {
    out(`error ${e?.name || 'Error'}: ${String(e?.message ?? e)}`);
    process.exitCode = 1;
    tk = await toolkit();
  }
}
