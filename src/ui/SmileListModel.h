// SPDX-License-Identifier: GPL-3.0-or-later
// The smiles of the active pack as the window's smile list shows them: an item model that the
// window refills after every change of the pack, a delegate that draws a row of the list or a
// cell of the grid, and the view that holds both.
//
// A row's picture is its first frame, decoded when the row is first drawn and kept while its
// file stays the same file (device, inode, size and time of change): moving smiles renames
// their files, and keeps their thumbnails. Rows chosen with SetAnimated (the selected and the
// hovered smile of the grid) play every frame at its own delay.
#pragma once

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QListView>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

// What the window hands over for one smile.
struct TSmileRow {
  QString Caption;      // the pack's caption: "aa.gif (:-))"
  QStringList Symbols;  // every symbol, in order
  std::string File;     // the picture's file; empty without a decoded picture
  bool Animated = false;
  int Width = 0, Height = 0;  // the picture's size, 0 without one
  enum TMark { mkNone, mkNote, mkAttention } Mark = mkNone;
  QString ToolTip;  // why the row is marked
};

class TSmileListModel : public QAbstractListModel {
  Q_OBJECT

public:
  // Qt::DisplayRole is the caption, Qt::ToolTipRole why the row is marked.
  enum TRole { LineRole = Qt::UserRole, LeadRole, MarkRole };

  explicit TSmileListModel(QObject* parent = nullptr);

  // The rows of a changed pack. The same number of rows keeps the views' selection and
  // scrolling (only the data changes); another number resets the views.
  void SetRows(std::vector<TSmileRow> rows);
  const TSmileRow& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  // The frame to draw for a row now: the playing frame of an animated row, otherwise the
  // first frame; null without a picture or when it does not decode.
  QImage Frame(int row) const;
  // The largest width and height among the rows' pictures.
  QSize LargestPicture() const;
  // The rows that play their frames; every other row shows its first frame.
  void SetAnimated(const std::vector<int>& rows);

private:
  struct TPlaying {
    int Row = -1;
    std::vector<QImage> Frames;
    std::vector<int> Delays;  // milliseconds
    int Current = 0;
    qint64 Next = 0;  // when the next frame is due, on Clock
  };
  // Which file a row's thumbnail came from, as the system names it.
  static QString FileKey(const std::string& file);
  void Tick();

  std::vector<TSmileRow> rows_;
  std::vector<QString> keys_;                  // each row's FileKey, empty without a file
  mutable QHash<QString, QImage> thumbnails_;  // by FileKey
  std::vector<TPlaying> playing_;
  QTimer timer_;
  QElapsedTimer clock_;
};

// Draws a smile as a list row (mark, thumbnail, number, caption and the other symbols) or as a
// grid cell (the picture over its leading symbol, the mark in a corner).
class TSmileDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  bool Grid = false;
  QSize Box{16, 16};  // the room for a picture, the largest picture up to a limit
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The smile list: a list or a grid of the model's rows. It leaves drags to the main window,
// which drags the smile (what it is, for which pack of which window) rather than the row.
class TSmileListBox : public QListView {
public:
  explicit TSmileListBox(QWidget* parent = nullptr);
  TSmileListModel* Model() const { return model_; }
  TSmileDelegate* Delegate() const { return delegate_; }

  // One column of rows, or a grid of cells; the picture room follows the pack's pictures.
  void SetGrid(bool grid);
  bool IsGrid() const { return delegate_->Grid; }
  void FitToPictures();

  int count() const { return model_->rowCount(); }
  int currentRow() const;
  void setCurrentRow(int row);
  // The selected row, or -1.
  int SelectedRow() const;
  void ScrollToRow(int row);
  // Called once the mouse has moved far enough with smile Row pressed.
  std::function<void(int row)> OnStartDrag;

protected:
  void startDrag(Qt::DropActions) override {
    if (OnStartDrag) OnStartDrag(currentRow());
  }
  bool viewportEvent(QEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
  void Animate();
  TSmileListModel* model_;
  TSmileDelegate* delegate_;
  int hovered_ = -1;
};
