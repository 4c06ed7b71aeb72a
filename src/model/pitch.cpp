#include "model/pitch.h"

#include <array>
#include <cstdio>
#include <utility>
#include <vector>

#include "core/diagnostics.h"
#include "core/text.h"
#include "model/names.h"
#include "model/variant.h"

namespace sorvik {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The character after the first `sign` of the token, or 0 when there is no
// such sign or it is the last character.
char afterSign(std::string_view reduced, char sign) {
  size_t at = reduced.find(sign);
  return at == std::string_view::npos || at + 1 >= reduced.size() ? 0 : reduced[at + 1];
}

int commaCount(char digit) { return digit >= '1' && digit <= '8' ? digit - '0' : 0; }

constexpr int64_t kNoName = 32768;

// The accidental of a reduced token: the sharp's when it has both signs.
// A sign followed by anything but a digit 1 to 8 makes it not valid.
std::string_view accidentalOf(std::string_view reduced, bool& valid) {
  std::string_view result;
  valid = true;
  if (char c = afterSign(reduced, 'b')) {
    valid = valid && commaCount(c) > 0;
    result = FLATACCIDENTALS[commaCount(c)];
  }
  if (char c = afterSign(reduced, '#')) {
    valid = valid && commaCount(c) > 0;
    result = SHARPACCIDENTALS[commaCount(c)];
  }
  return result;
}

std::string_view printAlterInForce(std::string_view accidental) {
  for (const PrintAlterInForce& entry : PRINTALTERSINFORCE) {
    if (entry.accidental == accidental) return entry.alter;
  }
  return {};
}

}  // namespace

namespace {

Pitch readPitch(ConversionState& cs, std::string_view token, bool grace);
std::string formatAlter(const Pitch& pitch, bool grace);

size_t memoHome(uint64_t key) { return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 55); }

// The token's bytes, its length and the grace flag; 0 for a token not kept.
uint64_t memoKey(std::string_view token, bool grace) {
  if (token.empty() || token.size() > 7) return 0;
  uint64_t key = token.size() | (grace ? 8u : 0u);
  for (size_t i = 0; i < token.size(); ++i)
    key |= static_cast<uint64_t>(static_cast<unsigned char>(token[i])) << (8 * (i + 1));
  return key;
}

}  // namespace

void PitchMemoDelete::operator()(PitchMemo* memo) const { delete memo; }

const Pitch& READPITCH(ConversionState& cs, std::string_view token, bool grace) {
  if (!cs.PITCHES) cs.PITCHES.reset(new PitchMemo);
  PitchMemo& memo = *cs.PITCHES;
  uint64_t key = memoKey(token, grace);
  if (key == 0) {
    memo.unkept = readPitch(cs, token, grace);
    return memo.unkept;
  }
  size_t at = memoHome(key);
  for (; memo.keys[at] != 0; at = (at + 1) % PitchMemo::kSlots) {
    if (memo.keys[at] == key) return memo.pitches[memo.kept[at]];
  }
  Pitch pitch = readPitch(cs, token, grace);  // may stop the run: then nothing is kept
  if (memo.pitches.size() == PitchMemo::kMostKept) {
    memo.keys.fill(0);  // a score of very many tokens: start again
    memo.pitches.clear();
    at = memoHome(key);
  }
  memo.pitches.reserve(PitchMemo::kMostKept);  // kept pitches never move
  memo.keys[at] = key;
  memo.kept[at] = static_cast<uint16_t>(memo.pitches.size());
  memo.pitches.push_back(std::move(pitch));
  return memo.pitches.back();
}

namespace {

Pitch readPitch(ConversionState& cs, std::string_view token, bool grace) {
  ASSERTSORVIK(cs, !token.empty(), "Missing note", cs.FILENAMEIN);
  size_t at = 0;
  while (at + 1 < token.size() && !isDigit(token[at])) ++at;
  ASSERTSORVIK(
      cs, isDigit(token[at]), [&] { return "Wrong note format: \"" + std::string(token) + "\""; }, cs.FILENAMEIN);
  Pitch p;
  p.octave = token[at];
  std::string& r = p.reduced;
  r.reserve(token.size());
  r.append(token.substr(0, at)).append(token.substr(at + 1));
  for (char& c : r) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (grace) {
    size_t so = r.find("so");
    if (so != std::string::npos && r.find("sol") == std::string::npos) {
      r = r.substr(0, so) + "sol" + r.substr(so + 2);
    }
    while (!r.empty() && r.back() == ' ') r.pop_back();
  } else {
    r = std::string(STRIP(r));
  }

  int64_t value = kNoName;
  for (int i = 0; i < 7; ++i) {
    std::string_view name = DOREMI[i];
    if (r.compare(0, name.size(), name) != 0) continue;
    value = NOTENUMBERS53[i];
    p.name = i;
    p.step = DOREMILETTERS[i];
    if (r.size() == name.size() + 2) {
      char sign = r[name.size()];
      ASSERTSORVIK(
          cs, sign == '#' || sign == 'b', [&] { return "Wrong format of note: " + r; }, cs.FILENAMEIN);
      int64_t by = static_cast<unsigned char>(r.back()) - 48;
      value += sign == 'b' ? -by : by;
    }
  }
  if (grace) {
    ASSERTSORVIK(
        cs, value != kNoName, [&] { return "Did not find grace note value \"" + r + "\" in list of 53 notes"; },
        cs.FILENAMEIN);
  } else {
    ASSERTSORVIK(
        cs, value != kNoName, [&] { return "Undefined note level: " + r; }, cs.FILENAMEIN);
  }
  p.commas = value;
  p.accidental = accidentalOf(p.reduced, p.accidentalValid);
  p.alter = formatAlter(p, grace);
  return p;
}

}  // namespace

