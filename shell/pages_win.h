// Pages, window sizes and the menu state that goes with them. The pages are
// one table: shell/page_list.h names them, and each page's folder defines
// its PageHooks.
#ifndef ZUVELS_SHELL_PAGES_WIN_H
#define ZUVELS_SHELL_PAGES_WIN_H

#include <windows.h>

#include "shell/page_list.h"
#include "shell/sizes.h"

// Why a page is being created: some pages set up differently after a size
// or language change.
enum class PageCreation { Shown, Resized, Relanguaged };

// A hook the shell calls in a page: each kind has a type of its own (the
// tag), so a page's table names every hook it sets, and two hooks of the
// same signature can't trade places unnoticed. Empty hooks do nothing
// unless said.
template <class Tag, class Fn>
struct PageHook {
    Fn* run = nullptr;
    explicit operator bool() const { return run != nullptr; }
    template <class... Args>
    auto operator()(Args... args) const {
        return run(args...);
    }
};
// The page's set-up once its dialog exists.
using OnCreate = PageHook<struct CreateHook, void(HWND page, PageCreation how)>;
// Once at program start, before the main window: what the page builds for
// the program's life.
using OnStart = PageHook<struct StartHook, void()>;
// When the main window goes: gives back what the page keeps beyond its window.
using OnDestroy = PageHook<struct DestroyHook, void()>;
// One tick of the page's poll timer, as its WM_TIMER runs it.
using OnTick = PageHook<struct TickHook, void(HWND page)>;
// A size change, run on the page as it stands: true when the page stays
// (the shell then places it over the resized main window); false (or no
// hook) re-creates it.
using OnResize = PageHook<struct ResizeHook, bool(HWND page)>;
// A language change: without it the page is re-created and the title set;
// with it the page (and the title) stay and this runs.
using OnLanguage = PageHook<struct LanguageHook, void(HWND page)>;
// The page's view is built by applySize (the wiring diagram): showing it or a
// language change ends with applySize.
struct LaidOutBySize {};

// What the shell calls in a page; made by makePageHooks.
struct PageHooks {
    int templates[SizeModeCount];  // dialog template by shownSize
    DLGPROC proc;
    OnCreate create;
    OnStart start;
    OnDestroy destroy;
    OnTick tick;
    OnResize resize;
    OnLanguage language;
    bool laidOutBySize;
};

constexpr void setHook(PageHooks& h, OnCreate f) { h.create = f; }
constexpr void setHook(PageHooks& h, OnStart f) { h.start = f; }
constexpr void setHook(PageHooks& h, OnDestroy f) { h.destroy = f; }
constexpr void setHook(PageHooks& h, OnTick f) { h.tick = f; }
constexpr void setHook(PageHooks& h, OnResize f) { h.resize = f; }
constexpr void setHook(PageHooks& h, OnLanguage f) { h.language = f; }
constexpr void setHook(PageHooks& h, LaidOutBySize) { h.laidOutBySize = true; }

// A page's hooks: its templates and dialog procedure, then the hooks it has,
// each by its type in any order, e.g. OnTick{onTimer}.
template <class... Hook>
constexpr PageHooks makePageHooks(const int (&templates)[SizeModeCount], DLGPROC proc,
                                  Hook... hooks) {
    PageHooks h{};
    for (int i = 0; i < SizeModeCount; ++i) h.templates[i] = templates[i];
    h.proc = proc;
    (setHook(h, hooks), ...);
    return h;
}

// The hooks of a page (PageNone and out-of-range values: the readings page).
const PageHooks& pageHooks(Page page);

// Template the current page was created from (0 before the first page).
extern const int& currentPageTemplate;
// The shownSize the size items were last enabled for; re-applied to a new menu.
extern const int& largestEnabledSize;

// Where the main window goes on that screen: centred when it leaves more
// than 50 pixels across, else at (0, 0).
POINT windowPlaceFor(long w, long h, unsigned windowW, unsigned windowH);
// Sets shownSize together with winW and winH.
void setSizeMode(int sizeMode);

// Creates page template as a modeless child of the main window and makes it
// the current page; the old page must be gone.
HWND createPage(int templateId, DLGPROC proc);
void destroyCurrentPage();
// The main window's first page (creation): the readings page, titled.
void createFirstPage();
// Every page's start hook (program start) and destroy hook (the main
// window goes).
void startPages();
void releasePages();

void showPage(Page page);
void applySize();
void applySizeMarks();
void enableSizes(int largest);
void highlightPage();
// The current page's title again, with the port's part (after a change of
// port, recording or replay).
void showTitle();
void rebuildPageForLanguage();

// 1-based position of value in a table of command ids, or 0.
int positionOf(const int* table, int count, int value);

// Size command id for a shownSize and back (0 when not a size command).
int sizeCommandFor(int sizeMode);
int sizeModeForCommand(int command);
// Page command id for a shownPage and back (0, PageNone when not a page).
int pageCommandFor(Page page);
Page pageForCommand(int command);

#endif
