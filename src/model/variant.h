// What each document variant writes differently from the exact one: data that
// the writers read, so that every variant goes through the same writers.
#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

#include "sorvik/convert.h"

namespace sorvik {

struct VariantRules {
  std::string_view suffix;             // of the document's name, after the dot of the input's ".sv2"
  bool printAlters = false;            // alters MuseScore reads instead of the exact ones
  bool accidentalOnEveryNote = false;  // every note names its accidental, "natural" for none
  bool keyAccidentals = true;          // the key names the accidental of each step
  bool restTypes = false;              // a rest writes the type that is exactly its value
  bool oneNotations = false;           // a note's notations in one element
  bool schemaValues = false;           // a value the MusicXML 3.0 schema refuses is left out
  bool senzaMisuraUnmeasured = false;  // a time of beat type 0 or less is senza misura, whatever its beats
};

constexpr VariantRules VARIANTRULES[] = {
    // Variant::Exact
    {.suffix = "xml"},
    // Variant::MuseScorePrint
    {.suffix = "musescore-print.xml", .printAlters = true, .schemaValues = true},
    // Variant::Music21
    {.suffix = "music21.xml",
     .accidentalOnEveryNote = true,
     .keyAccidentals = false,
     .restTypes = true,
     .oneNotations = true,
     .schemaValues = true,
     .senzaMisuraUnmeasured = true},
};
static_assert(std::size(VARIANTRULES) == static_cast<size_t>(Variant::Music21) + 1, "one entry per variant");

// The rules of the run's variant; a drawing copy also types its rests, puts a
// note's notations in one element and writes a beat type of 0 as senza misura
// (Verovio divides by it).
constexpr VariantRules RULES(const Options& options) {
  VariantRules rules = VARIANTRULES[static_cast<int>(options.variant)];
  if (options.drawingCopy) rules.restTypes = rules.oneNotations = rules.senzaMisuraUnmeasured = true;
  return rules;
}

}  // namespace sorvik
