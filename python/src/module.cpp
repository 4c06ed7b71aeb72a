// The Python module sorvik._sorvik: the converter's library for the package
// in python/sorvik, which adds the Python-side API around it. Conversions run
// with the interpreter's lock released.
#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/string_view.h>
#include <nanobind/stl/vector.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "conversion.h"
#include "ordered_pool.h"

namespace nb = nanobind;
using namespace nb::literals;

namespace sorvik::python {

namespace {

// A file that cannot be read or written, raised as OSError.
struct FileFailure {
  std::string message;  // "Cannot read PATH: REASON", as the tools print it
  std::string path;
};

// OSError(errno, reason, path) when the reason is the system's text for an
// error number, so that Python makes FileNotFoundError and its kin; else
// OSError(message), the message naming the path.
void raiseOsError(const FileFailure& failure) {
  std::string_view message = failure.message;
  size_t colon = message.rfind(": ");
  std::string reason(colon == std::string_view::npos ? message : message.substr(colon + 2));
  int code = 0;
  for (int e = 1; e < 200 && code == 0; ++e) {
    if (reason == std::strerror(e)) code = e;
  }
  PyObject* path = PyUnicode_DecodeFSDefaultAndSize(failure.path.data(), static_cast<Py_ssize_t>(failure.path.size()));
  PyObject* error = code != 0 ? PyObject_CallFunction(PyExc_OSError, "isO", code, reason.c_str(), path)
                              : PyObject_CallFunction(PyExc_OSError, "s", failure.message.c_str());
  if (error) PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error)), error);
  Py_XDECREF(error);
  Py_XDECREF(path);
}

// Text from the converter: UTF-8, with any other byte kept as a lone
// surrogate (as Python keeps file names), so that nothing is lost.
nb::str text(std::string_view s) {
  PyObject* o = PyUnicode_DecodeUTF8(s.data(), static_cast<Py_ssize_t>(s.size()), "surrogateescape");
  if (!o) throw nb::python_error();
  return nb::steal<nb::str>(o);
}

std::string bytesOf(const nb::bytes& b) { return std::string(b.c_str(), b.size()); }

// A str or os.PathLike as the file system's bytes.
std::string fsPath(nb::handle path) {
  nb::object p = nb::steal(PyOS_FSPath(path.ptr()));
  if (!p.is_valid()) throw nb::python_error();
  if (!nb::isinstance<nb::bytes>(p)) p = nb::steal(PyUnicode_EncodeFSDefault(p.ptr()));
  if (!p.is_valid()) throw nb::python_error();
  return bytesOf(nb::borrow<nb::bytes>(p));
}

// A source as the package hands it over: (name, path, data) with the name
// and path as bytes and one of path and data None.
Source sourceOf(const nb::handle& item) {
  nb::tuple t = nb::cast<nb::tuple>(item);
  Source s;
  s.name = bytesOf(nb::cast<nb::bytes>(t[0]));
  if (!t[1].is_none()) {
    s.path = bytesOf(nb::cast<nb::bytes>(t[1]));
    s.isPath = true;
  } else {
    nb::bytes data = nb::cast<nb::bytes>(t[2]);
    s.bytes = std::string_view(data.c_str(), data.size());
  }
  return s;
}

// One conversion's result as Python sees it. The document becomes a bytes
// object when it is first asked for, so that it is held once.
class PyResult {
 public:
  PyResult(Conversion c, std::string name, std::shared_ptr<BufferRecycler> recycler = {})
      : c_(std::move(c)), name_(std::move(name)), recycler_(std::move(recycler)) {}
  PyResult(PyResult&&) = default;
  ~PyResult() {
    if (recycler_) recycler_->give(std::move(c_.document));
  }

  nb::bytes document() {
    if (!documentBytes_.is_valid()) {
      documentBytes_ = nb::bytes(c_.document.data(), c_.document.size());
      std::string().swap(c_.document);
    }
    return nb::borrow<nb::bytes>(documentBytes_);
  }
  std::string_view documentView() const {
    if (!documentBytes_.is_valid()) return c_.document;
    nb::bytes b = nb::borrow<nb::bytes>(documentBytes_);
    return std::string_view(b.c_str(), b.size());
  }
  const Result& result() const { return c_.result; }
  const std::string& name() const { return name_; }

