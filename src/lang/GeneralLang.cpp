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
};
static_assert(std::size(kTexts) == 15);

}  // namespace

const TLangTable GeneralLang{"General", kTexts};
