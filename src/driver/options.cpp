// The command line read once into the options of a run, by the positions
// at which each switch counts, and the output name that follows from it.
#include <string>
#include <vector>

#include "input/numbers.h"
#include "model/variant.h"
#include "sorvik/convert.h"

namespace sorvik {

Options parseCommandLine(const std::vector<std::string>& args) {
  // Argument n, counted from 1 after the program name; empty when absent.
  auto arg = [&args](size_t n) -> std::string_view {
    return n >= 1 && n <= args.size() ? std::string_view(args[n - 1]) : std::string_view();
  };
  Options o;
  if (!args.empty()) o.inputName = args[0];
  // Argument 2 holds at most one of these.
  const std::string_view second = args.size() >= 2 ? arg(2) : std::string_view();
  o.quiet = second == "-q";
  o.silent = second == "-Q";
  o.waitAtEnd = second == "-R";
  o.strictBars = second == "-M";
  if (second == "-P") o.variant = Variant::MuseScorePrint;
  // -I with its number as arguments 2 and 3, or 3 and 4 (the later wins).
  if (args.size() > 2 && arg(2) == "-I") o.instrument = STRINGTOINT(arg(3));
  if (args.size() > 3 && arg(3) == "-I") o.instrument = STRINGTOINT(arg(4));
  for (size_t n = 2; n <= 4; ++n) o.arrows = o.arrows || arg(n) == "-A";
  return o;
}

std::string outputName(const std::string& inputName, Variant variant) {
  size_t at = inputName.find(".sv2");
  std::string out = at == std::string::npos ? inputName : inputName.substr(0, at + 1);
  return out.append(VARIANTRULES[static_cast<int>(variant)].suffix);
}

}  // namespace sorvik
