#include "shell/pages_win.h"

#include <cstring>

#include "config/config_page_win.h"
#include "config/options_page_win.h"
#include "readings/layout.h"
#include "readings/readings_win.h"
#include "res/resource.h"
#include "scope/scope_page_win.h"
#include "service/diagram_page_win.h"
#include "service/reset_page_win.h"
#include "shell/app_state.h"
#include "shell/language.h"
#include "shell/shell_win.h"
#include "shell/text_win.h"

int currentPageTemplate = 0;
bool currentPageAwaitsOwnPaint = false;
int largestEnabledSize = 1;

namespace {

// Size items by SizeMode; note 1280x960 is 40032 and 1280x1024 is 40031.
const int SizeCommands[5] = {IDM_SIZE_640, IDM_SIZE_800, IDM_SIZE_1024, IDM_SIZE_1280_960,
                             IDM_SIZE_1280_1024};
const int ConfigTemplates[5] = {IDD_CONFIG_1, IDD_CONFIG_2, IDD_CONFIG_3, IDD_CONFIG_4,
                                IDD_CONFIG_5};
const int OptionsTemplates[5] = {IDD_OPTIONS_1, IDD_OPTIONS_2, IDD_OPTIONS_3, IDD_OPTIONS_4,
                                 IDD_OPTIONS_5};
// Page items by PageKind.
const int PageCommands[6] = {IDM_READINGS, IDM_CONFIGURATION, IDM_OPTIONS,
                             IDM_DIAGRAM,  IDM_RESET,         IDM_SCOPE};

struct FlagPair {
    int command, unchecked, checked;
};
const FlagPair Flags[5] = {
    {IDM_LANG_POL, IDB_FLAG_POL, IDB_FLAG_POL_ON}, {IDM_LANG_ANG, IDB_FLAG_ANG, IDB_FLAG_ANG_ON},
    {IDM_LANG_RUS, IDB_FLAG_RUS, IDB_FLAG_RUS_ON}, {IDM_LANG_LIT, IDB_FLAG_LIT, IDB_FLAG_LIT_ON},
    {IDM_LANG_CS, IDB_FLAG_CS, IDB_FLAG_CS_ON},
};
// Menu item bitmaps outlive any menu they are put on, so the flags are
// loaded once and shared by every language menu instead of once per change.
HBITMAP flagBitmaps[5][2];

int sizeIndex() { return (SizeMode >= 1 && SizeMode <= 5 ? SizeMode : 1) - 1; }

void setTitle(int page) { setEntryText(mainWindow, EntryFirstTitle + page - 1); }

void placeMainWindow() {
    RECT screen;
    desktopRectProvider(&screen);
    POINT at = windowPlaceFor(screen.right, screen.bottom, winW, winH);
    SetWindowPos(mainWindow, nullptr, at.x, at.y, static_cast<int>(winW), static_cast<int>(winH),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool cyrillic() { return strcmp(LanguageCode, "rus") == 0; }

HWND createReadings() {
    HWND page = createPage(IDD_READINGS, readingsPageProc);
    // Placed at once, so the page's own placement on paint changes nothing
    // and erases nothing.
    SetWindowPos(page, nullptr, -5, -10, static_cast<int>(winW), static_cast<int>(winH),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    drawFrame();
    return page;
}

void createConfiguration(bool textsFirst) {
    HWND page = createPage(ConfigTemplates[sizeIndex()], configPageProc);
    if (textsFirst) {
        configPageApplyTexts(page);
        configPageFillLists(page);
    } else {
        configPageFillLists(page);
        configPageApplyTexts(page);
    }
}

void createOptions() {
    HWND page = createPage(OptionsTemplates[sizeIndex()], optionsPageProc);
    optionsPageFillLists(page);
    optionsPageApplyTexts(page);
}

void createScope() {
    createPage(IDD_SCOPE, scopePageProc);
    scopePageStart();
}

}  // namespace

int largestSizeFor(long w, long h) {
    if (w >= 1280 && h >= 1024) return 5;
    if (w >= 1280 && h >= 960) return 4;
    if (w >= 1024 && h >= 768) return 3;
    if (w >= 800 && h >= 600) return 2;
    return 1;
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
    SizeMode = sizeMode;
    const SizeLayout& l = sizeLayout(sizeMode);
    winW = static_cast<unsigned>(l.winW);
    winH = static_cast<unsigned>(l.winH);
}

HWND createPage(int templateId, DLGPROC proc) {
    currentPageTemplate = templateId;
    currentPageAwaitsOwnPaint = true;
    currentPage =
        CreateDialogParamW(appInstance, MAKEINTRESOURCEW(templateId), mainWindow, proc, 0);
    return currentPage;
}

void destroyCurrentPage() {
    if (currentPage) DestroyWindow(currentPage);
    currentPage = nullptr;
}

void showPage(int page) {
    if (PageKind != page) {
        destroyCurrentPage();
        switch (page) {
        case PageReadings: createReadings(); break;
        case PageConfiguration: createConfiguration(false); break;
        case PageOptions: createOptions(); break;
        case PageDiagram: createPage(IDD_DIAGRAM, diagramPageProc); break;
        case PageReset: createPage(IDD_RESET, resetPageProc); break;
        case PageScope: createScope(); break;
        }
        PageKind = page;
        setTitle(page);
        if (page == PageDiagram) applySize();
    }
    highlightPage();
}

void applySize() {
    applySizeMarks();  // also selects the fonts for the size and language
    placeMainWindow();
    placeLearnButton(currentPage, SizeMode, false);

    switch (PageKind) {
    case PageReadings:
        destroyCurrentPage();
        createReadings();
        break;
    case PageConfiguration:
        destroyCurrentPage();
        createConfiguration(false);
        break;
    case PageOptions:
        destroyCurrentPage();
        createOptions();
        break;
    case PageDiagram:
        destroyCurrentPage();
        createPage(IDD_DIAGRAM, diagramPageProc);
        diagramSetUp();
        break;
    case PageReset:
        // Kept as it is; the next main-window paint re-places it.
        break;
    case PageScope:
        destroyCurrentPage();
        createScope();
        break;
    }
}

void applySizeMarks() {
    HMENU menu = GetMenu(mainWindow);
    for (int i = 0; i < 5; ++i) CheckMenuItem(menu, SizeCommands[i], MF_BYCOMMAND | MF_UNCHECKED);
    CheckMenuItem(menu, SizeCommands[sizeIndex()], MF_BYCOMMAND | MF_CHECKED);
    // The state cells, lamp and button places follow from sizeLayout(SizeMode).
    const SizeLayout& l = sizeLayout(SizeMode);
    DashboardScale.sx = l.sx;
    DashboardScale.sy = l.sy;
    selectDashboardFonts(SizeMode, cyrillic());
}

void enableSizes(int largest) {
    largestEnabledSize = largest;
    HMENU menu = GetMenu(mainWindow);
    for (int i = 0; i < 5; ++i)
        EnableMenuItem(menu, SizeCommands[i],
                       MF_BYCOMMAND | (i < largest ? MF_ENABLED : MF_GRAYED));
}

void highlightPage() {
    HMENU menu = GetMenu(mainWindow);
    for (int command : PageCommands)
        HiliteMenuItem(mainWindow, menu, command, MF_BYCOMMAND | MF_UNHILITE);
    const int command = pageCommandFor(PageKind);
    if (command) HiliteMenuItem(mainWindow, menu, command, MF_BYCOMMAND | MF_HILITE);
}

void setLanguageBitmaps() {
    DrawMenuBar(mainWindow);
    HMENU menu = GetMenu(mainWindow);
    for (int i = 0; i < 5; ++i) {
        if (!flagBitmaps[i][0])
            flagBitmaps[i][0] = LoadBitmapA(appInstance, MAKEINTRESOURCEA(Flags[i].unchecked));
        if (!flagBitmaps[i][1])
            flagBitmaps[i][1] = LoadBitmapA(appInstance, MAKEINTRESOURCEA(Flags[i].checked));
        SetMenuItemBitmaps(menu, Flags[i].command, MF_BYCOMMAND, flagBitmaps[i][0],
                           flagBitmaps[i][1]);
    }
}

void rebuildPageForLanguage() {
    switch (PageKind) {
    case PageReadings:
        destroyCurrentPage();
        createReadings();
        setTitle(PageReadings);
        break;
    case PageConfiguration:
        destroyCurrentPage();
        createConfiguration(true);
        setTitle(PageConfiguration);
        break;
    case PageOptions:
        destroyCurrentPage();
        createOptions();
        setTitle(PageOptions);
        break;
    case PageDiagram:
        destroyCurrentPage();
        createPage(IDD_DIAGRAM, diagramPageProc);
        setTitle(PageDiagram);
        applySize();
        break;
    case PageReset:
        // The page stays and keeps its title; only its three texts change.
        resetPageApplyTexts(currentPage);
        break;
    case PageScope:
        destroyCurrentPage();
        createScope();
        setTitle(PageScope);
        break;
    }
}

void placeResetPage() {
    SetWindowPos(currentPage, nullptr, 0, 0, static_cast<int>(winW), static_cast<int>(winH),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    placeResetControls(currentPage, SizeMode);
}

int sizeCommandFor(int sizeMode) {
    return sizeMode >= 1 && sizeMode <= 5 ? SizeCommands[sizeMode - 1] : 0;
}

int positionOf(const int* table, int count, int value) {
    for (int i = 0; i < count; ++i)
        if (table[i] == value) return i + 1;
    return 0;
}

int sizeModeForCommand(int command) { return positionOf(SizeCommands, 5, command); }

int pageCommandFor(int page) { return page >= 1 && page <= 6 ? PageCommands[page - 1] : 0; }

int pageForCommand(int command) { return positionOf(PageCommands, 6, command); }
