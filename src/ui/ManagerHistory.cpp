// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo of the active pack's edits, and moving a smile anywhere: by dragging it within
// the smile list, or with Alt+Home and Alt+End to the first or the last place.
//
// The model keeps the history (each pack its own) and says what each step touched; the window
// runs undo and redo as commands like every other, then refills the lists and selects what the
// step touched.
#include <QCoreApplication>
#include <QDrag>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>

#include <tuple>

#include "CommandKeys.h"
#include "Lang.h"
#include "LangTables.h"
#include "ManagerMain.h"
#include "SmileListModel.h"
#include "WindowText.h"

using namespace command_keys;

namespace {

// General keys of the history's texts.
enum {
  UndoHintKey = 28,
  RedoHintKey = 29,
  OneSmileAddedKey = 30,
  SeveralSmilesAddedKey = 31,
  StepUnreadableKey = 40,
  MoveToFirstKey = 41,
  MoveToLastKey = 42,
};

// The General key of each kind of step, in TStepKind order: a smile added at the end or
// inserted is the same to the user.
constexpr int StepKeys[StepKindCount] = {OneSmileAddedKey, OneSmileAddedKey, 32, 33, 34,
                                         35,               36,               37, 38, 39};

// What a drag of a smile carries: this program, this window, the pack and the smile.
const QString SmileDragFormat = QStringLiteral("application/x-fennimo-smile");

QString DragOrigin(const TForm1& window, TSmilePack pack) {
  return QStringLiteral("%1 %2 %3")
      .arg(QCoreApplication::applicationPid())
      .arg(reinterpret_cast<quintptr>(&window))
      .arg(static_cast<int>(pack));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Connections and texts

void TForm1::CreateHistoryCommands() {
  // The keys that move the selected smile to either end work while a move button would.
  const std::tuple<QKeySequence, QPushButton*, bool> ends[] = {{FirstKey, BitBtn12, false},
                                                               {LastKey, BitBtn13, true}};
  for (const auto& [key, button, last] : ends) {
    connect(NewShortcut(key, ListBox1), &QShortcut::activated, this,
            [this, button = button, last = last] {
              if (button->isEnabled()) RunCommand([this, last] { MoveSelectedSmileToEnd(last); });
            });
  }
  // The list starts a drag of a smile once the mouse has moved far enough with a smile
  // pressed; eventFilter takes the drop (HandleSmileListDrop).
  ListBox1->setDragEnabled(true);
}

void TForm1::ApplyHistoryLanguage(TLang& language) {
  HistoryHints = {language.Text(GeneralLang, UndoHintKey), language.Text(GeneralLang, RedoHintKey)};
  for (std::size_t kind = 0; kind < StepTexts.size(); ++kind)
    StepTexts[kind] = language.Text(GeneralLang, StepKeys[kind]);
  SeveralSmilesAddedText = language.Text(GeneralLang, SeveralSmilesAddedKey);
  StepUnreadableText = language.Text(GeneralLang, StepUnreadableKey);
  MoveToEndTexts = {language.Text(GeneralLang, MoveToFirstKey),
                    language.Text(GeneralLang, MoveToLastKey)};
}

// ---------------------------------------------------------------------------------------------
// Undo and redo

namespace {

// The step as its hint names it: "удаление смайла 12", smiles counted from 1; several smiles
// added at once as "12-14".
std::string StepName(const TForm1& window, const TStepSummary& step) {
  std::string smiles = std::to_string(step.Smile + 1);
  const bool several = step.Count > 1 && (step.Kind == skAddSmiles || step.Kind == skInsertSmiles);
  if (several) smiles += "-" + std::to_string(step.Smile + step.Count);
  return EPackError::Format(
      several ? window.SeveralSmilesAddedText : window.StepTexts[static_cast<std::size_t>(step.Kind)],
      smiles);
}

}  // namespace

void TForm1::UpdateHistoryButtons() {
  const bool loaded = Pack && Pack->LoadedPacks.Contains(Pack->ActivePack);
  const bool can[] = {loaded && Pack->CanUndo(), loaded && Pack->CanRedo()};
  QToolButton* const buttons[] = {ToolButton15, ToolButton16};
  const QString keys[] = {KeyText(UndoKey), KeyText(RedoKey) + ", " + KeyText(RedoOtherKey)};
  for (int i = 0; i < 2; ++i) {
    std::string hint = HistoryHints[static_cast<std::size_t>(i)];
    if (can[i]) hint += ": " + StepName(*this, i == 0 ? Pack->NextUndo() : Pack->NextRedo());
    buttons[i]->setEnabled(can[i]);
    buttons[i]->setToolTip(Q(hint) + " (" + keys[i] + ")");
  }
}

void TForm1::ToolButton15Click() { WalkHistory(true); }

void TForm1::ToolButton16Click() { WalkHistory(false); }

void TForm1::WalkHistory(bool undo) {
  if (!Pack || !(undo ? Pack->CanUndo() : Pack->CanRedo())) return;
  // The step may free the pictures of the smiles it touches: the preview lets go first.
  SelectSmile(-1);
  int smile = -1, symbol = -1;
  const bool walked = undo ? Pack->Undo(smile, symbol) : Pack->Redo(smile, symbol);
  RefillSmiles(true);
  if (!walked) {
    TellUser(StepUnreadableText);
    return;
  }
  LastSymbolIndex = -1;
  SelectSmile(smile);
  SelectSymbol(symbol);
}

// ---------------------------------------------------------------------------------------------
// Moving a smile anywhere

void TForm1::MoveSmileTo(int from, int to) {
  if (!Pack || from == to || from < 0 || to < 0 || from >= Pack->SmileCount() ||
      to >= Pack->SmileCount())
    return;
  ReleasePreview(Pack.get());
  Pack->MoveSmile(from, to);
  RefillSmiles(false);
  SelectSmile(to);
}

void TForm1::MoveSelectedSmileToEnd(bool last) {
  if (!Pack) return;
  MoveSmileTo(SelectedSmile(), last ? Pack->SmileCount() - 1 : 0);
}

std::unique_ptr<QMimeData> TForm1::SmileDragData(int row) const {
  auto data = std::make_unique<QMimeData>();
  if (Pack)
    data->setData(SmileDragFormat,
                  (DragOrigin(*this, Pack->ActivePack) + " " + QString::number(row)).toLatin1());
  return data;
}

int TForm1::DraggedSmile(const QMimeData* data) const {
  if (!data || !Pack || !data->hasFormat(SmileDragFormat)) return -1;
  const QString text = QString::fromLatin1(data->data(SmileDragFormat));
  const QString origin = DragOrigin(*this, Pack->ActivePack) + " ";
  if (!text.startsWith(origin)) return -1;
  bool number = false;
  const int row = text.mid(origin.size()).toInt(&number);
  return number && row >= 0 && row < Pack->SmileCount() ? row : -1;
}

void TForm1::StartSmileDrag(int row) {
  if (!Pack || row < 0 || row >= Pack->SmileCount() || Pack->SmileCount() < 2) return;
  // A close waits until the smile has been dropped (or the drag given up).
  TBusy busy(*this);
  auto* drag = new QDrag(ListBox1);  // Qt frees it once the drag is over
  drag->setMimeData(SmileDragData(row).release());
  const QRect item = ListBox1->visualRect(ListBox1->model()->index(row, 0));
  drag->setPixmap(ListBox1->viewport()->grab(item));
  drag->setHotSpot(QPoint(item.width() / 2, item.height() / 2));
  drag->exec(Qt::MoveAction, Qt::MoveAction);
}

