// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChatForm.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>

#include "ConfigManager.h"
#include "Cp1251.h"
#include "DefineDecoder.h"
#include "Lang.h"
#include "LangTables.h"
#include "SmileFrames.h"
#include "WindowText.h"

namespace {

// ChatForm keys; key 1 is the main window's View menu entry.
enum {
  CaptionKey = 0,
  MessageKey = 2,
  PlaceholderKey = 3,
  ChatViewKey = 4,
  BackgroundKey = 5,
  LightKey = 6,
  DarkKey = 7,
  RuleKey = 8,
  LongestKey = 9,   // then its hint
  PackOrderKey = 11,  // then its hint
  SummaryKey = 13,
  HiddenKey = 14,
  SmileKey = 15,
};



// The two backgrounds of the chat, and the text on them.
const QColor kLightGround(255, 255, 255), kLightText(20, 20, 20);
const QColor kDarkGround(30, 33, 38), kDarkText(230, 232, 235);
const QColor kHiddenLine(220, 40, 40);

// The global configuration's words for the switches.
const char* const kDarkName = "dark";
const char* const kLightName = "light";
const char* const kPackOrderName = "packorder";
const char* const kLongestName = "longest";

}  // namespace

std::string MessageBytes(const QString& text, std::vector<int>& offsets) {
  std::string bytes;
  offsets.clear();
  for (qsizetype i = 0; i < text.size();) {
    offsets.push_back(static_cast<int>(i));
    // A character beyond the 16-bit range is two units, neither of which Windows-1251 holds.
    const qsizetype units =
        text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    std::string byte;
    if (text[i].isSurrogate() || !platform::Utf8ToCp1251(text.mid(i, units).toStdString(), byte) ||
        byte.size() != 1)
      byte = ",";
    bytes += byte;
    i += units;
  }
  offsets.push_back(static_cast<int>(text.size()));
  return bytes;
}

TChatForm::TChatForm(const std::unique_ptr<TDefineDecoder>& pack,
                     const std::unique_ptr<TGlobalConfigManager>& config, QWidget* parent)
    : QWidget(parent, Qt::Window), pack_(pack), config_(config) {
  setObjectName(QStringLiteral("ChatForm"));
  setFont(WindowFont(11));
  auto named = [](auto* control, const char* name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
  };
  MessageLabel = named(new QLabel(this), "MessageLabel");
  Message = named(new QPlainTextEdit(this), "Message");
  Message->setFont(WindowFont(14));
  Message->setTabChangesFocus(true);
  Message->setFixedHeight(Message->fontMetrics().lineSpacing() * 3 +
                          2 * (Message->frameWidth() + static_cast<int>(Message->document()->documentMargin())));
  Message->viewport()->installEventFilter(this);
  MessageLabel->setBuddy(Message);
  ChatLabel = named(new QLabel(this), "ChatLabel");
  Chat = named(new QTextBrowser(this), "Chat");
  Chat->setFont(WindowFont(14));
  Chat->setOpenLinks(false);
  Chat->document()->setDocumentMargin(10);
  Chat->setMinimumHeight(80);
  ChatLabel->setBuddy(Chat);

  BackgroundLabel = named(new QLabel(this), "BackgroundLabel");
  LightButton = named(new QRadioButton(this), "LightButton");
  DarkButton = named(new QRadioButton(this), "DarkButton");
  RuleLabel = named(new QLabel(this), "RuleLabel");
  LongestButton = named(new QRadioButton(this), "LongestButton");
  PackOrderButton = named(new QRadioButton(this), "PackOrderButton");
  // Each pair is a switch of its own.
  auto* backgrounds = new QWidget(this);
  auto* rules = new QWidget(this);
  auto* backgroundRow = new QHBoxLayout(backgrounds);
  auto* ruleRow = new QHBoxLayout(rules);
  for (auto* row : {backgroundRow, ruleRow}) {
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
  }
  backgroundRow->addWidget(LightButton);
  backgroundRow->addWidget(DarkButton);
  backgroundRow->addStretch(1);
  ruleRow->addWidget(LongestButton);
  ruleRow->addWidget(PackOrderButton);
  ruleRow->addStretch(1);
  LightButton->setChecked(true);
  LongestButton->setChecked(true);
  Summary = named(new QLabel(this), "Summary");
  Summary->setWordWrap(true);

  auto* switches = new QGridLayout;
  switches->setHorizontalSpacing(8);
  switches->setVerticalSpacing(4);
  switches->addWidget(BackgroundLabel, 0, 0);
  switches->addWidget(backgrounds, 0, 1);
  switches->addWidget(RuleLabel, 1, 0);
  switches->addWidget(rules, 1, 1);
  switches->setColumnStretch(1, 1);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(8, 8, 8, 8);
  column->setSpacing(4);
  column->addWidget(MessageLabel);
  column->addWidget(Message);
  column->addSpacing(4);
  column->addWidget(ChatLabel);
  column->addWidget(Chat, 1);
  column->addWidget(Summary);
  column->addSpacing(4);
  column->addLayout(switches);

  timer_ = new QTimer(this);
  timer_->setSingleShot(true);
  timer_->setTimerType(Qt::PreciseTimer);
  connect(timer_, &QTimer::timeout, this, &TChatForm::Animate);
  clock_.start();

  connect(Message, &QPlainTextEdit::textChanged, this, &TChatForm::Rematch);
  connect(DarkButton, &QRadioButton::toggled, this, [this](bool dark) {
    ShowBackground();
    Store(TGlobalConfigManager::gsChatBackground, dark ? kDarkName : kLightName);
  });
  connect(PackOrderButton, &QRadioButton::toggled, this, [this](bool packOrder) {
    Rematch();
    Store(TGlobalConfigManager::gsChatMatching, packOrder ? kPackOrderName : kLongestName);
  });
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
          &QWidget::close);
  ShowBackground();
  resize(480, 380);
}

