// About dialog: texts from the language table on every paint, the logo and
// the icon, its place on the screen; and every service dialog pausing the
// page's polling while it runs modally.
#include <windows.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/language.h"
#include "shell/language_list.h"
#include "service_fixture.h"
#include "tools/win_run.h"

using namespace servicetest;
using shelltest::entryText;
using shelltest::windowText;

namespace {

std::vector<HWND> children(HWND dialog) {
    std::vector<HWND> found;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

bool isStatic(HWND c, DWORD type) {
    char cls[16] = "";
    GetClassNameA(c, cls, sizeof cls);
    return lstrcmpiA(cls, "Static") == 0 && (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == type;
}

HWND childWithStyle(HWND dialog, DWORD type) {
    for (HWND c : children(dialog))
        if (isStatic(c, type)) return c;
    return nullptr;
}

bool hasText(HWND dialog, const std::string& wanted) {
    for (HWND c : children(dialog))
        if (windowText(c) == wanted) return true;
    return false;
}

class AboutDialog : public ServiceDialogTest {
protected:
    void open() {
        start(1, "ang");
        setServiceDialogOpen(true);
        openDialog(IDD_ABOUT, aboutDialogProc, 0);
        ShowWindow(dialog, SW_SHOWNOACTIVATE);
        UpdateWindow(dialog);
    }
};

TEST_F(AboutDialog, TextsComeFromTheLanguageTableAsItOpensAndPaintsKeepThem) {
    open();
    EXPECT_EQ(text(IDC_ABOUT_NAME), entryText("ang", 156));
    EXPECT_EQ(windowText(dialog), entryText("ang", 157));
    EXPECT_EQ(text(IDC_ABOUT_VERSION), entryText("ang", 158));
    EXPECT_EQ(text(IDOK), entryText("ang", 160));
    EXPECT_TRUE(hasText(dialog, "5.02"));

    setLanguageEntry(EntryProductName, "renamed");
    setLanguageEntry(EntryAboutCaption, "");
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);
    EXPECT_EQ(text(IDC_ABOUT_NAME), entryText("ang", 156));
    EXPECT_EQ(windowText(dialog), entryText("ang", 157));
}

TEST_F(AboutDialog, CarriesTheLogoTheIconAndThreeMakerLines) {
    open();
    HWND logo = childWithStyle(dialog, SS_BITMAP);
    ASSERT_NE(logo, nullptr);
    HBITMAP shown = reinterpret_cast<HBITMAP>(SendMessageA(logo, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(shown, nullptr);
    BITMAP bm = {};
    ASSERT_TRUE(GetObjectA(shown, sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 238);
    EXPECT_EQ(bm.bmHeight, 62);

    HWND icon = childWithStyle(dialog, SS_ICON);
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(SendMessageA(icon, STM_GETICON, 0, 0), 0);

    int centredLines = 0;
    for (HWND c : children(dialog))
        if (isStatic(c, SS_CENTER) && !windowText(c).empty()) ++centredLines;
    EXPECT_EQ(centredLines, 3);
}

// True when the text holds a run of digits, joined by spaces, dashes, dots,
// slashes or brackets, of five digits or more (a telephone number or a postcode
// such as "00-000", "000 00" or "00000"), or a "+" before a digit (an
// international number). A version such as "5.02" or a year passes.
bool looksLikePhoneOrPostcode(const std::string& text) {
    auto digit = [&](size_t i) { return i < text.size() && isdigit(uint8_t(text[i])); };
    auto separator = [&](size_t i) { return i < text.size() && strchr(" -./()", text[i]); };
    int digits = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+' && digit(i + 1)) return true;
        if (digit(i)) {
            if (++digits >= 5) return true;
        } else if (!(digits > 0 && separator(i) && (separator(i + 1) || digit(i + 1)))) {
            digits = 0;  // a lone separator inside a number does not end it; all else does
        }
    }
    return false;
}

TEST(AboutTexts, TheNumberCheckTellsContactDetailsFromVersionsAndYears) {
    const struct {
        const char* text;
        bool flagged;
    } cases[] = {
        {"tel. +00 000 000 000", true},
        {"1 Sample Lane, 00-000 Exampleton", true},
        {"612 345 678", true},
        {"(22) 123-45-67", true},
        {"110 00 Praha", true},
        {"LT-01100 Vilnius", true},
        {"5.02", false},
        {"Copyright (C) 2026 the ZuvelS authors", false},
        {"RS-232, 9600 baud", false},
        {"ZuvelS", false},
    };
    for (const auto& c : cases) EXPECT_EQ(looksLikePhoneOrPostcode(c.text), c.flagged) << c.text;
}

TEST_F(AboutDialog, NoTextLooksLikeATelephoneNumberOrAPostcodeInAnyLanguage) {
    start(1, "ang");
    for (const LanguageRow& l : AllLanguages) {
        SCOPED_TRACE(l.code);
        if (dialog) DestroyWindow(dialog);
        command(l.command);
        openDialog(IDD_ABOUT, aboutDialogProc, 0);
        ShowWindow(dialog, SW_SHOWNOACTIVATE);
        UpdateWindow(dialog);
        std::vector<std::string> texts = {windowText(dialog)};
        for (HWND c : children(dialog)) texts.push_back(windowText(c));
        EXPECT_GE(texts.size(), 8u);
        for (const std::string& t : texts) EXPECT_FALSE(looksLikePhoneOrPostcode(t)) << t;
    }
}

TEST_F(AboutDialog, StandsInTheMiddleOfTheScreenNotOfTheMainWindow) {
    start(1, "ang");
    for (RECT screen : {RECT{0, 0, 1400, 1050}, RECT{0, 0, 1024, 768}}) {
        shelltest::fakeScreen() = screen;
        displayChanged();  // the shell measures the screen again
        SetWindowPos(mainWindow, nullptr, 3, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        if (dialog) DestroyWindow(dialog);
        openDialog(IDD_ABOUT, aboutDialogProc, 0);
        RECT r;
        GetWindowRect(dialog, &r);
        EXPECT_EQ(r.left, (screen.right - (r.right - r.left)) / 2) << screen.right;
        EXPECT_EQ(r.top, (screen.bottom - (r.bottom - r.top)) / 2) << screen.right;
    }
}

TEST_F(AboutDialog, OkOrCloseEndsTheServicePause) {
    open();
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(serviceDialogOpen);
    EXPECT_FALSE(IsWindowVisible(dialog));
    setServiceDialogOpen(true);
    SendMessageA(dialog, WM_COMMAND, 1234, 0);  // not a closing command
    EXPECT_TRUE(serviceDialogOpen);
}

// ---- every service dialog, run modally from its menu command ----

// True once the readings page has read its live block again.
bool pageReadsAgain() {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < 2000) {
        for (int cmd : commandsReceived())
            if (cmd == 2) return true;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return false;
}

struct Watch {
    HWND dialog;
    bool pausedWhileOpen;
    std::vector<int> commandsWhileOpen;
};
Watch watch;

// Runs inside the dialog's modal loop: lets the page's timer fire for a
// while, then closes the dialog with the Escape key.
void watchDialog(HWND dialog) {
    watch.dialog = dialog;
    simClearLog();
    pumpMessagesFor(600);
    watch.pausedWhileOpen = serviceDialogOpen;
    watch.commandsWhileOpen = commandsReceived();
    HWND focus = GetFocus();
    PostMessageA(focus ? focus : dialog, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(focus ? focus : dialog, WM_KEYUP, VK_ESCAPE, 0xC0000001);
}

TEST_F(ServiceDialogTest, PagePollingPausesWhileEachDialogIsOpen) {
    start(1, "ang");
    shelltest::drainMessages();
    const struct {
        int command;
        bool dialogPolls;  // the device information dialog polls itself
    } cases[] = {{IDM_ABOUT, false}, {IDM_DEVICE_INFO, true}, {IDM_AUTO_SCAN, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        watch = Watch();
        ASSERT_TRUE(whileModal([&] { command(c.command); }, watchDialog));
        EXPECT_TRUE(watch.pausedWhileOpen);
        EXPECT_FALSE(serviceDialogOpen);  // Escape closed it
        EXPECT_FALSE(IsWindow(watch.dialog));
        // No live-block read: the readings page stood still.
        for (int cmd : watch.commandsWhileOpen) EXPECT_NE(cmd, 2);
        EXPECT_EQ(!watch.commandsWhileOpen.empty(), c.dialogPolls);

        // And it polls again once the dialog is gone.
        simClearLog();
        EXPECT_TRUE(pageReadsAgain());
    }
}

}  // namespace
