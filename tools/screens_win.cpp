// Takes screenshots of the program's main window: every page at every size
// and the readings page in every language. Used by scripts/run when there is
// no display, and by reviewers. Runs the real main window in-process and
// drives it with the same menu commands a user would give.
//
// zscreens.exe OUTDIR                  every page at every size (English), on
//                                      the serial port of ZuvelS.ini
// zscreens.exe OUTDIR --demo[=1]       the same on the built-in simulator
// zscreens.exe OUTDIR --lang CODE      the readings page in that language at
//                                      every size; run it under the matching
//                                      ANSI code page (scripts/run sets LC_ALL)
// zscreens.exe OUTDIR --service CODE  factory reset page at every size and
//                                      the wiring diagram at sizes 1 and 3 in
//                                      that language (its code page, as --lang)
// zscreens.exe OUTDIR --states         readings page on the built-in simulator
//                                      for generations 3 and 1, on petrol, on
//                                      gas and with the link lost, every size
// zscreens.exe OUTDIR --dialogs [CODE] the corrections, gas level sensor and
//                                      lambda emulation dialogs on the built-in
//                                      simulator, generations 3 and 1; the
//                                      lambda plot for probe types 0, 5 and 2;
//                                      in English unless CODE is given
// zscreens.exe OUTDIR --scope [CODE]   oscilloscope on the built-in simulator
//                                      at every size, sweeping and with the
//                                      value cursor, in English unless CODE
// zscreens.exe OUTDIR --config CODE    configuration and options pages in that
//                                      language at every size, on the built-in
//                                      simulator with every optional setting
//                                      shown; run it under the language's code page
// zscreens.exe OUTDIR --service-dialogs [CODE] the About, device information
//                                      and port search dialogs on the built-in
//                                      simulator, in English unless CODE is given
// zscreens.exe OUTDIR --network CODE  the Network dialog in that language at the
//                                      smallest and the largest window size,
//                                      two addresses in its recent list
// zscreens.exe OUTDIR --each-page      every page once at the size that fits,
//                                      on the built-in simulator
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "config/config_dialogs.h"
#include "link/link.h"
#include "link/port_search.h"
#include "res/resource.h"
#include "shell/file_system.h"
#include "shell/network_choice.h"
#include "shell/language_list.h"
#include "shell/language_win.h"
#include "shell/page_list.h"
#include "service/dialogs_win.h"
#include "shell/app_state.h"
#include "shell/palette_win.h"
#include "shell/shell_win.h"
#include "sim/sim.h"
#include "tools/win_run.h"

// What a picture is made of: the DC it is drawn on, a copy of the window's
// own surface for the parts the system draws, and the window's screen
// rectangle (the picture's origin).
struct Picture {
    HDC dc;
    HDC surface;
    RECT top;
};

// r, on the screen, in the picture's pixels.
static RECT inPicture(const Picture& p, RECT r) {
    OffsetRect(&r, -p.top.left, -p.top.top);
    return r;
}

