// Measure boundaries and their numbering, barlines, directions, time
// signatures and metronome marks.
#pragma once

#include <cstdint>
#include <string>

#include "core/state.h"

namespace sorvik {

// Opens the measure that MEASURENUMBER names when it differs from the open one.
void CHECKMEASURE(ConversionState& cs);
void MUSICXMLMEASURECHANGE(ConversionState& cs, int64_t MEASURENUMBER, int64_t MEASURENUMBEROFFSET);
void MUSICXMLMEASURE(ConversionState& cs, int64_t MEASURENUMBER);
void MUSICXMLMEASUREEND(ConversionState& cs);

void MUSICXMLREPEATBEGIN(ConversionState& cs);
void MUSICXMLREPEATEND(ConversionState& cs);
void MUSICXMLVOLTASTART(ConversionState& cs, int64_t I);
void MUSICXMLVOLTASTOP(ConversionState& cs, int64_t I);

void MUSICXMLSEGNO(ConversionState& cs);
void MUSICXMLTOSEGNO(ConversionState& cs);
void MUSICXMLSEGNORETURN(ConversionState& cs);
void MUSICXMLCRESCENDO(ConversionState& cs);
void MUSICXMLDIMINUENDO(ConversionState& cs);
void MUSICXMLCRESCENDODIMINUENDOEND(ConversionState& cs);
void MUSICXMLDYNAMICS(ConversionState& cs, std::string_view S);

void MUSICXMLCHANGEBEAT(ConversionState& cs, int64_t BEATS, int64_t BEATTYPE);
void MUSICXMLCHANGETEMPO(ConversionState& cs, const std::string& TEMPO, int64_t BEATTYPE);

}  // namespace sorvik
