// SPDX-License-Identifier: GPL-3.0-or-later
#include "SmileListModel.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include <sys/stat.h>

#include <algorithm>
#include <exception>

#include "SmileFrames.h"

namespace {

// Above this many kept thumbnails the oldest pack's are let go: a pack holds at most 676.
constexpr int MaxThumbnails = 4 * 676;
// Frames shorter than this play at it; a delay of 0 plays as browsers play it.
constexpr int ShortestDelay = 20, ZeroDelay = 100;
// The largest room a picture gets in a list row and in a grid cell.
constexpr int ListLimit = 32, GridLimit = 64, SmallestBox = 16;

}  // namespace

// ---------------------------------------------------------------------------------------------
// The model

TSmileListModel::TSmileListModel(QObject* parent) : QAbstractListModel(parent) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
  clock_.start();
}

QString TSmileListModel::FileKey(const std::string& file) {
  struct stat info {};
  if (file.empty() || ::stat(file.c_str(), &info) != 0) return {};
  return QStringLiteral("%1:%2:%3:%4.%5")
      .arg(info.st_dev)
      .arg(info.st_ino)
      .arg(info.st_size)
      .arg(info.st_mtim.tv_sec)
      .arg(info.st_mtim.tv_nsec);
}

void TSmileListModel::SetRows(std::vector<TSmileRow> rows) {
  std::vector<QString> keys;
  keys.reserve(rows.size());
  for (const TSmileRow& row : rows) keys.push_back(FileKey(row.File));
  if (thumbnails_.size() > MaxThumbnails) thumbnails_.clear();
  // A playing row whose file changed starts again from the new file.
  std::erase_if(playing_, [&](const TPlaying& p) {
    const auto r = static_cast<std::size_t>(p.Row);
    return r >= keys.size() || r >= keys_.size() || keys[r] != keys_[r];
  });
  if (rows.size() == rows_.size()) {
    rows_ = std::move(rows);
    keys_ = std::move(keys);
    if (!rows_.empty()) emit dataChanged(index(0), index(rowCount() - 1));
    return;
  }
  beginResetModel();
  rows_ = std::move(rows);
  keys_ = std::move(keys);
  playing_.clear();
  endResetModel();
}

int TSmileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant TSmileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const TSmileRow& row = Row(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return row.Caption;
    case Qt::ToolTipRole:
      return row.ToolTip.isEmpty() ? QVariant() : row.ToolTip;
    case LineRole: {
      // The caption names the leading symbol; the others follow it.
      QString line = QString::number(index.row() + 1) + ". " + row.Caption;
      for (qsizetype i = 1; i < row.Symbols.size(); ++i) line += "  " + row.Symbols[i];
      return line;
    }
    case LeadRole:
      return row.Symbols.isEmpty() ? QString() : row.Symbols.front();
    case MarkRole:
      return static_cast<int>(row.Mark);
    default:
      return {};
  }
}

QImage TSmileListModel::Frame(int row) const {
  if (row < 0 || row >= rowCount()) return {};
  for (const TPlaying& p : playing_)
    if (p.Row == row && !p.Frames.empty()) return p.Frames[static_cast<std::size_t>(p.Current)];
  const QString& key = keys_[static_cast<std::size_t>(row)];
  if (key.isEmpty()) return {};
  if (auto found = thumbnails_.constFind(key); found != thumbnails_.cend()) return *found;
  QImage first;
  try {
    std::vector<QImage> frames;
    const TSmileRow& r = Row(row);
    DecodeSmileFrames(r.File, r.Animated, frames, true);
    if (!frames.empty()) first = frames.front();
  } catch (const std::exception&) {
    // Changed on disk since the pack read it: no thumbnail, and no second try for this file.
  }
  thumbnails_.insert(key, first);
  return first;
}

QSize TSmileListModel::LargestPicture() const {
  QSize largest(0, 0);
  for (const TSmileRow& row : rows_) largest = largest.expandedTo(QSize(row.Width, row.Height));
  return largest;
}

