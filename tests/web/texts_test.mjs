// The page's text helpers (web/texts.mjs): where a message's line is, the
// copy Verovio draws, the notes of a document, the equivalent command line.
import test from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { GENERAL_MIDI } from '../../web/instruments.mjs';
import {
  commandLine, consoleLines, countNotes, countsOfLines, lineOfCount, sameCommand, shellWords, splitLines, withClef,
} from '../../web/texts.mjs';
import { markdownToHtml, messageSections, sectionOf } from '../../web/docs.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const exampleDocument = (variant, name) =>
  fs.readFileSync(path.join(root, 'tests/cases/examples', variant, 'out', name), 'utf8');

test('lines end at LF, CR and CR LF, as the converter cuts them', () => {
  assert.deepEqual(splitLines('a\nb\r\nc\rd'), ['a', 'b', 'c', 'd']);
  assert.deepEqual(splitLines('a\r\rb\n'), ['a', '', 'b']);
  assert.deepEqual(splitLines('a\n\n'), ['a', '']);
  assert.deepEqual(splitLines(''), ['']);
  assert.deepEqual(splitLines('\r\n'), ['']);
});

test('a message names the Nth non-empty line, not the Nth line', () => {
  const lines = splitLines('4\t4\n\n50\r\n\r\n\r\n9\tla4\n9\tsi4\n \n9\tdo5\n');
  assert.equal(lineOfCount(lines, 1), 0);
  assert.equal(lineOfCount(lines, 2), 2);
  assert.equal(lineOfCount(lines, 3), 5);
  assert.equal(lineOfCount(lines, 4), 6);
  assert.equal(lineOfCount(lines, 5), 7, 'a line of one blank is not empty');
  assert.equal(lineOfCount(lines, 6), 8);
  assert.equal(lineOfCount(lines, 7), -1);
  assert.equal(lineOfCount(lines, 0), -1);
  assert.equal(lineOfCount(lines, undefined), -1);
  assert.deepEqual(countsOfLines(lines), [1, 0, 2, 0, 0, 3, 4, 5, 6]);
  // Every counted line is the line its count leads to.
  countsOfLines(lines).forEach((n, i) => { if (n) assert.equal(lineOfCount(lines, n), i); });
});

test('console lines that name a line are told apart', () => {
  const items = consoleLines('SorvikToMusicXml V0.920.\nReading a.sv2\nWriting to a.xml\n'
    + 'Warning in Line 000017: Measure overfull: 1.75 - 2: a.sv2\nError in File a.sv2\n'
    + 'Error in Line 1234567: Unknown code in first field: "77": \n');
  assert.deepEqual(items.map((i) => [i.kind, i.count]),
    [[null, 0], [null, 0], [null, 0], ['warning', 17], ['error', 0], ['error', 1234567]]);
  assert.equal(items[5].text, 'Error in Line 1234567: Unknown code in first field: "77": ');
  assert.deepEqual(consoleLines(''), []);
  // A lyric that merely contains the words is no message.
  assert.equal(consoleLines('Reading Error in Line 000002: .sv2\n')[0].kind, null);
});

test('the drawn copy gets a treble clef in its first attributes, after the time', () => {
  const xml = exampleDocument('sabah-sarki-normal', 'sabah-sarki.xml');
  const drawn = withClef(xml);
  assert.equal(drawn.length, xml.length + '<clef><sign>G</sign><line>2</line></clef>'.length);
  const first = drawn.slice(drawn.indexOf('<attributes>'), drawn.indexOf('</attributes>'));
  assert.match(first, /<\/time>\s*<clef><sign>G<\/sign><line>2<\/line><\/clef>$/);
  assert.equal((drawn.match(/<clef>/g) || []).length, 1);
  assert.equal(withClef(drawn), drawn, 'a clef is not added twice');
  assert.equal(withClef('<score-partwise></score-partwise>'), '<score-partwise></score-partwise>');
  assert.equal(withClef('<attributes><divisions>1</divisions>'), '<attributes><divisions>1</divisions>',
    'an unfinished attributes element is left alone');
});

test('notes are counted with grace notes and without rests', () => {
  assert.equal(countNotes('<note><pitch/></note><note><rest/></note><note><grace/><pitch/></note>'), 2);
  assert.equal(countNotes('<notations/><notehead>x</notehead>'), 0);
  assert.equal(countNotes(exampleDocument('sabah-sarki-normal', 'sabah-sarki.xml')), 55);
  assert.equal(countNotes(exampleDocument('yayla-yolunda-A', 'yayla-yolunda.xml')), 75);
});

