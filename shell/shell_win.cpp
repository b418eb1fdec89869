// The main window: start-up of the instance, creation, repaint, the menu
// commands and shutdown. It draws nothing itself; the current page does.
#include "shell/seams_win.h"
#include "shell/palette_win.h"
#include "shell/shell_win.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <windows.h>
#include <commctrl.h>

#include "link/link.h"
#include "res/resource.h"
#include "shell/app_settings.h"
#include "shell/app_state.h"
#include "shell/dialog_win.h"
#include "shell/drives_win.h"
#include "shell/fonts_win.h"
#include "shell/language.h"
#include "shell/language_win.h"
#include "shell/menu_dialogs_win.h"
#include "shell/pages_win.h"
#include "shell/settings_file.h"
#include "shell/settings_file_win.h"
#include "shell/sizes.h"
#include "shell/text_win.h"

namespace {
ShellWindow W = {
    nullptr,
    nullptr,
    nullptr,
    static_cast<unsigned>(windowSize(1).winW),
    static_cast<unsigned>(windowSize(1).winH),
    0,
    0,
    0,
    1,
    "",
    10,
};
}  // namespace

ShellWindow& shellWindow() { return W; }

const HINSTANCE& appInstance = W.appInstance;
const HWND& mainWindow = W.mainWindow;
const HWND& currentPage = W.currentPage;
const unsigned& winW = W.winW;
const unsigned& winH = W.winH;
const long& lastScreenW = W.lastScreenW;
const long& lastScreenH = W.lastScreenH;
const int& currentPageTemplate = W.currentPageTemplate;
const int& largestEnabledSize = W.largestEnabledSize;
const std::string& startDirectory = W.startDirectory;
const int& portMarkCode = W.portMarkCode;

namespace {

void systemDesktopRect(RECT* out) { GetWindowRect(GetDesktopWindow(), out); }

enum { ClassNameSize = 101, TitleSize = 101 };
wchar_t className[ClassNameSize];
HACCEL accelerators;

void onCreate(HWND window) {
    shellWindow().mainWindow = window;
    shellWindow().currentPage = nullptr;
    appState().shownPage = PageReadings;

    RECT screen;
    shellSeams.desktopRectProvider(&screen);
    shellWindow().lastScreenW = screen.right;
    shellWindow().lastScreenH = screen.bottom;
    const int largest = largestSizeFor(lastScreenW, lastScreenH);
    setSizeMode(largest);
    enableSizes(largest);
    applySizeMarks();
    POINT at = windowPlaceFor(lastScreenW, lastScreenH, winW, winH);
    SetWindowPos(window, nullptr, at.x, at.y, static_cast<int>(winW), static_cast<int>(winH),
                 SWP_NOZORDER | SWP_NOACTIVATE);

    readAppSettings(AppSettingsFileName);
    applyStartPort();
    loadLanguage();

    createFirstPage();

    installLanguageMenu();
    highlightPage();  // on the menu just installed
}

// The screen may have changed resolution: offer only the sizes that fit
// now, but keep the size in use.
void onDisplayChange() {
    RECT screen;
    shellSeams.desktopRectProvider(&screen);
    if (screen.right == lastScreenW && screen.bottom == lastScreenH) return;
    shellWindow().lastScreenW = screen.right;
    shellWindow().lastScreenH = screen.bottom;
    enableSizes(largestSizeFor(lastScreenW, lastScreenH));
}

void closeMainWindow(HWND window) {
    endDriveRecording(window);
    destroyCurrentPage();
    DestroyWindow(window);
}

// True when the command was one of the main window's.
bool onCommand(HWND window, int command) {
    if (const Page page = pageForCommand(command)) {
        showPage(page);
        return true;
    }
    if (const int size = sizeModeForCommand(command)) {
        setSizeMode(size);
        applySize();
        return true;
    }
    if (const char* code = languageCodeForCommand(command)) {
        chooseLanguage(code);
        return true;
    }
    if (const int port = portForCommand(command)) {
        choosePort(port);
        return true;
    }
    if (onDriveCommand(window, command)) return true;
    // The port search opens other ports through the link: a recording ends
    // before it, as at any change of port.
    if (command == IDM_AUTO_SCAN) endDriveRecording(window);
    if (openMenuDialog(command, currentPage)) return true;
    switch (command) {
    case IDM_EXIT: closeMainWindow(window); return true;
    case IDM_OPEN: loadSettingsFile(currentPage); return true;
    case IDM_SAVE_AS: saveSettingsFile(currentPage); return true;
    }
    return false;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: onCreate(window); return 0;
    // No WM_PAINT of its own: the page covers the client area and paints
    // itself (the window clips its children); the default paint validates.
    case WM_DISPLAYCHANGE: onDisplayChange(); return 0;
    case WM_COMMAND:
        if (onCommand(window, LOWORD(wp))) return 0;
        break;
    case WM_EXITMENULOOP: highlightPage(); return 0;
    case WM_INITMENUPOPUP: enableDriveItems(GetMenu(window)); return 0;
    case WM_TIMER:
        if (wp == RecordingTimerId) onRecordingTimer(window);
        return 0;
    case WM_SETTINGS_UNWRITABLE: showSettingsUnwritableBox(); return 0;
    case WM_CLOSE: closeMainWindow(window); return 0;
    case WM_DESTROY:
        endDriveRecording(nullptr);  // told in closeMainWindow when it failed
        releasePages();
        closePort();
        shellWindow().mainWindow = nullptr;
        shellWindow().currentPage = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, msg, wp, lp);
}

}  // namespace

