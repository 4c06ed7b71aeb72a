#include <gtest/gtest.h>

#include <sstream>

#include "driver/run.h"

// The converter runs in-process, more than once.
TEST(Run, RunsTwiceInOneProcess) {
  for (int i = 0; i < 2; ++i) {
    std::ostringstream console;
    std::istringstream keyboard;
    EXPECT_EQ(0, sorvik::runConverter({}, console, keyboard));
  }
}
