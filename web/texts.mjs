// What the page reads out of the converter's texts and the score's source,
// without the page itself: where a message's line is, the copy that Verovio
// draws, the notes of a document and the command line of the same options.

// The lines of a score as the converter cuts them: a line ends at LF, CR or
// CR LF. A line end at the very end opens no further line.
export function splitLines(text) {
  const lines = text.split(/\r\n|\r|\n/);
  if (lines.length > 1 && lines[lines.length - 1] === '') lines.pop();
  return lines;
}

// The index in `lines` of the line that a message numbers `count`. The
// number counts the non-empty lines handed on, so empty lines do not count;
// -1 when there is no such line.
export function lineOfCount(lines, count) {
  if (!(count >= 1)) return -1;
  let seen = 0;
  for (let i = 0; i < lines.length; i++) {
    if (lines[i] !== '' && ++seen === count) return i;
  }
  return -1;
}

// For every line of `lines`, the number that messages give it: 0 for an
// empty line, which messages never name.
export function countsOfLines(lines) {
  const counts = new Array(lines.length);
  let seen = 0;
  for (let i = 0; i < lines.length; i++) counts[i] = lines[i] === '' ? 0 : ++seen;
  return counts;
}

const MESSAGE = /^(Error|Warning) in Line (\d+): /;

// The console text, a line an item: {text, kind: 'error' | 'warning' | null,
// count: the line number the message names, or 0}.
export function consoleLines(console) {
  const lines = console.split('\n');
  if (lines[lines.length - 1] === '') lines.pop();
  return lines.map((text) => {
    const m = MESSAGE.exec(text);
    if (m) return { text, kind: m[1] === 'Error' ? 'error' : 'warning', count: Number(m[2]) };
    return { text, kind: text.startsWith('Error in File ') ? 'error' : null, count: 0 };
  });
}

const CLEF = '<clef><sign>G</sign><line>2</line></clef>';

// The document as Verovio should draw it: with a treble clef in its first
// <attributes>, where it follows the key and the time. Without a clef Verovio
// draws none and sets the key signature below the staff. A document that has
// a clef, or no <attributes>, is returned as it is.
export function withClef(xml) {
  if (/<clef[\s>]/.test(xml)) return xml;
  const open = xml.search(/<attributes\s*>/);
  if (open < 0) return xml;
  const close = xml.indexOf('</attributes>', open);
  if (close < 0) return xml;
  return xml.slice(0, close) + CLEF + xml.slice(close);
}

// The notes of a MusicXML document, grace notes included, rests not.
export function countNotes(xml) {
  let notes = 0;
  for (const m of xml.matchAll(/<note\b[^>]*>([\s\S]*?)<\/note>/g)) {
    if (!/<rest\b/.test(m[1])) notes++;
  }
  return notes;
}

// The arguments of the command-line tool that convert `name` with these
// options, or null where no command line does: -M and -P are both the second
// argument, -I takes the second or the third, -A the second to the fourth.
export function commandLine(name, { print = false, arrows = false, strictBars = false, instrument = 1 } = {}) {
  if (print && strictBars) return null;
  const args = [name];
  if (print) args.push('-P');
  if (strictBars) args.push('-M');
  if (instrument !== 1) {
    // -I and its number take the two arguments after a mode switch, which
    // leaves -A no place among the first four.
    if (arrows && args.length > 1) return null;
    args.push('-I', String(instrument));
  }
  if (arrows) args.push('-A');
  return args;
}

// A command line as one would type it in a shell.
export function shellWords(args) {
  return args.map((a) => (/^[\w@%+=:,./-]+$/.test(a) ? a : `'${a.replace(/'/g, `'\\''`)}'`)).join(' ');
}

// The command that writes the same document as the page: the single tool
// where it reads the file's bytes as they are (UTF-8) and takes the options
// together, else sorvik-batch, which takes any of them and the encoding.
// {tool, args}.
export function sameCommand(name, opts, encoding) {
  const single = encoding === 'utf-8' ? commandLine(name, opts) : null;
  if (single) return { tool: 'SorvikToMusicXml', args: single };
  const args = encoding === 'utf-8' ? [] : ['--encoding', encoding];
  if (opts.print) args.push('-P');
  if (opts.arrows) args.push('-A');
  if (opts.strictBars) args.push('-M');
  if ((opts.instrument ?? 1) !== 1) args.push('-I', String(opts.instrument));
  return { tool: 'sorvik-batch', args: [...args, name] };
}
