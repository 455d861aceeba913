// SPDX-License-Identifier: GPL-3.0-or-later
#include "Dialogs.h"

#include "Lang.h"

TDialogs::TDialogs(QWidget* parent)
    : LoadForm(std::make_unique<TForm2>(parent)),
      SaveErrorsForm(std::make_unique<TForm3>(parent)),
      NewSymbolForm(std::make_unique<TForm4>(parent)),
      AboutForm(std::make_unique<TForm5>(parent)),
      SmileExistsForm(std::make_unique<TForm6>(parent)),
      WarningForm(std::make_unique<TForm7>(parent)),
      ErrorForm(std::make_unique<TForm8>(parent)),
      OptionsForm(std::make_unique<TForm9>(parent)),
      CheckForm(std::make_unique<TForm10>(parent)),
      QueryForm(std::make_unique<TForm11>(parent)),
      EmptyForm(std::make_unique<TForm12>(parent)) {}

TDialogs::~TDialogs() = default;

void TDialogs::ApplyLanguage(TLang& lang) {
  for (TDialogForm* form :
       {static_cast<TDialogForm*>(LoadForm.get()), static_cast<TDialogForm*>(SaveErrorsForm.get()),
        static_cast<TDialogForm*>(NewSymbolForm.get()), static_cast<TDialogForm*>(AboutForm.get()),
        static_cast<TDialogForm*>(SmileExistsForm.get()),
        static_cast<TDialogForm*>(WarningForm.get()), static_cast<TDialogForm*>(ErrorForm.get()),
        static_cast<TDialogForm*>(OptionsForm.get()), static_cast<TDialogForm*>(CheckForm.get()),
        static_cast<TDialogForm*>(QueryForm.get()), static_cast<TDialogForm*>(EmptyForm.get())})
    form->ApplyLanguage(lang);
}
