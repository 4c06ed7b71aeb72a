#include "core/diagnostics.h"

#include <ostream>

#include "core/text.h"

namespace sorvik {

void STOPSORVIK(ConversionState& cs, std::string_view S, const std::string& FILENAME) {
  std::string number = lineNumberText(cs.LINENUMBER);
  *cs.CONSOLE << "Error in File " << cs.FILENAMEIN << '\n';
  *cs.CONSOLE << "Error in Line " << number << ": " << S << ": " << '\n';
  cs.DIAGNOSTICS.push_back({DiagnosticKind::Error, cs.LINENUMBER, std::string(S)});
  // One message asks for no copy of the input: it names no file.
  cs.COPYINPUT = !FILENAME.empty();
  cs.DATAOUT.line("Error in Line ", number, ": ", S);
  cs.DATAOUT.close();
  throw RunEnd{1};
}

void PRINTWARNING(ConversionState& cs, std::string_view S) {
  cs.WARNING = true;
  cs.DIAGNOSTICS.push_back({DiagnosticKind::Warning, cs.LINENUMBER, std::string(S)});
  *cs.CONSOLE << "Warning in Line " << lineNumberText(cs.LINENUMBER) << ": " << S << ": " << cs.FILENAMEIN << '\n';
}

void READLINE(ConversionState& cs, std::string& line) {
  if (cs.DATAIN.readLine(line)) return;
  line.clear();
  STOPSORVIK(cs, "Line longer than " + std::to_string(LineReader::kLongestLine) + " bytes", cs.FILENAMEIN);
}

}  // namespace sorvik