// Prints wnd's client area and, above it, its visible children; only what
// lies inside clip (the parent's client area, in the picture's pixels)
// shows. Each window draws itself (WM_PRINT: background, then client area)
// on a bitmap of its own at the origin, as on its paint DC: Wine's controls
// clip their drawing as if the DC's origin were theirs. A child's frame is
// the system's: it comes from the surface. So the picture is the same
// whatever covers the window on the screen.
static void printClientTree(const Picture& p, HWND wnd, const RECT& clip) {
    RECT client;
    GetClientRect(wnd, &client);
    MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    client = inPicture(p, client);
    RECT shown;
    if (!IntersectRect(&shown, &client, &clip)) return;
    const int w = client.right - client.left, h = client.bottom - client.top;
    HDC own = CreateCompatibleDC(p.dc);
    HBITMAP bmp = CreateCompatibleBitmap(p.dc, w, h);
    HGDIOBJ old = SelectObject(own, bmp);
    BitBlt(own, 0, 0, w, h, p.dc, client.left, client.top, SRCCOPY);  // what shows through
    SendMessageW(wnd, WM_PRINT, reinterpret_cast<WPARAM>(own), PRF_CLIENT | PRF_ERASEBKGND);
    BitBlt(p.dc, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top, own,
           shown.left - client.left, shown.top - client.top, SRCCOPY);
    SelectObject(own, old);
    DeleteObject(bmp);
    DeleteDC(own);
    // In the order the system paints them, the top of the z-order first:
    // siblings that overlap without clipping each other show the one drawn
    // last, on the screen as here.
    for (HWND child = GetWindow(wnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        RECT frame, framed;
        GetWindowRect(child, &frame);
        frame = inPicture(p, frame);
        if (IntersectRect(&framed, &shown, &frame)) {
            BitBlt(p.dc, framed.left, framed.top, framed.right - framed.left,
                   framed.bottom - framed.top, p.surface, framed.left, framed.top, SRCCOPY);
        }
        printClientTree(p, child, shown);
    }
}

// Saves the window as a 24-bit BMP file. The frames, caption and menu bar
// are the system's: they come from the window's own DC (its surface, not the
// screen), since Wine's WM_PRINT leaves every non-client area out and prints
// no children. Every client area is printed by its window (printClientTree).
static bool saveWindowBmp(HWND wnd, const std::string& path) {
    RECT r;
    GetWindowRect(wnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC own = GetWindowDC(wnd);
    HDC surface = CreateCompatibleDC(own);
    HBITMAP surfaceBmp = CreateCompatibleBitmap(own, w, h);
    HGDIOBJ surfaceOld = SelectObject(surface, surfaceBmp);
    BitBlt(surface, 0, 0, w, h, own, 0, 0, SRCCOPY);
    HDC mem = CreateCompatibleDC(own);
    HBITMAP bmp = CreateCompatibleBitmap(own, w, h);
    ReleaseDC(wnd, own);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, surface, 0, 0, SRCCOPY);
    const Picture picture = {mem, surface, r};
    const RECT whole = {0, 0, w, h};
    printClientTree(picture, wnd, whole);
    SelectObject(mem, old);
    SelectObject(surface, surfaceOld);
    DeleteObject(surfaceBmp);
    DeleteDC(surface);

    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof bih;
    bih.biWidth = w;
    bih.biHeight = h;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    bih.biCompression = BI_RGB;
    const DWORD stride = ((w * 3) + 3) & ~3u;
    std::string pixels(stride * h, '\0');
    GetDIBits(mem, bmp, 0, h, &pixels[0], reinterpret_cast<BITMAPINFO*>(&bih), DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);

    BITMAPFILEHEADER bfh = {};
    bfh.bfType = 0x4D42;
    bfh.bfOffBits = sizeof bfh + sizeof bih;
    bfh.bfSize = bfh.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* f = openFile(path.c_str(), "wb");
    if (!f) return false;
    std::fwrite(&bfh, sizeof bfh, 1, f);
    std::fwrite(&bih, sizeof bih, 1, f);
    std::fwrite(pixels.data(), 1, pixels.size(), f);
    return std::fclose(f) == 0;
}

static void command(int id) {
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    pumpMessagesFor(600);
}

static const int sizes[] = {IDM_SIZE_640, IDM_SIZE_800, IDM_SIZE_1024, IDM_SIZE_1280_960,
                            IDM_SIZE_1280_1024};

static int shootSizes(const std::string& out, const char* what) {
    int shots = 0;
    char name[160];
    for (int s = 0; s < 5; ++s) {
        command(sizes[s]);
        pumpMessagesFor(400);
        std::snprintf(name, sizeof name, "%s/readings-%s-size%d.bmp", out.c_str(), what, s + 1);
        shots += saveWindowBmp(mainWindow, name);
    }
    return shots;
}

// The simulator's engine scenario runs on petrol while warming up at idle
// and on gas from the first drive on; its clock can be pushed ahead.
static int shootStates(const std::string& out) {
    int shots = 0;
    command(IDM_LANG_ANG);
    command(IDM_READINGS);
    for (int gen : {3, 1}) {
        SimConfig cfg;
        cfg.generation = gen;
        simPortSetup(cfg);
        simPortAdvanceClock(10000);
        pumpMessagesFor(800);
        char what[32];
        std::snprintf(what, sizeof what, "gen%d-petrol", gen);
        shots += shootSizes(out, what);
        simPortAdvanceClock(16000);
        pumpMessagesFor(800);
        std::snprintf(what, sizeof what, "gen%d-gas", gen);
        shots += shootSizes(out, what);
    }
    simSetFault(SimFault::Silent);
    pumpMessagesFor(1500);
    shots += shootSizes(out, "link-lost");
    return shots;
}

// A modal dialog is shot from inside its own message loop; the shot then
// closes it. One that never shows is reported and the run goes on.
static int dialogShots = 0;

static void shootDialog(void (*open)(HWND), const std::string& path) {
    const bool shown =
        whileModal([&] { open(currentPage); },
                   [&](HWND dialog) {
                       // A few more ticks and paints, so what is
                       // drawn has reached the screen.
                       pumpMessagesFor(400);
                       dialogShots += saveWindowBmp(dialog, path);
                       PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                   });
    if (!shown) std::fprintf(stderr, "zscreens: no dialog showed for %s\n", path.c_str());
}

// The three configuration dialogs per generation, thresholds and lamps in
// use, and the lambda plot for three probe types.
static int shootDialogs(const std::string& out, const char* code) {
    dialogShots = 0;
    command(code ? languageCommandFor(code) : IDM_LANG_ANG);
    const std::string suffix = code ? std::string("-") + code : std::string();
    command(IDM_CONFIGURATION);
    char name[160];
    for (int gen : {3, 1}) {
        SimConfig cfg;
        cfg.generation = gen;
        simPortSetup(cfg);
        SimState& sim = simState();
        sim.configA.options = Options::LevelModeSecond | Options::SwitchOverTemp;
        simPortAdvanceClock(20000);  // tank level 3
        pumpMessagesFor(300);
        std::snprintf(name, sizeof name, "%s/dialog-corrections-gen%d%s.bmp", out.c_str(), gen,
                      suffix.c_str());
        shootDialog(openCorrectionsDialog, name);
        std::snprintf(name, sizeof name, "%s/dialog-level-sensor-gen%d%s.bmp", out.c_str(), gen,
                      suffix.c_str());
        shootDialog(openLevelSensorDialog, name);
        sim.configA.emulBjTimeHi = 40;
        sim.configA.emulBjTimeLo = 100;
        for (int probe : {0, 5, 2}) {
            sim.configA.lambdaType = static_cast<uint8_t>(probe << 4);
            std::snprintf(name, sizeof name, "%s/dialog-lambda-gen%d-probe%d%s.bmp", out.c_str(),
                          gen, probe, suffix.c_str());
            shootDialog(openLambdaEmulationDialog, name);
        }
    }
    return dialogShots;
}

// Every page once at the current size, as OUTDIR/<page><suffix>.bmp.
static int shootEveryPage(const std::string& out, const char* suffix) {
    int shots = 0;
    char name[160];
    for (const PageEntry& p : AllPages) {
        command(p.command);
        std::snprintf(name, sizeof name, "%s/%s%s.bmp", out.c_str(), p.name, suffix);
        shots += saveWindowBmp(mainWindow, name);
    }
    return shots;
}

// Every page at every size, in English.
static int shootPages(const std::string& out, const char*) {
    int shots = 0;
    command(IDM_LANG_ANG);
    for (int s = 0; s < 5; ++s) {
        command(sizes[s]);
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "-size%d", s + 1);
        shots += shootEveryPage(out, suffix);
    }
    return shots;
}

