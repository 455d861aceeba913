// SPDX-License-Identifier: GPL-3.0-or-later
#include "PackError.h"

#include "GeneralLang.h"

EPackError::EPackError(TKind kind, std::string path)
    : std::runtime_error(Format(BuiltInText(kind), path)), kind_(kind), path_(std::move(path)) {}

int EPackError::GeneralKey(TKind kind) {
  static constexpr int kKeys[KindCount] = {19, 20, 21, 22, 26, 27, 49};
  return kKeys[kind];
}

std::string EPackError::BuiltInText(TKind kind) {
  return std::string(GeneralLang.Texts[static_cast<std::size_t>(GeneralKey(kind))]);
}

std::string EPackError::Format(const std::string& text, const std::string& path) {
  std::string result = text;
  auto pos = result.find("%s");
  if (pos != std::string::npos) result.replace(pos, 2, path);
  return result;
}
