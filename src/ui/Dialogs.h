// SPDX-License-Identifier: GPL-3.0-or-later
// The eleven dialogs of the program, created once at start in this order and shown again and
// again. Owned here; the parent (the main window, or nullptr) only places them, so an owner
// that is itself the parent must destroy this object before its widget base goes.
#pragma once

#include <memory>

#include "AboutForm.h"
#include "CheckForm.h"
#include "EmptyForm.h"
#include "ErrorForm.h"
#include "LoadForm.h"
#include "NewSymbolForm.h"
#include "OptionsForm.h"
#include "QueryForm.h"
#include "SaveErrorsForm.h"
#include "SmileExistsForm.h"
#include "WarningForm.h"

struct TDialogs {
  explicit TDialogs(QWidget* parent);
  ~TDialogs();
  TDialogs(const TDialogs&) = delete;
  TDialogs& operator=(const TDialogs&) = delete;

  // Applies the language to every dialog, in the order of creation.
  void ApplyLanguage(TLang& lang);

  std::unique_ptr<TForm2> LoadForm;
  std::unique_ptr<TForm3> SaveErrorsForm;
  std::unique_ptr<TForm4> NewSymbolForm;
  std::unique_ptr<TForm5> AboutForm;
  std::unique_ptr<TForm6> SmileExistsForm;
  std::unique_ptr<TForm7> WarningForm;
  std::unique_ptr<TForm8> ErrorForm;
  std::unique_ptr<TForm9> OptionsForm;
  std::unique_ptr<TForm10> CheckForm;
  std::unique_ptr<TForm11> QueryForm;
  std::unique_ptr<TForm12> EmptyForm;
};
