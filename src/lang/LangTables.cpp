// SPDX-License-Identifier: GPL-3.0-or-later
#include "LangTables.h"

#include <iterator>

// The Russian texts of every window section, by key index. The comment above each text names
// the control that shows it.

namespace {

constexpr std::string_view kMainForm[] = {
    // 0: window caption
    "Fennimo",
    // 1: hint of ToolButton1
    "Новый смайлпак",
    // 2: hint of ToolButton2
    "Открыть смайлпак",
    // 3: hint of ToolButton3
    "Сохранить смайлпак",
    // 4: hint of ToolButton4
    "Сохранить смайлпак как...",
    // 5: hint of ToolButton5
    "Закрыть смайлпак",
    // 6: hint of ToolButton7
    "Статичные смайлы",
    // 7: hint of ToolButton8
    "Анимированные смайлы",
    // 8: hint of ToolButton9
    "Оба смайлпака",
    // 9: hint of ToolButton11
    "Опции",
    // 10: hint of ToolButton13
    "О программе",
    // 11: hint of BitBtn4
    "Добавить смайл",
    // 12: hint of BitBtn7
    "Удалить смайл",
    // 13: hint of BitBtn11
    "Заменить рисунок",
    // 14: hint of BitBtn16
    "Удалить рисунок",
    // 15: hint of BitBtn12
    "Поднять смайл вверх",
    // 16: hint of BitBtn13
    "Опустить смайл вниз",
    // 17: hint of BitBtn5
    "Добавить символ",
    // 18: hint of BitBtn6
    "Удалить символ",
    // 19: hint of BitBtn17
    "Редактировать символ",
    // 20: hint of BitBtn18
    "Найти символ",
    // 21: hint of BitBtn14
    "Поднять символ вверх",
    // 22: hint of BitBtn15
    "Опустить символ вниз",
    // 23: caption of GroupBox1
    "Смайлы",
    // 24: caption of GroupBox2
    "Предварительный просмотр",
    // 25: hint of BitBtn9
    "Выход",
    // 26: PlayCaptions [stopped]
    "Запуск",
    // 27: PlayCaptions [playing]
    "Пауза",
    // 28: caption of BitBtn2
    "Предыдущий",
    // 29: caption of BitBtn3
    "Следующий",
    // 30: OfText
    "из",
    // 31: menu bar: File
    "&Файл",
    // 32: menu bar: Edit
    "&Правка",
    // 33: menu bar: View
    "&Вид",
    // 34: menu bar: Help
    "&Справка",
    // 35: Edit menu: pictures added before the selected smile
    "Вставить смайл перед выбранным...",
    // 36: View menu: the preview's background
    "Фон просмотра",
    // 37: background: white
    "Белый",
    // 38: background: dark
    "Тёмный",
    // 39: background: a checkerboard, which shows transparency
    "Шахматная доска",
    // 40: Help menu: the list of keyboard shortcuts
    "Сочетания клавиш",
    // 41: title: a pack that has no folder yet
    "Новый смайлпак",
    // 42: status bar after a save: %1 the number of smiles, %2 the folder
    "Сохранено смайлов: %1, в папку %2",
    // 43: status bar after an open: %1 the number of smiles, %2 the folder
    "Открыто смайлов: %1, из папки %2",
    // 44: status bar after a theme of another messenger opened as a new pack: %1 the number of smiles, %2 the theme
    "Из темы %2 создан новый смайлпак, смайлов: %1",
    // 45: status bar: %1 the folder the pack saves to
    "Папка смайлпака: %1",
    // 46: status bar: a pack without a folder
    "Смайлпак ещё не сохранён",
    // 47: the empty smile list, first paragraph
    "Смайлпак не открыт.",
    // 48: the empty smile list, second paragraph
    "Откройте смайлпак (Ctrl+O), начните новый (Ctrl+N) или откройте тему смайлов другого мессенджера (Ctrl+O).",
    // 49: the empty smile list: a link that opens the demo pack
    "Открыть демонстрационный смайлпак",
    // 50: a find that found nothing: %1 the symbol
    "Ни у одного смайла нет символа «%1».",
    // 51: the warning before a smile is deleted: %1 its number, %2 its leading symbol, %3 its picture
    "Удалить смайл %1 (%2, рисунок %3)? Его можно вернуть командой «Отменить» (Ctrl+Z).",
    // 52: the warning before a picture is deleted: %1 the smile's number, %2 its leading symbol, %3 the picture
    "Удалить рисунок %3 смайла %1 (%2)? Его можно вернуть командой «Отменить» (Ctrl+Z).",
    // 53: the warning before a symbol is deleted: %1 the smile's number, %2 its leading symbol, %4 the symbol
    "Удалить символ %4 смайла %1 (%2)? Его можно вернуть командой «Отменить» (Ctrl+Z).",
    // 54: a smile that needs attention: no picture
    "Нет рисунка",
    // 55: a smile that needs attention: a picture that can't be read
    "Рисунок не удаётся прочитать",
    // 56: a smile that needs attention: no symbols
    "Нет символов",
    // 57: File menu: the active pack written as another messenger's emoticon theme
    "Экспорт в тему смайлов...",
    // 58: the export's question: which format
    "Формат темы:",
    // 59: status bar after an export: %1 the number of smiles, %2 the theme
    "Экспортировано смайлов: %1, в %2",
    // 60: heading of what an export left out: %1 the theme, the list follows
    "В тему %1 взято не всё:",
    // 61: an export that failed: %1 the theme, the reason follows
    "Не удалось записать тему %1.",
    // 62: under the preview: %1×%2 the picture's size, %3 its frames, %4 the seconds of one loop, %5 the file's size
    "%1×%2 точек · кадров: %3 · цикл %4 с · файл %5",
    // 63: status bar: %1 the pack's smiles, %2 its size on disk, %3 its largest picture, %4 that one's size
    "Смайлов: %1 · %2 · крупнейший: %3 (%4)",
    // 64: a picture far wider than the pack's usual ones: %1×%2 its size, %3×%4 the usual
    "Намного шире обычного: %1×%2 точек при обычных %3×%4",
    // 65: a code inside another smile's code: %1 the code, %2 the longer code, %3 that smile's number
    "Символ %1 входит в символ %2 смайла %3",
    // 66: a code holding another smile's code: %1 the code, %2 the shorter code, %3 that smile's number
    "Символ %1 содержит символ %2 смайла %3",
    // 67: after 65 or 66 when the shorter code's smile comes first
    "; где коды заменяются по порядку смайлпака, более длинный не покажется",
    // 68: a symbol just added or changed that overlaps other smiles' codes: %1 the symbol, the list follows
    "Символ %1 пересекается с символами других смайлов (он сохранён):",
    // 69: View menu: the smiles as a grid of pictures
    "Сетка смайлов",
    // 70: the filter field and its Edit menu entry
    "Фильтр по символам",
    // 71: sizes of files: bytes, kilobytes, megabytes, separated by commas
    "Б,КБ,МБ",
};
static_assert(std::size(kMainForm) == 72);

constexpr std::string_view kLoadForm[] = {
    // 0: window caption
    "Загрузка",
    // 1: Label1, caption of the current stage
    "Текущее действие:",
    // 2: Label3, caption of the current file
    "Обработка файла:",
    // 3: Label5, caption of the error count
    "Количество ошибок:",
};
static_assert(std::size(kLoadForm) == 4);

constexpr std::string_view kSaveErrorsForm[] = {
    // 0: window caption
    "Отчет об ошибках",
    // 1: Label1
    "Внимание!",
    // 2: Label2
    "Смайлпак содержит ошибки:",
    // 3: Label3; its count in Label7
    "Ошибки при загрузке:",
    // 4: Label4; its count in Label8
    "Не хватает файлов:",
    // 5: Label9; its count in Label10
    "Смайлов без символов:",
    // 6: Label5
    "Данные ошибки могут привести к неверному отображению смайлпака в Parlino'е.",
    // 7: Label6
    "Вы действительно хотите сохранить смайлпак?",
    // 8: Label11, above the list of the smiles in question
    "Смайлы с ошибками (выберите смайл, чтобы перейти к нему):",
};
static_assert(std::size(kSaveErrorsForm) == 9);

constexpr std::string_view kNewSymbolForm[] = {
    // 0: Label1, left of the edit field
    "Имя символа:",
};
static_assert(std::size(kNewSymbolForm) == 1);

constexpr std::string_view kAboutForm[] = {
    // 0: window caption
    "О программе",
    // 1: start of StaticText2
    "Версия:",
    // 2: start of StaticText3
    "Автор:",
    // 3: StaticText5, the licence
    "Лицензия: GNU GPL версии 3 или более поздней",
};
static_assert(std::size(kAboutForm) == 4);

constexpr std::string_view kSmileExistsForm[] = {
    // 0: window caption
    "Символ уже существует",
    // 1: Label1
    "Невозможно добавить символ, так как он уже существует! Выберите одно из предложенных ниже действий.",
    // 2: BitBtn1, result Cancel
    "Показать символ",
};
static_assert(std::size(kSmileExistsForm) == 3);

constexpr std::string_view kWarningForm[] = {
    // 0: window caption
    "Предупреждение",
    // 1: Label1
    "Внимание!",
    // 2: Label2
    "Удалить? Удалённое можно вернуть командой «Отменить» (Ctrl+Z).",
    // 3: CheckBox1
    "Больше не спрашивать",
};
static_assert(std::size(kWarningForm) == 4);

constexpr std::string_view kErrorForm[] = {
    // 0: window caption
    "Ошибка при загрузке",
    // 1: Label1
    "Невозможно запустить программу: необходимые для загрузки данные заняты другим экземпляром программы.",
};
static_assert(std::size(kErrorForm) == 2);

constexpr std::string_view kOptionsForm[] = {
    // 0: window caption
    "Опции",
    // 1: GroupBox1, frame around the two check boxes
    "Общие",
    // 2: GroupBox2, frame around the language list
    "Язык",
    // 3: CheckBox1
    "Закрывать смайлпак при завершении программы",
    // 4: CheckBox2
    "Спрашивать перед удалением",
};
static_assert(std::size(kOptionsForm) == 5);

constexpr std::string_view kCheckForm[] = {
    // 0: window caption
    "Ошибка при загрузке",
    // 1: Label1
    "Произошла ошибка при загрузке смайла: файл не существует. Возможна замена этого файла на ближайший существующий.",
    // 2: Label2; the value in Label3
    "Текущий файл:",
    // 3: Label7; the value in Label8
    "Текущий символ:",
    // 4: Label4; the value in Label5
    "Следующий файл:",
    // 5: Label9; beside it PaintBox1 and Label10
    "Следующий смайл:",
    // 6: Label6
    "Если это ошибка в порядке имен файлов, то нажмите \"Заменить\". Возможно, этот файл был случайно удалён: тогда следует нажать \"Пропустить\".",
    // 7: Label11
    "Внимание! В первом случае смайл, изображенный на картинке сверху, будет соответствовать коду, приведенному в поле \"Текущий символ\".",
    // 8: BitBtn1, result OK
    "Заменить",
    // 9: BitBtn3, result All
    "Заменить все",
    // 10: BitBtn2, result No; the default button
    "Пропустить",
    // 11: BitBtn4, result Cancel
    "Пропустить все",
};
static_assert(std::size(kCheckForm) == 12);

constexpr std::string_view kQueryForm[] = {
    // 0: Label1
    "Сохранить изменения?",
};
static_assert(std::size(kQueryForm) == 1);

constexpr std::string_view kEmptyForm[] = {
    // 0: window caption
    "Смайл без символов",
    // 1: Label1
    "Произошла ошибка при загрузке смайлпака: обнаружена пустая строка в файле _define.ini.",
    // 2: Label2; the value in Label3
    "Текущий файл:",
    // 3: Label9; beside it PaintBox1 and Label10
    "Текущий смайл:",
    // 4: Label4
    "Если данная строка не представляет смайла, то нажмите \"Удалить\", иначе нажмите \"Пропустить\".",
    // 5: BitBtn1, result OK
    "Удалить",
    // 6: BitBtn3, result All
    "Удалить все",
    // 7: BitBtn2, result No; the default button
    "Пропустить",
    // 8: BitBtn4, result Cancel
    "Пропустить все",
};
static_assert(std::size(kEmptyForm) == 9);

constexpr std::string_view kChatForm[] = {
    // 0: window caption
    "Предпросмотр в чате",
    // 1: the main window's View menu entry that opens the window
    "Предпросмотр в чате",
    // 2: MessageLabel, above the message
    "Сообщение:",
    // 3: Message, shown while it is empty
    "Наберите сообщение с символами смайлов, например :)",
    // 4: ChatLabel, above the chat
    "Так его покажет чат:",
    // 5: BackgroundLabel, left of LightButton and DarkButton
    "Фон:",
    // 6: LightButton
    "Светлый",
    // 7: DarkButton
    "Тёмный",
    // 8: RuleLabel, left of LongestButton and PackOrderButton
    "Символы:",
    // 9: LongestButton
    "Сначала самый длинный",
    // 10: hint of LongestButton
    "В каждом месте сообщения смайлом становится самый длинный символ, который там начинается",
    // 11: PackOrderButton
    "Первый смайл по порядку смайлпака",
    // 12: hint of PackOrderButton
    "Символы заменяются смайл за смайлом по порядку смайлпака: символ более раннего смайла может забрать часть символа более позднего",
    // 13: Summary, under the chat: %1 the smiles shown, %2 the symbols pack order hides
    "Смайлов: %1 · символов, скрытых порядком смайлпака (подчёркнуты): %2",
    // 14: hint of a hidden symbol: %1 the symbol, %2 its smile's picture, %3 the symbol that takes part of it, %4 that one's smile's picture
    "Где символы заменяются по порядку смайлпака, символ %1 смайла %2 не покажется: часть его забирает символ %3 смайла %4",
    // 15: hint of a smile in the chat: %1 its picture, %2 the symbol
    "Смайл %1: %2",
};
static_assert(std::size(kChatForm) == 16);

}  // namespace

