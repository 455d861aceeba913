// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandSupport.h"

#include <cstdio>

#include "EmoticonTheme.h"
#include "Files.h"
#include "Printable.h"

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

const char* KindName(TSmilePack kind) { return kind == spStatic ? "static" : "animated"; }

TSmilePack DetectKind(const std::string& folder, const std::vector<std::string>& names,
                      std::optional<TSmilePack> forced, std::string& note) {
  if (forced) return *forced;
  bool has[2] = {false, false};
  for (const auto& name : names)
    for (TSmilePack kind : AllPacks)
      if (platform::MatchesMask(name, PackWildcard(kind))) has[kind] = true;
  if (has[spStatic] != has[spAnimated]) return has[spStatic] ? spStatic : spAnimated;
  TSmilePack kind = spAnimated;
  std::string name = platform::ExtractFileName(folder.substr(0, folder.size() - 1));
  if (AsciiLower(name) == "static") kind = spStatic;
  if (has[spStatic])
    note = std::string("the folder holds both .gif and .bmp pictures; taken as ") +
           KindName(kind) + " (--static or --animated chooses)";
  return kind;
}

bool ParseThemeArgs(const char* command, const char* usage, const std::vector<std::string>& args,
                    bool allowAnimated, TThemeFormat& format, std::vector<std::string>& paths,
                    std::optional<TSmilePack>& kind) {
  bool options = true;
  std::string bad;
  for (const auto& arg : args) {
    if (options && arg == "--") {
      options = false;
    } else if (options && (arg == "--static" || (allowAnimated && arg == "--animated"))) {
      const TSmilePack chosen = arg == "--static" ? spStatic : spAnimated;
      if (kind && *kind != chosen) bad = arg;
      kind = chosen;
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      bad = arg;
    } else {
      paths.push_back(arg);
    }
  }
  if (!bad.empty())
    std::fprintf(stderr, "fennimo-pack %s: unexpected option %s\n", command, Printable(bad).c_str());
  else if (paths.size() == 3 && !ThemeFormatFromName(paths[0], format))
    std::fprintf(stderr, "fennimo-pack %s: unknown format %s\n", command, Printable(paths[0]).c_str());
  else if (paths.size() == 3 && !paths[1].empty() && !paths[2].empty())
    return true;
  std::fprintf(stderr, "%s\n", usage);
  return false;
}

int CommandFailure(const char* command, const std::string& message) {
  std::fprintf(stderr, "fennimo-pack %s: %s\n", command, Printable(message).c_str());
  return 2;
}

int ReportLeftOut(const std::vector<TLeftOut>& leftOut, const std::string& folder, std::size_t smiles) {
  for (const auto& item : leftOut) std::printf("  %s\n", Printable(DescribeLeftOut(item)).c_str());
  std::string taken = smiles == 0 ? std::string("nothing taken, nothing written")
                                  : std::to_string(smiles) + (smiles == 1 ? " smile" : " smiles");
  taken += leftOut.empty() ? (smiles == 0 ? "" : "; everything taken")
                           : "; " + std::to_string(leftOut.size()) + " left out";
  std::printf("%s: %s\n", Printable(folder).c_str(), taken.c_str());
  return leftOut.empty() && smiles > 0 ? 0 : 1;
}