TChatForm::~TChatForm() = default;

void TChatForm::ApplyLanguage(TLang& lang) {
  auto text = [&](int key) { return Q(lang.Text(ChatFormLang, key)); };
  setWindowTitle(text(CaptionKey));
  MessageLabel->setText(text(MessageKey));
  Message->setPlaceholderText(text(PlaceholderKey));
  ChatLabel->setText(text(ChatViewKey));
  BackgroundLabel->setText(text(BackgroundKey));
  LightButton->setText(text(LightKey));
  DarkButton->setText(text(DarkKey));
  RuleLabel->setText(text(RuleKey));
  LongestButton->setText(text(LongestKey));
  LongestButton->setToolTip(text(LongestKey + 1));
  PackOrderButton->setText(text(PackOrderKey));
  PackOrderButton->setToolTip(text(PackOrderKey + 1));
  summaryText_ = text(SummaryKey);
  hiddenText_ = text(HiddenKey);
  smileText_ = text(SmileKey);
  Rematch();
}

void TChatForm::PackChanged() {
  packsRead_ = false;
  smiles_.clear();
  codes_.clear();
  pictures_.clear();
  animated_.clear();
  timer_->stop();
  if (!isVisible()) return;
  ReadPacks();
  Rematch();
}

void TChatForm::SaveState() {
  if (restored_) Store(TGlobalConfigManager::gsChatGeometry, saveGeometry().toHex().toStdString());
}

void TChatForm::showEvent(QShowEvent* event) {
  if (!restored_ && config_) {
    restored_ = true;
    auto read = [&](int key) { return config_->GetString(key); };
    if (!restoreGeometry(QByteArray::fromHex(
            QByteArray::fromStdString(read(TGlobalConfigManager::gsChatGeometry)))) &&
        parentWidget())
      move(parentWidget()->geometry().center() - rect().center());
    const bool dark = read(TGlobalConfigManager::gsChatBackground) == kDarkName;
    const bool packOrder = read(TGlobalConfigManager::gsChatMatching) == kPackOrderName;
    (dark ? DarkButton : LightButton)->setChecked(true);
    (packOrder ? PackOrderButton : LongestButton)->setChecked(true);
  }
  QWidget::showEvent(event);
  if (!packsRead_) {
    ReadPacks();
    Rematch();
  }
  ScheduleAnimation();
}

void TChatForm::hideEvent(QHideEvent* event) {
  timer_->stop();
  SaveState();
  QWidget::hideEvent(event);
}

bool TChatForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Message->viewport() && event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const int at = Message->cursorForPosition(help->pos()).position();
    for (const auto& [range, hint] : hiddenHints_) {
      // The cursor stands between characters: the one right of it counts.
      if (at >= range.first && at < range.first + range.second) {
        QToolTip::showText(help->globalPos(), hint, Message);
        return true;
      }
    }
    QToolTip::hideText();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

TMatchRule TChatForm::Rule() const {
  return PackOrderButton->isChecked() ? TMatchRule::PackOrder : TMatchRule::LongestFirst;
}