// Every page once at the size the start chose, in English: the quick look
// scripts/test takes of the 32-bit build.
static int shootEachPageOnce(const std::string& out, const char*) {
    command(IDM_LANG_ANG);
    return shootEveryPage(out, "");
}

// The readings page at every size in one language.
static int shootLanguage(const std::string& out, const char* code) {
    int shots = 0;
    for (const LanguageRow& l : AllLanguages)
        if (code && std::strcmp(l.code, code) == 0) {
            command(l.command);
            command(IDM_READINGS);
            shots += shootSizes(out, l.code);
        }
    return shots;
}

static int shootStatesMode(const std::string& out, const char*) { return shootStates(out); }

// The factory reset page at every size and the wiring diagram at the
// smallest size and at 1024x768, in one language (run it under the
// language's ANSI code page).
static int shootService(const std::string& out, const char* code) {
    int shots = 0;
    char name[160];
    for (const LanguageRow& l : AllLanguages) {
        if (!code || std::strcmp(l.code, code) != 0) continue;
        command(l.command);
        command(IDM_RESET);
        for (int s = 0; s < 5; ++s) {
            command(sizes[s]);
            RedrawWindow(mainWindow, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            pumpMessagesFor(300);
            std::snprintf(name, sizeof name, "%s/reset-%s-size%d.bmp", out.c_str(), l.code, s + 1);
            shots += saveWindowBmp(mainWindow, name);
        }
        command(IDM_DIAGRAM);
        for (int s : {0, 2}) {
            command(sizes[s]);
            std::snprintf(name, sizeof name, "%s/diagram-%s-size%d.bmp", out.c_str(), l.code,
                          s + 1);
            shots += saveWindowBmp(mainWindow, name);
        }
    }
    return shots;
}

// Cursor mode on or off as a click on the check box gives it, the cursor at
// position.
static void scopeCursor(bool on, int position) {
    HWND box = GetDlgItem(currentPage, IDC_SCOPE_CURSOR);
    HWND bar = GetDlgItem(currentPage, IDC_SCOPE_CURSOR_BAR);
    SendMessageA(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageA(currentPage, WM_COMMAND, MAKEWPARAM(IDC_SCOPE_CURSOR, BN_CLICKED),
                 reinterpret_cast<LPARAM>(box));
    SendMessageA(currentPage, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, position),
                 reinterpret_cast<LPARAM>(bar));
    pumpMessagesFor(400);
}

// The oscilloscope at every size: the sweep after six seconds of a running
// engine, then the value cursor over what it recorded.
static int shootScope(const std::string& out, const char* code) {
    int shots = 0;
    char name[160];
    command(code ? languageCommandFor(code) : IDM_LANG_ANG);
    simPortAdvanceClock(16000);  // past the warm-up: driving, on gas
    command(IDM_SCOPE);
    for (int s = 0; s < 5; ++s) {
        command(sizes[s]);
        pumpMessagesFor(6000);
        std::snprintf(name, sizeof name, "%s/scope-live-size%d.bmp", out.c_str(), s + 1);
        shots += saveWindowBmp(mainWindow, name);
        scopeCursor(true, 150);
        std::snprintf(name, sizeof name, "%s/scope-cursor-size%d.bmp", out.c_str(), s + 1);
        shots += saveWindowBmp(mainWindow, name);
        scopeCursor(false, 150);
    }
    return shots;
}

// Both configuration pages with everything they can show: the functions on
// the options page switched on, and on the configuration page the emergency
// start with its valve opening list (generation 3).
static int shootConfigPages(const std::string& out, const char* code) {
    int shots = 0;
    char name[160];
    simState().configA.emulType |= EmulType::EmergencyStart;
    for (const LanguageRow& l : AllLanguages)
        if (code && std::strcmp(l.code, code) == 0) command(l.command);
    for (int s = 0; s < 5; ++s) {
        command(sizes[s]);
        for (const PageEntry& p : AllPages) {
            if (p.kind != PageConfiguration && p.kind != PageOptions) continue;
            command(p.command);
            pumpMessagesFor(300);  // a few ticks: the page shows the controller
            std::snprintf(name, sizeof name, "%s/%s-%s-size%d.bmp", out.c_str(), p.name,
                          code ? code : "ang", s + 1);
            shots += saveWindowBmp(mainWindow, name);
        }
    }
    return shots;
}

// ---- the service dialogs, created modeless over the page so they can be shot ----

static HWND openServiceDialog(int templateId, DLGPROC proc) {
    setServiceDialogOpen(true);
    // Unicode, as the program runs its dialogs: captions in the language's letters.
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId),
                                     currentPage, proc, 0);
    ShowWindow(dialog, SW_SHOW);
    pumpMessagesFor(400);
    return dialog;
}

