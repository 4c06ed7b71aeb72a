// The two ways the converter reports a problem in the input. An error ends
// the run (not the process): ASSERTSORVIK throws RunEnd, which the run turns
// into its exit status.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>

#include "core/state.h"

namespace sorvik {

struct RunEnd {
  int status;
};

// Reports the error S and ends the run: two console lines, the error line at
// the end of the output file, and the error among the run's diagnostics (the
// command line then waits for Enter and copies the input into Errors).
[[noreturn]] void STOPSORVIK(ConversionState& cs, std::string_view S, const std::string& FILENAME);
void PRINTWARNING(ConversionState& cs, std::string_view S);

// Reads the next line of the input into `line`; a line longer than the
// reader holds is an error, so that memory stays bounded.
void READLINE(ConversionState& cs, std::string& line);

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
  if (B || cs.WARNING || cs.OPTIONS.silent) return;
  if constexpr (std::is_invocable_v<Message>) {
    PRINTWARNING(cs, S());
  } else {
    PRINTWARNING(cs, S);
  }
}

}  // namespace sorvik
