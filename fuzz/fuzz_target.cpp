// libFuzzer target: whole conversions, in-process, of arbitrary bytes with a
// command line drawn from the converter's switches (see one_run.h). A crash,
// a sanitizer report, a leak, a hang, a file written where it must not be, or
// a run that ends with status 0 and leaves a document that is not well-formed
// XML is a finding; so is a music21-variant document of the same score, made
// by the library, that ends with status 0 and is not well-formed.
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "one_run.h"
#include "sorvik/convert.h"

namespace {
std::filesystem::path gRoot;

// Every error libxml2 reports while it parses counts, not only the fatal
// ones: with an external DTD that is not read, an undefined entity such as
// "&nbsp;" is an error that leaves the document "well-formed" for libxml2,
// yet no reader that knows no such entity can open it.
void countError(void* context, xmlErrorPtr error) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(context);
  if (error->level >= XML_ERR_ERROR) {
    auto* first = static_cast<std::string*>(ctxt->_private);
    if (first->empty()) first->assign(error->message ? error->message : "an error without a message");
  }
}

// What makes `document` no well-formed XML, or an empty text.
std::string xmlProblem(const std::string& document) {
  xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
  if (!ctxt) abort();
  std::string problem;
  ctxt->_private = &problem;
  ctxt->sax->serror = countError;
  xmlDocPtr doc = xmlCtxtReadMemory(ctxt, document.data(), static_cast<int>(document.size()), "document.xml", nullptr,
                                    XML_PARSE_NONET | XML_PARSE_NOWARNING);
  if (!doc && problem.empty()) problem = "not parsed";
  if (!ctxt->wellFormed && problem.empty()) problem = "not well-formed";
  xmlFreeDoc(doc);
  xmlFreeParserCtxt(ctxt);
  return problem;
}
void expectWellFormed(const std::string& document, const char* variant) {
  std::string problem = xmlProblem(document);
  if (!problem.empty()) {
    fprintf(stderr, "the run ended with status 0, but its document%s is no well-formed XML: %s\n", variant,
            problem.c_str());
    abort();
  }
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char tmpl[] = "/tmp/sorvik-fuzz-XXXXXX";
  if (!mkdtemp(tmpl)) abort();
  gRoot = tmpl;
  xmlInitParser();
  // The check must see what it is for: a head as the converter writes it,
  // with an undefined entity, with bytes that are no UTF-8, and "]]>".
  const std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!DOCTYPE score-partwise PUBLIC "
      "\"-//Recordare//DTD MusicXML 3.0 Partwise//EN\" \"http://www.musicxml.org/dtds/partwise.dtd\">\r\n"
      "<score-partwise version=\"3.0\"><work><work-title>";
  const std::string tail = "</work-title></work></score-partwise>\r\n";
  if (!xmlProblem(head + "Ali &amp; Veli &#231;" + tail).empty() || xmlProblem(head + "x&nbsp;y" + tail).empty() ||
      xmlProblem(head +
                 "\xDE"
                 "ark\xFD" +
                 tail)
          .empty() ||
      xmlProblem(head + "a]]>b" + tail).empty()) {
    fprintf(stderr, "the well-formedness check does not tell good documents from bad ones\n");
    abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int status = -1;
  std::string document;
  std::string broken = sorvikfuzz::runOne(data, size, gRoot, &status, nullptr, &document);
  if (!broken.empty()) {
    fprintf(stderr, "the run did not keep to its files: %s\n", broken.c_str());
    abort();
  }
  if (status == 0) expectWellFormed(document, "");
  if (size > 0) {
    // The same score in the music21 variant, through the library.
    sorvik::Options options = sorvik::parseCommandLine({"s.sv2", "-A"});
    options.variant = sorvik::Variant::Music21;
    std::string music21;
    const std::string_view score(reinterpret_cast<const char*>(data), size - 1);
    if (sorvik::convert(score, options, music21).status == 0) expectWellFormed(music21, " (music21 variant)");
  }
  return 0;
}
