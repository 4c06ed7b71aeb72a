// Converts the score on standard input to the MuseScore print variant; the
// argument names the score in messages and in the document.
#include <sorvik/convert.h>

#include <iostream>
#include <iterator>

int main(int argc, char** argv) {
  std::string score{std::istreambuf_iterator<char>(std::cin), {}};
  sorvik::Options options = sorvik::parseCommandLine({argc > 1 ? argv[1] : "song.sv2", "-P"});
  std::string document;
  sorvik::Result result = sorvik::convert(score, options, document);
  for (const sorvik::Diagnostic& d : result.diagnostics) std::cerr << d.line << ": " << d.message << '\n';
  std::cout << document;
  return result.status;
}
