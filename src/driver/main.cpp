// Entry point: the run's end becomes the process's exit status.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "sorvik/single_tool.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = sorvik::runCommandLine(args, std::cout, std::cin, ::isatty(STDOUT_FILENO) != 0);
  std::cout.flush();
  return status;
}
