// SPDX-License-Identifier: GPL-3.0-or-later
#include "PreviewForm.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include "ModalResult.h"
#include "PictureDecoder.h"

void TPaintBox::paintEvent(QPaintEvent*) {
  QPainter canvas(this);
  if (OnPaint) OnPaint(canvas);
}

TPreviewForm::TPreviewForm(QWidget* parent, int clientWidth, int clientHeight)
    : TModalForm(parent, clientWidth, clientHeight) {
  PaintBox1 = new TPaintBox(this);
  PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
  PaintBox1->setFixedSize(81, 73);
  PaintBox1->setBackgroundRole(QPalette::Base);
  PaintBox1->setAutoFillBackground(true);
  PaintBox1->OnPaint = [this](QPainter& canvas) { PaintBox1Paint(canvas); };
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  connect(Timer1, &QTimer::timeout, this, &TPreviewForm::Timer1Timer);
  Label10 = NewWrappedLabel("Label10");
  SetPixelFont(Label10, TextPixels);

  BitBtn1 = NewButton("BitBtn1", mrOk);
  BitBtn3 = NewButton("BitBtn3", mrAll);
  BitBtn2 = NewButton("BitBtn2", mrNo);
  BitBtn2->setDefault(true);
  BitBtn4 = NewButton("BitBtn4", mrCancel);
  InitialFocus = BitBtn2;
}

QLayout* TPreviewForm::PreviewRow() {
  // A sunken frame around the box, so that the box shows where a picture would be.
  auto* frame = new QFrame(this);
  frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  auto* inside = new QHBoxLayout(frame);
  inside->setContentsMargins(frame->frameWidth(), frame->frameWidth(), frame->frameWidth(),
                             frame->frameWidth());
  inside->addWidget(PaintBox1);

  auto* row = new QHBoxLayout;
  row->setSpacing(Margin);
  row->addWidget(frame, 0, Qt::AlignTop);
  row->addWidget(Label10, 1);
  return row;
}

QLayout* TPreviewForm::ButtonGrid() {
  auto* grid = new QGridLayout;
  grid->setSpacing(Margin);
  grid->addWidget(BitBtn1, 0, 0);
  grid->addWidget(BitBtn3, 0, 1);
  grid->addWidget(BitBtn2, 1, 0);
  grid->addWidget(BitBtn4, 1, 1);
  setTabOrder(BitBtn1, BitBtn3);
  setTabOrder(BitBtn3, BitBtn2);
  setTabOrder(BitBtn2, BitBtn4);
  return grid;
}

int TPreviewForm::ShowModal() {
  FrameIndex = 0;
  if (Preview && Preview->GetFrameCount() > 1) {
    Timer1->setInterval(FrameInterval());
    Timer1->start();
  }
  PaintBox1->update();
  const int result = TModalForm::ShowModal();
  Timer1->stop();
  Preview = nullptr;
  return result;
}

void TPreviewForm::Timer1Timer() {
  Timer1->stop();
  if (!Preview) return;
  const int count = Preview->GetFrameCount();
  if (count <= 0) return;
  if (++FrameIndex >= count) FrameIndex = 0;
  // Qt paints later, outside this call, so the frame's delay is taken here and not while
  // painting.
  Timer1->setInterval(FrameInterval());
  PaintBox1->update();
  Timer1->start();
}

void TPreviewForm::PaintBox1Paint(QPainter& canvas) {
  if (!Preview) return;
  const TSmileBitmap* frame = Preview->GetFrame(FrameIndex);
  if (!frame) return;
  // Integer division truncating toward zero, also for the negative offsets of a frame larger
  // than the box; the painter clips what lies outside.
  frame->Draw((PaintBox1->width() - frame->width) / 2, (PaintBox1->height() - frame->height) / 2,
              canvas);
}

int TPreviewForm::FrameInterval() const {
  const int delay = Preview ? Preview->GetFrameDelay(FrameIndex) : 0;
  return delay > 0 ? delay : 1;
}
