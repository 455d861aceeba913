// SPDX-License-Identifier: GPL-3.0-or-later
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>

#include <sys/stat.h>

#include <cstdlib>

#include "TestSupport.h"

namespace ui_testing {

namespace {

class UiEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    home_ = std::make_unique<testing_support::TempDir>();
    ::setenv("HOME", home_->Path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", home_->Make(".config/").c_str(), 1);
    ::setenv("XDG_DATA_HOME", home_->Make(".local/share/").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", home_->Make(".cache/").c_str(), 1);
    std::string runtime = home_->Make("run/");  // the user's alone, as a session's is
    ::chmod(runtime.c_str(), 0700);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    // A test program may bring its own application object.
    if (!QCoreApplication::instance()) app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override {
    app_.reset();
    home_.reset();
  }

private:
  int argc_ = 1;
  char name_[12] = "ui_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<testing_support::TempDir> home_;
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new UiEnvironment);

QFileDialog* AsChooser(QDialog& dialog) {
  auto* chooser = qobject_cast<QFileDialog*>(&dialog);
  if (!chooser) ADD_FAILURE() << "expected a chooser, got " << dialog.metaObject()->className();
  return chooser;
}

}  // namespace

TAnswer Return(int result) {
  return [result](QDialog&) { return result; };
}

TAnswer Click(const char* button) {
  return [name = std::string(button)](QDialog& dialog) {
    auto* target = dialog.findChild<QAbstractButton*>(QString::fromStdString(name));
    if (!target) {
      ADD_FAILURE() << dialog.metaObject()->className() << " has no button " << name;
      return dialog.result();
    }
    target->click();
    return dialog.result();
  };
}

TAnswer CloseBox() {
  return [](QDialog& dialog) {
    dialog.show();
    dialog.close();
    return dialog.result();
  };
}

void ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
}

TAnswer PressKey(Qt::Key key) {
  return [key](QDialog& dialog) {
    ShowActive(dialog);
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target ? target : &dialog, key);
    return dialog.result();
  };
}

TAnswer ChooseFolder(const std::string& folder) {
  return [folder](QDialog& dialog) {
    QFileDialog* chooser = AsChooser(dialog);
    if (!chooser) return int{QDialog::Rejected};
    chooser->setDirectory(QString::fromStdString(folder));
    static_cast<QDialog*>(chooser)->accept();  // QFileDialog makes accept() protected
    return chooser->result();
  };
}

TAnswer ChooseFiles(const std::vector<std::string>& files) {
  return [files](QDialog& dialog) {
    QFileDialog* chooser = AsChooser(dialog);
    if (!chooser || files.empty()) return int{QDialog::Rejected};
    const QFileInfo first(QString::fromStdString(files.front()));
    chooser->setDirectory(first.absolutePath());
    QStringList names;
    for (const std::string& file : files)
      names << QLatin1Char('"') + QFileInfo(QString::fromStdString(file)).fileName() +
                   QLatin1Char('"');
    chooser->selectFile(files.size() == 1 ? first.fileName() : names.join(QLatin1Char(' ')));
    static_cast<QDialog*>(chooser)->accept();  // QFileDialog makes accept() protected
    return chooser->result();
  };
}

TAnswer CancelChooser() {
  return [](QDialog& dialog) {
    dialog.reject();
    return dialog.result();
  };
}

namespace {

// The file a TestPicture stands on: decoders open their file when they are made.
const std::string& AnyFile() {
  static testing_support::TempDir folder;
  static const std::string file = [] {
    std::string path = folder.Path() + "picture";
    testing_support::WriteBytes(path, "");
    return path;
  }();
  return file;
}

}  // namespace

TestPicture::TestPicture(const std::vector<TestFrame>& frames) : TPictureDecoder(AnyFile()) {
  CloseStream();
  for (const TestFrame& wanted : frames) {
    auto frame = std::make_unique<TSmileBitmap32>(wanted.width, wanted.height);
    frame->Allocate();
    for (int y = 0; y < wanted.height; ++y)
      for (int x = 0; x < wanted.width; ++x) frame->SetPixel(x, y, wanted.color(x, y));
    frames_.push_back(std::move(frame));
    delays_.push_back(wanted.delay);
  }
}

void ExpectTextsFit(QWidget& window) {
  const std::string where = window.objectName().toStdString();
  struct Leaf {
    std::string name;
    QRect rect;
  };
  std::vector<Leaf> leaves;
  for (QWidget* child : window.findChildren<QWidget*>()) {
    if (!child->isVisibleTo(&window)) continue;
    const std::string name = where + "." + child->objectName().toStdString();
    const QRect rect(child->mapTo(&window, QPoint(0, 0)), child->size());
    EXPECT_TRUE(window.rect().contains(rect)) << name << " lies partly outside the window";
    const QSize need = child->sizeHint();
    bool leaf = true;
    if (auto* label = qobject_cast<QLabel*>(child)) {
      const bool runTimeValue = label->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored;
      if (!runTimeValue && label->pixmap().isNull()) {
        if (label->wordWrap()) {
          EXPECT_LE(label->heightForWidth(label->width()), label->height())
              << name << " is cut off";
        } else {
          EXPECT_LE(need.width(), label->width()) << name << " is cut off";
          EXPECT_LE(need.height(), label->height()) << name << " is cut off";
        }
      }
    } else if (qobject_cast<QAbstractButton*>(child)) {
      EXPECT_LE(need.width(), child->width()) << name << " is cut off";
      EXPECT_LE(need.height(), child->height()) << name << " is cut off";
    } else if (qobject_cast<QGroupBox*>(child)) {
      EXPECT_LE(child->minimumSizeHint().width(), child->width()) << name << " is cut off";
      leaf = false;
    } else {
      leaf = qobject_cast<QLineEdit*>(child) || qobject_cast<QComboBox*>(child) ||
             qobject_cast<QProgressBar*>(child) || child->objectName() == "PaintBox1";
    }
    if (!leaf) continue;
    for (const Leaf& other : leaves)
      EXPECT_FALSE(other.rect.intersects(rect)) << name << " overlaps " << other.name;
    leaves.push_back({name, rect});
  }
}

Shown::Shown(QWidget& window) : window_(window) {
  window_.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_));
}

Shown::~Shown() { window_.hide(); }

std::unique_ptr<TLang> BuiltInLanguage() { return std::make_unique<TLang>("", true); }

std::string EnglishLanguageFile() { return FENNIMO_SOURCE_DIR "/Languages/English.lng"; }

std::unique_ptr<TLang> EnglishLanguage() {
  auto lang = std::make_unique<TLang>(EnglishLanguageFile(), false);
  EXPECT_FALSE(lang->IsDefault) << "missing " << EnglishLanguageFile();
  return lang;
}

bool WaitUntil(const std::function<bool()>& condition, int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > milliseconds) return false;
    QTest::qWait(5);
  }
  return true;
}

void Wait(int milliseconds) { QTest::qWait(milliseconds); }

}  // namespace ui_testing