void TSmileListModel::SetAnimated(const std::vector<int>& rows) {
  std::vector<TPlaying> playing;
  for (int row : rows) {
    if (row < 0 || row >= rowCount() || keys_[static_cast<std::size_t>(row)].isEmpty() ||
        std::any_of(playing.begin(), playing.end(), [&](const TPlaying& p) { return p.Row == row; }))
      continue;
    auto same = std::find_if(playing_.begin(), playing_.end(),
                             [&](const TPlaying& p) { return p.Row == row; });
    if (same != playing_.end()) {
      playing.push_back(std::move(*same));
      continue;
    }
    const TSmileRow& r = Row(row);
    TPlaying p;
    p.Row = row;
    try {
      auto decoder = DecodeSmileFrames(r.File, r.Animated, p.Frames);
      for (int i = 0; i < static_cast<int>(p.Frames.size()); ++i) {
        const int delay = decoder->GetFrameDelay(i);
        p.Delays.push_back(delay <= 0 ? ZeroDelay : std::max(delay, ShortestDelay));
      }
    } catch (const std::exception&) {
      continue;
    }
    if (p.Frames.size() < 2) continue;  // a still picture: its thumbnail says it all
    p.Next = clock_.elapsed() + p.Delays.front();
    playing.push_back(std::move(p));
  }
  // Rows that stop playing go back to their first frame.
  std::vector<int> stopped;
  for (const TPlaying& p : playing_)
    if (std::none_of(playing.begin(), playing.end(), [&](const TPlaying& q) { return q.Row == p.Row; }))
      stopped.push_back(p.Row);
  playing_ = std::move(playing);
  for (int row : stopped) emit dataChanged(index(row), index(row), {Qt::DecorationRole});
  Tick();
}

void TSmileListModel::Tick() {
  timer_.stop();
  if (playing_.empty()) return;
  const qint64 now = clock_.elapsed();
  qint64 next = now + 1000;
  for (TPlaying& p : playing_) {
    if (p.Next <= now) {
      p.Current = (p.Current + 1) % static_cast<int>(p.Frames.size());
      // Behind by more than a frame (a busy moment): go on from now rather than catch up.
      p.Next = std::max(p.Next, now - p.Delays[static_cast<std::size_t>(p.Current)]) +
               p.Delays[static_cast<std::size_t>(p.Current)];
      emit dataChanged(index(p.Row), index(p.Row), {Qt::DecorationRole});
    }
    next = std::min(next, p.Next);
  }
  timer_.start(static_cast<int>(std::max<qint64>(next - now, 1)));
}

// ---------------------------------------------------------------------------------------------
// The delegate

namespace {

constexpr int Pad = 3, MarkSize = 12;

const TSmileListModel* ModelOf(const QModelIndex& index) {
  return qobject_cast<const TSmileListModel*>(index.model());
}

// The picture in Box, shrunk to fit when larger, centred; small pictures keep their pixels.
void DrawPicture(QPainter& painter, const QImage& image, const QRect& box) {
  if (image.isNull()) return;
  QSize size = image.size();
  if (size.width() > box.width() || size.height() > box.height())
    size.scale(box.size(), Qt::KeepAspectRatio);
  const QRect target(box.x() + (box.width() - size.width()) / 2,
                     box.y() + (box.height() - size.height()) / 2, size.width(), size.height());
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, size != image.size());
  painter.drawImage(target, image);
  painter.restore();
}

}  // namespace

void TSmileDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

  const int mark = index.data(TSmileListModel::MarkRole).toInt();
  QIcon markIcon;
  if (mark != TSmileRow::mkNone)
    markIcon = style->standardIcon(mark == TSmileRow::mkAttention ? QStyle::SP_MessageBoxWarning
                                                                  : QStyle::SP_MessageBoxInformation);
  const QImage frame = ModelOf(index) ? ModelOf(index)->Frame(index.row()) : QImage();
  const QRect r = option.rect.adjusted(Pad, Pad, -Pad, -Pad);
  const QPalette::ColorRole textRole =
      option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text;
  if (Grid) {
    const QRect box(r.x() + (r.width() - Box.width()) / 2, r.y(), Box.width(), Box.height());
    DrawPicture(*painter, frame, box);
    const QRect text(r.x(), box.bottom() + 1 + Pad, r.width(), r.bottom() - box.bottom() - Pad);
    const QString lead = opt.fontMetrics.elidedText(
        index.data(TSmileListModel::LeadRole).toString(), Qt::ElideRight, text.width());
    style->drawItemText(painter, text, Qt::AlignHCenter | Qt::AlignTop, opt.palette, true, lead,
                        textRole);
    if (!markIcon.isNull()) markIcon.paint(painter, QRect(r.right() - MarkSize + 1, r.y(), MarkSize, MarkSize));
    return;
  }
  // A list row: the mark's column (kept free without a mark, so that captions line up), the
  // picture, then the number, the caption and the other symbols.
  const QRect markRect(r.x(), r.y() + (r.height() - MarkSize) / 2, MarkSize, MarkSize);
  if (!markIcon.isNull()) markIcon.paint(painter, markRect);
  const QRect box(markRect.right() + 1 + Pad, r.y() + (r.height() - Box.height()) / 2,
                  Box.width(), Box.height());
  DrawPicture(*painter, frame, box);
  const QRect text(box.right() + 1 + 2 * Pad, r.y(), r.right() - box.right() - 2 * Pad, r.height());
  const QString line = opt.fontMetrics.elidedText(
      index.data(TSmileListModel::LineRole).toString(), Qt::ElideRight, text.width());
  style->drawItemText(painter, text, Qt::AlignLeft | Qt::AlignVCenter, opt.palette, true, line,
                      textRole);
}

QSize TSmileDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QFontMetrics& fm = option.fontMetrics;
  if (Grid) {
    const int width = std::max(Box.width() + 2 * MarkSize, fm.averageCharWidth() * 8);
    return {width + 2 * Pad, Box.height() + fm.height() + 3 * Pad};
  }
  const int text = fm.horizontalAdvance(index.data(TSmileListModel::LineRole).toString());
  return {MarkSize + Box.width() + text + 6 * Pad, std::max(Box.height(), fm.height()) + 2 * Pad};
}

// ---------------------------------------------------------------------------------------------
// The view

TSmileListBox::TSmileListBox(QWidget* parent)
    : QListView(parent), model_(new TSmileListModel(this)), delegate_(new TSmileDelegate(this)) {
  setModel(model_);
  setItemDelegate(delegate_);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  setMouseTracking(true);
  setResizeMode(QListView::Adjust);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  SetGrid(false);
}

void TSmileListBox::SetGrid(bool grid) {
  delegate_->Grid = grid;
  setFlow(grid ? QListView::LeftToRight : QListView::TopToBottom);
  setWrapping(grid);
  FitToPictures();
  Animate();
}

void TSmileListBox::FitToPictures() {
  const int limit = IsGrid() ? GridLimit : ListLimit;
  QSize box = model_->LargestPicture().boundedTo(QSize(limit, limit));
  box = box.expandedTo(QSize(SmallestBox, SmallestBox));
  // A list row is one text line high at least, so the room is square at most that high.
  if (!IsGrid()) box = QSize(std::min(box.width(), limit), box.height());
  delegate_->Box = box;
  // The rows' size is asked once for uniform rows: ask again.
  scheduleDelayedItemsLayout();
  viewport()->update();
}

int TSmileListBox::currentRow() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

void TSmileListBox::setCurrentRow(int row) {
  if (row >= 0 && row < count())
    setCurrentIndex(model_->index(row));
  else
    setCurrentIndex({});
}

int TSmileListBox::SelectedRow() const {
  const QModelIndexList rows = selectionModel()->selectedIndexes();
  return rows.isEmpty() ? -1 : rows.front().row();
}

void TSmileListBox::ScrollToRow(int row) {
  if (row >= 0 && row < count()) scrollTo(model_->index(row));
}

bool TSmileListBox::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::MouseMove || event->type() == QEvent::Leave) {
    const int row = event->type() == QEvent::Leave
                        ? -1
                        : indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).row();
    if (row != hovered_) {
      hovered_ = row;
      Animate();
    }
  }
  return QListView::viewportEvent(event);
}

void TSmileListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QListView::currentChanged(current, previous);
  Animate();
}

void TSmileListBox::Animate() {
  // The grid plays the selected and the hovered smile; the list shows first frames only.
  if (IsGrid())
    model_->SetAnimated({SelectedRow() >= 0 ? SelectedRow() : currentRow(), hovered_});
  else
    model_->SetAnimated({});
}
