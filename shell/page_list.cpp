#include "shell/page_list.h"

const PageEntry AllPages[PageCount] = {
#define ZUVELS_PAGE_ENTRY(kind, command, name, polls, title, hooks) \
    {kind, command, name, polls != 0, title},
    ZUVELS_PAGES(ZUVELS_PAGE_ENTRY)
#undef ZUVELS_PAGE_ENTRY
};