test('the command line of the same options keeps every switch where the tool reads it', () => {
  const cl = (opts) => commandLine('a.sv2', opts);
  assert.deepEqual(cl({}), ['a.sv2']);
  assert.deepEqual(cl({ print: true }), ['a.sv2', '-P']);
  assert.deepEqual(cl({ strictBars: true }), ['a.sv2', '-M']);
  assert.deepEqual(cl({ arrows: true }), ['a.sv2', '-A']);
  assert.deepEqual(cl({ print: true, arrows: true }), ['a.sv2', '-P', '-A']);
  assert.deepEqual(cl({ instrument: 72 }), ['a.sv2', '-I', '72']);
  assert.deepEqual(cl({ instrument: 72, arrows: true }), ['a.sv2', '-I', '72', '-A']);
  assert.deepEqual(cl({ instrument: 72, strictBars: true }), ['a.sv2', '-M', '-I', '72']);
  assert.equal(cl({ instrument: 72, strictBars: true, arrows: true }), null);
  assert.equal(cl({ print: true, strictBars: true }), null);
  // Where each switch lands, by the tool's rules: -A in arguments 2 to 4,
  // -I in 2 or 3 with its number after it, -P and -M only in 2.
  for (const print of [false, true]) for (const strictBars of [false, true]) for (const arrows of [false, true])
    for (const instrument of [1, 41]) {
      const args = cl({ print, strictBars, arrows, instrument });
      if (!args) continue;
      const at = (s) => args.indexOf(s);
      if (arrows) assert.ok(at('-A') >= 1 && at('-A') <= 3, args.join(' '));
      if (instrument !== 1) assert.ok((at('-I') === 1 || at('-I') === 2) && args[at('-I') + 1] === '41', args.join(' '));
      for (const s of ['-P', '-M']) if (at(s) >= 0) assert.equal(at(s), 1, args.join(' '));
    }
  assert.equal(shellWords(['SorvikToMusicXml', 'my song.sv2', "it's.sv2", 'a.sv2', '-I', '72']),
    "SorvikToMusicXml 'my song.sv2' 'it'\\''s.sv2' a.sv2 -I 72");
});

test('the same document from the same bytes: the single tool where it can, else sorvik-batch', () => {
  assert.deepEqual(sameCommand('a.sv2', { arrows: true }, 'utf-8'), { tool: 'SorvikToMusicXml', args: ['a.sv2', '-A'] });
  assert.deepEqual(sameCommand('a.sv2', { print: true, strictBars: true }, 'utf-8'),
    { tool: 'sorvik-batch', args: ['-P', '-M', 'a.sv2'] });
  assert.deepEqual(sameCommand('a.sv2', { instrument: 72 }, 'windows-1254'),
    { tool: 'sorvik-batch', args: ['--encoding', 'windows-1254', '-I', '72', 'a.sv2'] });
});

test('every message of docs/messages.md finds its own section there, and every hint its row', () => {
  const { sections, hints } = messageSections(fs.readFileSync(path.join(root, 'docs/messages.md'), 'utf8'));
  let examples = 0;
  for (const section of sections) {
    // A section's example, as the console prints it.
    const m = /(?:Error|Warning) in Line \d+: (.*?): (?:e\.sv2)?(?:\n|<\/code>)/.exec(section.html.replace(/&quot;/g, '"').replace(/&#39;/g, "'"));
    if (!m) continue;
    examples++;
    assert.equal(sectionOf(m[1], sections)?.title, section.title, m[1]);
  }
  assert.ok(examples >= 15, `${examples} examples`);
  assert.equal(sectionOf('Measure not full: 2.25 - 3.25', sections).id, 'measure-not-full-count---position');
  assert.equal(sectionOf('Something else', sections), null);
  assert.match(hints['position-point-zero'].instead, /<code>2<\/code>/);
});

test('markdown as the documents write it', () => {
  assert.equal(markdownToHtml('## A `<b>` & more\n\n- one\n  two\n- three\n\n| a | b |\n|---|---|\n| `c` | **d** |', 'm.html'),
    '<h2 id="a-b--more">A <code>&lt;b&gt;</code> &amp; more</h2>\n'
    + '<ul><li>one two</li><li>three</li></ul>\n'
    + '<table><thead><tr><th>a</th><th>b</th></tr></thead><tbody><tr><td><code>c</code></td><td><strong>d</strong></td></tr></tbody></table>');
  assert.equal(markdownToHtml('See [there](#y)\nor [here](format.md#x).', 'm.html'),
    '<p>See <a href="m.html#y">there</a> or <a href="format.html#x">here</a>.</p>');
});

test('General MIDI programs are numbered from 1', () => {
  assert.equal(GENERAL_MIDI.length, 128);
  assert.equal(GENERAL_MIDI[0], 'Acoustic Grand Piano');
  assert.equal(GENERAL_MIDI[71], 'Clarinet', '-I 72 is the clarinet');
  assert.equal(GENERAL_MIDI[127], 'Gunshot');
  assert.equal(new Set(GENERAL_MIDI).size, 128);
});
