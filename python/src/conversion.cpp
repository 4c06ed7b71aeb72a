#include "conversion.h"

#include <sorvik/files.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <stdexcept>

namespace sorvik::python {

namespace {

// The output variants by their Python names.
struct VariantName {
  Variant variant;
  const char* name;
};
constexpr VariantName kVariants[] = {
    {Variant::Exact, "exact"}, {Variant::MuseScorePrint, "musescore"}, {Variant::Music21, "music21"}};

}  // namespace

const char* variantName(const Options& options) {
  for (const VariantName& v : kVariants) {
    if (v.variant == options.variant) return v.name;
  }
  return "exact";
}

Settings settingsFrom(std::string_view variant, bool arrows, bool strictBars, int64_t instrument,
                      std::string_view encoding) {
  Settings s;
  auto known =
      std::find_if(std::begin(kVariants), std::end(kVariants), [&](const VariantName& v) { return variant == v.name; });
  if (known == std::end(kVariants)) {
    throw std::invalid_argument("variant must be \"exact\", \"musescore\" or \"music21\", not \"" +
                                std::string(variant) + "\"");
  }
  s.options.variant = known->variant;
  s.options.arrows = arrows;
  s.options.strictBars = strictBars;
  s.options.instrument = instrument;
  if (!encodingByName(encoding, s.encoding)) {
    throw std::invalid_argument(
        "encoding must be \"utf-8\" or \"windows-1254\" (also \"cp1254\", \"iso-8859-9\", "
        "\"latin5\"), not \"" +
        std::string(encoding) + "\"");
  }
  return s;
}

Conversion convertSource(const Source& source, const Settings& settings, std::string buffer) {
  Conversion c;
  c.document = std::move(buffer);
  c.document.clear();
  Options options = settings.options;
  options.inputName = source.name;
  if (!source.isPath) {
    if (settings.encoding == Encoding::Utf8) {
      c.result = convert(source.bytes, options, c.document);
    } else {
      c.result = convert(toUtf8(source.bytes, settings.encoding), options, c.document);
    }
    return c;
  }
  ScoreFile input(source.path, settings.encoding);
  c.result = convert(input, options, c.document);
  c.unreadable = input.failed();
  return c;
}

void saveDocument(const std::string& path, std::string_view document) {
  DocumentFile file(path);
  file.open();
  file.write(document);
  file.commit();
}

}  // namespace sorvik::python
