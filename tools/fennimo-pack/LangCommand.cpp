// SPDX-License-Identifier: GPL-3.0-or-later
// fennimo-pack lang FILE: tells a translator what a language file lacks and what it holds that
// the program never reads, section by section.
#include <cstdio>
#include <string>
#include <vector>

#include "Commands.h"
#include "LangFileCheck.h"
#include "Printable.h"

const char* const LangUsage =
    "fennimo-pack lang FILE\n"
    "  Compares the language file FILE with the texts the program shows and lists, section by\n"
    "  section, the keys FILE lacks (they keep their built-in Russian texts), the keys and\n"
    "  sections the program does not know, and keys written more than once (only the first\n"
    "  counts). Exit code 0 when FILE is complete, 1 when it is not, 2 when it can't be read.";

namespace {

bool IsNumber(const std::string& text) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// "0-3, 7, 9-11" for runs of consecutive key numbers; other names are listed as they are.
std::string JoinKeys(const std::vector<std::string>& keys) {
  std::string out;
  for (std::size_t i = 0; i < keys.size();) {
    std::size_t end = i + 1;
    if (IsNumber(keys[i])) {
      while (end < keys.size() && IsNumber(keys[end]) &&
             std::stoi(keys[end]) == std::stoi(keys[end - 1]) + 1)
        ++end;
    }
    if (!out.empty()) out += ", ";
    out += keys[i].empty() ? "\"\"" : Printable(keys[i]);
    if (end - i > 1) out += "-" + keys[end - 1];
    i = end;
  }
  return out;
}

void PrintLine(const char* label, const std::vector<std::string>& keys) {
  if (!keys.empty()) std::printf("  %s: %s\n", label, JoinKeys(keys).c_str());
}

std::string Plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int RunLangCommand(const CommandArgs& args) {
  if (args.size() != 1 || args[0].empty()) {
    std::fprintf(stderr, "%s\n", LangUsage);
    return 2;
  }
  const std::string& fileName = args[0];
  TLangFileCheck check = CheckLangFile(fileName);
  if (!check.Readable) {
    std::fprintf(stderr, "fennimo-pack lang: can't read %s\n", fileName.c_str());
    return 2;
  }

  std::printf("%s: %s\n", Printable(fileName).c_str(), Printable(check.LangName).c_str());
  std::size_t missing = 0, unknown = 0, unknownSections = 0, repeated = 0;
  for (const auto& section : check.Sections) {
    std::printf("[%s]\n", Printable(section.Section).c_str());
    if (section.UnknownSection) {
      std::printf("  unknown section\n");
      ++unknownSections;
      continue;
    }
    PrintLine(section.MissingSection ? "missing section" : "missing", section.MissingKeys);
    PrintLine("unknown", section.UnknownKeys);
    PrintLine("repeated", section.RepeatedKeys);
    missing += section.MissingKeys.size();
    unknown += section.UnknownKeys.size();
    repeated += section.RepeatedKeys.size();
  }

  if (check.Complete()) {
    std::printf("Complete.\n");
    return 0;
  }
  std::vector<std::string> parts;
  if (missing) parts.push_back(Plural(missing, "key missing", "keys missing"));
  if (unknown) parts.push_back(Plural(unknown, "unknown key", "unknown keys"));
  if (unknownSections)
    parts.push_back(Plural(unknownSections, "unknown section", "unknown sections"));
  if (repeated) parts.push_back(Plural(repeated, "repeated key", "repeated keys"));
  std::string summary;
  for (const auto& part : parts) summary += (summary.empty() ? "" : ", ") + part;
  std::printf("Incomplete: %s.\n", summary.c_str());
  return 1;
}
