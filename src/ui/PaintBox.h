// A plain drawing surface: the owner paints it through OnPaint. Nothing is cleared before
// OnPaint runs, except by the widget's own background on a full repaint.
#pragma once

#include <QPainter>
#include <QWidget>

#include <functional>

class TPaintBox : public QWidget {
public:
  explicit TPaintBox(QWidget* parent = nullptr) : QWidget(parent) {}

  std::function<void(QPainter&)> OnPaint;

protected:
  void paintEvent(QPaintEvent*) override {
    if (!OnPaint) return;
    QPainter painter(this);
    OnPaint(painter);
  }
};
