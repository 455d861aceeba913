// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogSeam.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QFileInfo>
#include <QString>

#include <algorithm>

#include "Files.h"
#include "ModalResult.h"

namespace {

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

std::string NativePath(const QString& path) {
  return QDir::toNativeSeparators(QDir::cleanPath(path)).toStdString();
}

// The settings both choosers share. Qt's own dialog rather than the desktop's: it is the same on
// every platform, and only it can withhold the new-folder button.
void PrepareFileDialog(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
}

// The file chooser. Its default extension goes onto a chosen name without one only when that
// name, as it is, is no file: the index file of another messenger's theme ("theme") has no
// extension, and "theme.ini" would not be found.
class TFileChooser : public QFileDialog {
public:
  using QFileDialog::QFileDialog;

protected:
  void accept() override {
    const QString suffix = defaultSuffix();
    if (!suffix.isEmpty()) {
      setDefaultSuffix(QString());
      const QStringList asTyped = selectedFiles();
      const bool allFiles =
          !asTyped.isEmpty() && std::all_of(asTyped.begin(), asTyped.end(), [](const QString& f) {
            return QFileInfo(f).isFile();
          });
      // Left without the suffix, so that the names read after the dialog are these as well.
      if (!allFiles) setDefaultSuffix(suffix);
    }
    QFileDialog::accept();
  }
};

int RunCentred(QFileDialog& dialog) {
  if (!dialog.testAttribute(Qt::WA_Resized)) dialog.resize(dialog.sizeHint());
  CenterOnScreen(dialog);
  return RunModal(dialog);
}

bool modalWindowsCancelled = false;

}  // namespace

int RunModal(QDialog& dialog) {
  if (modalWindowsCancelled) {
    dialog.reject();
    return dialog.result();
  }
  if (auto* script = dialog_seam::TScriptedDialogs::Active()) return script->Run(dialog);
  return dialog.exec();
}

void CancelModalWindows() {
  modalWindowsCancelled = true;
  // Every modal loop open ends: rejecting an outer dialog while an inner one runs ends the outer
  // loop as soon as the inner one has returned.
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(window);
    if (dialog && dialog->isVisible() && dialog->isModal()) dialog->reject();
  }
}

void ResumeModalWindows() { modalWindowsCancelled = false; }

bool ModalWindowsCancelled() { return modalWindowsCancelled; }

void CenterOnScreen(QWidget& window) {
  QScreen* screen = window.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  window.move(area.x() + (area.width() - window.width()) / 2,
              area.y() + (area.height() - window.height()) / 2);
}

bool SelectFolder(QWidget* owner, const std::string& caption, std::string& folder,
                  bool newFolderButton) {
  if (!platform::DirectoryExists(folder)) folder.clear();

  QFileDialog dialog(owner, FromUtf8(caption));
  PrepareFileDialog(dialog);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (!newFolderButton) {
    // ReadOnly is the documented way to stop the dialog making, renaming or deleting anything;
    // it only greys the button out, so the button is hidden as well.
    dialog.setOption(QFileDialog::ReadOnly);
    if (auto* button = dialog.findChild<QWidget*>(QStringLiteral("newFolderButton")))
      button->hide();
  }
  dialog.setDirectory(folder.empty() ? QDir::homePath() : FromUtf8(folder));

  if (RunCentred(dialog) != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  folder = NativePath(chosen.first());
  return true;
}

bool ChooseFiles(QWidget* owner, const TFileDialogOptions& options,
                 std::vector<std::string>& files) {
  TFileChooser dialog(owner, FromUtf8(options.Title));
  PrepareFileDialog(dialog);
  dialog.setFileMode(options.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  // The descriptions already name their patterns, as the toolkit form has them.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  const QStringList filters = QtNameFilters(options.Filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (!options.DefaultExt.empty()) dialog.setDefaultSuffix(FromUtf8(options.DefaultExt));
  if (platform::DirectoryExists(options.InitialDir))
    dialog.setDirectory(FromUtf8(options.InitialDir));

  if (RunCentred(dialog) != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  files.clear();
  for (const QString& file : chosen) files.push_back(NativePath(file));
  return true;
}

QStringList QtNameFilters(const std::string& filter) {
  QStringList result;
  if (filter.empty()) return result;
  const QStringList parts = FromUtf8(filter).split(QLatin1Char('|'));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      const QString trimmed = pattern.trimmed();
      if (trimmed.isEmpty()) continue;
      // The toolkit's "*.*" matches every name; Qt's would need a dot.
      patterns << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
    }
    if (patterns.isEmpty()) continue;
    result << parts[i].trimmed() + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) +
                  QLatin1Char(')');
  }
  return result;
}

namespace dialog_seam {

namespace {
TScriptedDialogs* active = nullptr;
}

TScriptedDialogs::TScriptedDialogs(TErrorHandler onError)
    : onError_(std::move(onError)), previous_(active) {
  active = this;
}

TScriptedDialogs::~TScriptedDialogs() {
  active = previous_;
  if (!answers_.empty())
    Report(std::to_string(answers_.size()) + " queued dialog answer(s) were never used");
}

void TScriptedDialogs::Answer(TAnswer answer) { answers_.push_back(std::move(answer)); }

TScriptedDialogs* TScriptedDialogs::Active() { return active; }

int TScriptedDialogs::Run(QDialog& dialog) {
  const std::string name = dialog.metaObject()->className();
  shown_.push_back(name);
  TAnswer answer;
  if (!answers_.empty()) {
    // Taken off the queue first: the answer may itself open the next dialog.
    answer = std::move(answers_.front());
    answers_.pop_front();
  } else if (rest_) {
    answer = rest_;
  } else {
    Report("No answer was queued for the dialog " + name + " \"" +
           dialog.windowTitle().toStdString() + "\"");
    return mrCancel;
  }
  dialog.setResult(0);
  const int result = answer(dialog);
  if (dialog.isVisible()) dialog.hide();
  return result;
}

void TScriptedDialogs::Report(const std::string& message) {
  errors_.push_back(message);
  if (onError_) onError_(message);
}

}  // namespace dialog_seam
