// SPDX-License-Identifier: GPL-3.0-or-later
#include "ManagerMain.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "BmpDecoder.h"
#include "Cp1251.h"
#include "Dialogs.h"
#include "GifDecoder.h"
#include "Glyphs.h"
#include "Lang.h"
#include "LangTables.h"
#include "ModalResult.h"
#include "PictureDecoder.h"
#include "SmileFrames.h"
#include "SmileListModel.h"

// Every form window in this program uses these.
#include "CheckForm.h"
#include "EmptyForm.h"
#include "LoadForm.h"
#include "PreviewForm.h"
#include "QueryForm.h"
#include "WindowText.h"

QString SymbolText(const std::string& symbol) { return Q(platform::Cp1251ToUtf8(symbol)); }

namespace {

// A push button that shows a glyph; the command buttons start disabled until a selection
// enables them.
QPushButton* NewGlyphButton(QWidget* parent, TGlyph glyph, const char* theme, int width,
                            int iconSize, bool enabled) {
  auto* button = new QPushButton(parent);
  button->setIcon(Glyph(glyph, theme));
  button->setIconSize(QSize(iconSize, iconSize));
  button->setFixedSize(width, 33);
  button->setEnabled(enabled);
  button->setAutoDefault(false);
  return button;
}

// Selects a row (none for an index outside the list) without running the list's handler.
void SelectRowQuietly(QListWidget* list, int row) {
  QSignalBlocker block(list);
  if (row >= 0 && row < list->count()) {
    list->setCurrentRow(row);
  } else {
    list->clearSelection();
    list->setCurrentRow(-1);
  }
}

// The view's selection speaks through its selection model.
void SelectRowQuietly(TSmileListBox* list, int row) {
  QSignalBlocker block(list->selectionModel());
  if (row >= 0 && row < list->count()) {
    // A smile that a command chose stays in sight, whatever the filter says.
    list->setRowHidden(row, false);
    list->setCurrentRow(row);
  } else {
    list->clearSelection();
    list->setCurrentRow(-1);
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Creation and layout

void TForm1::CreateControls() {
  setWindowTitle("Fennimo");
  setFont(WindowFont(11));
  auto* central = new QWidget(this);
  setCentralWidget(central);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(8, 0, 8, 4);
  column->setSpacing(2);

  PageScroller1 = new QScrollArea(central);
  PageScroller1->setFrameShape(QFrame::NoFrame);
  PageScroller1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Like a page scroller: no scroll bar, but an arrow button at each end while the bar is
  // wider than the window.
  PageScroller1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  PageScroller1->setWidgetResizable(false);
  PageScroller1->setFixedHeight(44);
  PageScroller1->setMinimumWidth(39);
  ToolBar1 = new QWidget;
  auto* bar = new QHBoxLayout(ToolBar1);
  bar->setContentsMargins(0, 2, 0, 2);
  bar->setSpacing(0);
  auto tool = [&](TGlyph glyph, const char* theme, bool checkable) {
    auto* button = new QToolButton(ToolBar1);
    button->setIcon(Glyph(glyph, theme));
    button->setIconSize(QSize(32, 32));
    button->setFixedSize(39, 38);
    button->setAutoRaise(true);
    button->setCheckable(checkable);
    bar->addWidget(button);
    return button;
  };
  auto separator = [&](int width) { bar->addSpacing(width); };
  ToolButton1 = tool(TGlyph::New, "document-new", false);
  ToolButton2 = tool(TGlyph::Open, "document-open", false);
  ToolButton3 = tool(TGlyph::Save, "document-save", false);
  ToolButton4 = tool(TGlyph::SaveAs, "document-save-as", false);
  ToolButton5 = tool(TGlyph::Close, "document-close", false);
  separator(11);
  ToolButton7 = tool(TGlyph::Static, "", true);
  ToolButton8 = tool(TGlyph::Animated, "", true);
  ToolButton9 = tool(TGlyph::Both, "", true);
  separator(8);
  ToolButton11 = tool(TGlyph::Options, "preferences-system", false);
  separator(8);
  ToolButton13 = tool(TGlyph::About, "help-about", false);
  separator(8);
  ToolButton15 = tool(TGlyph::Undo, "edit-undo", false);
  ToolButton16 = tool(TGlyph::Redo, "edit-redo", false);
  ToolButton15->setEnabled(false);
  ToolButton16->setEnabled(false);
  ToolBar1->adjustSize();
  PageScroller1->setWidget(ToolBar1);
  auto* toolRow = new QHBoxLayout;
  toolRow->setSpacing(0);
  for (int direction : {-1, 1}) {
    auto* arrow = new QToolButton(central);
    arrow->setArrowType(direction < 0 ? Qt::LeftArrow : Qt::RightArrow);
    arrow->setAutoRepeat(true);
    arrow->setAutoRaise(true);
    arrow->setFocusPolicy(Qt::NoFocus);
    arrow->setFixedSize(14, 44);
    arrow->hide();
    connect(arrow, &QToolButton::clicked, this, [this, direction] {
      QScrollBar* bar = PageScroller1->horizontalScrollBar();
      bar->setValue(bar->value() + direction * 39);
    });
    (direction < 0 ? scrollLeft_ : scrollRight_) = arrow;
  }
  toolRow->addWidget(scrollLeft_);
  toolRow->addWidget(PageScroller1, 1);
  toolRow->addWidget(scrollRight_);
  column->addLayout(toolRow);
  auto* kinds = new QButtonGroup(this);
  kinds->setExclusive(true);
  kinds->addButton(ToolButton7);
  kinds->addButton(ToolButton8);
  ToolButton7->setChecked(true);

  // The lists and the preview share the window's width, as the splitter between them says.
  Splitter1 = new QSplitter(Qt::Horizontal, central);
  Splitter1->setChildrenCollapsible(false);
  column->addWidget(Splitter1, 1);

  GroupBox1 = new QGroupBox(Splitter1);
  auto makeList = [&](QListWidget* list) {
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setTextElideMode(Qt::ElideNone);
    list->setMinimumSize(122, 60);
    list->viewport()->installEventFilter(this);
    return list;
  };
  ListBox1 = new TSmileListBox(GroupBox1);
  ListBox1->OnStartDrag = [this](int row) { StartSmileDrag(row); };
  ListBox1->setMinimumSize(122, 60);
  ListBox1->viewport()->installEventFilter(this);
  FilterEdit = new QLineEdit(GroupBox1);
  FilterEdit->setClearButtonEnabled(true);
  connect(FilterEdit, &QLineEdit::textChanged, this, [this] { ApplyFilter(true); });
  // Escape in the filter clears it; Down goes on to the list.
  FilterEdit->installEventFilter(this);
  EmptyListHint = new QLabel(ListBox1->viewport());
  EmptyListHint->setWordWrap(true);
  EmptyListHint->setTextFormat(Qt::RichText);
  EmptyListHint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  EmptyListHint->setForegroundRole(QPalette::PlaceholderText);
  EmptyListHint->setMargin(6);
  EmptyListHint->hide();
  connect(EmptyListHint, &QLabel::linkActivated, this,
          [this] { RunCommand([this] { OpenDemoPack(); }); });
  ListBox2 = makeList(new QListWidget(GroupBox1));
  connect(ListBox1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { ListBox1Click(); });
  connect(ListBox2, &QListWidget::itemSelectionChanged, this, [this] { ListBox2Click(); });
  auto glyphButton = [&](TGlyph glyph, const char* theme) {
    return NewGlyphButton(GroupBox1, glyph, theme, 33, 24, false);
  };
  BitBtn4 = glyphButton(TGlyph::Add, "list-add");
  BitBtn11 = glyphButton(TGlyph::Picture, "insert-image");
  BitBtn12 = glyphButton(TGlyph::Up, "go-up");
  BitBtn5 = glyphButton(TGlyph::Add, "list-add");
  BitBtn17 = glyphButton(TGlyph::Edit, "document-edit");
  BitBtn14 = glyphButton(TGlyph::Up, "go-up");
  BitBtn7 = glyphButton(TGlyph::Remove, "list-remove");
  BitBtn16 = glyphButton(TGlyph::NoPicture, "edit-clear");
  BitBtn13 = glyphButton(TGlyph::Down, "go-down");
  BitBtn6 = glyphButton(TGlyph::Remove, "list-remove");
  BitBtn18 = glyphButton(TGlyph::Find, "edit-find");
  BitBtn15 = glyphButton(TGlyph::Down, "go-down");
  auto* lists = new QGridLayout(GroupBox1);
  lists->setContentsMargins(8, 4, 8, 8);
  lists->setHorizontalSpacing(10);
  lists->setVerticalSpacing(6);
  lists->addWidget(FilterEdit, 0, 0);
  lists->addWidget(ListBox1, 1, 0);
  lists->addWidget(ListBox2, 0, 1, 2, 1);
  lists->setRowStretch(1, 1);
  // The smiles take more of the width than their symbols: a grid's columns, a row's symbols.
  lists->setColumnStretch(0, 3);
  lists->setColumnStretch(1, 2);
  // Under each list its buttons, three by two, spread over the list's width.
  const std::array<std::array<QPushButton*, 3>, 4> rows = {{{BitBtn4, BitBtn11, BitBtn12},
                                                           {BitBtn7, BitBtn16, BitBtn13},
                                                           {BitBtn5, BitBtn17, BitBtn14},
                                                           {BitBtn6, BitBtn18, BitBtn15}}};
  for (std::size_t r = 0; r < rows.size(); ++r) {
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    for (QPushButton* button : rows[r]) {
      row->addWidget(button);
      if (button != rows[r].back()) row->addStretch(1);
    }
    lists->addLayout(row, 2 + static_cast<int>(r % 2), static_cast<int>(r / 2));
  }

  GroupBox2 = new QGroupBox(Splitter1);
  PaintBox1 = new TPaintBox(GroupBox2);
  PaintBox1->OnPaint = [this](QPainter& p) { PaintBox1Paint(p); };
  PaintBox1->setMinimumSize(40, 40);
  PaintBox1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  // The picture at its own size is never cut off: a box as large as the picture, scrolled
  // when the picture is larger than the room there.
  PreviewScroll = new QScrollArea(GroupBox2);
  PreviewScroll->setFrameShape(QFrame::NoFrame);
  PreviewScroll->setWidgetResizable(true);
  PreviewScroll->setAlignment(Qt::AlignCenter);
  PreviewScroll->setFixedSize(81, 73);
  PaintBox2 = new TPaintBox(PreviewScroll);
  PaintBox2->OnPaint = [this](QPainter& p) { PaintBox2Paint(p); };
  PreviewScroll->setWidget(PaintBox2);
  auto previewButton = [&](TGlyph glyph, const char* theme, int width) {
    return NewGlyphButton(GroupBox2, glyph, theme, width, 16, false);
  };
  BitBtn1 = previewButton(TGlyph::Play, "media-playback-start", 98);
  BitBtn3 = previewButton(TGlyph::Next, "media-skip-forward", 97);
  BitBtn2 = previewButton(TGlyph::Previous, "media-skip-backward", 97);
  for (QPushButton* button : {BitBtn1, BitBtn2, BitBtn3}) {
    button->setMinimumWidth(button->width());
    button->setMaximumWidth(QWIDGETSIZE_MAX);
  }
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
  connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
  auto counter = [&](QWidget* parent, int width) {
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setFont(WindowFont(16));
    label->setMinimumSize(width, 20);
    return label;
  };
  StaticText2 = counter(GroupBox2, 97);
  PreviewFacts = new QLabel(GroupBox2);
  PreviewFacts->setTextFormat(Qt::PlainText);
  PreviewFacts->setAlignment(Qt::AlignCenter);
  auto* preview = new QGridLayout(GroupBox2);
  preview->setContentsMargins(8, 4, 8, 8);
  preview->setSpacing(6);
  preview->addWidget(PaintBox1, 0, 0, 1, 4);
  preview->addWidget(PreviewScroll, 1, 0, 2, 1, Qt::AlignLeft | Qt::AlignBottom);
  preview->setColumnStretch(1, 1);
  preview->addWidget(BitBtn1, 1, 2);
  preview->addWidget(BitBtn3, 1, 3);
  preview->addWidget(StaticText2, 2, 2);
  preview->addWidget(BitBtn2, 2, 3);
  preview->addWidget(PreviewFacts, 3, 0, 1, 4);
  preview->setRowStretch(0, 1);
  Splitter1->setStretchFactor(0, 1);
  Splitter1->setStretchFactor(1, 1);

  auto* bottom = new QHBoxLayout;
  StaticText1 = counter(central, 68);
  // Room for the filter's "shown / all" without the box changing its size.
  StaticText1->setMinimumWidth(
      std::max(68, StaticText1->fontMetrics().horizontalAdvance(QStringLiteral("676 / 676")) + 16));
  bottom->addSpacing(16);
  bottom->addWidget(StaticText1);
  bottom->addStretch(1);
  BitBtn9 = NewGlyphButton(central, TGlyph::Exit, "application-exit", 33, 24, true);
  bottom->addWidget(BitBtn9);
  column->addLayout(bottom);

  PackFacts = new QLabel;
  PackFacts->setTextFormat(Qt::PlainText);
  statusBar()->addPermanentWidget(PackFacts);
  StatusFolder = new QLabel;
  StatusFolder->setTextFormat(Qt::PlainText);
  statusBar()->addPermanentWidget(StatusFolder);
  statusBar()->setSizeGripEnabled(true);

  // The keyboard goes from the lists to the smile buttons, then to the symbol buttons.
  QWidget* order[] = {ListBox1, ListBox2, BitBtn4, BitBtn11, BitBtn12, BitBtn7, BitBtn16,
                      BitBtn13, BitBtn5, BitBtn17, BitBtn14, BitBtn6, BitBtn18, BitBtn15,
                      BitBtn1, BitBtn3, BitBtn2, BitBtn9};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
  BitBtn9->setFocus();

  Timer1 = new QTimer(this);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

  resize(632, 540);
}

void TForm1::LayoutToolBar() {
  const bool scrolls = ToolBar1->width() > centralWidget()->width() - 16;
  scrollLeft_->setVisible(scrolls);
  scrollRight_->setVisible(scrolls);
  if (!scrolls) PageScroller1->horizontalScrollBar()->setValue(0);
  // Each row of a list is as wide as the list.
  ListBox2->setGridSize(QSize(ListBox2->viewport()->width(), 13));
  EmptyListHint->setGeometry(ListBox1->viewport()->rect());
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  LayoutToolBar();
  ElideStatusBar();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The heavy part of start-up waits for the first idle moment after the window is shown, so
  // that every dialog exists and has its texts before the model can show one.
  if (!idleScheduled_) {
    idleScheduled_ = true;
    QTimer::singleShot(0, this, [this] { ApplicationEvents1Idle(); });
  }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ListBox1->viewport() &&
      (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
       event->type() == QEvent::Drop) &&
      HandleSmileListDrop(event))
    return true;
  if (watched == FilterEdit && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape && !FilterEdit->text().isEmpty()) {
      FilterEdit->clear();
      return true;
    }
    if (key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter) {
      ListBox1->setFocus();
      return true;
    }
  }
  if ((watched == ListBox1->viewport() || watched == ListBox2->viewport()) &&
      event->type() == QEvent::Resize)
    LayoutToolBar();
  return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Selection

int TForm1::SelectedSmile() const {
  return ListBox1->SelectedRow();
}

int TForm1::SelectedSymbol() const {
  auto items = ListBox2->selectedItems();
  return items.isEmpty() ? -1 : ListBox2->row(items.front());
}

void TForm1::ListBox1Click() {
  int index = SelectedSmile();
  TSmile* smile = Pack ? Pack->GetSmile(index) : nullptr;
  if (index >= 0 && index != LastSmileIndex && smile) {
    RefillSymbols(index);
    ListBox2Click();
    CurrentFrame = 0;
    LoadPreviewFrames(index);
    UpdatePictureFacts();
    update();
    PaintBox1->update();
    PaintBox2->update();
    PaintPreview();
    UpdateFrameCounter();
    BitBtn12->setEnabled(index > 0);
    BitBtn13->setEnabled(index < ListBox1->count() - 1);
    for (QPushButton* b : {BitBtn11, BitBtn16, BitBtn5, BitBtn7}) b->setEnabled(true);
    ResumeAnimation();
    LastSmileIndex = index;
    return;
  }
  StopAnimation();
  LoadPreviewFrames(-1);
  UpdatePictureFacts();
  UpdateFrameCounter();
  for (QPushButton* b : {BitBtn1, BitBtn5, BitBtn7, BitBtn11, BitBtn12, BitBtn13, BitBtn16})
    b->setEnabled(false);
  bool loaded = Pack && Pack->LoadedPacks.Contains(Pack->ActivePack);
  UpdateSmileCounter();
  BitBtn4->setEnabled(loaded);
  BitBtn18->setEnabled(loaded);
  update();
  PaintBox1->update();
  PaintBox2->update();
  {
    QSignalBlocker block(ListBox2);
    ListBox2->clear();
  }
  LastSymbolIndex = -1;
  ListBox2Click();
  SelectRowQuietly(ListBox1, -1);
  LastSmileIndex = -1;
}

void TForm1::ListBox2Click() {
  int index = SelectedSymbol();
  if (index >= 0 && index != LastSymbolIndex) {
    BitBtn14->setEnabled(index > 0);
    BitBtn15->setEnabled(index < ListBox2->count() - 1);
    BitBtn17->setEnabled(true);
    BitBtn6->setEnabled(true);
    LastSymbolIndex = index;
    return;
  }
  for (QPushButton* b : {BitBtn6, BitBtn14, BitBtn15, BitBtn17}) b->setEnabled(false);
  SelectRowQuietly(ListBox2, -1);
  LastSymbolIndex = -1;
}

void TForm1::ResetSelection() {
  LastSmileIndex = LastSymbolIndex = -1;
  SelectRowQuietly(ListBox1, -1);
  SelectRowQuietly(ListBox2, -1);
  ListBox1Click();
  ListBox2Click();
}

void TForm1::RefillSmiles(bool showCount) {
  SelectRowQuietly(ListBox1, -1);
  std::vector<TSmileRow> rows;
  // A smile that needs attention bears a mark, and its tooltip says why; one worth a note (a
  // code conflict, an outsize picture) a milder mark.
  ComputeNotes();
  if (Pack && Pack->LoadedPacks.Contains(Pack->ActivePack)) {
    const TSmilePack kind = Pack->ActivePack;
    const std::string folder = Pack->StorageFolder[kind];
    rows.reserve(static_cast<std::size_t>(Pack->SmileCount()));
    for (int i = 0; i < Pack->SmileCount(); ++i) {
      const TSmile& smile = *Pack->GetSmile(i);
      TSmileRow row;
      row.Caption = Q(Pack->Smiles[kind][static_cast<std::size_t>(i)].Caption);
      for (const auto& symbol : smile.Symbols.Items()) row.Symbols << SymbolText(symbol);
      if (smile.HasPicture) {
        row.File = folder + Pack->PictureFileName(i);
        row.Width = smile.Width;
        row.Height = smile.Height;
      }
      row.Animated = kind == spAnimated;
      const QString reasons = AttentionOf(i), notes = NotesOf(i);
      row.Mark = !reasons.isEmpty() ? TSmileRow::mkAttention
                 : !notes.isEmpty() ? TSmileRow::mkNote
                                    : TSmileRow::mkNone;
      row.ToolTip = reasons.isEmpty() || notes.isEmpty() ? reasons + notes : reasons + "\n" + notes;
      rows.push_back(std::move(row));
    }
  }
  ListBox1->Model()->SetRows(std::move(rows));
  ListBox1->FitToPictures();
  ApplyFilter(false);
  if (Pack && showCount) UpdateSmileCounter();
}

void TForm1::ApplyFilter(bool textChanged) {
  const int count = ListBox1->count();
  // The filter's text as the pack's code page has it; a text no pack can hold matches nothing.
  std::string wanted;
  const bool all = FilterEdit->text().isEmpty();
  const bool encodable = platform::Utf8ToCp1251(FilterEdit->text().toStdString(), wanted);
  wanted = platform::LowerCase1251(wanted);
  int firstShown = -1;
  for (int i = 0; i < count; ++i) {
    bool shown = all;
    const TSmile* smile = !all && encodable && Pack ? Pack->GetSmile(i) : nullptr;
    if (smile)
      for (const auto& symbol : smile->Symbols.Items())
        if (platform::LowerCase1251(symbol).find(wanted) != std::string::npos) shown = true;
    if (shown && firstShown < 0) firstShown = i;
    if (ListBox1->isRowHidden(i) == shown) ListBox1->setRowHidden(i, !shown);
  }
  const int selected = SelectedSmile();
  if (selected >= 0 && ListBox1->isRowHidden(selected)) SelectSmile(firstShown);
  if (textChanged || !all) UpdateSmileCounter();
}

void TForm1::UpdateSmileCounter() {
  if (!Pack || !Pack->LoadedPacks.Contains(Pack->ActivePack)) {
    StaticText1->clear();
    return;
  }
  // While the filter holds text: how many of the pack's smiles it shows.
  const int count = Pack->SmileCount();
  int shown = 0;
  for (int i = 0; i < ListBox1->count(); ++i) shown += ListBox1->isRowHidden(i) ? 0 : 1;
  StaticText1->setText(FilterEdit->text().isEmpty()
                           ? QString::number(count)
                           : QStringLiteral("%1 / %2").arg(shown).arg(count));
}


void TForm1::RefillSymbols(int smile) {
  QSignalBlocker block(ListBox2);
  ListBox2->clear();
  TSmile* s = Pack ? Pack->GetSmile(smile) : nullptr;
  if (!s) return;
  for (const auto& symbol : s->Symbols.Items()) ListBox2->addItem(SymbolText(symbol));
}

void TForm1::ReselectSmileQuietly(int smile) { SelectRowQuietly(ListBox1, smile); }

void TForm1::SelectSmile(int index) {
  SelectRowQuietly(ListBox1, index);
  LastSmileIndex = -1;
  ListBox1Click();
}

void TForm1::SelectSymbol(int index) {
  SelectRowQuietly(ListBox2, index);
  LastSymbolIndex = -1;
  ListBox2Click();
}

// ---------------------------------------------------------------------------------------------
// Preview and animation

void TForm1::PaintPreview() {
  if (!CurrentPicture) return;
  int delay = CurrentPicture->GetFrameDelay(CurrentFrame);
  Timer1->setInterval(delay > 0 ? delay : 1);
  if (!CurrentPicture->GetFrame(CurrentFrame)) return;
  PaintBox1->update();
  PaintBox2->update();
}


void TForm1::LoadPreviewFrames(int smile) {
  PreviewFrames.clear();
  CurrentPicture = nullptr;
  PreviewPicture.reset();
  const TSmile* s = Pack ? Pack->GetSmile(smile) : nullptr;
  if (s && s->HasPicture) {
    const bool animated = Pack->ActivePack == spAnimated;
    const std::string file = Pack->StorageFolder[Pack->ActivePack] + Pack->PictureFileName(smile);
    try {
      PreviewPicture = DecodeSmileFrames(file, animated, PreviewFrames);
      CurrentPicture = PreviewPicture.get();
    } catch (const std::exception&) {
      // The file changed on disk since the model read it: nothing to show.
      PreviewFrames.clear();
      PreviewPicture.reset();
    }
  }
  // The picture at its own size is shown whole: a box as large as the picture, up to a part of
  // the preview, scrolled beyond that.
  QSize size = PreviewFrames.empty() ? QSize(0, 0) : PreviewFrames.front().size();
  PaintBox2->setMinimumSize(size);
  QSize room = size.expandedTo(QSize(81, 73)).boundedTo(QSize(256, 256));
  PreviewScroll->setFixedSize(room.width() + (size.height() > room.height() ? 16 : 0),
                              room.height() + (size.width() > room.width() ? 16 : 0));
}

void TForm1::PaintBackground(QPainter& painter, const QRect& rect) const {
  switch (PreviewBackground) {
    case bgWhite:
      painter.fillRect(rect, Qt::white);
      break;
    case bgDark:
      painter.fillRect(rect, QColor(0x2b, 0x2b, 0x2b));
      break;
    case bgChecker: {
      const int square = 8;
      painter.fillRect(rect, Qt::white);
      for (int y = rect.top(); y < rect.bottom(); y += square)
        for (int x = rect.left() + ((y - rect.top()) / square % 2) * square; x < rect.right();
             x += 2 * square)
          painter.fillRect(QRect(x, y, square, square).intersected(rect), QColor(0xcc, 0xcc, 0xcc));
      break;
    }
  }
}

const QImage* TForm1::PreviewFrame() const {
  if (!CurrentPicture || CurrentFrame < 0 ||
      CurrentFrame >= static_cast<int>(PreviewFrames.size()))
    return nullptr;
  return &PreviewFrames[static_cast<std::size_t>(CurrentFrame)];
}

void TForm1::PaintBox1Paint(QPainter& painter) {
  const QRect box = PaintBox1->rect();
  PaintBackground(painter, box);
  const QImage* frame = PreviewFrame();
  if (!frame || frame->isNull()) return;
  // In its own proportions: a small picture enlarged by a whole factor, pixels kept sharp; a
  // large one shrunk to fit.
  QSize size = frame->size();
  int factor = std::min(box.width() / size.width(), box.height() / size.height());
  if (factor >= 1) {
    size *= factor;
  } else {
    size.scale(box.size(), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
  }
  QRect target(QPoint(0, 0), size);
  target.moveCenter(box.center());
  painter.drawImage(target, *frame);
}

void TForm1::PaintBox2Paint(QPainter& painter) {
  const QRect box = PaintBox2->rect();
  PaintBackground(painter, box);
  const QImage* frame = PreviewFrame();
  if (!frame || frame->isNull()) return;
  QRect target(QPoint(0, 0), frame->size());
  target.moveCenter(box.center());
  painter.drawImage(target.topLeft(), *frame);
}

void TForm1::UpdateFrameCounter() {
  if (!CurrentPicture) {
    StaticText2->clear();
    return;
  }
  StaticText2->setText(QString::number(CurrentFrame + 1) + " " + Q(OfText) + " " +
                       QString::number(CurrentPicture->GetFrameCount()));
}

void TForm1::Timer1Timer() {
  Timer1->stop();
  if (!CurrentPicture) return;
  if (++CurrentFrame >= CurrentPicture->GetFrameCount()) CurrentFrame = 0;
  PaintPreview();
  UpdateFrameCounter();
  Timer1->start();
}

void TForm1::BitBtn1Click() { SetAnimation(!PlayWanted, true); }

void TForm1::BitBtn2Click() {
  if (!CurrentPicture) return;
  if (--CurrentFrame < 0) CurrentFrame = CurrentPicture->GetFrameCount() - 1;
  PaintPreview();
  UpdateFrameCounter();
}

void TForm1::BitBtn3Click() {
  if (!CurrentPicture) return;
  if (++CurrentFrame >= CurrentPicture->GetFrameCount()) CurrentFrame = 0;
  PaintPreview();
  UpdateFrameCounter();
}

void TForm1::SetAnimation(bool play, bool remember) {
  if (!CurrentPicture || CurrentPicture->GetFrameCount() < 2) {
    BitBtn1->setEnabled(false);
    BitBtn2->setEnabled(false);
    BitBtn3->setEnabled(false);
    Timer1->stop();
    ProcessPendingMessages();
    return;
  }
  BitBtn1->setEnabled(true);
  BitBtn2->setEnabled(!play);
  BitBtn3->setEnabled(!play);
  if (remember) PlayWanted = play;
  if (Timer1->isActive() == play) return;
  if (play) {
    Timer1->start();
  } else {
    Timer1->stop();
    ProcessPendingMessages();
  }
  BitBtn1->setText(Q(PlayCaptions[play ? 1 : 0]));
  GlyphBitmap = Glyph(play ? TGlyph::Pause : TGlyph::Play,
                      play ? "media-playback-pause" : "media-playback-start")
                    .pixmap(BitBtn1->iconSize(), devicePixelRatioF());
  BitBtn1->setIcon(GlyphBitmap);
}

void TForm1::ResumeAnimation() { SetAnimation(PlayWanted, false); }

void TForm1::StopAnimation() {
  SetAnimation(false, false);
  BitBtn2->setEnabled(false);
  BitBtn3->setEnabled(false);
}

// ---------------------------------------------------------------------------------------------
// Packs

void TForm1::ToolButton7Click() { SwitchToPack(spStatic); }

void TForm1::ToolButton8Click() { SwitchToPack(spAnimated); }

void TForm1::SwitchToPack(TSmilePack pack) {
  if (!Pack) return;
  if (Pack->ActivePack == pack) {
    UpdatePackButtons();
    return;
  }
  ResetSelection();
  Pack->SetActivePack(pack);
  RefillSmiles(false);
  ListBox1Click();
  UpdatePackButtons();
}

void TForm1::ToolButton9Click() {
  if (!Pack) return;
  Pack->SetBothPacks(ToolButton9->isChecked());
  UpdatePackButtons();
}

void TForm1::UpdatePackButtons() {
  if (!Pack) return;
  ToolButton7->setChecked(Pack->ActivePack == spStatic);
  ToolButton8->setChecked(Pack->ActivePack == spAnimated);
  ToolButton9->setChecked(Pack->BothPacks);
  bool enabled = Pack->BothPacks ? !Pack->LoadedPacks.Empty()
                                 : Pack->LoadedPacks.Contains(Pack->ActivePack);
  ToolButton3->setEnabled(enabled);
  ToolButton4->setEnabled(enabled);
  ToolButton5->setEnabled(enabled);
  UpdateHistoryButtons();
}

void TForm1::RecaptionSmiles() {
  if (!Pack) return;
  int smile = SelectedSmile(), symbol = SelectedSymbol();
  Pack->NoneText = NoneText;
  Pack->ErrorText = ErrorText;
  Pack->RefreshCaptions();
  RefillSmiles(false);
  QSignalBlocker block(ListBox2);
  ReselectSmileQuietly(smile);
  if (symbol >= 0 && symbol < ListBox2->count()) ListBox2->setCurrentRow(symbol);
}

// ---------------------------------------------------------------------------------------------
// Language

void TForm1::ApplyLanguage(TLang& language) {
  auto m = [&](int key) { return language.Text(MainFormLang, key); };
  auto g = [&](int key) { return language.Text(GeneralLang, key); };

  // The dialogs bear the program's name; the title names the pack too (UpdateTitle).
  if (Dialogs && Dialogs->QueryForm) Dialogs->QueryForm->setWindowTitle(Q(m(0)));
  const std::pair<QWidget*, int> hints[] = {
      {ToolButton1, 1},  {ToolButton2, 2},  {ToolButton3, 3},  {ToolButton4, 4},
      {ToolButton5, 5},  {ToolButton7, 6},  {ToolButton8, 7},  {ToolButton9, 8},
      {ToolButton11, 9}, {ToolButton13, 10}, {BitBtn4, 11},    {BitBtn7, 12},
      {BitBtn11, 13},    {BitBtn16, 14},    {BitBtn12, 15},    {BitBtn13, 16},
      {BitBtn5, 17},     {BitBtn6, 18},     {BitBtn17, 19},    {BitBtn18, 20},
      {BitBtn14, 21},    {BitBtn15, 22},    {BitBtn9, 25}};
  for (auto [widget, key] : hints) widget->setToolTip(Q(m(key)));
  GroupBox1->setTitle(Q(m(23)));
  GroupBox2->setTitle(Q(m(24)));
  PlayCaptions[0] = m(26);
  PlayCaptions[1] = m(27);
  BitBtn1->setText(Q(PlayCaptions[PlayWanted ? 1 : 0]));
  BitBtn2->setText(Q(m(28)));
  BitBtn3->setText(Q(m(29)));
  OfText = m(30);
  UpdateFrameCounter();

  NoneText = g(0);
  ErrorText = g(1);
  RecaptionSmiles();
  for (int i = 0; i < 4; ++i) StageNames[static_cast<std::size_t>(i)] = g(2 + i);
  for (int i = 0; i < 3; ++i) SymbolDialogCaptions[static_cast<std::size_t>(i)] = g(6 + i);
  OpenPackTitle = g(9);
  OpenDialog1.Title = OpenPackTitle;
  SavePackTitle = g(10);
  PictureDialogTitle = g(11);
  OpenDialog2.Title = PictureDialogTitle;
  FilterNames[spStatic] = g(12);
  FilterNames[spAnimated] = g(13);
  AllFilesFilter = "|" + g(14) + " (*.*)|*.*";
  ApplyCommandLanguage(language);
  ApplyHistoryLanguage(language);
  ApplyThemeLanguage(language);
  ApplyShortcutHints();
  UpdateHistoryButtons();
  ApplyFactsLanguage(language);
  ApplyMenuLanguage(language);
}

// ---------------------------------------------------------------------------------------------
// Model events

void TForm1::ShowProgress(TDefineDecoder*) {
  hide();
  Dialogs->LoadForm->show();
}

void TForm1::HideProgress(TDefineDecoder*) {
  Dialogs->LoadForm->hide();
  show();
}

void TForm1::ProgressStage(TDefineDecoder*, unsigned char stage, int min, int max) {
  TForm2& form = *Dialogs->LoadForm;
  form.Label2->setText(stage < StageNames.size() ? Q(StageNames[stage]) : QString());
  form.ProgressBar1->setRange(min, max);
  form.ProgressBar1->setValue(min);
  ProcessPendingMessages();
}

void TForm1::ProgressStep(TDefineDecoder*, const std::string& fileName, int position, int errors) {
  TForm2& form = *Dialogs->LoadForm;
  form.Label4->setText(Q(fileName));
  form.Label6->setText(QString::number(errors));
  form.ProgressBar1->setValue(position);
  ProcessPendingMessages();
}

namespace {

// What a check dialog shows for the smile in question: its picture, or a word in its place.
template <typename Form>
void ShowSmileIn(Form& form, TSmile* smile, const std::string& noneText,
                 const std::string& errorText) {
  if (smile && smile->LoadError) {
    form.Preview = nullptr;
    form.Label10->setText(Q(errorText));
  } else if (!smile || !smile->Picture) {
    form.Preview = nullptr;
    form.Label10->setText(Q(noneText));
  } else {
    form.Preview = smile->Picture.get();
    form.Label10->clear();
  }
}

}  // namespace

void TForm1::AskMissingFile(TDefineDecoder*, bool& skip, bool& forAll,
                            const std::string& currentFile, const std::string& nextFile,
                            const std::string& symbol, TSmile* smile) {
  TForm10& form = *Dialogs->CheckForm;
  form.Label3->setText(Q(currentFile));
  form.Label8->setText(Q(symbol));
  form.Label5->setText(Q(nextFile));
  ShowSmileIn(form, smile, NoneText, ErrorText);
  int result = form.ShowModal();
  form.Preview = nullptr;  // the model frees the smile right after the answer
  skip = result != mrOk && result != mrAll;
  forAll = result == mrAll || (result != mrOk && result != mrNo);
}

void TForm1::AskEmptyLine(TDefineDecoder*, bool& keep, bool& forAll, const std::string& fileName,
                          TSmile* smile) {
  TForm12& form = *Dialogs->EmptyForm;
  form.Label3->setText(Q(fileName));
  ShowSmileIn(form, smile, NoneText, ErrorText);
  int result = form.ShowModal();
  form.Preview = nullptr;
  keep = result != mrOk && result != mrAll;
  forAll = result == mrAll || (result != mrOk && result != mrNo);
}

void TForm1::AskSaveChanges(TDefineDecoder*, unsigned char& answer) {
  int result = Dialogs->QueryForm->ShowModal();
  answer = result == mrYes ? 0 : result == mrNo ? 1 : 2;
}

void TForm1::ChooseSaveTargetEvent(TDefineDecoder*, bool both, std::string& path, bool& ok) {
  ok = ChooseSaveTarget(both, path);
}

void TForm1::ReleasePreview(TDefineDecoder*) {
  StopAnimation();
  LoadPreviewFrames(-1);
}
