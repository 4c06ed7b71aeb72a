#include "batch/report.h"

#include <cstdio>

#include <sorvik/files.h>

namespace sorvik::batch {

std::string_view statusName(Status status) {
  switch (status) {
    case Status::Converted: return "converted";
    case Status::Warning: return "warning";
    case Status::Error: return "error";
    case Status::Unreadable: return "unreadable";
  }
  return "error";
}

std::string csvField(std::string_view text) {
  std::string valid = validUtf8(text);
  if (valid.find_first_of(",\"\r\n") == std::string::npos) return valid;
  std::string quoted = "\"";
  for (char c : valid) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string hintsField(const std::vector<Hint>& hints) {
  std::string text;
  for (const Hint& h : hints) {
    if (!text.empty()) text += '\n';
    text += "line " + std::to_string(h.line) + ": " + h.text;
  }
  return text;
}

bool Report::open(const std::string& path, std::string& error) {
  file_ = std::make_unique<DocumentFile>(path);
  try {
    file_->open();
  } catch (const IoError& e) {
    file_.reset();
    error = e.what();
    return false;
  }
  pending_ = "input,status,line,message,output,notes,bytes,milliseconds,encoding,hints\r\n";
  return true;
}

// Rows go out in blocks; a failed write is kept for close() to say.
void Report::flush() {
  if (!file_ || !error_.empty() || pending_.empty()) return;
  try {
    file_->write(pending_);
  } catch (const IoError& e) {
    error_ = e.what();
    file_->discard();
  }
  pending_.clear();
}

void Report::field(std::string_view text) {
  if (!row_.empty()) row_ += ',';
  row_ += csvField(text);
}

void Report::add(const std::string& input, const Outcome& o) {
  if (!file_) return;
  row_.clear();
  field(input);
  row_ += ',';  // the status needs no quoting, and starts the row after the input
  row_ += statusName(o.status);
  row_ += ',';
  if (o.line >= 0) row_ += std::to_string(o.line);
  field(o.message);
  field(o.output);
  row_ += ',';
  if (o.counted) row_ += std::to_string(o.notes);
  row_ += ',';
  if (o.counted) row_ += std::to_string(o.bytes);
  char ms[32];
  std::snprintf(ms, sizeof ms, ",%.3f", o.milliseconds);
  row_ += ms;
  field(o.encoding);
  field(hintsField(o.hints));
  row_ += "\r\n";
  pending_ += row_;
  if (pending_.size() >= (1 << 16)) flush();
}

bool Report::close(std::string& error) {
  if (!file_) return true;
  flush();
  if (error_.empty()) {
    try {
      file_->commit();
    } catch (const IoError& e) {
      error_ = e.what();
    }
  }
  file_.reset();
  error = error_;
  return error_.empty();
}

}  // namespace sorvik::batch
