// SPDX-License-Identifier: GPL-3.0-or-later
// What the two file-check dialogs (CheckForm and EmptyForm) share: a preview of the smile
// concerned, animated while the dialog is shown, and four buttons with the same results:
// BitBtn1 mrOk, BitBtn3 mrAll, BitBtn2 mrNo (the default button), BitBtn4 and the close box
// mrCancel.
#pragma once

#include <functional>

#include "DialogForm.h"

class QTimer;
class TPictureDecoder;

// A surface that its owner paints through OnPaint.
class TPaintBox : public QWidget {
public:
  explicit TPaintBox(QWidget* parent) : QWidget(parent) {}

  std::function<void(QPainter& canvas)> OnPaint;

protected:
  void paintEvent(QPaintEvent* event) override;
};

class TPreviewForm : public TModalForm {
  Q_OBJECT

public:
  // The picture shown, borrowed from the pack model for one showing; nullptr for none. Set it
  // before each showing: ShowModal lets go of it when the dialog closes, because the model
  // frees the picture right after the answer.
  TPictureDecoder* Preview = nullptr;
  // The frame shown.
  int FrameIndex = 0;

  // Shows the first frame, animates a picture of more than one frame while the dialog is
  // open, and returns the dialog's result.
  int ShowModal() override;
  // One step of the animation: the next frame (after the last, the first), shown for its own
  // delay (1 ms for a delay of 0 or less).
  void Timer1Timer();
  // Draws frame FrameIndex at its natural size centred in the box (a larger frame is cut off on
  // every side); nothing without a Preview.
  void PaintBox1Paint(QPainter& canvas);

  TPaintBox* PaintBox1;  // the preview, 81 x 73
  QTimer* Timer1;        // the animation; runs only while the dialog is shown
  QLabel* Label10;       // a note beside the preview ("None", "Error", or empty)
  QPushButton* BitBtn1;  // mrOk
  QPushButton* BitBtn2;  // mrNo; the default button
  QPushButton* BitBtn3;  // mrAll
  QPushButton* BitBtn4;  // mrCancel

protected:
  TPreviewForm(QWidget* parent, int clientWidth, int clientHeight);

  // The preview in its frame, with the note beside it.
  QLayout* PreviewRow();
  // The four buttons, two by two: BitBtn1 and BitBtn3 above BitBtn2 and BitBtn4.
  QLayout* ButtonGrid();

  static constexpr int TextPixels = 16;

private:
  int FrameInterval() const;
};
