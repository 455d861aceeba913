// SPDX-License-Identifier: GPL-3.0-or-later
#include "DefineFile.h"

#include "Files.h"

const char* PackExtension(TSmilePack pack) { return pack == spStatic ? ".bmp" : ".gif"; }

const char* PackWildcard(TSmilePack pack) { return pack == spStatic ? "*.bmp" : "*.gif"; }

const char* PackFolderName(TSmilePack pack) { return pack == spStatic ? "Static" : "Animated"; }

std::string PictureFileName(int index, TSmilePack pack) {
  if (index < 0 || index >= MaxSmiles) return {};
  std::string name;
  name += static_cast<char>('a' + index / 26);
  name += static_cast<char>('a' + index % 26);
  name += PackExtension(pack);
  return name;
}

int PicturePosition(std::string_view name, TSmilePack pack) {
  std::string_view extension = PackExtension(pack);
  if (name.size() != 2 + extension.size() || name.substr(2) != extension) return -1;
  auto letter = [](char c) { return c >= 'a' && c <= 'z'; };
  if (!letter(name[0]) || !letter(name[1])) return -1;
  return (name[0] - 'a') * 26 + (name[1] - 'a');
}

namespace {

std::string TrimControls(std::string_view s) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

void SplitDefineLines(std::string_view data, std::vector<std::string>& lines) {
  std::string current;
  bool pending = false;  // bytes read since the last line end
  for (char c : data) {
    if (c == '\x1A') break;
    if (c == '\n') {
      lines.push_back(TrimControls(current));
      current.clear();
      pending = false;
      continue;
    }
    pending = true;
    if (c != '\r') current.push_back(c);
  }
  if (pending) lines.push_back(TrimControls(current));
}

bool ReadDefineLines(const std::string& path, std::vector<std::string>& lines) {
  std::string data;
  if (!platform::ReadFile(path, data)) return false;
  SplitDefineLines(data, lines);
  return true;
}

void ParseSymbols(std::string_view line, std::vector<std::string>& symbols) {
  while (!line.empty()) {
    auto comma = line.find(',');
    if (comma == std::string_view::npos) {
      symbols.emplace_back(line);
      return;
    }
    if (comma > 0) symbols.emplace_back(line.substr(0, comma));
    line.remove_prefix(comma + 1);
  }
}

void AppendDefineLine(std::string& out, const std::vector<std::string>& symbols, bool last) {
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    if (i > 0) out += ',';
    out += symbols[i];
  }
  if (symbols.empty() || !last) out += "\r\n";
}

void WriteDefineBytes(const std::string& path, std::string_view content) {
  if (!platform::WriteFileAtomic(path, content)) throw platform::EWriteError(path);
}
