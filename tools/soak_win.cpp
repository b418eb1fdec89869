// zsoak: the program's own main window, left running for a long time while
// pages, sizes and languages change every few seconds and every dialog is
// opened and closed; the controller (lpgsim on COM1) drops out now and then,
// which scripts/soak arranges. Each round prints the process's GDI objects,
// windows, open files and memory, so that growth shows.
//
//   zsoak SECONDS [STEP_MS]
#include <windows.h>

#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "link/link.h"
#include "link/port.h"
#include "res/resource.h"
#include "shell/language_list.h"
#include "shell/page_list.h"
#include "shell/shell_win.h"
#include "tools/win_run.h"

namespace {

enum class Step { Command, OpenDialog, PageControl, CloseDialog };
struct Action {
    Step step;
    int id;
    int code;  // PageControl: the notification, as the control sends it
};

// The sizes a round steps through, one per two pages.
const int RoundSizes[] = {IDM_SIZE_640, IDM_SIZE_1024, IDM_SIZE_800, IDM_SIZE_1280_1024};
// Page controls that open a dialog, with the page they are on.
const struct {
    Page page;
    int id;
    int code;
} DialogControls[] = {
    {PageConfiguration, IDC_CFG_LEVEL_SENSOR, BN_CLICKED},
    {PageConfiguration, IDC_CFG_EMULATION_TYPE, CBN_SELCHANGE},  // the constructed emulation
    {PageOptions, IDC_OPT_CORRECTIONS, BN_CLICKED},
};
const int MenuDialogs[] = {IDM_ABOUT, IDM_DEVICE_INFO, IDM_AUTO_SCAN};

// One round: every page of the page table at a changing size and language,
// with the dialogs its controls open, then every dialog the menu opens. A
// dialog is closed on the step after it was opened, from inside its own
// message loop (timers keep running there).
std::vector<Action> makeRound() {
    std::vector<Action> round;
    const int sizes = sizeof RoundSizes / sizeof RoundSizes[0];
    for (int i = 0; i < PageCount; ++i) {
        const PageEntry& p = AllPages[i];
        if (i % 2 == 0) round.push_back({Step::Command, RoundSizes[(i / 2) % sizes], 0});
        round.push_back({Step::Command, AllLanguages[(i + 1) % LanguageCount].command, 0});
        round.push_back({Step::Command, p.command, 0});
        for (const auto& c : DialogControls)
            if (c.page == p.kind) {
                round.push_back({Step::PageControl, c.id, c.code});
                round.push_back({Step::CloseDialog, 0, 0});
            }
    }
    for (int id : MenuDialogs) {
        round.push_back({Step::OpenDialog, id, 0});
        round.push_back({Step::CloseDialog, 0, 0});
    }
    return round;
}
const std::vector<Action> Round = makeRound();
const int RoundLength = static_cast<int>(Round.size());

int nextAction = 0;
int round_ = 0;
DWORD startMs = 0;

BOOL CALLBACK countWindow(HWND, LPARAM lp) {
    ++*reinterpret_cast<int*>(lp);
    return TRUE;
}

int windowCount() {
    int n = 0;
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&n));
    if (mainWindow) EnumChildWindows(mainWindow, countWindow, reinterpret_cast<LPARAM>(&n));
    return n;
}

// Files the process holds open: Wine keeps a Unix descriptor per handle to
// a file or device.
int openFiles() {
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW(L"Z:\\proc\\self\\fd\\*", &d);
    if (h == INVALID_HANDLE_VALUE) return -1;
    int n = 0;
    do {
        if (d.cFileName[0] != '.') ++n;
    } while (FindNextFileW(h, &d));
    FindClose(h);
    return n;
}

// Resident anonymous memory in KB (Wine reports no private bytes).
long privateKb() {
    FILE* f = openFile("Z:\\proc\\self\\status", "r");
    if (!f) return -1;
    char line[128];
    long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "RssAnon:", 8) == 0) kb = std::strtol(line + 8, nullptr, 10);
    std::fclose(f);
    return kb;
}

void sample() {
    std::printf("round %d t %lus gdi %ld windows %d files %d private %ld KB\n", round_,
                static_cast<unsigned long>((GetTickCount() - startMs) / 1000), gdiObjectCount(),
                windowCount(), openFiles(), privateKb());
    std::fflush(stdout);
}

void CALLBACK soakStep(HWND, UINT, UINT_PTR, DWORD) {
    const Action a = Round[nextAction];
    nextAction = (nextAction + 1) % RoundLength;
    switch (a.step) {
    case Step::Command:
    case Step::OpenDialog: PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(a.id, 0), 0); break;
    case Step::PageControl: {
        HWND control = currentPage ? GetDlgItem(currentPage, a.id) : nullptr;
        if (!control) break;
        if (a.code == CBN_SELCHANGE) SendMessageA(control, CB_SETCURSEL, 0, 0);
        PostMessageA(currentPage, WM_COMMAND, MAKEWPARAM(a.id, a.code),
                     reinterpret_cast<LPARAM>(control));
        break;
    }
    case Step::CloseDialog:
        if (HWND dialog = modalDialog()) PostMessageA(dialog, WM_CLOSE, 0, 0);
        break;
    }
    if (nextAction == 0) {
        ++round_;
        sample();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zsoak SECONDS [STEP_MS]\n");
        return 2;
    }
    const DWORD seconds = std::strtoul(argv[1], nullptr, 10);
    const UINT stepMs = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1000;
    useLinkBackend(&win32PortOps);
    InitCommonControls();
    if (!createMainWindow(GetModuleHandleA(nullptr), SW_SHOW)) return 1;
    startMs = GetTickCount();
    pumpMessagesFor(2000);
    sample();
    SetTimer(nullptr, 0, stepMs, soakStep);
    pumpMessagesFor(seconds * 1000);
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
    pumpMessagesFor(200);
    return 0;
}