static int shootDialog(HWND dialog, const std::string& out, const char* name) {
    pumpMessagesFor(200);
    return saveWindowBmp(dialog, out + "/" + name + ".bmp");
}

static void closeServiceDialog(HWND dialog) {
    DestroyWindow(dialog);
    setServiceDialogOpen(false);
    pumpMessagesFor(200);
}

// Three listed ports of which the third answers: no real port is named.
static bool shotPortsOpen(void*) { return true; }
static bool shotPortName(void*, uint32_t index, char* data, size_t cap) {
    if (index >= 3) return false;
    std::snprintf(data, cap, "COM%u", index + 1);
    return true;
}
static void shotPortsClose(void*) {}

static int shootPortSearch(const std::string& out) {
    int shots = 0;
    portSearchNames = {shotPortsOpen, shotPortName, shotPortsClose, nullptr};
    HWND dialog = openServiceDialog(IDD_PORT_SEARCH, portSearchDialogProc);
    KillTimer(dialog, PortSearchTimerId);  // the ticks are sent below, one per shot
    shots += shootDialog(dialog, out, "port-search-before");
    simSetFault(SimFault::Silent);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PORT_SEARCH, BN_CLICKED), 0);
    KillTimer(dialog, PortSearchTimerId);
    SendMessageA(dialog, WM_TIMER, PortSearchTimerId, 0);
    shots += shootDialog(dialog, out, "port-search-searching");
    SendMessageA(dialog, WM_TIMER, PortSearchTimerId, 0);
    simSetFault(SimFault::None);
    SendMessageA(dialog, WM_TIMER, PortSearchTimerId, 0);
    shots += shootDialog(dialog, out, "port-search-found");
    closeServiceDialog(dialog);
    return shots;
}

