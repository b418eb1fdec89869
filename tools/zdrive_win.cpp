// zdrive: drives a running ZuvelS.exe from outside, as a fitter's clicks
// would, and tells whether it still answers. Used by the fault matrix and
// the soak (scripts/faults, scripts/soak).
//
//   zdrive wait SECONDS          waits for the main window; prints its pid
//   zdrive alive                 exit 0 when the window answers within 1 s
//   zdrive command ID [ID ...]   menu commands that open no dialog, each followed
//                                by an answer check
//   zdrive dialog ID MS          opens a dialog by menu command, keeps it MS ms,
//                                checks it answers, closes it
//   zdrive control ID CODE [SEL] a notification of a page control: CODE 1 is a
//                                list's selection change (SEL chosen first), 0 a click
//   zdrive pagedialog ID CODE SEL MS  a page control that opens a dialog, then as
//                                `dialog` (the dialog is closed after MS ms)
//   zdrive windows               prints how many windows the program has
//   zdrive closeboxes            closes every box and dialog the program shows
//   zdrive fill ID CTRL=TEXT ... opens a dialog by menu command and fills it as a fitter
//                                would: TEXT into control CTRL, or "!" clicks it; checks
//                                that the dialog then closes and the window answers
//   zdrive title                 prints the main window's title
//   zdrive box                   prints "none", or "box CAPTION: TEXT" of the box shown
//   zdrive watch SECONDS LIMIT   a message every 20 ms for SECONDS: fails when more
//                                than one answer in twenty takes longer than LIMIT ms,
//                                or one takes a second; prints the count and the longest
//
// Every check prints one line "ok ..." or "fail ..." and sets the exit code.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char MainClass[] = "ZUVELMxx";
const UINT AnswerLimitMs = 1000;

HWND mainWindow() { return FindWindowA(MainClass, nullptr); }

DWORD processOf(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    return pid;
}

// True when w handles a message within the limit; the time it took in *ms.
bool answers(HWND w, DWORD* ms) {
    const DWORD t0 = GetTickCount();
    DWORD_PTR result = 0;
    const bool ok =
        SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, AnswerLimitMs, &result) != 0;
    *ms = GetTickCount() - t0;
    return ok;
}

bool report(bool ok, const char* what, DWORD ms) {
    std::printf("%s %s %lu ms\n", ok ? "ok" : "fail", what, static_cast<unsigned long>(ms));
    std::fflush(stdout);
    return ok;
}

bool checkAlive(HWND w, const char* what) {
    DWORD ms = 0;
    if (w && answers(w, &ms)) return report(true, what, ms);
    char why[96];
    std::snprintf(why, sizeof why, "%s (%s, error %lu)", what, IsWindow(w) ? "busy" : "gone",
                  static_cast<unsigned long>(GetLastError()));
    return report(false, why, ms);
}

struct DialogSearch {
    DWORD pid;
    HWND main;
    HWND found;
};

