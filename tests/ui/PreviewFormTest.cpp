// SPDX-License-Identifier: GPL-3.0-or-later
// The file-check dialogs' preview: the animation while the dialog is shown, and where a frame is
// drawn in the 81 x 73 box.
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include "CheckForm.h"
#include "EmptyForm.h"
#include "ModalResult.h"
#include "UiTestSupport.h"

using namespace ui_testing;

namespace {

constexpr std::uint32_t Red = 0x0000FF;  // platform colours: red in the low byte
constexpr std::uint32_t Blue = 0xFF0000;

TestFrame Plain(int width, int height, std::uint32_t color, int delay = 100) {
  return {width, height, [color](int, int) { return color; }, delay};
}

// The colour of a grabbed pixel as a platform colour.
std::uint32_t PixelAt(const QImage& image, int x, int y) {
  const QRgb rgb = image.pixel(x, y);
  return std::uint32_t(qRed(rgb)) | std::uint32_t(qGreen(rgb)) << 8 |
         std::uint32_t(qBlue(rgb)) << 16;
}

class PreviewFormTest : public ::testing::Test {
protected:
  QImage Box() { return form.PaintBox1->grab().toImage(); }
  std::uint32_t Background() {
    const QColor c = form.PaintBox1->palette().color(QPalette::Base);
    return std::uint32_t(c.red()) | std::uint32_t(c.green()) << 8 |
           std::uint32_t(c.blue()) << 16;
  }

  TForm10 form;
  DialogScript script;
};

}  // namespace

TEST_F(PreviewFormTest, ShowingStartsAtTheFirstFrameAndAnimatesWithItsDelay) {
  TestPicture picture({Plain(4, 4, Red, 40), Plain(4, 4, Blue, 70)});
  form.Preview = &picture;
  form.FrameIndex = 1;
  script.Answer([this](QDialog&) {
    EXPECT_EQ(form.FrameIndex, 0);
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 40);
    return int{mrNo};
  });
  EXPECT_EQ(form.ShowModal(), mrNo);
  EXPECT_FALSE(form.Timer1->isActive());
}

TEST_F(PreviewFormTest, EachTickShowsTheNextFrameForItsOwnDelayAndLoops) {
  TestPicture picture({Plain(4, 4, Red, 40), Plain(4, 4, Red, 0), Plain(4, 4, Red, -5),
                       Plain(4, 4, Red, 70)});
  form.Preview = &picture;
  script.Answer([this](QDialog&) {
    const std::vector<std::pair<int, int>> steps = {{1, 1}, {2, 1}, {3, 70}, {0, 40}, {1, 1}};
    for (const auto& [frame, interval] : steps) {
      form.Timer1Timer();
      EXPECT_EQ(form.FrameIndex, frame);
      EXPECT_EQ(form.Timer1->interval(), interval) << "frame " << frame;
      EXPECT_TRUE(form.Timer1->isActive());
    }
    return int{mrOk};
  });
  form.ShowModal();
}

TEST_F(PreviewFormTest, TheAnimationRunsWhileTheDialogIsOpenAndStopsWhenItCloses) {
  TestPicture picture({Plain(4, 4, Red, 5), Plain(4, 4, Blue, 5), Plain(4, 4, Red, 5)});
  form.Preview = &picture;
  script.Answer([this](QDialog& dialog) {
    bool sawLast = false;
    EXPECT_TRUE(WaitUntil([&] {
      sawLast = sawLast || form.FrameIndex == 2;
      return sawLast && form.FrameIndex == 0;
    })) << "the animation did not come round to the first frame";
    return CloseBox()(dialog);
  });
  EXPECT_EQ(form.ShowModal(), mrCancel);
  EXPECT_FALSE(form.Timer1->isActive());
  const int stopped = form.FrameIndex;
  Wait(40);
  EXPECT_EQ(form.FrameIndex, stopped);
}

TEST_F(PreviewFormTest, ASingleFrameIsNeverAnimated) {
  TestPicture picture({Plain(4, 4, Red, 1)});
  form.Preview = &picture;
  script.Answer([this](QDialog&) {
    EXPECT_FALSE(form.Timer1->isActive());
    Wait(20);
    EXPECT_EQ(form.FrameIndex, 0);
    return int{mrNo};
  });
  form.ShowModal();
}

