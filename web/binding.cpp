// The converter as the page calls it: plain C functions over the library's
// in-memory conversion. The page hands over the bytes of one file and its
// options, then reads the result through the accessors below; a result is
// kept until the next conversion. One conversion at a time, as a page runs.
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "binding.h"

#include "sorvik/convert.h"
#include "sorvik/files.h"

#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>
#define SORVIK_WEB_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE
#else
#define SORVIK_WEB_EXPORT extern "C"
#endif

namespace {

struct Conversion {
  sorvik::Result result;
  std::string document;
  std::string drawing;                                 // the document as Verovio draws it best
  std::string source;                                  // the file as it was converted, in UTF-8
  std::string outputName;                              // the document's name beside the input
  sorvik::Encoding encoding = sorvik::Encoding::Utf8;  // the one the bytes were read in
};

Conversion& last() {
  static Conversion conversion;
  return conversion;
}

const std::string& textOf(int which) {
  static const std::string none;
  const Conversion& c = last();
  switch (which) {
    case SORVIK_WEB_DOCUMENT: return c.document;
    case SORVIK_WEB_CONSOLE: return c.result.console;
    case SORVIK_WEB_SOURCE: return c.source;
    case SORVIK_WEB_OUTPUT_NAME: return c.outputName;
    case SORVIK_WEB_IO_ERROR: return c.result.ioError;
    case SORVIK_WEB_DRAWING: return c.drawing;
    default: return none;
  }
}

const sorvik::Diagnostic* diagnostic(int index) {
  const auto& all = last().result.diagnostics;
  if (index < 0 || static_cast<size_t>(index) >= all.size()) return nullptr;
  return &all[static_cast<size_t>(index)];
}

const sorvik::Hint* hint(int index) {
  const auto& all = last().result.hints;
  if (index < 0 || static_cast<size_t>(index) >= all.size()) return nullptr;
  return &all[static_cast<size_t>(index)];
}

// "auto" leaves the choice to the bytes, as sorvik::chooseEncoding makes it.
bool encodingFor(std::string_view name, std::string_view bytes, sorvik::Encoding& encoding) {
  if (name == "auto") {
    encoding = sorvik::chooseEncoding(bytes);
    return true;
  }
  return sorvik::encodingByName(name, encoding);
}

}  // namespace

SORVIK_WEB_EXPORT char* sorvik_web_alloc(size_t size) { return static_cast<char*>(std::malloc(size ? size : 1)); }

SORVIK_WEB_EXPORT void sorvik_web_free(char* block) { std::free(block); }

SORVIK_WEB_EXPORT const char* sorvik_web_banner() {
  static const std::string banner(sorvik::bannerLine());
  return banner.c_str();
}

SORVIK_WEB_EXPORT int sorvik_web_convert(const char* bytes, size_t size, const char* name, const char* encodingName,
                                         int flags, int instrument) {
  Conversion& c = last();
  c = Conversion{};
  std::string_view input(bytes ? bytes : "", bytes ? size : 0);
  if (!encodingFor(encodingName ? encodingName : "", input, c.encoding)) return SORVIK_WEB_UNKNOWN_ENCODING;

  sorvik::Options options;
  options.inputName = name ? name : "";
  if (flags & SORVIK_WEB_MUSIC21) options.variant = sorvik::Variant::Music21;
  if (flags & SORVIK_WEB_PRINT) options.variant = sorvik::Variant::MuseScorePrint;
  options.arrows = (flags & SORVIK_WEB_ARROWS) != 0;
  options.strictBars = (flags & SORVIK_WEB_STRICT_BARS) != 0;
  options.instrument = instrument;

  c.source = sorvik::toUtf8(input, c.encoding);
  c.outputName = sorvik::outputName(options.inputName, options.variant);
  c.result = sorvik::convert(c.source, options, c.document);
  if (c.result.status == 0) {
    options.drawingCopy = true;
    sorvik::convert(c.source, options, c.drawing);
  }
  return c.result.status;
}

SORVIK_WEB_EXPORT const char* sorvik_web_text(int which) { return textOf(which).data(); }

SORVIK_WEB_EXPORT size_t sorvik_web_text_size(int which) { return textOf(which).size(); }

SORVIK_WEB_EXPORT int sorvik_web_diagnostic_count() { return static_cast<int>(last().result.diagnostics.size()); }

SORVIK_WEB_EXPORT int sorvik_web_diagnostic_is_error(int index) {
  const sorvik::Diagnostic* d = diagnostic(index);
  return d && d->kind == sorvik::DiagnosticKind::Error;
}

SORVIK_WEB_EXPORT double sorvik_web_diagnostic_line(int index) {
  const sorvik::Diagnostic* d = diagnostic(index);
  return d ? static_cast<double>(d->line) : 0;
}

SORVIK_WEB_EXPORT const char* sorvik_web_diagnostic_message(int index) {
  const sorvik::Diagnostic* d = diagnostic(index);
  return d ? d->message.data() : "";
}

SORVIK_WEB_EXPORT size_t sorvik_web_diagnostic_message_size(int index) {
  const sorvik::Diagnostic* d = diagnostic(index);
  return d ? d->message.size() : 0;
}

SORVIK_WEB_EXPORT double sorvik_web_lines() { return static_cast<double>(last().result.lines); }

SORVIK_WEB_EXPORT double sorvik_web_notes() { return static_cast<double>(last().result.notes); }

SORVIK_WEB_EXPORT int sorvik_web_text_replaced() { return last().result.textReplaced; }

SORVIK_WEB_EXPORT const char* sorvik_web_encoding() {
  return last().encoding == sorvik::Encoding::Windows1254 ? "windows-1254" : "utf-8";
}

SORVIK_WEB_EXPORT int sorvik_web_hint_count() { return static_cast<int>(last().result.hints.size()); }

SORVIK_WEB_EXPORT double sorvik_web_hint_line(int index) {
  const sorvik::Hint* h = hint(index);
  return h ? static_cast<double>(h->line) : 0;
}

SORVIK_WEB_EXPORT const char* sorvik_web_hint_kind(int index) {
  const sorvik::Hint* h = hint(index);
  return h ? h->kind.c_str() : "";
}

SORVIK_WEB_EXPORT const char* sorvik_web_hint_text(int index) {
  const sorvik::Hint* h = hint(index);
  return h ? h->text.data() : "";
}

SORVIK_WEB_EXPORT size_t sorvik_web_hint_text_size(int index) {
  const sorvik::Hint* h = hint(index);
  return h ? h->text.size() : 0;
}
