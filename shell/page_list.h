// The program's pages, one line each, in shownPage order from 1; the only
// list of pages (the shell, the tools and the tests read it):
//   X(kind, menu command, name, polls, title entry, hooks)
// name: what scripts and tools call the page (scripts/faults reads these
// lines, screenshots are named by it); polls: 1 when the page talks to the
// controller on its own timer (the fault matrix and the fuzz page ticks
// cover every such page); title entry: the main window's title while it is
// shown (shell/language_entries.h); hooks: the page's entry of the shell's
// page table (PageHooks, shell/pages_win.h), defined in the page's own
// *_win.cpp. Portable.
// The menu item of each page is its row in res/menus.tsv, by name.
//
// A new page: docs/architecture.md, "Adding a page".
#ifndef ZUVELS_SHELL_PAGE_LIST_H
#define ZUVELS_SHELL_PAGE_LIST_H

#include "res/resource.h"
#include "shell/language_entries.h"

// clang-format off
#define ZUVELS_PAGES(X)                                                                             \
    X(PageReadings,      IDM_READINGS,      "readings",      1, EntryTitleReadings,      readingsPage) \
    X(PageConfiguration, IDM_CONFIGURATION, "configuration", 1, EntryTitleConfiguration, configPage)   \
    X(PageOptions,       IDM_OPTIONS,       "options",       1, EntryTitleOptions,       optionsPage)  \
    X(PageDiagram,       IDM_DIAGRAM,       "diagram",       0, EntryTitleDiagram,       diagramPage)  \
    X(PageReset,         IDM_RESET,         "factory-reset", 0, EntryTitleReset,         resetPage)    \
    X(PageScope,         IDM_SCOPE,         "oscilloscope",  1, EntryTitleScope,         scopePage)
// clang-format on

// shownPage: which page is shown; PageNone only where no page is meant.
enum Page : int {
    PageNone = 0,
#define ZUVELS_PAGE_KIND(kind, command, name, polls, title, hooks) kind,
    ZUVELS_PAGES(ZUVELS_PAGE_KIND)
#undef ZUVELS_PAGE_KIND
};
#define ZUVELS_PAGE_ONE(kind, command, name, polls, title, hooks) +1
constexpr int PageCount = 0 ZUVELS_PAGES(ZUVELS_PAGE_ONE);
#undef ZUVELS_PAGE_ONE

struct PageEntry {
    Page kind;
    int command;
    const char* name;
    bool polls;
    int title;  // its title's language entry
};
// The lines above as data, in shownPage order (AllPages[kind - 1]).
extern const PageEntry AllPages[PageCount];

#endif