TEST_F(PreviewFormTest, WithoutAPictureNothingIsDrawnAndATickStopsTheTimer) {
  script.Answer([this](QDialog&) {
    EXPECT_FALSE(form.Timer1->isActive());
    const QImage box = Box();
    for (int y = 0; y < box.height(); ++y)
      for (int x = 0; x < box.width(); ++x) EXPECT_EQ(PixelAt(box, x, y), Background());
    form.Timer1->start(1000);
    form.Timer1Timer();
    EXPECT_FALSE(form.Timer1->isActive());
    return int{mrNo};
  });
  form.ShowModal();
}

TEST_F(PreviewFormTest, TheDialogLetsGoOfThePictureWhenItCloses) {
  TestPicture picture({Plain(4, 4, Red)});
  form.Preview = &picture;
  script.Answer(Return(mrNo));
  form.ShowModal();
  EXPECT_EQ(form.Preview, nullptr);
}

TEST_F(PreviewFormTest, ASmallFrameIsDrawnInTheMiddle) {
  TestPicture picture({Plain(21, 11, Red)});
  form.Preview = &picture;
  const QImage box = Box();
  ASSERT_EQ(box.size(), QSize(81, 73));
  // (81 - 21) / 2 = 30, (73 - 11) / 2 = 31.
  EXPECT_EQ(PixelAt(box, 30, 31), Red);
  EXPECT_EQ(PixelAt(box, 50, 41), Red);
  EXPECT_EQ(PixelAt(box, 29, 31), Background());
  EXPECT_EQ(PixelAt(box, 51, 41), Background());
  EXPECT_EQ(PixelAt(box, 30, 30), Background());
  EXPECT_EQ(PixelAt(box, 50, 42), Background());
}

TEST_F(PreviewFormTest, ALargerFrameIsCentredWithTruncatingDivisionAndCutOffOnEverySide) {
  // Each pixel's colour tells where in the frame it is.
  auto where = [](int x, int y) { return std::uint32_t(x) | std::uint32_t(y) << 8 | 0x800000u; };
  TestPicture picture({{100, 90, where, 100}});
  form.Preview = &picture;
  const QImage box = Box();
  // (81 - 100) / 2 = -9 and (73 - 90) / 2 = -8; flooring would give -10 and -9.
  EXPECT_EQ(PixelAt(box, 0, 0), where(9, 8));
  EXPECT_EQ(PixelAt(box, 80, 0), where(89, 8));
  EXPECT_EQ(PixelAt(box, 0, 72), where(9, 80));
  EXPECT_EQ(PixelAt(box, 80, 72), where(89, 80));

  // Nothing of the frame shows around the box.
  auto isFramePixel = [](std::uint32_t c) {
    return (c >> 16) == 0x80u && (c & 0xFFu) < 100 && ((c >> 8) & 0xFFu) < 90;
  };
  Shown shown(form);
  const QImage window = form.grab().toImage();
  const QRect around(form.PaintBox1->mapTo(&form, QPoint(-4, -4)), QSize(89, 81));
  for (int x = around.left(); x <= around.right(); ++x)
    for (int y : {around.top(), around.bottom()})
      EXPECT_FALSE(isFramePixel(PixelAt(window, x, y))) << x << "," << y;
  for (int y = around.top(); y <= around.bottom(); ++y)
    for (int x : {around.left(), around.right()})
      EXPECT_FALSE(isFramePixel(PixelAt(window, x, y))) << x << "," << y;
}

TEST_F(PreviewFormTest, TheBoxShowsTheFrameInForce) {
  TestPicture picture({Plain(81, 73, Red), Plain(81, 73, Blue)});
  form.Preview = &picture;
  form.FrameIndex = 1;
  EXPECT_EQ(PixelAt(Box(), 40, 36), Blue);
  form.FrameIndex = 0;
  EXPECT_EQ(PixelAt(Box(), 40, 36), Red);
}

TEST(EmptyFormPreview, AnimatesLikeTheCheckForm) {
  TForm12 form;
  TestPicture picture({Plain(4, 4, Red, 30), Plain(4, 4, Blue, 0)});
  form.Preview = &picture;
  DialogScript script;
  script.Answer([&form](QDialog&) {
    EXPECT_EQ(form.Timer1->interval(), 30);
    form.Timer1Timer();
    EXPECT_EQ(form.FrameIndex, 1);
    EXPECT_EQ(form.Timer1->interval(), 1);
    return int{mrAll};
  });
  EXPECT_EQ(form.ShowModal(), mrAll);
  EXPECT_FALSE(form.Timer1->isActive());
}
