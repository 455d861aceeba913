// SPDX-License-Identifier: GPL-3.0-or-later
// What the window tells about the smiles beyond their errors: codes of one smile inside another
// smile's (which a messenger that replaces codes in pack order shows as the wrong smile),
// pictures far wider than the pack's usual ones, and the facts of the selected picture and of
// the whole pack.
#include <QLabel>
#include <QLocale>
#include <QStringList>
#include <QStatusBar>

#include <algorithm>

#include "CodeMatch.h"
#include "Files.h"
#include "Lang.h"
#include "LangTables.h"
#include "ManagerMain.h"
#include "WindowText.h"

namespace {

// MainForm keys of these texts.
enum {
  PictureFactsKey = 62,
  PackFactsKey = 63,
  WideKey = 64,
  InsideKey = 65,   // then the longer side, and what pack order does
  ConflictWarningKey = 68,
  SizeUnitsKey = 71,  // bytes, kilobytes, megabytes, separated by commas
};


// The codes of the active pack, smile by smile.
TPackCodes CodesOf(const TDefineDecoder& pack) {
  TPackCodes codes;
  for (int i = 0; i < pack.SmileCount(); ++i) codes.push_back(pack.GetSmile(i)->Symbols.Items());
  return codes;
}

}  // namespace

void TForm1::ApplyFactsLanguage(TLang& language) {
  for (std::size_t i = 0; i < FactTexts.size(); ++i)
    FactTexts[i] = language.Text(MainFormLang, PictureFactsKey + static_cast<int>(i));
  SizeUnits = Q(language.Text(MainFormLang, SizeUnitsKey)).split(',');
  if (PreviewFacts) {
    UpdatePictureFacts();
    UpdatePackFacts();
  }
}

QString TForm1::SizeText(long long bytes) const {
  // Bytes up to a kilobyte, then kilobytes or megabytes with one decimal, in the window's
  // language.
  const QString unit = [&](int i) {
    return i < SizeUnits.size() ? SizeUnits[i].trimmed() : QString();
  }(bytes < 1024 ? 0 : bytes < 1024 * 1024 ? 1 : 2);
  if (bytes < 1024) return QString::number(bytes) + " " + unit;
  const double scaled = bytes / (bytes < 1024 * 1024 ? 1024.0 : 1024.0 * 1024.0);
  return QString::number(scaled, 'f', 1) + " " + unit;
}

QString TForm1::ConflictText(const TPackCodes& codes, const TCodeConflict& c, bool shortSide) const {
  auto code = [&](int smile, int symbol) {
    return QStringLiteral("\u201c") +
           SymbolText(codes[static_cast<std::size_t>(smile)][static_cast<std::size_t>(symbol)]) +
           QStringLiteral("\u201d");
  };
  QString text = shortSide ? Q(FactTexts[InsideKey - PictureFactsKey])
                                 .arg(code(c.ShortSmile, c.ShortSymbol),
                                      code(c.LongSmile, c.LongSymbol))
                                 .arg(c.LongSmile + 1)
                           : Q(FactTexts[InsideKey + 1 - PictureFactsKey])
                                 .arg(code(c.LongSmile, c.LongSymbol),
                                      code(c.ShortSmile, c.ShortSymbol))
                                 .arg(c.ShortSmile + 1);
  if (c.HidesLonger()) text += Q(FactTexts[InsideKey + 2 - PictureFactsKey]);
  return text;
}

