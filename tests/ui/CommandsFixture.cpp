// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandsFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include "Cp1251.h"
#include "Files.h"
#include "PackFixture.h"
#include "WorkspaceLock.h"

using namespace testing_support;

namespace commands_testing {

std::string Cp1251(const std::string& utf8) {
  std::string bytes;
  EXPECT_TRUE(platform::Utf8ToCp1251(utf8, bytes)) << utf8;
  return bytes;
}

TAnswer TypeSymbol(const std::string& text, int result) {
  return [text, result](QDialog& dialog) {
    auto* form = qobject_cast<TForm4*>(&dialog);
    if (!form) {
      ADD_FAILURE() << "expected the symbol dialog, got " << dialog.metaObject()->className();
      return int{mrCancel};
    }
    form->Edit1->setText(QString::fromStdString(text));
    (result == mrOk ? form->BitBtn1 : form->BitBtn2)->click();
    return form->result();
  };
}

TAnswer Warning(bool tick, int result, std::string* text) {
  return [tick, result, text](QDialog& dialog) {
    auto* form = qobject_cast<TForm7*>(&dialog);
    if (!form) {
      ADD_FAILURE() << "expected the warning, got " << dialog.metaObject()->className();
      return int{mrCancel};
    }
    EXPECT_FALSE(form->CheckBox1->isChecked()) << "the check box is cleared before each showing";
    if (tick) form->CheckBox1->setChecked(true);
    if (text) *text = form->Label2->text().toStdString();
    return result;
  };
}

TAnswer Message(std::string* text) {
  return [text](QDialog& dialog) {
    auto* box = qobject_cast<QMessageBox*>(&dialog);
    if (!box) {
      ADD_FAILURE() << "expected a message, got " << dialog.metaObject()->className();
      return int{QMessageBox::Ok};
    }
    *text = box->text().toStdString();
    return int{QMessageBox::Ok};
  };
}

TAnswer Expect(const char* className, TAnswer answer) {
  return [name = std::string(className), answer](QDialog& dialog) {
    EXPECT_EQ(dialog.metaObject()->className(), name);
    return answer(dialog);
  };
}

void CommandsTest::SetUp() {
  script = std::make_unique<ui_testing::DialogScript>();
  Start();
}

void CommandsTest::TearDown() {
  if (form && form->Initialized) form->close();
  dialogs.reset();
  form.reset();
  script.reset();
}

void CommandsTest::Start() {
  form = std::make_unique<TForm1>();
  dialogs = std::make_unique<TDialogs>(form.get());
  form->SetDialogs(dialogs.get());
  form->ApplicationEvents1Idle();
  ASSERT_TRUE(form->Initialized);
}

void CommandsTest::Exit() {
  Press(form->BitBtn9);
  ASSERT_FALSE(form->Initialized) << "the window did not close";
  dialogs.reset();
  form.reset();
}

std::string CommandsTest::MakePack(const std::string& name, const std::string& define,
                                   const Strings& positions, TSmilePack kind) {
  std::string folder = disk.Make(name + "/");
  WriteBytes(folder + "_define.ini", define);
  for (const std::string& position : positions) {
    if (kind == spAnimated)
      WriteBytes(folder + position + ".gif", pack_testing::Gif(position));
    else
      WriteBytes(folder + position + ".bmp", pack_testing::Bmp(position));
  }
  return folder;
}

std::string CommandsTest::MakePicture(const std::string& name, const std::string& tag,
                                      TSmilePack kind) {
  std::string path = disk.Make("pictures/") + name;
  WriteBytes(path, kind == spAnimated ? pack_testing::Gif(tag) : pack_testing::Bmp(tag));
  return path;
}

TAnswer CommandsTest::CloseMeanwhile() {
  return [this](QDialog& dialog) {
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    form->close();
    EXPECT_TRUE(form->Initialized) << "the window closed in the middle of a command";
    EXPECT_NE(form->Pack, nullptr);
    EXPECT_FALSE(WorkspaceFree());
    EXPECT_FALSE(dialog.isVisible()) << "the question stays open";
    return dialog.result();
  };
}

void CommandsTest::OpenPack(const std::string& folder) {
  Then(ui_testing::ChooseFiles({folder + "_define.ini"}));
  Press(form->ToolButton2);
}

void CommandsTest::OpenPackOf(int smiles) {
  std::string define;
  Strings positions;
  for (int i = 0; i < smiles; ++i) {
    define += ":" + std::to_string(i) + "\r\n";
    positions.push_back(std::string{char('a' + i / 26), char('a' + i % 26)});
  }
  std::string folder = MakePack("pack" + std::to_string(smiles), define, {});
  for (int i = 0; i < smiles; ++i)
    WriteBytes(folder + positions[static_cast<std::size_t>(i)] + ".gif",
               pack_testing::Gif("p" + std::to_string(i)));
  OpenPack(folder);
  ASSERT_EQ(Model().SmileCount(), smiles);
}

void CommandsTest::EditPack() { Model().GetSmile(0)->Symbols.Add(":edited"); }

void CommandsTest::ClickSmile(int index) { form->ListBox1->setCurrentRow(index); }

void CommandsTest::ClickSymbol(int index) { form->ListBox2->setCurrentRow(index); }

Strings CommandsTest::Smiles() const {
  Strings items;
  for (int i = 0; i < form->ListBox1->count(); ++i)
    items.push_back(form->ListBox1->model()->index(i, 0).data().toString().toStdString());
  return items;
}

Strings CommandsTest::Symbols() const {
  Strings items;
  for (int i = 0; i < form->ListBox2->count(); ++i)
    items.push_back(form->ListBox2->item(i)->text().toStdString());
  return items;
}

Strings CommandsTest::ModelSmiles() const {
  TSmileListView list;
  Model().FillList(list);
  Strings captions;
  for (const auto& item : list) captions.push_back(item.Caption);
  return captions;
}

bool CommandsTest::WorkspaceFree() const {
  return platform::TWorkspaceLock::TryAcquire(form->WorkspaceLockFile()) != nullptr;
}

std::string CommandsTest::Count() const { return form->StaticText1->text().toStdString(); }

Strings CommandsTest::StorageTags() const {
  Strings tags;
  const TDefineDecoder& model = Model();
  for (int i = 0; i < model.SmileCount(); ++i)
    tags.push_back(pack_testing::TagOf(model.StorageFolder[model.ActivePack] +
                                       model.PictureFileName(i)));
  return tags;
}

std::string CommandsTest::StorageDefine() const {
  return ReadBytes(Model().StorageFolder[Model().ActivePack] + "_define.ini");
}

}  // namespace commands_testing
