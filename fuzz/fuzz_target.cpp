// libFuzzer target: whole conversions, in-process, of arbitrary bytes with a
// command line drawn from the converter's switches (see one_run.h). A crash,
// a sanitizer report, a leak, a hang, or a file written where it must not be
// is a finding.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "one_run.h"

namespace {
std::filesystem::path gRoot;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char tmpl[] = "/tmp/sorvik-fuzz-XXXXXX";
  if (!mkdtemp(tmpl)) abort();
  gRoot = tmpl;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string broken = sorvikfuzz::runOne(data, size, gRoot);
  if (!broken.empty()) {
    fprintf(stderr, "the run did not keep to its files: %s\n", broken.c_str());
    abort();
  }
  return 0;
}
