// What is settled before the first conversion: no file of the run may be
// lost to another's output.
#pragma once

#include <vector>

#include "batch/batch_options.h"
#include "batch/walk.h"
#include "batch/worker_pool.h"

namespace sorvik::batch {

// Throws UsageError when the report would take the place of a score of the
// run, of a document the run writes, or of a file below the --errors folder.
void checkReportPath(const BatchOptions& options, const std::vector<InputFile>& files, const FileConverter& converter);

// Marks each file whose document would take the path of an earlier file's
// (files in path order): only the first is converted.
void markSameDocuments(std::vector<InputFile>& files, const FileConverter& converter);

}  // namespace sorvik::batch