void TForm1::ComputeNotes() {
  Notes.clear();
  if (!Pack || !Pack->LoadedPacks.Contains(Pack->ActivePack)) return;
  const int count = Pack->SmileCount();
  std::vector<QStringList> notes(static_cast<std::size_t>(count));
  // Codes inside other smiles' codes: both smiles say so.
  const TPackCodes codes = CodesOf(*Pack);
  for (const TCodeConflict& c : FindConflicts(codes)) {
    notes[static_cast<std::size_t>(c.ShortSmile)] << ConflictText(codes, c, true);
    notes[static_cast<std::size_t>(c.LongSmile)] << ConflictText(codes, c, false);
  }
  // A picture twice as wide as the pack's median, or wider.
  std::vector<std::pair<int, int>> sizes;
  for (int i = 0; i < count; ++i)
    if (const TSmile* s = Pack->GetSmile(i); s->HasPicture) sizes.emplace_back(s->Width, s->Height);
  if (!sizes.empty()) {
    std::vector<std::pair<int, int>> sorted = sizes;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 2), sorted.end());
    const auto median = sorted[sorted.size() / 2];
    for (int i = 0; i < count; ++i) {
      const TSmile* s = Pack->GetSmile(i);
      if (s->HasPicture && median.first > 0 && s->Width >= 2 * median.first)
        notes[static_cast<std::size_t>(i)]
            << Q(FactTexts[WideKey - PictureFactsKey])
                   .arg(s->Width)
                   .arg(s->Height)
                   .arg(median.first)
                   .arg(median.second);
    }
  }
  for (const auto& list : notes) Notes.push_back(list.join('\n'));
}

QString TForm1::NotesOf(int index) const {
  return index >= 0 && index < static_cast<int>(Notes.size()) ? Notes[static_cast<std::size_t>(index)]
                                                              : QString();
}

void TForm1::UpdatePictureFacts() {
  // The selected picture: its size, frames, loop and file.
  const int selected = SelectedSmile();
  const TSmile* smile = Pack ? Pack->GetSmile(selected) : nullptr;
  if (smile && smile->HasPicture) {
    const std::string file = Pack->StorageFolder[Pack->ActivePack] + Pack->PictureFileName(selected);
    PreviewFacts->setText(Q(FactTexts[0])
                              .arg(smile->Width)
                              .arg(smile->Height)
                              .arg(smile->FrameCount)
                              .arg(QLocale().toString(smile->Duration / 1000.0, 'f', 1))
                              .arg(SizeText(platform::FileSize(file))));
  } else {
    PreviewFacts->clear();
  }
}

void TForm1::UpdatePackFacts() {
  // The pack: its smiles, its size on disk and its largest picture.
  if (!Pack || !Pack->LoadedPacks.Contains(Pack->ActivePack)) {
    PackFacts->clear();
    return;
  }
  // What the messenger reads: the definition file and the smiles' pictures.
  const std::string folder = Pack->StorageFolder[Pack->ActivePack];
  long long total = platform::FileSize(folder + DefineFileName), largest = -1;
  std::string largestName;
  for (int i = 0; i < Pack->SmileCount(); ++i) {
    if (!Pack->GetSmile(i)->HasPicture) continue;
    const std::string name = Pack->PictureFileName(i);
    const long long size = platform::FileSize(folder + name);
    total += std::max(size, 0LL);
    if (size > largest) {
      largest = size;
      largestName = name;
    }
  }
  PackFacts->setText(Q(FactTexts[1])
                         .arg(Pack->SmileCount())
                         .arg(SizeText(total))
                         .arg(largestName.empty() ? QStringLiteral("\u2014") : Q(largestName))
                         .arg(largest < 0 ? QString() : SizeText(largest)));
}

void TForm1::WarnOfConflicts(int smile, int symbol) {
  if (!Pack) return;
  const TPackCodes codes = CodesOf(*Pack);
  QStringList lines;
  for (const TCodeConflict& c : FindConflicts(codes)) {
    if (c.ShortSmile == smile && c.ShortSymbol == symbol)
      lines << ConflictText(codes, c, true);
    else if (c.LongSmile == smile && c.LongSymbol == symbol)
      lines << ConflictText(codes, c, false);
  }
  if (lines.isEmpty()) return;
  const TSmile* s = Pack->GetSmile(smile);
  TellUser(Q(FactTexts[ConflictWarningKey - PictureFactsKey])
               .arg(SymbolText(s->Symbols[symbol]))
               .toStdString() +
           "\n\n" + lines.join('\n').toStdString());
}
