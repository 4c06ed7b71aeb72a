#!/usr/bin/env node
// Loads one MusicXML document with the Verovio toolkit (npm verovio 6.3.0),
// renders page 1 as SVG and reports, one item a line on standard output:
//   log TEXT      every warning or error of the toolkit
//   measures N    measures of the MEI that Verovio built from the document
//   notes N       notes of that MEI
//   pages N
//   svg N         bytes of page 1's SVG (0 when it is not a whole SVG)
//   done
// Usage: node verovio-load.mjs FILE.xml
import createVerovioModule from 'verovio/wasm';
import { VerovioToolkit, enableLog, enableLogToBuffer, LOG_WARNING } from 'verovio/esm';
import fs from 'node:fs';

const file = process.argv[2];
if (!file) {
  console.error('usage: node verovio-load.mjs FILE.xml');
  process.exit(3);
}
const out = (line) => process.stdout.write(line + '\n');
const module = await createVerovioModule();
const tk = new VerovioToolkit(module);
// after the toolkit exists: its constructor resets the log settings
enableLog(LOG_WARNING, module);
enableLogToBuffer(1, module);
// every toolkit call empties the log buffer, so read it after each one
const collect = () => {
  for (const l of (tk.getLog() || '').split('\n')) if (l.trim()) out(`log ${l.trimEnd()}`);
};
const loaded = tk.loadData(fs.readFileSync(file, 'utf8'));
collect();
if (!loaded) {
  out('error load failed');
  process.exit(1);
}
const mei = tk.getMEI({});
collect();
out(`measures ${(mei.match(/<measure\b/g) || []).length}`);
out(`notes ${(mei.match(/<note\b/g) || []).length}`);
const pages = tk.getPageCount();
out(`pages ${pages}`);
const svg = pages > 0 ? tk.renderToSVG(1) : '';
collect();
const whole = /<svg\b/.test(svg) && /<\/svg>\s*$/.test(svg);
out(`svg ${whole ? svg.length : 0}`);
out('done');
