// The program's languages, one line each; the first is the fallback for
// codes not in the table (an ini may name anything):
//   X(code, code page, Cyrillic fonts, menu, menu item, flag, flag checked,
//     diagram, locale)
// code: the language file's suffix and the ini's Language value; code page:
// what its file is written in; Cyrillic fonts: 1 when the dashboard needs
// Cyrillic fonts; menu, menu item, flags and diagram: its resources; locale:
// the system locale its fitters run, under which scripts/screens takes its
// pictures. CMake and the scripts read the codes and locales from these
// lines (scripts/languages), and so do the menu generator and the tests.
// Portable.
//
// A new language: docs/architecture.md, "Adding a language".
#ifndef ZUVELS_SHELL_LANGUAGE_LIST_H
#define ZUVELS_SHELL_LANGUAGE_LIST_H

#include "res/resource.h"
#include "shell/code_page.h"

// clang-format off
#define ZUVELS_LANGUAGES(X)                                                                     \
    X("pol", Central1250,  0, IDM_MENU_POL, IDM_LANG_POL, IDB_FLAG_POL, IDB_FLAG_POL_ON, IDB_DIAGRAM_POL, "pl_PL") \
    X("ang", Western1252,  0, IDM_MENU_ANG, IDM_LANG_ANG, IDB_FLAG_ANG, IDB_FLAG_ANG_ON, IDB_DIAGRAM_ANG, "en_GB") \
    X("rus", Cyrillic1251, 1, IDM_MENU_RUS, IDM_LANG_RUS, IDB_FLAG_RUS, IDB_FLAG_RUS_ON, IDB_DIAGRAM_RUS, "ru_RU") \
    X("lit", Central1250,  0, IDM_MENU_LIT, IDM_LANG_LIT, IDB_FLAG_LIT, IDB_FLAG_LIT_ON, IDB_DIAGRAM_LIT, "lt_LT") \
    X("cs",  Central1250,  0, IDM_MENU_CS,  IDM_LANG_CS,  IDB_FLAG_CS,  IDB_FLAG_CS_ON,  IDB_DIAGRAM_CS,  "cs_CZ")
// clang-format on

#define ZUVELS_LANGUAGE_ONE(code, cp, cyr, menu, command, flag, flagOn, diagram, locale) +1
constexpr int LanguageCount = 0 ZUVELS_LANGUAGES(ZUVELS_LANGUAGE_ONE);
#undef ZUVELS_LANGUAGE_ONE

struct LanguageRow {
    const char* code;
    CodePage codePage;
    bool cyrillicFonts;
    int menu;
    int command;  // its item in every language menu
    int flag, flagChecked;
    int diagram;
    const char* locale;
};
// The lines above as data, in their order.
extern const LanguageRow AllLanguages[LanguageCount];

// The row of a code (exact, case and all); null when none.
const LanguageRow* findLanguage(const char* code);
// The row of a code, or the first row for codes not in the table.
const LanguageRow& languageOrFallback(const char* code);

#endif
