#include "conversion.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace sorvik::python {

namespace {

// The output variants by their Python names.
struct VariantName {
  Variant variant;
  const char* name;
};
constexpr VariantName kVariants[] = {
    {Variant::Exact, "exact"}, {Variant::MuseScorePrint, "musescore"}, {Variant::Music21, "music21"}};

// The document, kept in memory.
class StringSink : public DocumentSink {
 public:
  explicit StringSink(std::string& document) : document_(document) {}
  void write(std::string_view bytes) override { document_.append(bytes); }

 private:
  std::string& document_;
};

// A score already in memory.
class MemorySource : public InputSource {
 public:
  explicit MemorySource(std::string text) : text_(std::move(text)), rest_(text_) {}
  size_t read(char* buffer, size_t size) override {
    size_t n = std::min(size, rest_.size());
    std::memcpy(buffer, rest_.data(), n);
    rest_.remove_prefix(n);
    return n;
  }

 private:
  std::string text_;
  std::string_view rest_;
};

[[noreturn]] void fail(const std::string& what, const std::string& path, int error) {
  throw IoError(what + path + ": " + std::strerror(error));
}

// The score file at `path` as a source, transcoded to UTF-8.
std::unique_ptr<InputSource> openScore(const std::string& path, Encoding encoding) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fail("Cannot open ", path, errno);
  struct stat st;
  std::string text;
  char block[1 << 16];
  ssize_t n = 0;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    n = -1;
  } else {
    while ((n = ::read(fd, block, sizeof block)) > 0 || (n < 0 && errno == EINTR)) {
      if (n > 0) text.append(block, static_cast<size_t>(n));
    }
  }
  int error = errno;
  ::close(fd);
  if (n < 0) fail("Cannot read ", path, error);
  return std::make_unique<MemorySource>(toUtf8(text, encoding));
}

}  // namespace

const char* variantName(const Options& options) {
  for (const VariantName& v : kVariants) {
    if (v.variant == options.variant) return v.name;
  }
  return "exact";
}

Settings settingsFrom(std::string_view variant, bool arrows, bool strictBars, int64_t instrument,
                      std::string_view encoding) {
  Settings s;
  auto known =
      std::find_if(std::begin(kVariants), std::end(kVariants), [&](const VariantName& v) { return variant == v.name; });
  if (known == std::end(kVariants)) {
    throw std::invalid_argument("variant must be \"exact\", \"musescore\" or \"music21\", not \"" +
                                std::string(variant) + "\"");
  }
  s.options.variant = known->variant;
  s.options.arrows = arrows;
  s.options.strictBars = strictBars;
  s.options.instrument = instrument;
  if (!encodingByName(encoding, s.encoding)) {
    throw std::invalid_argument(
        "encoding must be \"utf-8\" or \"windows-1254\" (also \"cp1254\", \"iso-8859-9\", "
        "\"latin5\"), not \"" +
        std::string(encoding) + "\"");
  }
  return s;
}

Conversion convertSource(const Source& source, const Settings& settings) {
  Conversion c;
  Options options = settings.options;
  options.inputName = source.name;
  if (!source.isPath()) {
    if (settings.encoding == Encoding::Utf8) {
      c.result = convert(source.bytes, options, c.document);
    } else {
      c.result = convert(toUtf8(source.bytes, settings.encoding), options, c.document);
    }
    return c;
  }
  StringSink sink(c.document);
  try {
    std::unique_ptr<InputSource> input = openScore(source.path, settings.encoding);
    c.result = convert(*input, sink, options);
  } catch (const IoError& failure) {
    c.result.status = 1;
    c.result.ioError = failure.what();
  }
  return c;
}

void saveDocument(const std::string& path, std::string_view document) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) fail("Cannot create ", path, errno);
  while (!document.empty()) {
    ssize_t n = ::write(fd, document.data(), document.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int error = errno;
      ::close(fd);
      fail("Cannot write ", path, error);
    }
    document.remove_prefix(static_cast<size_t>(n));
  }
  if (::close(fd) != 0) fail("Cannot write ", path, errno);
}

}  // namespace sorvik::python
