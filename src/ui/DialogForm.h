// SPDX-License-Identifier: GPL-3.0-or-later
// The traits that the program's dialogs share: the dialog font, a fixed client size, a close
// box as the only title-bar button, a place in the middle of the screen whenever the window is
// shown, and the language texts set by ApplyLanguage.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QSize>

#include <initializer_list>

class QLabel;
class QLayout;
class QPushButton;
class QVBoxLayout;
class TLang;
struct TLangTable;

// The texts of one language section: texts(key) is that key's text in the language, or its
// built-in text.
class TSectionTexts {
public:
  TSectionTexts(TLang& lang, const TLangTable& table) : lang_(lang), table_(table) {}
  QString operator()(int key) const;

private:
  TLang& lang_;
  const TLangTable& table_;
};

class TDialogForm : public QDialog {
  Q_OBJECT

public:
  // Sets every fixed text of the window from the language: first the buttons whose texts come
  // from section "Common", then the texts of the window's own section. May be called at any
  // time, also while the window is shown.
  virtual void ApplyLanguage(TLang& lang) = 0;

  // Tahoma where the system has it, else the platform's sans-serif; 8 points.
  static QFont DialogFont();

protected:
  // clientWidth and clientHeight are the design's client size in 96-dpi pixels.
  TDialogForm(QWidget* parent, int clientWidth, int clientHeight, bool closeBox = true);

  // Fixes the window at its design size, or larger where the texts now in force need more
  // room: a translation may be longer than the built-in texts, and no text may be cut off.
  // Called after the layout is built and after every change of language.
  void FitToTexts();

  // Gives the focus to InitialFocus, and centres the window.
  void showEvent(QShowEvent* event) override;

  // A child control named after its member, so that tests and screenshots can find it.
  QLabel* NewLabel(const char* name);
  // A button that ends the dialog with `result`; with mrNone it does nothing of its own.
  QPushButton* NewButton(const char* name, int result);

  // The buttons in a row at the right, in tab order.
  static QLayout* ButtonRow(std::initializer_list<QPushButton*> buttons);
  // A word-wrapped label.
  QLabel* NewWrappedLabel(const char* name);
  // The window's message: word-wrapped, centred, 20 pixels.
  QLabel* NewMessageLabel(const char* name);
  // "Warning!" above a message: centred, maroon, 20 pixels.
  QLabel* NewWarningLabel(const char* name);
  // The window's top-level column, with the usual margins and spacing.
  QVBoxLayout* NewColumn();

  static void SetPixelFont(QWidget* control, int pixels);
  static void SetTextColor(QWidget* control, const QColor& color);

  static constexpr QColor Maroon{128, 0, 0};
  static constexpr QColor Green{0, 128, 0};
  static constexpr QColor Blue{0, 0, 255};
  static constexpr int Margin = 8;
  static constexpr int ButtonWidth = 75;
  static constexpr int ButtonHeight = 25;

  // The control that has the focus when the window opens: the default button, unless the window
  // has a field to fill in first. Enter presses the default button only while no other button
  // has the focus.
  QWidget* InitialFocus = nullptr;

private:
  QSize designSize_;
};

// A dialog shown modally. The close box and the Escape key end it with mrCancel.
class TModalForm : public TDialogForm {
  Q_OBJECT

public:
  // Shows the window modally (through RunModal) and returns its TModalResult.
  virtual int ShowModal();

protected:
  using TDialogForm::TDialogForm;

  void reject() override;
};