BOOL CALLBACK findDialog(HWND w, LPARAM lp) {
    DialogSearch* s = reinterpret_cast<DialogSearch*>(lp);
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (w != s->main && processOf(w) == s->pid && IsWindowVisible(w) &&
        std::strcmp(cls, "#32770") == 0) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level dialog of the program, or null.
HWND programDialog(HWND main) {
    DialogSearch s = {processOf(main), main, nullptr};
    EnumWindows(findDialog, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND awaitDialog(HWND main, DWORD limitMs) {
    const DWORD t0 = GetTickCount();
    while (GetTickCount() - t0 < limitMs) {
        if (HWND d = programDialog(main)) return d;
        Sleep(20);
    }
    return nullptr;
}

// Keeps the dialog open for ms, checking that it answers, then closes it
// the way Escape would and waits until it is gone.
bool holdAndClose(HWND main, const char* what, DWORD ms) {
    HWND d = awaitDialog(main, 3000);
    if (!d) return report(false, "no-dialog", 0);
    bool ok = true;
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < ms; Sleep(100))
        ok = checkAlive(d, what) && ok;
    PostMessageA(d, WM_CLOSE, 0, 0);
    for (int i = 0; i < 150 && IsWindow(d) && IsWindowVisible(d); ++i) Sleep(20);
    return report(ok && !(IsWindow(d) && IsWindowVisible(d)), what, 0) &&
           checkAlive(main, "main after dialog");
}

HWND currentPage(HWND main) { return GetWindow(main, GW_CHILD); }

// A control notification as the page would get it from the control itself.
void notifyControl(HWND main, int id, int code, int sel) {
    HWND page = currentPage(main);
    HWND control = page ? GetDlgItem(page, id) : nullptr;
    if (!control) return;
    if (code == CBN_SELCHANGE) SendMessageTimeoutA(control, CB_SETCURSEL, sel, 0, 0, 1000, nullptr);
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

struct WindowCount {
    DWORD pid;
    int count;
};

BOOL CALLBACK countChild(HWND, LPARAM lp) {
    ++reinterpret_cast<WindowCount*>(lp)->count;
    return TRUE;
}

BOOL CALLBACK countTop(HWND w, LPARAM lp) {
    WindowCount* c = reinterpret_cast<WindowCount*>(lp);
    if (processOf(w) != c->pid) return TRUE;
    ++c->count;
    EnumChildWindows(w, countChild, lp);
    return TRUE;
}

int waitForMain(int argc, char** argv) {
    const DWORD limit = argc > 2 ? std::strtoul(argv[2], nullptr, 10) * 1000 : 30000;
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < limit; Sleep(100))
        if (HWND w = mainWindow()) {
            std::printf("%lu\n", static_cast<unsigned long>(processOf(w)));
            return 0;
        }
    return 1;
}

bool alive(HWND main, int, char**) { return checkAlive(main, "main"); }

bool commands(HWND main, int argc, char** argv) {
    bool ok = true;
    for (int i = 2; i < argc; ++i) {
        // Sent, not posted: the next step may rely on the page it shows.
        DWORD_PTR result = 0;
        SendMessageTimeoutA(main, WM_COMMAND, MAKEWPARAM(std::atoi(argv[i]), 0), 0, SMTO_NORMAL,
                            5000, &result);
        ok = checkAlive(main, argv[i]) && ok;
    }
    return ok;
}

bool dialog(HWND main, int, char** argv) {
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), 0), 0);
    return holdAndClose(main, argv[2], std::strtoul(argv[3], nullptr, 10));
}

bool control(HWND main, int argc, char** argv) {
    notifyControl(main, std::atoi(argv[2]), std::atoi(argv[3]), argc > 4 ? std::atoi(argv[4]) : 0);
    return checkAlive(main, argv[2]);
}

bool pageDialog(HWND main, int, char** argv) {
    notifyControl(main, std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    return holdAndClose(main, argv[2], std::strtoul(argv[5], nullptr, 10));
}

// Each CTRL=TEXT in turn: the text set, or with "!" a click, sent so that
// the steps keep their order.
bool fill(HWND main, int argc, char** argv) {
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), 0), 0);
    HWND d = awaitDialog(main, 3000);
    if (!d) return report(false, "no-dialog", 0);
    for (int i = 3; i < argc; ++i) {
        const char* eq = std::strchr(argv[i], '=');
        HWND control = eq ? GetDlgItem(d, std::atoi(argv[i])) : nullptr;
        if (!control) return report(false, argv[i], 0);
        DWORD_PTR result = 0;
        if (std::strcmp(eq + 1, "!") == 0)
            PostMessageA(control, BM_CLICK, 0, 0);
        else
            SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(eq + 1),
                                SMTO_NORMAL, 1000, &result);
    }
    for (int i = 0; i < 150 && IsWindow(d) && IsWindowVisible(d); ++i) Sleep(20);
    return report(!(IsWindow(d) && IsWindowVisible(d)), "dialog closed", 0) &&
           checkAlive(main, "main after dialog");
}

