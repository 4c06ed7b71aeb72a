// The converter in WebAssembly (sorvik.mjs and sorvik.wasm, which web/build
// makes from the core and web/binding.cpp), as one function. The numbers are
// those of web/binding.h.
import createSorvikModule from './sorvik.mjs';

const PRINT = 1;
const ARROWS = 2;
const STRICT_BARS = 4;
const MUSIC21 = 8;

const DOCUMENT = 0;
const CONSOLE = 1;
const SOURCE = 2;
const OUTPUT_NAME = 3;
const IO_ERROR = 4;
const DRAWING = 5;

const UNKNOWN_ENCODING = -1;

export async function loadConverter() {
  const m = await createSorvikModule();
  const utf8 = new TextDecoder('utf-8');  // bytes that are not UTF-8 become U+FFFD
  const encoder = new TextEncoder();
  // The heap may grow during a call: take m.HEAPU8 afresh every time.
  const bytesAt = (pointer, size) => m.HEAPU8.slice(pointer >>> 0, (pointer >>> 0) + size);
  const textBytes = (which) => bytesAt(m._sorvik_web_text(which), m._sorvik_web_text_size(which));
  const text = (which) => utf8.decode(textBytes(which));
  const copyIn = (bytes) => {
    const pointer = m._sorvik_web_alloc(bytes.length);
    m.HEAPU8.set(bytes, pointer >>> 0);
    return pointer;
  };
  const cString = (s) => copyIn(encoder.encode(`${s}\0`));
  const cText = (pointer) => {
    const p = pointer >>> 0;
    return utf8.decode(m.HEAPU8.subarray(p, m.HEAPU8.indexOf(0, p)));
  };
  const banner = cText(m._sorvik_web_banner());

  // Converts the bytes of the file `name`. options: {print, music21, arrows,
  // strictBars, instrument, encoding}; print or music21 choose the variant;
  // encoding 'auto' reads UTF-8 as UTF-8 and other bytes as Windows-1254.
  // The document stays in bytes, exactly as the converter made them; the
  // drawing is the copy of it that Verovio draws best (rests with their
  // types, a note's notations in one element).
  function convert(bytes, name, {
    print = false, music21 = false, arrows = false, strictBars = false, instrument = 1, encoding = 'auto',
  } = {}) {
    const input = copyIn(bytes);
    const namePointer = cString(name);
    const encodingPointer = cString(encoding);
    const flags = (print ? PRINT : 0) | (music21 ? MUSIC21 : 0) | (arrows ? ARROWS : 0) | (strictBars ? STRICT_BARS : 0);
    let status;
    try {
      status = m._sorvik_web_convert(input, bytes.length, namePointer, encodingPointer, flags, instrument);
    } finally {
      m._sorvik_web_free(input);
      m._sorvik_web_free(namePointer);
      m._sorvik_web_free(encodingPointer);
    }
    if (status === UNKNOWN_ENCODING) throw new Error(`unknown encoding: ${encoding}`);
    const diagnostics = [];
    for (let i = 0, n = m._sorvik_web_diagnostic_count(); i < n; i++) {
      diagnostics.push({
        kind: m._sorvik_web_diagnostic_is_error(i) ? 'error' : 'warning',
        count: m._sorvik_web_diagnostic_line(i),
        message: utf8.decode(bytesAt(m._sorvik_web_diagnostic_message(i), m._sorvik_web_diagnostic_message_size(i))),
      });
    }
    const hints = [];
    for (let i = 0, n = m._sorvik_web_hint_count(); i < n; i++) {
      hints.push({
        kind: cText(m._sorvik_web_hint_kind(i)),
        count: m._sorvik_web_hint_line(i),
        text: utf8.decode(bytesAt(m._sorvik_web_hint_text(i), m._sorvik_web_hint_text_size(i))),
      });
    }
    return {
      status,
      encoding: cText(m._sorvik_web_encoding()),
      hints,
      document: textBytes(DOCUMENT),
      drawing: textBytes(DRAWING),
      console: text(CONSOLE),
      source: text(SOURCE),
      outputName: text(OUTPUT_NAME),
      ioError: text(IO_ERROR),
      diagnostics,
      lines: m._sorvik_web_lines(),
      notes: m._sorvik_web_notes(),
      textReplaced: m._sorvik_web_text_replaced() !== 0,
    };
  }

  return { banner, convert };
}
