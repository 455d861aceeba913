// SPDX-License-Identifier: GPL-3.0-or-later
// The chat preview: a message the author types, shown as a chat shows it, every code replaced by
// its smile, animated, on a light or a dark background. The codes are found as the chosen rule
// finds them: the longest code first at each place, or smile by smile in pack order; the codes
// that pack order hides (a code of an earlier smile takes part of them) are underlined, in the
// message and in the chat. In both-packs mode both packs are searched, the static pack first.
//
// A window of its own beside the main window, not modal. It borrows the main window's pack model
// and global configuration (their owners, which outlive it; either may be empty) and keeps only
// copies: the packs' codes, read when it is shown and whenever the main window tells it the
// packs changed (PackChanged), and the frames of the smiles the message uses, each decoded once
// from its file in the pack's storage.
#pragma once

#include <QElapsedTimer>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CodeMatch.h"
#include "DefineFile.h"

class QLabel;
class QPlainTextEdit;
class QRadioButton;
class QTextBrowser;
class QTimer;
class TDefineDecoder;
class TGlobalConfigManager;
class TLang;

// The message as the Windows-1251 bytes that codes are matched against, one byte a character;
// a character that Windows-1251 lacks becomes a comma, which no code holds (commas separate
// codes). Offsets gets where each byte's character starts in Text, in UTF-16 units, and Text's
// length after the last.
std::string MessageBytes(const QString& text, std::vector<int>& offsets);

class TChatForm : public QWidget {
  Q_OBJECT

public:
  TChatForm(const std::unique_ptr<TDefineDecoder>& pack,
            const std::unique_ptr<TGlobalConfigManager>& config, QWidget* parent);
  ~TChatForm() override;

  // The window's texts, from section "ChatForm"; also while it is shown.
  void ApplyLanguage(TLang& lang);
  // The packs, their codes or their pictures changed: the window forgets what it read and
  // decoded, and reads the packs again now when it is shown, else when it is next shown.
  void PackChanged();
  // Its size and place (once it has been shown) into the global configuration; the two
  // switches are stored as they change.
  void SaveState();

  // A code of the message: where (in characters of the message), and whose.
  struct TFoundCode {
    int Start = 0, Length = 0;
    TSmilePack Pack = spAnimated;
    int Smile = -1, Symbol = -1;  // in its pack
    bool operator==(const TFoundCode&) const = default;
  };
  // The codes that the chosen rule replaces by smiles, left to right, and the codes that pack
  // order hides; as of the last matching.
  std::vector<TFoundCode> Replaced;
  std::vector<TFoundCode> Hidden;

  QLabel* MessageLabel;
  QPlainTextEdit* Message;
  QLabel* ChatLabel;
  QTextBrowser* Chat;
  QLabel* BackgroundLabel;
  QRadioButton* LightButton;
  QRadioButton* DarkButton;
  QLabel* RuleLabel;
  QRadioButton* LongestButton;
  QRadioButton* PackOrderButton;
  QLabel* Summary;  // how many smiles, how many hidden codes

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  // The hint of a hidden code under the mouse, in the message.
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  // A smile's frames as the chat shows them (transparent where an animated picture does not
  // cover its screen), each frame's delay, and where its animation is: the frame shown and when
  // (on the window's clock) the next one is due. No frames: nothing to show.
  struct TPicture {
    std::vector<QPixmap> Frames;
    std::vector<int> Delays;
    int Frame = 0;
    qint64 Due = 0;
  };

  TMatchRule Rule() const;
  void ReadPacks();
  // Finds the codes of the message again and lays the chat out anew.
  void Rematch();
  void ShowBackground();
  // Code-list smile Smile's picture, decoded on first use.
  const TPicture& PictureOf(int smile);
  // Shows every animated smile's frame that is due, and waits for the next one.
  void Animate();
  void ScheduleAnimation();
  TFoundCode Found(const TCodeMatch& match, const std::vector<int>& offsets) const;
  QString CodeText(int smile, int symbol) const;
  // The name of a smile: its picture file ("ab.gif").
  QString SmileName(int smile) const;
  // The name the chat knows its picture by ("smile:Animated/ab.gif").
  QString ResourceName(int smile) const;
  QString HiddenHint(const TCodeMatch& hidden, const std::vector<TCodeMatch>& packOrder) const;
  void Store(int key, const std::string& value);

  const std::unique_ptr<TDefineDecoder>& pack_;
  const std::unique_ptr<TGlobalConfigManager>& config_;
  // The smiles searched, in search order (the static pack's first), with their codes.
  std::vector<std::pair<TSmilePack, int>> smiles_;
  TPackCodes codes_;
  bool packsRead_ = false;
  bool restored_ = false;
  std::map<int, TPicture> pictures_;
  std::vector<int> animated_;  // the smiles in the chat with more than one frame
  // The hidden codes of the message: where, in characters, and their hints.
  std::vector<std::pair<std::pair<int, int>, QString>> hiddenHints_;
  QTimer* timer_;
  QElapsedTimer clock_;
  QString summaryText_, hiddenText_, smileText_;
};