void TChatForm::ReadPacks() {
  smiles_.clear();
  codes_.clear();
  pictures_.clear();
  packsRead_ = true;
  if (!pack_) return;
  const TDefineDecoder& model = *pack_;
  for (TSmilePack pack : AllPacks) {
    if (!model.LoadedPacks.Contains(pack) || (!model.BothPacks && pack != model.ActivePack))
      continue;
    for (std::size_t i = 0; i < model.Smiles[pack].size(); ++i) {
      smiles_.emplace_back(pack, static_cast<int>(i));
      const TSmile* smile = model.Smiles[pack][i].Smile.get();
      codes_.push_back(smile ? smile->Symbols.Items() : std::vector<std::string>());
    }
  }
}

const TChatForm::TPicture& TChatForm::PictureOf(int smile) {
  if (auto it = pictures_.find(smile); it != pictures_.end()) return it->second;
  TPicture& picture = pictures_[smile];
  const auto [pack, index] = smiles_[static_cast<std::size_t>(smile)];
  const TSmile* s = pack_ && static_cast<std::size_t>(index) < pack_->Smiles[pack].size()
                        ? pack_->Smiles[pack][static_cast<std::size_t>(index)].Smile.get()
                        : nullptr;
  if (!s || !s->HasPicture || pack_->StorageFolder[pack].empty()) return picture;
  const std::string file = pack_->StorageFolder[pack] + PictureFileName(index, pack);
  const bool animated = pack == spAnimated;
  try {
    std::vector<QImage> frames;
    const auto decoder = DecodeSmileFrames(file, animated, frames);
    for (std::size_t i = 0; i < frames.size(); ++i) {
      picture.Delays.push_back(decoder->GetFrameDelay(static_cast<int>(i)));
      picture.Frames.push_back(QPixmap::fromImage(frames[i]));
    }
  } catch (const std::exception&) {
    // The file changed on disk since the model read it: the code stays text.
    picture = TPicture();
  }
  if (!picture.Frames.empty()) picture.Due = clock_.elapsed() + std::max(10, picture.Delays[0]);
  return picture;
}

TChatForm::TFoundCode TChatForm::Found(const TCodeMatch& match,
                                       const std::vector<int>& offsets) const {
  TFoundCode found;
  found.Start = offsets[match.Start];
  found.Length = offsets[match.Start + match.Length] - found.Start;
  std::tie(found.Pack, found.Smile) = smiles_[static_cast<std::size_t>(match.Smile)];
  found.Symbol = match.Symbol;
  return found;
}

QString TChatForm::CodeText(int smile, int symbol) const {
  return QStringLiteral("\u201c") +
         Q(platform::Cp1251ToUtf8(
             codes_[static_cast<std::size_t>(smile)][static_cast<std::size_t>(symbol)])) +
         QStringLiteral("\u201d");
}

QString TChatForm::SmileName(int smile) const {
  const auto [pack, index] = smiles_[static_cast<std::size_t>(smile)];
  return Q(PictureFileName(index, pack));
}

QString TChatForm::ResourceName(int smile) const {
  return QStringLiteral("smile:") +
         Q(PackFolderName(smiles_[static_cast<std::size_t>(smile)].first)) + "/" + SmileName(smile);
}

QString TChatForm::HiddenHint(const TCodeMatch& hidden,
                              const std::vector<TCodeMatch>& packOrder) const {
  // The code that pack order puts where the hidden one starts or inside it.
  for (const TCodeMatch& m : packOrder)
    if (m.Start < hidden.Start + hidden.Length && hidden.Start < m.Start + m.Length)
      return hiddenText_.arg(CodeText(hidden.Smile, hidden.Symbol), SmileName(hidden.Smile),
                             CodeText(m.Smile, m.Symbol), SmileName(m.Smile));
  return {};
}

