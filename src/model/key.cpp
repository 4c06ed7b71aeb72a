#include "model/key.h"

#include <string>

#include "core/diagnostics.h"
#include "model/names.h"

namespace sorvik {

KeyEntry READKEYENTRY(ConversionState& cs, std::string_view entry) {
  assert(entry.size() > 3);
  char side = entry[entry.size() - 2];
  char last = entry.back();
  int commas = last >= '1' && last <= '8' ? last - '0' : 0;
  ASSERTSORVIK(
      cs, commas > 0 && (side == 'b' || side == '#'), [&] { return "No accidental for: " + std::string(entry); },
      cs.FILENAMEIN);
  KeyEntry e;
  e.letter = entry.substr(0, 1);
  e.octave = entry.substr(1, 1);
  e.alter = side == 'b' ? KEYFLATALTERS[commas] : KEYSHARPALTERS[commas];
  e.accidental = side == 'b' ? FLATACCIDENTALS[commas] : SHARPACCIDENTALS[commas];
  return e;
}

void ENTERKEYENTRY(ConversionState& cs, const KeyEntry& entry) {
  char step = entry.letter[0];
  ASSERTSORVIK(
      cs, step >= 'A' && step <= 'G', [&] { return "Illegal Key pitch: " + std::string(entry.letter); }, cs.FILENAMEIN);
  for (TOLDKEY* key : {&cs.PREDEFINEDOLDKEY, &cs.CURRENTOLDKEY}) {
    key->add(step);
    key->accidental(step) = entry.accidental;
  }
}

void CLEARKEY(ConversionState& cs) {
  cs.PREDEFINEDOLDKEY.KEYS = 0;
  cs.CURRENTOLDKEY.KEYS = 0;
}

}  // namespace sorvik
