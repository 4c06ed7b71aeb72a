// The command-line tool as a function, so that tests run it in-process:
// the API conversion plus the files, the Errors copy and the waits.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace sorvik {

// Converts the score named by args[0] as the command line asks (args are the
// arguments after the program name). Console text goes to `console`; the
// waits for Enter read one line of `keyboard`. When `terminal` (the console
// is a terminal), control characters that come from the score are shown
// escaped. Returns the exit status: 0 at the normal end, 1 after an error.
int runCommandLine(const std::vector<std::string>& args, std::ostream& console, std::istream& keyboard,
                   bool terminal = false);

}  // namespace sorvik
