#include "facts.h"

#include <sstream>

namespace readers {

namespace {

// The text of the first <name ...>text</name> in part, from `at` on; empty
// when there is none.
std::string element(const std::string& part, const std::string& name, size_t at = 0) {
  size_t open = part.find("<" + name, at);
  while (open != std::string::npos) {
    char next = part[open + 1 + name.size()];
    if (next == '>' || next == ' ') break;
    open = part.find("<" + name, open + 1);
  }
  if (open == std::string::npos) return "";
  size_t start = part.find('>', open);
  if (start == std::string::npos || part[start - 1] == '/') return "";
  size_t end = part.find("</" + name + ">", start);
  return end == std::string::npos ? "" : part.substr(start + 1, end - start - 1);
}

bool has(const std::string& part, const std::string& text) { return part.find(text) != std::string::npos; }

std::string unescape(std::string text) {
  static const std::pair<const char*, const char*> kEntities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
  for (const auto& [entity, character] : kEntities) {
    for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1)) {
      text.replace(at, std::string(entity).size(), character);
    }
  }
  return text;
}

Note noteOf(const std::string& part) {
  Note n;
  n.step = element(part, "step");
  n.octave = element(part, "octave");
  std::string alter = element(part, "alter");
  n.alter = alter.empty() ? std::string("0") : alter;
  n.accidental = element(part, "accidental");
  bool start = has(part, "<tie type=\"start\""), stop = has(part, "<tie type=\"stop\"");
  n.tie = start && stop ? "continue" : start ? "start" : stop ? "stop" : "";
  for (size_t at = part.find("<lyric"); at != std::string::npos; at = part.find("<lyric", at + 1)) {
    n.lyrics.push_back(unescape(element(part, "text", at)));
  }
  return n;
}

long countOf(const std::string& text, const std::string& what) {
  long n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

Facts documentFacts(const std::string& xml) {
  Facts f;
  f.measures = 0;
  f.lyrics = 0;
  for (const char* kind : kOrnamentKinds)
    f.ornaments[kind] = countOf(xml, std::string("<") + kind + "/>") + countOf(xml, std::string("<") + kind + " ") +
                        countOf(xml, std::string("<") + kind + ">");
  for (size_t at = xml.find("<measure"); at != std::string::npos; at = xml.find("<measure", at + 1)) {
    char next = xml[at + 8];
    if (next == '>' || next == ' ') ++f.measures;
  }
  for (size_t at = xml.find("<note"); at != std::string::npos; at = xml.find("<note", at + 1)) {
    char next = xml[at + 5];
    if (next != '>' && next != ' ') continue;  // <notehead>, <notations>
    size_t end = xml.find("</note>", at);
    if (end == std::string::npos) break;
    std::string part = xml.substr(at, end - at);
    if (!has(part, "<pitch>")) continue;  // a rest
    f.notes.push_back(noteOf(part));
    f.lyrics += static_cast<long>(f.notes.back().lyrics.size());
  }
  f.done = true;
  return f;
}

std::map<std::string, Facts> readerFacts(const std::string& output) {
  std::map<std::string, Facts> all;
  Facts* f = nullptr;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    size_t space = line.find(' ');
    std::string key = line.substr(0, space), rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (key == "file") {
      f = &all[rest];
      continue;
    }
    if (!f) continue;
    std::istringstream words(rest);
    if (key == "note") {
      // STEP OCTAVE ACCIDENTAL from the engines, STEP OCTAVE ALTER
      // ACCIDENTAL TIE from music21; "-" is none
      std::vector<std::string> w;
      for (std::string word; words >> word;) w.push_back(word == "-" ? "" : word);
      Note n;
      if (w.size() == 5) {
        n = {w[0], w[1], w[2], w[3], w[4], {}};
      } else if (w.size() == 3) {
        n = {w[0], w[1], "-", w[2], "-", {}};
      } else {
        f->error = "a line that is no note: " + line;
        continue;
      }
      f->notes.push_back(n);
    } else if (key == "lyric" && !f->notes.empty()) {
      f->notes.back().lyrics.push_back(rest);
    } else if (key == "measures") {
      words >> f->measures;
    } else if (key == "rounded") {
      words >> f->rounded;
    } else if (key == "lyrics") {
      words >> f->lyrics;
    } else if (key == "ornament") {
      std::string kind;
      words >> kind >> f->ornaments[kind];
    } else if (key == "log") {
      f->log.push_back(rest);
    } else if (key == "error") {
      f->error = rest;
    } else if (key == "done") {
      f->done = true;
    }
  }
  for (auto& [path, facts] : all) {
    if (facts.lyrics < 0) {
      facts.lyrics = 0;
      for (const Note& n : facts.notes) facts.lyrics += static_cast<long>(n.lyrics.size());
    }
  }
  return all;
}

}  // namespace readers
