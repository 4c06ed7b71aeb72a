#include "model/key.h"

#include <string_view>

#include "driver/diagnostics.h"
#include "model/names.h"

namespace sorvik {

namespace {

// Writes one entry's key-step, key-alter and key-accidental and enters it in
// both key records.
void writeKeyEntry(ConversionState& cs, std::string_view entry) {
  char side = entry[entry.size() - 2];
  char last = entry.back();
  int commas = last >= '1' && last <= '8' ? last - '0' : 0;
  ASSERTSORVIK(cs, commas > 0 && (side == 'b' || side == '#'),
               [&] { return "No accidental for: " + std::string(entry); }, cs.FILENAMEIN);
  std::string_view alter = side == 'b' ? KEYFLATALTERS[commas] : KEYSHARPALTERS[commas];
  std::string_view accidental = side == 'b' ? FLATACCIDENTALS[commas] : SHARPACCIDENTALS[commas];
  std::string_view letter = entry.substr(0, 1);
  cs.DATAOUT.line("        <key-step>", XmlText{letter}, "</key-step>");
  cs.DATAOUT.line("        <key-alter>", alter, "</key-alter>");
  cs.DATAOUT.line("        <key-accidental>", accidental, "</key-accidental>");
  char step = entry[0];
  ASSERTSORVIK(cs, step >= 'A' && step <= 'G', [&] { return "Illegal Key pitch: " + std::string(letter); },
               cs.FILENAMEIN);
  for (TOLDKEY* key : {&cs.PREDEFINEDOLDKEY, &cs.CURRENTOLDKEY}) {
    key->add(step);
    key->accidental(step) = accidental;
  }
}

}  // namespace

void MUSICXMLSONGKEY(ConversionState& cs, const std::string& K) {
  cs.PREDEFINEDOLDKEY.KEYS = 0;
  cs.CURRENTOLDKEY.KEYS = 0;
  if (K.size() <= 3) return;
  cs.DATAOUT.line("      <attributes>");
  cs.DATAOUT.line("        <key>");
  std::string_view octave;
  std::string_view rest = K;
  while (!rest.empty()) {
    size_t slash = rest.find('/');
    std::string_view entry = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (entry.size() <= 3) continue;
    writeKeyEntry(cs, entry);
    octave = entry.substr(1, 1);
  }
  cs.DATAOUT.line("        <key-octave number=\"1\">", XmlText{octave}, "</key-octave>");
  cs.DATAOUT.line("        </key>");
  cs.DATAOUT.line("      </attributes>");
}

}  // namespace sorvik
