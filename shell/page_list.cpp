#include "shell/page_list.h"

const PageEntry AllPages[PageCount] = {
#define ZUVELS_PAGE_ENTRY(kind, command, name, polls, hooks) {kind, command, name, polls != 0},
    ZUVELS_PAGES(ZUVELS_PAGE_ENTRY)
#undef ZUVELS_PAGE_ENTRY
};
