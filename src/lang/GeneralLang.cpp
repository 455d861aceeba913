// SPDX-License-Identifier: GPL-3.0-or-later
#include "GeneralLang.h"

#include <iterator>

namespace {

constexpr std::string_view kTexts[] = {
    "Нет",                         // 0: none
    "Ошибка",                      // 1: picture failed to decode
    "подготовка данных",           // 2: progress stage 0
    "загрузка файла _define.ini",  // 3: progress stage 1
    "проверка файлов",             // 4: progress stage 2
    "загрузка файлов",             // 5: progress stage 3
    "Новый символ",                // 6: symbol dialog, add
    "Поиск символа",               // 7: symbol dialog, find
    "Редактирование символа",      // 8: symbol dialog, edit
    "Загрузка смайлпака",          // 9: open pack chooser
    "Сохранение смайлпака",        // 10: save pack chooser
    "Загрузка смайла",             // 11: picture chooser
    "BMP-файлы",                   // 12: static picture filter
    "GIF-файлы",                   // 13: animated picture filter
    "Все файлы",                   // 14: all-files filter entry
    // 15: a typed symbol with a character that Windows-1251 can't hold
    "Символ содержит знаки, которые нельзя сохранить в смайлпаке: допустимы только знаки "
    "кодировки Windows-1251.",
    // 16: a typed symbol with a comma
    "Символ не может содержать запятую: в файле _define.ini запятая разделяет символы.",
    // 17: definition lines past the last position left out by an open; the number follows
    "Смайлпак вмещает не более 676 смайлов. Строки файла _define.ini после 676-й не "
    "загружены; их число:",
    // 18: a save that failed
    "Не удалось сохранить смайлпак.",
    // 19-22: operations on a pack that could not be carried out; "%s" is the path concerned
    // 19: a file of the pack being opened could not be copied into the working storage
    "Не удалось скопировать файл %s в рабочую папку. Смайлпак не открыт; то, что было открыто, "
    "осталось без изменений.",
    // 20: a file could not be written into the folder being saved to
    "Не удалось записать файл %s. Смайлпак сохранён не полностью, но ни один файл папки не "
    "потерян: каждый остался прежним или уже сохранён.",
    // 21: a folder whose path the state files can't hold
    "Папку %s нельзя использовать: её путь содержит перевод строки или длиннее 2047 байт. "
    "Выберите другую папку.",
    // 22: an interrupted operation in the working storage that could not be completed
    "Не удалось завершить операцию, прерванную в рабочей папке %s. Рабочая папка не изменена.",
    // 23: a typed symbol with a control character (a line break would split the definition line)
    "Символ не может содержать управляющие знаки (перевод строки, табуляцию и подобные): они "
    "испортили бы файл _define.ini.",
    // 24: start-up without a folder for the program's data; "%s" is that folder
    "Невозможно запустить программу: нет папки для данных программы %s, и создать её не "
    "удалось.",
    // 25: start-up that cannot create the workspace's lock file; "%s" is that file
    "Невозможно запустить программу: не удалось создать файл блокировки %s, который не даёт "
    "двум экземплярам программы работать с одними данными.",
    // 26: a file offered as a picture that can't be read as one
    "Файл %s не удалось прочитать как картинку; смайлпак не изменён.",
    // 27: a picture too large for a smile
    "Картинка %s слишком велика для смайла: допустимо не больше 1024 точек по каждой стороне "
    "и 1000 кадров.",
    // 28, 29: hints of the undo and redo buttons; ": " and the step follow when there is one
    "Отменить",
    "Вернуть",
    // 30-39: the steps the undo and redo hints name; "%s" is the smile's number (from 1), or
    // the first and the last number of several smiles added at once
    "добавление смайла %s",           // 30: one smile added or inserted
    "добавление смайлов %s",          // 31: several smiles added or inserted at once
    "удаление смайла %s",             // 32
    "замена рисунка смайла %s",       // 33
    "удаление рисунка смайла %s",     // 34
    "перемещение смайла %s",          // 35
    "добавление символа смайлу %s",   // 36
    "изменение символа смайла %s",    // 37
    "удаление символа смайла %s",     // 38
    "перемещение символа смайла %s",  // 39
    // 40: a step of the history whose record can't be read
    "Этот шаг нельзя отменить или вернуть: его запись в рабочей папке повреждена.",
    // 41, 42: in the hints of the move-smile buttons, before the keys that move the smile to the
    // first and the last place
    "в начало",
    "в конец",
    // 43: file-type name of every picture kind in the picture chooser's filter
    "Все картинки",
    // 44: file-type name of other messengers' theme index files in the open chooser's filter
    "Темы смайлов других мессенджеров",
    // 45: heading of what opening a theme left out; "%s" is the theme's index file, the list
    // follows
    "Тема %s открыта как новый смайлпак, но взято не всё:",
    // 46: a theme whose index file can't be read; "%s" is the file, the reason follows
    "Не удалось прочитать тему смайлов %s.",
    // 47: a save into a folder that holds another pack; "%s" is the folder, "%d" the number of
    // smiles of that pack
    "В папке %s уже есть другой смайлпак (смайлов: %d). Сохранить этот смайлпак вместо него? "
    "Файлы того смайлпака будут заменены.",
    // 48: a save over the pack's own folder, changed outside the editor; "%s" is the folder
    "Смайлпак в папке %s изменён вне редактора после того, как был открыт или сохранён. "
    "Сохранить поверх него? Изменения, сделанные вне редактора, будут потеряны.",
    // 49: a record of an unfinished change that fails its checks; "%s" is the record's file
    "Запись незавершённой операции %s повреждена или сделана другой версией программы. "
    "Рабочая копия оставлена как есть, программа закрывается. Чтобы начать заново, перенесите "
    "папку с этой записью в другое место.",
    // 50: a path the program was started with that holds no pack; "%s" is the path
    "Смайлпак %s не найден. Укажите файл _define.ini, папку смайлпака, папку с папками Static и "
    "Animated или тему смайлов другого мессенджера (её главный файл или архив).",
};
static_assert(std::size(kTexts) == 51);

}  // namespace

const TLangTable GeneralLang{"General", kTexts};