static int shootDeviceInfo(const std::string& out) {
    int shots = 0;
    for (int gen : {3, 1}) {
        SimConfig cfg;
        cfg.generation = gen;
        cfg.variant = gen == 3 ? 5 : 0;
        simPortSetup(cfg);
        HWND dialog = openServiceDialog(IDD_DEVICE_INFO, deviceInfoDialogProc);
        char name[32];
        std::snprintf(name, sizeof name, "device-info-gen%d", gen);
        shots += shootDialog(dialog, out, name);
        if (gen == 3) {
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_INFO_DATE_EDIT, BN_CLICKED), 0);
            shots += shootDialog(dialog, out, "device-info-date");
        }
        closeServiceDialog(dialog);
    }
    simSetFault(SimFault::Silent);
    HWND dialog = openServiceDialog(IDD_DEVICE_INFO, deviceInfoDialogProc);
    pumpMessagesFor(800);
    shots += shootDialog(dialog, out, "device-info-link-lost");
    closeServiceDialog(dialog);
    simSetFault(SimFault::None);
    return shots;
}

static int shootServiceDialogs(const std::string& out, const char* code) {
    command(code ? languageCommandFor(code) : IDM_LANG_ANG);
    command(IDM_READINGS);
    int shots = 0;
    HWND about = openServiceDialog(IDD_ABOUT, aboutDialogProc);
    shots += shootDialog(about, out, "about");
    closeServiceDialog(about);
    shots += shootPortSearch(out);
    shots += shootDeviceInfo(out);
    return shots;
}

// The dialog's font doesn't follow the window size; the two ends show it.
static int shootNetwork(const std::string& out, const char* code) {
    command(code ? languageCommandFor(code) : IDM_LANG_ANG);
    command(IDM_READINGS);
    RecentAddresses recent;
    rememberAddress(&recent, "socket://192.168.100.200:4001");
    rememberAddress(&recent, "rfc2217://workshop-bench.example:2217");
    saveRecentAddresses(RecentAddressesFileName, recent);
    const struct {
        int command;
        const char* name;
    } sizes[] = {{IDM_SIZE_640, "640"}, {IDM_SIZE_1280_1024, "1280x1024"}};
    int shots = 0;
    for (const auto& size : sizes) {
        command(size.command);
        HWND dialog = openServiceDialog(IDD_NETWORK, networkDialogProc);
        char name[48];
        std::snprintf(name, sizeof name, "network-%s-%s", code ? code : "ang", size.name);
        shots += shootDialog(dialog, out, name);
        closeServiceDialog(dialog);
    }
    removeFile(RecentAddressesFileName);
    return shots;
}

// What a run shoots, by its second argument; the first row is the default.
// Modes on the built-in simulator start it with generation 3.
static const struct {
    const char* flag;
    bool builtInSimulator;
    int (*shoot)(const std::string& out, const char* arg);
} modes[] = {
    {"", false, shootPages},
    {"--lang", false, shootLanguage},
    {"--states", true, shootStatesMode},
    {"--service", false, shootService},
    {"--dialogs", true, shootDialogs},
    {"--scope", true, shootScope},
    {"--config", true, shootConfigPages},
    {"--service-dialogs", true, shootServiceDialogs},
    {"--each-page", true, shootEachPageOnce},
    {"--network", true, shootNetwork},
};

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: zscreens OUTDIR [--lang CODE | --service CODE | --states | --dialogs "
                     "| --scope | --config CODE | --service-dialogs | --network CODE | --each-page "
                     "| --demo[=1]]\n");
        return 2;
    }
    const std::string out = argv[1];
    const char* flag = argc > 2 ? argv[2] : "";
    const char* arg = argc > 3 ? argv[3] : nullptr;
    auto mode = &modes[0];
    for (const auto& m : modes)
        if (std::strcmp(m.flag, flag) == 0) mode = &m;
    useLinkBackend(&win32PortOps);
    if (mode->builtInSimulator || std::strncmp(flag, "--demo", 6) == 0) {
        SimConfig cfg;
        cfg.generation = std::strcmp(flag, "--demo=1") == 0 ? 1 : 3;
        simPortSetup(cfg);
        useLinkBackend(&simPortOps);
    }
    InitCommonControls();
    if (!createMainWindow(GetModuleHandleA(nullptr), SW_SHOW)) return 1;
    pumpMessagesFor(1500);
    const int shots = mode->shoot(out, arg);
    std::printf("%d screenshots in %s\n", shots, out.c_str());
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
    pumpMessagesFor(200);
    return 0;
}
