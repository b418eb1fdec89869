#include "shell/language_list.h"

#include <cstring>

const LanguageRow AllLanguages[LanguageCount] = {
#define ZUVELS_LANGUAGE_ROW(code, cp, cyr, menu, command, flag, flagOn, diagram, locale) \
    {code, CodePage::cp, cyr != 0, menu, command, flag, flagOn, diagram, locale},
    ZUVELS_LANGUAGES(ZUVELS_LANGUAGE_ROW)
#undef ZUVELS_LANGUAGE_ROW
};

const LanguageRow* findLanguage(const char* code) {
    if (!code) return nullptr;
    for (const LanguageRow& l : AllLanguages)
        if (std::strcmp(l.code, code) == 0) return &l;
    return nullptr;
}

const LanguageRow& languageOrFallback(const char* code) {
    const LanguageRow* l = findLanguage(code);
    return l ? *l : AllLanguages[0];
}