const TLangTable MainFormLang{"MainForm", kMainForm};
const TLangTable LoadFormLang{"LoadForm", kLoadForm};
const TLangTable SaveErrorsFormLang{"SaveErrorsForm", kSaveErrorsForm};
const TLangTable NewSymbolFormLang{"NewSymbolForm", kNewSymbolForm};
const TLangTable AboutFormLang{"AboutForm", kAboutForm};
const TLangTable SmileExistsFormLang{"SmileExistsForm", kSmileExistsForm};
const TLangTable WarningFormLang{"WarningForm", kWarningForm};
const TLangTable ErrorFormLang{"ErrorForm", kErrorForm};
const TLangTable OptionsFormLang{"OptionsForm", kOptionsForm};
const TLangTable CheckFormLang{"CheckForm", kCheckForm};
const TLangTable QueryFormLang{"QueryForm", kQueryForm};
const TLangTable EmptyFormLang{"EmptyForm", kEmptyForm};
const TLangTable ChatFormLang{"ChatForm", kChatForm};

std::span<const TLangTable* const> AllLangTables() {
  static const TLangTable* const kAll[] = {
      &MainFormLang,    &GeneralLang,         &CommonLang,      &LoadFormLang,
      &SaveErrorsFormLang, &NewSymbolFormLang, &AboutFormLang,   &SmileExistsFormLang,
      &WarningFormLang, &ErrorFormLang,       &OptionsFormLang, &CheckFormLang,
      &QueryFormLang,   &EmptyFormLang,       &ChatFormLang,
  };
  return kAll;
}
