// The two ways the converter reports a problem in the input. An error ends
// the run (not the process): ASSERTSORVIK throws RunEnd, which the run turns
// into its exit status.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>

#include "driver/state.h"

namespace sorvik {

struct RunEnd {
  int status;
};

// Reports the error S and ends the run: two console lines, the error line at
// the end of the output file, the wait for Enter (not with -q or -Q), and a
// copy of the file FILENAME into the folder Errors.
[[noreturn]] void STOPSORVIK(ConversionState& cs, std::string_view S, const std::string& FILENAME);
void PRINTWARNING(ConversionState& cs, std::string_view S);

// B must hold, or the run stops with message S. S may be a text or a function
// that makes the text, so that a message is only built when it is needed.
template <class Message>
void ASSERTSORVIK(ConversionState& cs, bool B, const Message& S, const std::string& FILENAME) {
  if (B) return;
  if constexpr (std::is_invocable_v<Message>) {
    STOPSORVIK(cs, S(), FILENAME);
  } else {
    STOPSORVIK(cs, S, FILENAME);
  }
}

// B should hold; if not, the first warning of the run is printed (never with
// -Q) and the run goes on.
template <class Message>
void WARNINGSORVIK(ConversionState& cs, bool B, const Message& S) {
  if (B || cs.WARNING || cs.SWITCH2("-Q")) return;
  if constexpr (std::is_invocable_v<Message>) {
    PRINTWARNING(cs, S());
  } else {
    PRINTWARNING(cs, S);
  }
}

// Copies the input file to Errors/<name>: never over an existing copy, never
// outside that folder, silently skipped when it cannot be made.
void copyIntoErrors(const std::string& name);

// Reads one line of the keyboard (the user presses Enter); a closed or empty
// input ends the wait at once.
void waitForEnter(ConversionState& cs);

}  // namespace sorvik