 private:
  Conversion c_;
  std::string name_;
  std::shared_ptr<BufferRecycler> recycler_;  // where the document's buffer goes back to, if anywhere
  nb::object documentBytes_;
};

// Raises OSError when a score file could not be read, MemoryError when a
// conversion ran out of memory.
nb::object resultOf(Conversion c, const Source& source, std::shared_ptr<BufferRecycler> recycler = {}) {
  if (c.unreadable) throw FileFailure{c.result.ioError, source.path};
  if (!c.result.ioError.empty()) throw std::bad_alloc();
  return nb::cast(PyResult(std::move(c), source.name, std::move(recycler)));
}

// Conversions of many sources, kept alive with the bytes they read.
struct PyPool {
  nb::list keep;  // the sources' Python objects; declared first, so destroyed after the pool
  std::unique_ptr<OrderedPool> pool;
};

const char* kindName(DiagnosticKind kind) { return kind == DiagnosticKind::Error ? "error" : "warning"; }

void bindDiagnostic(nb::module_& m) {
  nb::class_<Diagnostic>(m, "Diagnostic", "An error or a warning of a conversion.")
      .def_prop_ro(
          "kind", [](const Diagnostic& d) { return kindName(d.kind); }, "\"error\" or \"warning\".")
      .def_prop_ro(
          "line", [](const Diagnostic& d) { return d.line; },
          "The count of non-empty lines read when it was raised (it can name a line a few lines "
          "before the one at fault).")
      .def_prop_ro(
          "message", [](const Diagnostic& d) { return text(d.message); },
          "The text after \"Error in Line 000012: \" or \"Warning in Line 000012: \".")
      .def("__repr__", [](const Diagnostic& d) {
        return nb::str("Diagnostic(kind={!r}, line={}, message={!r})")
            .format(kindName(d.kind), d.line, text(d.message));
      });
}

void bindHint(nb::module_& m) {
  nb::class_<Hint>(m, "Hint", "A line that converted without a message into what its writer probably did not mean.")
      .def_prop_ro(
          "line", [](const Hint& h) { return h.line; }, "The count of non-empty lines read, as in a Diagnostic.")
      .def_prop_ro(
          "kind", [](const Hint& h) { return h.kind; },
          "A short fixed name of the trap, such as \"position-point-zero\".")
      .def_prop_ro(
          "text", [](const Hint& h) { return text(h.text); },
          "What the converter did and how to write what was probably meant.")
      .def("__repr__", [](const Hint& h) {
        return nb::str("Hint(line={}, kind={!r}, text={!r})").format(h.line, h.kind, text(h.text));
      });
}

void bindResult(nb::module_& m) {
  nb::class_<PyResult>(m, "Result", "What one conversion gave: the document, the messages and the counts.")
      .def_prop_ro("document", &PyResult::document,
                   "The MusicXML document, as the tools write it (unfinished, with the error as its last line, "
                   "after an error).")
      .def_prop_ro(
          "status", [](const PyResult& r) { return r.result().status; },
          "The tools' exit status: 0 at the normal end, 1 after an error.")
      .def_prop_ro(
          "ok", [](const PyResult& r) { return r.result().status == 0; },
          "True when the conversion ended normally (with a warning at most).")
      .def_prop_ro(
          "diagnostics",
          [](const PyResult& r) {
            nb::list out;
            for (const Diagnostic& d : r.result().diagnostics) out.append(nb::cast(d));
            return out;
          },
          "The error and the warning, as data; an error is always the last.")
      .def_prop_ro(
          "hints",
          [](const PyResult& r) {
            nb::list out;
            for (const Hint& h : r.result().hints) out.append(nb::cast(h));
            return out;
          },
          "Lines that converted without a message into what was probably not meant, in the order of their lines "
          "(docs/messages.md, \"Hints\").")
      .def_prop_ro(
          "console", [](const PyResult& r) { return text(r.result().console); },
          "What SorvikToMusicXml prints for the same score and options, from the banner to \"Lines:\".")
      .def_prop_ro(
          "lines", [](const PyResult& r) { return r.result().lines; }, "Non-empty lines interpreted.")
      .def_prop_ro(
          "notes", [](const PyResult& r) { return r.result().notes; },
          "Notes written, grace notes included (rests are not notes).")
      .def_prop_ro(
          "text_replaced", [](const PyResult& r) { return r.result().textReplaced; },
          "Text bytes that are not UTF-8 went into the document as U+FFFD (try encoding=\"windows-1254\").")
      .def_prop_ro(
          "name", [](const PyResult& r) { return text(r.name()); },
          "The score's name in the messages and in the document.")
      .def(
          "save",
          [](const PyResult& r, nb::handle path) {
            std::string p = fsPath(path);
            std::string_view document = r.documentView();
            try {
              nb::gil_scoped_release unlocked;
              saveDocument(p, document);
            } catch (const IoError& failure) {
              throw FileFailure{failure.what(), p};
            }
          },
          "path"_a, "Writes the document to the file at `path` (str or os.PathLike); raises OSError.")
      .def("__repr__", [](const PyResult& r) {
        return nb::str("<sorvik.Result {!r}: status {}, {} lines, {} notes, {} diagnostics>")
            .format(text(r.name()), r.result().status, r.result().lines, r.result().notes,
                    r.result().diagnostics.size());
      });
}

}  // namespace