namespace {
std::string formatAlter(const Pitch& pitch, bool grace) {
  double step = static_cast<double>(NOTESTEPS[pitch.step - 'A']);
  double deviation = static_cast<double>(pitch.commas) / 53.0 * 12.0 - step;
  if (!grace) deviation = deviation - 0.05660377;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.8f", deviation);
  return COMMATOPOINT(buf);
}
}  // namespace

std::string ALTERTEXT(const Pitch& pitch, bool grace) { return formatAlter(pitch, grace); }

std::string_view GETNOTEACCIDENTAL(ConversionState& cs, std::string_view reduced) {
  bool valid;
  std::string_view result = accidentalOf(reduced, valid);
  ASSERTSORVIK(
      cs, valid, [&] { return "No adequate accidental for note: " + std::string(reduced); }, cs.FILENAMEIN);
  return result;
}

std::string_view PRINTNOTEALTER(std::string_view reduced) {
  std::string_view alter;
  if (char c = afterSign(reduced, 'b')) alter = PRINTFLATALTERS[commaCount(c)];
  if (char c = afterSign(reduced, '#')) alter = PRINTSHARPALTERS[commaCount(c)];
  return alter;
}

std::string_view PRINTGRACEALTER(std::string_view accidental, std::string_view computed) {
  for (const auto& entry : GRACEPRINTALTERS) {
    if (entry.accidental == accidental) return entry.alter;
  }
  return computed;
}

void ACCIDENTALDECISION(ConversionState& cs, char step, std::string_view& accidental, std::string_view& alter) {
  TOLDKEY& current = cs.CURRENTOLDKEY;
  const bool print = RULES(cs.OPTIONS).printAlters;
  if (accidental.empty()) {
    if (current.has(step) && current.accidental(step) != "natural") {
      accidental = "natural";
      current.accidental(step) = "natural";
    }
    return;
  }
  const bool inForce = current.has(step) && current.accidental(step) == accidental;
  if (!current.has(step)) current.add(step);
  current.accidental(step) = accidental;
  // For MuseScore a plain flat or sharp has the alter of a whole semitone,
  // written or in force: a flat with -1.5 or a sharp with 0.5 is a pitch
  // that MuseScore's sign does not name, so it drops the sign and then draws
  // signs of its own on the notes after it. A plain sign in force keeps its
  // alter, from the key signature too (without it MuseScore draws and plays
  // a natural); a microtonal one in force loses it, as MuseScore would draw
  // its glyph on every such note.
  if (print && (inForce || !printAlterInForce(accidental).empty())) alter = printAlterInForce(accidental);
  if (inForce) accidental = {};
}

Arrows ARROWS(std::string_view reduced) {
  Arrows a;
  char flat = afterSign(reduced, 'b');
  if (flat == '3' || flat == '7') {
    a.flat = "↑";
  } else if (flat == '2' || flat == '6') {
    a.flat = "↓";
  }
  char sharp = afterSign(reduced, '#');
  if (sharp == '3' || sharp == '7') {
    a.sharp = "↓";
  } else if (sharp == '2' || sharp == '6') {
    a.sharp = "↑";
  }
  return a;
}

namespace {

// What is written of a pitch as read, before the variant and the measure
// have their say.
WrittenPitch writtenAsRead(const Pitch& pitch) {
  WrittenPitch w;
  w.step = pitch.step;
  w.octave = pitch.octave;
  w.reduced = pitch.reduced;
  w.alter = pitch.alter;
  w.accidentalValid = pitch.accidentalValid;
  w.accidental = pitch.accidental;
  return w;
}

// The accidental a note names where every note names one.
std::string_view namedAccidental(std::string_view accidental) { return accidental.empty() ? "natural" : accidental; }

}  // namespace

WrittenPitch WRITTENNOTEPITCH(ConversionState& cs, std::string_view token) {
  const Pitch& pitch = READPITCH(cs, token, false);
  WrittenPitch w = writtenAsRead(pitch);
  if (cs.OPTIONS.arrows) w.arrows = ARROWS(pitch.reduced);
  if (!w.accidentalValid) return w;
  const VariantRules rules = RULES(cs.OPTIONS);
  if (rules.printAlters) w.alter = PRINTNOTEALTER(pitch.reduced);
  ACCIDENTALDECISION(cs, w.step, w.accidental, w.alter);
  if (rules.accidentalOnEveryNote) w.accidental = namedAccidental(pitch.accidental);
  return w;
}

WrittenPitch WRITTENGRACEPITCH(ConversionState& cs, std::string_view token) {
  WrittenPitch w = writtenAsRead(READPITCH(cs, token, true));
  const VariantRules rules = RULES(cs.OPTIONS);
  if (rules.printAlters) w.alter = PRINTGRACEALTER(w.accidental, w.alter);
  if (rules.accidentalOnEveryNote) w.accidental = namedAccidental(w.accidental);
  return w;
}

void CHECKACCIDENTAL(ConversionState& cs, const WrittenPitch& pitch) {
  if (!pitch.accidentalValid) GETNOTEACCIDENTAL(cs, pitch.reduced);  // reports the token
}

}  // namespace sorvik