ShellSeams shellSeams = {showMessageBox, systemSettingsFileChooser, showMessageBox,
                         systemDesktopRect};

HWND createMainWindow(HINSTANCE instance, int showCommand) {
    shellWindow().appInstance = instance;
    if (!LoadStringW(instance, IDS_CLASS, className, ClassNameSize)) wcscpy(className, L"ZUVELMxx");

    // Every host (the program, tests, tools) gets the shared pens and brushes
    // before the first page draws; creating them is idempotent.
    createPalette();
    // The factory reset page holds a progress bar.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    // The per-size geometry is constant tables (shell/sizes.h and the pages').
    recordStartDirectory();
    startPages();
    fillSettingsKeyTables();
    createDashboardFonts();
    linkHooks.error = showLinkErrorBox;
    watchSettingsWrites();

    // A Unicode window: its title is set in UTF-16, whatever the system's
    // code page.
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = mainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.hCursor = nullptr;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszMenuName = MAKEINTRESOURCEW(IDM_MENU_POL);
    wc.lpszClassName = className;
    RegisterClassW(&wc);  // a second registration fails harmlessly

    wchar_t title[TitleSize] = L"";
    LoadStringW(instance, IDS_TITLE, title, TitleSize);
    HWND window = CreateWindowExW(
        0, className, title, WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, 0, 0,
        windowSize(1).winW, windowSize(1).winH, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return window;
}

bool translateShellAccelerator(MSG* msg) {
    if (!accelerators) accelerators = LoadAcceleratorsW(appInstance, MAKEINTRESOURCEW(IDA_MAIN));
    if (!accelerators || !mainWindow) return false;
    // The page (or one of its controls) usually has the focus; its keys are
    // meant for the main window's commands all the same.
    HWND target = msg->hwnd;
    if (target == mainWindow || IsChild(mainWindow, target)) target = mainWindow;
    return TranslateAcceleratorW(target, accelerators, msg) != 0;
}

int runMessageLoop() {
    // IsDialogMessage is left out on purpose: the pages are modeless dialogs,
    // and passing their messages through it would give them Tab and arrow
    // navigation and default-button Enter handling, which the program never
    // had. The templates still carry WS_TABSTOP, as the resource editor wrote
    // them; it does nothing without IsDialogMessage (the modal dialogs run
    // their own loop and do navigate).
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) return 0;
        if (!translateShellAccelerator(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
