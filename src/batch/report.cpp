#include "batch/report.h"

#include <cerrno>
#include <cstring>

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

Report::~Report() {
  if (file_) std::fclose(file_);
}

bool Report::open(const std::string& path, std::string& error) {
  path_ = path;
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) {
    error = "Cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  std::fputs("input,status,line,message,output,notes,bytes,milliseconds\r\n", file_);
  return true;
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
  std::snprintf(ms, sizeof ms, ",%.3f\r\n", o.milliseconds);
  row_ += ms;
  std::fwrite(row_.data(), 1, row_.size(), file_);
}

bool Report::close(std::string& error) {
  if (!file_) return true;
  bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
  int why = errno;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (!ok) error = "Cannot write " + path_ + ": " + std::strerror(why ? why : EIO);
  return ok;
}

}  // namespace sorvik::batch
