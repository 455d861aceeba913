// The smile list: a list box that leaves its drags to the main window, which drags the smile
// (what it is, for which pack of which window) rather than the list's row.
#pragma once

#include <QListWidget>

#include <functional>

class TSmileListBox : public QListWidget {
public:
  using QListWidget::QListWidget;
  // Called once the mouse has moved far enough with smile Row pressed.
  std::function<void(int row)> OnStartDrag;

protected:
  void startDrag(Qt::DropActions) override {
    if (OnStartDrag) OnStartDrag(currentRow());
  }
};
