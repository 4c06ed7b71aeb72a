#!/usr/bin/env node
// Loads one MusicXML document into MuseScore 4.0's engine (npm webmscore
// 1.2.1, WebAssembly), renders page 1 as SVG and reports, one item a line on
// standard output:
//   log PHASE TEXT     every line the engine printed (debug level, so the
//                      MusicXML reader's own complaints show), PHASE being
//                      start, load, render
//   measures N         measures of the score as the engine built it
//   notes N            <Note> elements of the engine's own file (MSCX)
//   naturals N         natural signs among its accidentals
//   pages N
//   svg N              bytes of page 1's SVG (0 when it is not a whole SVG)
//   done
// Usage: node webmscore-load.mjs FILE.xml
// The engine cannot load two scores in one process: run one process a file
// and kill it from outside when it takes too long.
import fs from 'node:fs';

const file = process.argv[2];
if (!file) {
  console.error('usage: node webmscore-load.mjs FILE.xml');
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
try {
  await WebMscore.ready;
  await WebMscore.setLogLevel(2);
  phase = 'load';
  const score = await WebMscore.load('musicxml', new Uint8Array(fs.readFileSync(file)));
  phase = 'render';
  const metadata = await score.metadata();
  const mscx = Buffer.from(await score.saveMsc('mscx')).toString('utf8');
  out(`measures ${metadata.measures}`);
  out(`notes ${(mscx.match(/<Note\b/g) || []).length}`);
  out(`naturals ${(mscx.match(/<subtype>accidentalNatural<\/subtype>/g) || []).length}`);
  out(`pages ${await score.npages()}`);
  const svg = await score.saveSvg(0, true);
  const whole = /^(<\?xml[^>]*>\s*)?<svg\b[\s\S]*<\/svg>\s*$/.test(svg);
  out(`svg ${whole ? svg.length : 0}`);
  out('done');
} catch (e) {
  out(`error ${phase} ${e?.name || 'Error'}: ${String(e?.message ?? e)}`);
  process.exitCode = 1;
}
