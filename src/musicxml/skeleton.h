// The frame of the document: the head up to the opening of measure 1, and the
// three lines that close it.
#pragma once

#include <string>

#include "core/state.h"

namespace sorvik {

void MUSICXMLHEADER(ConversionState& cs, const std::string& SONGNAME, const std::string& SONGCOMPOSER,
                    const std::string& SONGTEXTWRITER, const std::string& SONGSUBTITLE, const std::string& SONGTYPE,
                    int64_t INSTRUMENT, const std::string& FILENAME);
void MUSICXMLEND(ConversionState& cs);

}  // namespace sorvik
