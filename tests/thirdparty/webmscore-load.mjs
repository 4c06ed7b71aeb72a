#!/usr/bin/env node
// Loads MusicXML documents into MuseScore 4.0's engine (npm webmscore 1.2.1,
// WebAssembly), renders page 1 as SVG and reports on standard output, one
// item a line, for each document in turn:
//   file PATH          the document that the lines up to the next "file" are about
//   log PHASE TEXT     every line the engine printed (debug level, so the
//                      MusicXML reader's own complaints show), PHASE being
//                      start, load, render
//   measures N         measures of the score as the engine built it
//   notes N            <Note> elements of the engine's own file (MSCX)
//   naturals N         natural signs among its accidentals
//   lyrics N           lyric syllables
//   ornament KIND N    fermata, staccato, mordent, inverted-mordent, trill-mark,
//                      tremolo: the MusicXML names of what the engine kept
//   note STEP OCTAVE ACCIDENTAL   each note in order: its written step and
//                      octave, and the accidental glyph drawn (an MSCX subtype,
//                      "-" for none)
//   pages N
//   svg N              bytes of page 1's SVG (0 when it is not a whole SVG)
//   done
// or "error PHASE TEXT" where it fails; the exit status is then 1.
// Usage: node webmscore-load.mjs FILE.xml...
// Each score stays loaded to the end: the engine's destroy() frees a score
// twice, and the next load fails ("memory access out of bounds").
import fs from 'node:fs';

const files = process.argv.slice(2);
if (!files.length) {
  console.error('usage: node webmscore-load.mjs FILE.xml...');
  process.exit(3);
}
let phase = 'start';
const out = (line) => process.stdout.write(line + '\n');
// Under Node 18 and later the Emscripten loader sees a global fetch() and
// tries to fetch its .wasm file as a web address; without fetch it reads it.
delete globalThis.fetch;
const { default: WebMscore } = await import('webmscore');
const sink = () => {
  let bytes = [];
  return (byte) => {
    if (byte === 10) {
      const text = Buffer.from(bytes).toString('utf8').trimEnd();
      if (text.trim()) out(`log ${phase} ${text}`);
      bytes = [];
    } else if (byte !== null && byte !== undefined) {
      bytes.push(byte);
    }
  };
};
WebMscore['stdout'] = sink();
WebMscore['stderr'] = sink();
// The written step and octave of an MSCX note: the tonal pitch class (14 is
// C, a step of the circle of fifths each) gives the step and its alteration,
// the MIDI pitch then the octave.
const SEMITONE = { C: 0, D: 2, E: 4, F: 5, G: 7, A: 9, B: 11 };
function writtenPitch(pitch, tpc) {
  const step = 'FCGDAEB'[(((tpc - 13) % 7) + 7) % 7];
  const alter = Math.floor((tpc + 1) / 7) - 2;
  return `${step} ${Math.round((pitch - alter - SEMITONE[step]) / 12) - 1}`;
}

// MusicXML names of ornaments and the MSCX text that holds each.
const ORNAMENTS = {
  fermata: /<Fermata>/g,
  staccato: /<subtype>articStaccato(Above|Below)?<\/subtype>/g,
  mordent: /<subtype>ornamentMordent<\/subtype>/g,
  'inverted-mordent': /<subtype>ornamentShortTrill<\/subtype>/g,
  'trill-mark': /<subtype>ornamentTrill<\/subtype>|<Trill>/g,
  tremolo: /<Tremolo>/g,
};

function reportScore(mscx) {
  const count = (re) => (mscx.match(re) || []).length;
  out(`notes ${count(/<Note>/g)}`);
  out(`naturals ${count(/<subtype>accidentalNatural<\/subtype>/g)}`);
  out(`lyrics ${count(/<Lyrics>/g)}`);
  for (const [kind, re] of Object.entries(ORNAMENTS)) out(`ornament ${kind} ${count(re)}`);
  for (const [, body] of mscx.matchAll(/<Note>([\s\S]*?)<\/Note>/g)) {
    const pitch = Number(/<pitch>(-?\d+)<\/pitch>/.exec(body)?.[1]);
    const tpc = Number(/<tpc>(-?\d+)<\/tpc>/.exec(body)?.[1]);
    const accidental = /<Accidental>[\s\S]*?<subtype>(\w+)<\/subtype>/.exec(body)?.[1] ?? '-';
    out(`note ${writtenPitch(pitch, tpc)} ${accidental}`);
  }
}

async function load(file) {
  phase = 'load';
  const score = await WebMscore.load('musicxml', new Uint8Array(fs.readFileSync(file)));
  phase = 'render';
  const metadata = await score.metadata();
  out(`measures ${metadata.measures}`);
  reportScore(Buffer.from(await score.saveMsc('mscx')).toString('utf8'));
  out(`pages ${await score.npages()}`);
  const svg = await score.saveSvg(0, true);
  const whole = /^(<\?xml[^>]*>\s*)?<svg\b[\s\S]*<\/svg>\s*$/.test(svg);
  out(`svg ${whole ? svg.length : 0}`);
  out('done');
}

try {
  await WebMscore.ready;
  await WebMscore.setLogLevel(2);
} catch (e) {
  out(`error ${phase} ${e?.name || 'Error'}: ${String(e?.message ?? e)}`);
  process.exit(1);
}
for (const file of files) {
  out(`file ${file}`);
  try {
    await load(file);
  } catch (e) {
    out(`error ${phase} ${e?.name || 'Error'}: ${String(e?.message ?? e)}`);
    process.exitCode = 1;
  }
}