void TChatForm::Rematch() {
  const QString text = Message->toPlainText();
  std::vector<int> offsets;
  const std::string bytes = MessageBytes(text, offsets);
  const std::vector<TCodeMatch> matches = MatchCodes(bytes, codes_, Rule());
  const std::vector<TCodeMatch> hidden = HiddenCodes(bytes, codes_);
  const std::vector<TCodeMatch> packOrder =
      Rule() == TMatchRule::PackOrder ? matches : MatchCodes(bytes, codes_, TMatchRule::PackOrder);
  Replaced.clear();
  Hidden.clear();
  hiddenHints_.clear();
  for (const TCodeMatch& m : matches) Replaced.push_back(Found(m, offsets));
  QList<QTextEdit::ExtraSelection> underlines;
  for (const TCodeMatch& m : hidden) {
    Hidden.push_back(Found(m, offsets));
    hiddenHints_.push_back({{Hidden.back().Start, Hidden.back().Length}, HiddenHint(m, packOrder)});
    QTextEdit::ExtraSelection underline;
    underline.cursor = QTextCursor(Message->document());
    underline.cursor.setPosition(Hidden.back().Start);
    underline.cursor.setPosition(Hidden.back().Start + Hidden.back().Length, QTextCursor::KeepAnchor);
    underline.format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    underline.format.setUnderlineColor(kHiddenLine);
    underline.format.setToolTip(hiddenHints_.back().second);
    underlines << underline;
  }
  Message->setExtraSelections(underlines);

  // The chat: text, with smiles where codes were found; the text of a hidden code underlined.
  auto hiddenAt = [&](std::size_t byte) -> int {
    for (std::size_t h = 0; h < hidden.size(); ++h)
      if (byte >= hidden[h].Start && byte < hidden[h].Start + hidden[h].Length)
        return static_cast<int>(h);
    return -1;
  };
  auto format = [&](int h) {
    QTextCharFormat f;
    if (h >= 0) {
      f.setUnderlineStyle(QTextCharFormat::SingleUnderline);
      f.setUnderlineColor(kHiddenLine);
      f.setToolTip(hiddenHints_[static_cast<std::size_t>(h)].second);
    }
    return f;
  };
  QTextDocument* document = Chat->document();
  document->clear();
  QTextCursor cursor(document);
  auto putText = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to;) {
      const int h = hiddenAt(i);
      std::size_t j = i + 1;
      while (j < to && hiddenAt(j) == h) ++j;
      cursor.insertText(text.mid(offsets[i], offsets[j] - offsets[i]), format(h));
      i = j;
    }
  };
  animated_.clear();
  std::size_t done = 0;
  for (const TCodeMatch& m : matches) {
    putText(done, m.Start);
    done = m.Start + m.Length;
    const TPicture& picture = PictureOf(m.Smile);
    if (picture.Frames.empty()) {
      putText(m.Start, done);
      continue;
    }
    const QString name = ResourceName(m.Smile);
    document->addResource(QTextDocument::ImageResource, QUrl(name),
                          picture.Frames[static_cast<std::size_t>(picture.Frame)]);
    QTextImageFormat image;
    image.merge(format(hiddenAt(m.Start)));
    image.setName(name);
    image.setWidth(picture.Frames.front().width());
    image.setHeight(picture.Frames.front().height());
    image.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    if (image.toolTip().isEmpty())
      image.setToolTip(smileText_.arg(SmileName(m.Smile), CodeText(m.Smile, m.Symbol)));
    cursor.insertImage(image);
    if (picture.Frames.size() > 1 && std::find(animated_.begin(), animated_.end(), m.Smile) == animated_.end())
      animated_.push_back(m.Smile);
  }
  putText(done, bytes.size());
  Summary->setText(summaryText_.arg(Replaced.size()).arg(Hidden.size()));
  ScheduleAnimation();
}

void TChatForm::ShowBackground() {
  const bool dark = DarkButton->isChecked();
  QPalette palette = Chat->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Base, dark ? kDarkGround : kLightGround);
    palette.setColor(group, QPalette::Text, dark ? kDarkText : kLightText);
  }
  Chat->setPalette(palette);
  Chat->viewport()->update();
}

void TChatForm::Animate() {
  const qint64 now = clock_.elapsed();
  bool shown = false;
  for (int smile : animated_) {
    TPicture& picture = pictures_[smile];
    const int count = static_cast<int>(picture.Frames.size());
    if (count < 2 || picture.Due > now) continue;
    // After a long wait (the window was hidden, the machine busy) the animation goes on from
    // now rather than running through the frames it missed.
    if (now - picture.Due > 1000) picture.Due = now;
    while (picture.Due <= now) {
      picture.Frame = (picture.Frame + 1) % count;
      // A delay below the 10 ms a picture can state is taken as 10 ms.
      picture.Due += std::max(10, picture.Delays[static_cast<std::size_t>(picture.Frame)]);
    }
    Chat->document()->addResource(QTextDocument::ImageResource, QUrl(ResourceName(smile)),
                                  picture.Frames[static_cast<std::size_t>(picture.Frame)]);
    shown = true;
  }
  if (shown) Chat->viewport()->update();
  ScheduleAnimation();
}

void TChatForm::ScheduleAnimation() {
  if (animated_.empty() || !isVisible()) {
    timer_->stop();
    return;
  }
  qint64 next = pictures_[animated_.front()].Due;
  for (int smile : animated_) next = std::min(next, pictures_[smile].Due);
  timer_->start(static_cast<int>(std::clamp<qint64>(next - clock_.elapsed(), 0, 1000)));
}

void TChatForm::Store(int key, const std::string& value) {
  if (!config_) return;
  try {
    config_->SetString(key, value);
  } catch (const std::exception&) {
    // The window's size and switches are a convenience: it works on without them.
  }
}