bool title(HWND main, int, char**) {
    char text[512] = "";
    GetWindowTextA(main, text, sizeof text);
    std::printf("%s\n", text);
    return true;
}

bool closeBoxes(HWND main, int, char**) {
    for (int i = 0; i < 10; ++i) {
        HWND d = programDialog(main);
        if (!d) break;
        PostMessageA(d, WM_CLOSE, 0, 0);
        for (int j = 0; j < 50 && IsWindow(d) && IsWindowVisible(d); ++j) Sleep(20);
    }
    return checkAlive(main, "main");
}

bool windows(HWND main, int, char**) {
    WindowCount c = {processOf(main), 0};
    EnumWindows(countTop, reinterpret_cast<LPARAM>(&c));
    std::printf("%d\n", c.count);
    return true;
}

BOOL CALLBACK appendStatic(HWND w, LPARAM lp) {
    char cls[16] = "", text[512] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (std::strcmp(cls, "Static") == 0 && GetWindowTextA(w, text, sizeof text) > 0) {
        std::string* all = reinterpret_cast<std::string*>(lp);
        *all += ' ';
        *all += text;
    }
    return TRUE;
}

bool box(HWND main, int, char**) {
    HWND d = programDialog(main);
    if (!d) {
        std::printf("none\n");
        return true;
    }
    char caption[512] = "";
    GetWindowTextA(d, caption, sizeof caption);
    std::string text;
    EnumChildWindows(d, appendStatic, reinterpret_cast<LPARAM>(&text));
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    std::printf("box %s:%s\n", caption, text.c_str());
    return true;
}

// A busy machine stalls any program now and then; a window that waits on
// its port stalls on every tick. So a few answers over the limit pass, but
// not more than one in twenty, and none of a second or more.
bool watch(HWND main, int, char** argv) {
    const DWORD seconds = DWORD(std::atoi(argv[2])), limit = DWORD(std::atoi(argv[3]));
    DWORD longest = 0;
    int answers = 0, slow = 0;
    bool ok = true;
    for (const DWORD t0 = GetTickCount(); GetTickCount() - t0 < seconds * 1000; Sleep(20)) {
        DWORD_PTR result = 0;
        const DWORD s0 = GetTickCount();
        ok = SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0 && ok;
        const DWORD ms = GetTickCount() - s0;
        longest = ms > longest ? ms : longest;
        ++answers;
        slow += ms > limit;
    }
    char what[96];
    std::snprintf(what, sizeof what, "watch: %d of %d answers over %lu ms; longest", slow, answers,
                  static_cast<unsigned long>(limit));
    return report(ok && longest < 1000 && slow * 20 <= answers, what, longest);
}

// The verbs that act on the running program, with the least words each takes.
const struct {
    const char* verb;
    int minArgs;
    bool (*act)(HWND main, int argc, char** argv);
} Verbs[] = {
    {"alive", 2, alive},     {"command", 2, commands},      {"dialog", 4, dialog},
    {"control", 4, control}, {"pagedialog", 6, pageDialog}, {"closeboxes", 2, closeBoxes},
    {"windows", 2, windows}, {"watch", 4, watch},           {"box", 2, box},
    {"fill", 4, fill},       {"title", 2, title},
};

int run(int argc, char** argv) {
    if (std::strcmp(argv[1], "wait") == 0) return waitForMain(argc, argv);
    HWND main = mainWindow();
    if (!main) return report(false, "no main window", 0) ? 0 : 1;
    for (const auto& v : Verbs)
        if (std::strcmp(argv[1], v.verb) == 0 && argc >= v.minArgs)
            return v.act(main, argc, argv) ? 0 : 1;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: zdrive wait|alive|command|dialog|fill|control|pagedialog|windows|title ...\n");
        return 2;
    }
    return run(argc, argv);
}