NB_MODULE(_sorvik, m) {
  m.doc() = "The converter's library; use the package sorvik.";
  nb::register_exception_translator([](const std::exception_ptr& p, void*) {
    try {
      std::rethrow_exception(p);
    } catch (const FileFailure& failure) {
      raiseOsError(failure);
    }
  });
  m.attr("banner") = std::string(bannerLine());
  bindDiagnostic(m);
  bindHint(m);
  bindResult(m);

  nb::class_<Settings>(m, "Settings", "The options of a conversion, checked.")
      .def(
          "__init__",
          [](Settings* s, std::string_view variant, bool arrows, bool strictBars, int64_t instrument,
             std::string_view encoding) {
            new (s) Settings(settingsFrom(variant, arrows, strictBars, instrument, encoding));
          },
          nb::kw_only(), "variant"_a, "arrows"_a, "strict_bars"_a, "instrument"_a, "encoding"_a);

  m.def(
      "command_line_keywords",
      [](const std::vector<nb::bytes>& args) {
        std::vector<std::string> list;
        for (const nb::bytes& a : args) list.push_back(bytesOf(a));
        const Options o = parseCommandLine(list);
        nb::dict keywords;
        keywords["variant"] = variantName(o);
        keywords["arrows"] = o.arrows;
        keywords["strict_bars"] = o.strictBars;
        keywords["instrument"] = o.instrument;
        return keywords;
      },
      "args"_a, "The keyword arguments of convert() that the arguments of SorvikToMusicXml ask for.");

  m.def(
      "convert",
      [](const Settings& settings, nb::tuple source) {
        Source s = sourceOf(source);
        Conversion c;
        {
          nb::gil_scoped_release unlocked;
          c = convertSource(s, settings);
        }
        return resultOf(std::move(c), s);
      },
      "settings"_a, "source"_a, "Converts one source: (name, path, data) as bytes, one of path and data None.");

  nb::class_<PyPool>(m, "Pool", "Conversions of many sources on worker threads, taken in order.")
      .def(
          "__init__",
          [](PyPool* p, const Settings& settings, nb::list sources, unsigned jobs) {
            new (p) PyPool();
            p->keep = sources;
            std::vector<Source> list;
            for (nb::handle item : sources) list.push_back(sourceOf(item));
            p->pool = std::make_unique<OrderedPool>(std::move(list), settings, jobs);
          },
          "settings"_a, "sources"_a, "jobs"_a)
      .def(
          "next",
          [](PyPool& p) -> nb::object {
            Conversion c;
            size_t index = 0;
            bool more;
            {
              nb::gil_scoped_release unlocked;
              more = p.pool->next(c, index);
            }
            if (!more) return nb::none();
            return resultOf(std::move(c), p.pool->source(index), p.pool->recycler());
          },
          "The next source's result in order (OSError for a file that cannot be read); None after the last.");
}

}  // namespace sorvik::python
