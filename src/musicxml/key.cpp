#include "musicxml/key.h"

#include <string_view>

#include "model/key.h"
#include "model/variant.h"
#include "musicxml/xml_text.h"

namespace sorvik {

namespace {

bool isDigit(std::string_view octave) { return octave.size() == 1 && octave[0] >= '0' && octave[0] <= '9'; }

}  // namespace

void MUSICXMLSONGKEY(ConversionState& cs, const std::string& K) {
  const VariantRules rules = RULES(cs.OPTIONS);
  CLEARKEY(cs);
  if (K.size() <= 3) return;
  cs.DATAOUT.line("      <attributes>");
  cs.DATAOUT.line("        <key>");
  std::string_view octave;
  std::string_view rest = K;
  while (!rest.empty()) {
    size_t slash = rest.find('/');
    std::string_view text = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (text.size() <= 3) continue;
    const KeyEntry entry = READKEYENTRY(cs, text);
    cs.DATAOUT.line("        <key-step>", XmlText{entry.letter}, "</key-step>");
    cs.DATAOUT.line("        <key-alter>", entry.alter, "</key-alter>");
    if (rules.keyAccidentals) cs.DATAOUT.line("        <key-accidental>", entry.accidental, "</key-accidental>");
    ENTERKEYENTRY(cs, entry);
    octave = entry.octave;
  }
  // The schema wants an octave 0 to 9.
  if (!rules.schemaValues || isDigit(octave)) {
    cs.DATAOUT.line("        <key-octave number=\"1\">", XmlText{octave}, "</key-octave>");
  }
  cs.DATAOUT.line("        </key>");
  cs.DATAOUT.line("      </attributes>");
}

}  // namespace sorvik
