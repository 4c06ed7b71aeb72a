#include "driver/run.h"

namespace sorvik {
int runConverter(const std::vector<std::string>&, std::ostream&, std::istream&) { return 0; }
}  // namespace sorvik
