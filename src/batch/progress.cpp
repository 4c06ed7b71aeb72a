#include "batch/progress.h"

namespace sorvik::batch {

namespace {

std::string count(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string duration(double seconds) {
  long s = static_cast<long>(seconds + 0.5);
  char text[32];
  if (s >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  }
  return text;
}

}  // namespace

std::string progressLine(const Tally& tally, size_t total, double seconds) {
  constexpr int kWidth = 24;
  int filled = total == 0 ? kWidth : static_cast<int>(kWidth * tally.done / total);
  std::string line(1, '[');
  line.append(static_cast<size_t>(filled), '#').append(static_cast<size_t>(kWidth - filled), '.').append("] ");
  line += std::to_string(tally.done) + "/" + std::to_string(total) + " files, ";
  line += count(tally.warnings, "warning", "warnings") + ", " + count(tally.errors, "error", "errors");
  if (seconds > 0 && tally.done > 0) {
    double rate = static_cast<double>(tally.done) / seconds;
    char text[64];
    std::snprintf(text, sizeof text, ", %.0f files/s, ", rate);
    line += text;
    line += duration(static_cast<double>(total - tally.done) / rate) + " left";
  }
  return line;
}

ProgressBar::ProgressBar(std::FILE* out, bool enabled, size_t total)
    : out_(out), enabled_(enabled), total_(total), start_(std::chrono::steady_clock::now()) {}

void ProgressBar::update(const Tally& tally, bool force) {
  if (!enabled_) return;
  auto now = std::chrono::steady_clock::now();
  if (drawn_ && !force && now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  drawn_ = true;
  double seconds = std::chrono::duration<double>(now - start_).count();
  std::string line(1, '\r');
  line += progressLine(tally, total_, seconds);
  line += "\x1b[K";
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
}

void ProgressBar::clear() {
  if (!enabled_ || !drawn_) return;
  std::fputs("\r\x1b[K", out_);
  std::fflush(out_);
}

std::string summaryLine(const Totals& t, size_t total, double seconds, bool interrupted,
                        const std::string& reportFile) {
  char time[32];
  std::snprintf(time, sizeof time, "%.1f", seconds);
  std::string line = interrupted
                         ? "Interrupted after " + std::to_string(t.files) + " of " + count(total, "file", "files")
                         : count(t.files, "file", "files");
  line += std::string(" in ") + time + " s: " + std::to_string(t.converted) + " converted, " +
          std::to_string(t.warnings) + " with a warning, " + std::to_string(t.errors) + " with an error";
  if (t.unreadable > 0) line += ", " + std::to_string(t.unreadable) + " unreadable";
  if (!reportFile.empty()) line += " (" + reportFile + ")";
  return line;
}

}  // namespace sorvik::batch
