// The page's view of the converter: C functions over one conversion at a time
// (see binding.cpp). web/converter.mjs calls them with these same numbers.
#pragma once

#include <stddef.h>

// Options of sorvik_web_convert, or-ed together.
enum {
  SORVIK_WEB_PRINT = 1,        // -P: the variant for printing with MuseScore
  SORVIK_WEB_ARROWS = 2,       // -A
  SORVIK_WEB_STRICT_BARS = 4,  // -M
  SORVIK_WEB_MUSIC21 = 8,      // the variant for music21 (with SORVIK_WEB_PRINT: that one)
};

// What sorvik_web_text returns.
enum {
  SORVIK_WEB_DOCUMENT = 0,     // the document's bytes
  SORVIK_WEB_CONSOLE = 1,      // what the command-line tool prints
  SORVIK_WEB_SOURCE = 2,       // the file as converted, in UTF-8
  SORVIK_WEB_OUTPUT_NAME = 3,  // the document's file name
  SORVIK_WEB_IO_ERROR = 4,     // a failed read or write, as printed
  SORVIK_WEB_DRAWING = 5,      // the copy to draw (sorvik::Options::drawingCopy); empty after an error
};

// sorvik_web_convert's answer to an encoding it does not know.
enum { SORVIK_WEB_UNKNOWN_ENCODING = -1 };

#ifdef __cplusplus
extern "C" {
#endif

char* sorvik_web_alloc(size_t size);
void sorvik_web_free(char* block);
const char* sorvik_web_banner(void);
// Converts `size` bytes of the file `name` (encoding "utf-8", "windows-1254",
// ...; see sorvik::encodingByName; "auto": UTF-8 where the bytes are UTF-8,
// else Windows-1254) with `flags` and the MIDI program `instrument`. Returns
// the run's exit status, or SORVIK_WEB_UNKNOWN_ENCODING.
int sorvik_web_convert(const char* bytes, size_t size, const char* name, const char* encoding, int flags,
                       int instrument);
const char* sorvik_web_text(int which);
size_t sorvik_web_text_size(int which);
int sorvik_web_diagnostic_count(void);
int sorvik_web_diagnostic_is_error(int index);
double sorvik_web_diagnostic_line(int index);
const char* sorvik_web_diagnostic_message(int index);
size_t sorvik_web_diagnostic_message_size(int index);
double sorvik_web_lines(void);
double sorvik_web_notes(void);
int sorvik_web_text_replaced(void);
// The encoding the bytes were read in: "utf-8" or "windows-1254".
const char* sorvik_web_encoding(void);
// The hints of the conversion (sorvik::Hint), in the order of their lines.
int sorvik_web_hint_count(void);
double sorvik_web_hint_line(int index);
const char* sorvik_web_hint_kind(int index);
const char* sorvik_web_hint_text(int index);
size_t sorvik_web_hint_text_size(int index);

#ifdef __cplusplus
}
#endif
