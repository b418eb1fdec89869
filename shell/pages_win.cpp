#include "shell/seams_win.h"
#include "shell/pages_win.h"

#include "res/resource.h"
#include "shell/app_state.h"
#include "shell/dialog_win.h"
#include "shell/drives_win.h"
#include "shell/fonts_win.h"
#include "shell/language.h"
#include "shell/shell_win.h"
#include "shell/text_win.h"

// Each page's folder defines its entry.
#define ZUVELS_PAGE_HOOKS_DECL(kind, command, name, polls, title, hooks) \
    extern const PageHooks hooks;
ZUVELS_PAGES(ZUVELS_PAGE_HOOKS_DECL)
#undef ZUVELS_PAGE_HOOKS_DECL

namespace {

// The page table, in Page order.
const PageHooks* const Pages[PageCount] = {
#define ZUVELS_PAGE_HOOKS_REF(kind, command, name, polls, title, hooks) &hooks,
    ZUVELS_PAGES(ZUVELS_PAGE_HOOKS_REF)
#undef ZUVELS_PAGE_HOOKS_REF
};
// Page items by shownPage.
const int PageCommands[PageCount] = {
#define ZUVELS_PAGE_COMMAND(kind, command, name, polls, title, hooks) command,
    ZUVELS_PAGES(ZUVELS_PAGE_COMMAND)
#undef ZUVELS_PAGE_COMMAND
};

// Size items by shownSize; note 1280x960 is 40032 and 1280x1024 is 40031.
const int SizeCommands[SizeModeCount] = {IDM_SIZE_640, IDM_SIZE_800, IDM_SIZE_1024,
                                         IDM_SIZE_1280_960, IDM_SIZE_1280_1024};

int sizeIndex() { return (shownSize >= 1 && shownSize <= SizeModeCount ? shownSize : 1) - 1; }

// The page's title, then what the port in use adds (shell/drives_win.h).
void setTitle(Page page) {
    if (page < 1 || page > PageCount) return;
    setText(mainWindow, (entryText(AllPages[page - 1].title) + portTitleSuffix()).c_str());
}

void placeMainWindow() {
    RECT screen;
    shellSeams.desktopRectProvider(&screen);
    POINT at = windowPlaceFor(screen.right, screen.bottom, winW, winH);
    SetWindowPos(mainWindow, nullptr, at.x, at.y, static_cast<int>(winW), static_cast<int>(winH),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Places a page over the whole main window, at the origin.
void placePage(HWND page) {
    SetWindowPos(page, nullptr, 0, 0, static_cast<int>(winW), static_cast<int>(winH),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Creates the page's dialog for the current size and runs its set-up: the
// fonts for the size and language, its place over the main window (the
// page's own hook may move it), then the poll timer of a page that polls.
// The page paints itself when it shows; its paint only draws.
void createPageOf(Page page, PageCreation how) {
    const PageHooks& h = pageHooks(page);
    selectDashboardFontsFor(shownSize, activeLanguage);
    HWND window = createPage(h.templates[sizeIndex()], h.proc);
    if (!window) return;
    placePage(window);
    if (h.create) h.create(window, how);
    if (page >= 1 && page <= PageCount && AllPages[page - 1].polls)
        armPollTimer(window, PagePollTimerId);
}

void recreatePage(PageCreation how) {
    destroyCurrentPage();
    createPageOf(shownPage, how);
}

}  // namespace

const PageHooks& pageHooks(Page page) {
    return *Pages[(page >= 1 && page <= PageCount ? page : PageReadings) - 1];
}

POINT windowPlaceFor(long w, long h, unsigned windowW, unsigned windowH) {
    // Unsigned on purpose: a screen narrower than the window wraps to a huge
    // difference and so gets centred arithmetic too, as the window always had.
    const unsigned dx = static_cast<unsigned>(w) - windowW;
    const unsigned dy = static_cast<unsigned>(h) - windowH;
    POINT at = {0, 0};
    if (dx > 50) {
        at.x = static_cast<LONG>(dx >> 1);
        at.y = static_cast<LONG>(dy >> 1);
    }
    return at;
}

void setSizeMode(int sizeMode) {
    appState().shownSize = sizeMode;
    const WindowSize& w = windowSize(sizeMode);
    shellWindow().winW = static_cast<unsigned>(w.winW);
    shellWindow().winH = static_cast<unsigned>(w.winH);
}

HWND createPage(int templateId, DLGPROC proc) {
    shellWindow().currentPageTemplate = templateId;
    shellWindow().currentPage =
        CreateDialogParamW(appInstance, MAKEINTRESOURCEW(templateId), mainWindow, proc, 0);
    return currentPage;
}

void destroyCurrentPage() {
    if (currentPage) DestroyWindow(currentPage);
    shellWindow().currentPage = nullptr;
}

void createFirstPage() {
    createPageOf(PageReadings, PageCreation::Shown);
    appState().shownPage = PageReadings;
    setTitle(PageReadings);
}

void startPages() {
    for (const PageHooks* h : Pages)
        if (h->start) h->start();
}

void releasePages() {
    for (const PageHooks* h : Pages)
        if (h->destroy) h->destroy();
}

void showPage(Page page) {
    if (shownPage != page) {
        destroyCurrentPage();
        createPageOf(page, PageCreation::Shown);
        appState().shownPage = page;
        setTitle(page);
        if (pageHooks(page).laidOutBySize) applySize();
    }
    highlightPage();
}

void applySize() {
    applySizeMarks();  // also selects the fonts for the size and language
    placeMainWindow();
    const PageHooks& h = pageHooks(shownPage);
    if (h.resize && h.resize(currentPage)) {
        placePage(currentPage);
        return;
    }
    recreatePage(PageCreation::Resized);
}

void applySizeMarks() {
    HMENU menu = GetMenu(mainWindow);
    for (int command : SizeCommands) CheckMenuItem(menu, command, MF_BYCOMMAND | MF_UNCHECKED);
    CheckMenuItem(menu, SizeCommands[sizeIndex()], MF_BYCOMMAND | MF_CHECKED);
    const WindowSize& w = windowSize(shownSize);
    appState().dashboardScale.sx = w.sx;
    appState().dashboardScale.sy = w.sy;
    selectDashboardFontsFor(shownSize, activeLanguage);
}

void enableSizes(int largest) {
    shellWindow().largestEnabledSize = largest;
    HMENU menu = GetMenu(mainWindow);
    for (int i = 0; i < SizeModeCount; ++i)
        EnableMenuItem(menu, SizeCommands[i],
                       MF_BYCOMMAND | (i < largest ? MF_ENABLED : MF_GRAYED));
}

void showTitle() { setTitle(shownPage); }

void highlightPage() {
    HMENU menu = GetMenu(mainWindow);
    for (int command : PageCommands)
        HiliteMenuItem(mainWindow, menu, command, MF_BYCOMMAND | MF_UNHILITE);
    const int command = pageCommandFor(shownPage);
    if (command) HiliteMenuItem(mainWindow, menu, command, MF_BYCOMMAND | MF_HILITE);
}

void rebuildPageForLanguage() {
    const PageHooks& h = pageHooks(shownPage);
    if (h.language) {
        h.language(currentPage);
        return;
    }
    recreatePage(PageCreation::Relanguaged);
    setTitle(shownPage);
    if (h.laidOutBySize) applySize();
}

int sizeCommandFor(int sizeMode) {
    return sizeMode >= 1 && sizeMode <= SizeModeCount ? SizeCommands[sizeMode - 1] : 0;
}

int positionOf(const int* table, int count, int value) {
    for (int i = 0; i < count; ++i)
        if (table[i] == value) return i + 1;
    return 0;
}

int sizeModeForCommand(int command) { return positionOf(SizeCommands, SizeModeCount, command); }

int pageCommandFor(Page page) {
    return page >= 1 && page <= PageCount ? PageCommands[page - 1] : 0;
}

Page pageForCommand(int command) {
    return static_cast<Page>(positionOf(PageCommands, PageCount, command));
}
