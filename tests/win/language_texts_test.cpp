// Every page and dialog in each language whose code page is not the one the
// process runs under (Wine takes it from LC_ALL): the texts read back with
// the wide calls must be the language file's, as decoded by the system from
// the file's own code page, not bytes read in the system's code page.
#include <algorithm>
#include <cstdio>
#include <ostream>
#include <set>
#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "shell/seams_win.h"
#include "config/config_dialogs_win.h"
#include "res/resource.h"
#include "service/dialogs_win.h"
#include "shell/language.h"
#include "shell/language_list.h"
#include "shell/page_list.h"
#include "shell/pages_win.h"
#include "shell/settings_file_win.h"
#include "shell/text_win.h"
#include "menu_table.h"
#include "shell_fixture.h"
#include "tools/win_run.h"

using namespace shelltest;

namespace {

// The Windows number of a language file's code page.
UINT windowsCodePage(CodePage cp) {
    switch (cp) {
    case CodePage::Central1250: return 1250;
    case CodePage::Cyrillic1251: return 1251;
    case CodePage::Western1252: return 1252;
    }
    return 0;
}

// The language file's texts, decoded by the system from the file's own
// code page.
std::set<std::wstring> expectedTexts(const std::string& bytes, UINT codePage) {
    std::set<std::wstring> texts;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        const std::string line = bytes.substr(at, end - at);
        const size_t eq = line.rfind('=');
        if (eq != std::string::npos && eq + 1 < line.size()) {
            const std::string text = line.substr(eq + 1, LanguageTextSize - 1);
            wchar_t wide[LanguageTextSize + 1] = L"";
            MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide, LanguageTextSize + 1);
            texts.insert(wide);
        }
        at = end + 1;
    }
    return texts;
}

bool isAscii(const std::wstring& s) {
    for (wchar_t c : s)
        if (c >= 0x80 || c == L'?') return false;
    return true;
}

std::wstring wideWindowText(HWND w) {
    wchar_t buf[512] = L"";
    SendMessageW(w, WM_GETTEXT, sizeof buf / sizeof buf[0], reinterpret_cast<LPARAM>(buf));
    return buf;
}

// The window's text and, for a combo box, its items. A picture's static
// holds its resource's number (0xFFFF, id), not a text.
std::vector<std::wstring> textsOf(HWND w) {
    std::vector<std::wstring> texts;
    const std::wstring own = wideWindowText(w);
    if (own.empty() || own[0] != 0xFFFF) texts.push_back(own);
    wchar_t cls[32] = L"";
    GetClassNameW(w, cls, 32);
    if (lstrcmpiW(cls, L"ComboBox") != 0) return texts;
    const int n = static_cast<int>(SendMessageW(w, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t item[512] = L"";
        if (SendMessageW(w, CB_GETLBTEXTLEN, i, 0) < 512)
            SendMessageW(w, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        texts.push_back(item);
    }
    return texts;
}

BOOL CALLBACK collectChild(HWND w, LPARAM out) {
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(w);
    return TRUE;
}

INT_PTR CALLBACK quietDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::wstring utf8ToWide(const std::string& s) {
    wchar_t buf[512] = L"";
    MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, buf, 512);
    return buf;
}

bool chooseMissingFile(HWND, bool, const SettingsFormat&, char* path, size_t cap) {
    snprintf(path, cap, "%s", "no such folder\\none.zs2");
    return true;
}

class LanguageTexts : public ShellTest, public testing::WithParamInterface<int> {
protected:
    std::set<std::wstring> expected;
    int verified = 0;  // texts with letters beyond ASCII found in the file

    void SetUp() override {
        ShellTest::SetUp();
        for (const LanguageRow& l : AllLanguages) {
            const std::string from =
                wineDrivePath(std::string(ZUVELS_SOURCE_DIR) + "/res/lang/ZuvelS_lang." + l.code);
            const std::string to = dir + "\\Lang\\ZuvelS_lang." + l.code;
            ASSERT_TRUE(
                CopyFileW(widePath(from.c_str()).c_str(), widePath(to.c_str()).c_str(), FALSE))
                << from;
        }
    }

    // A text as shown must be the template's own, or ASCII built in code
    // (numbers, formats) around whole language texts: every letter beyond
    // ASCII belongs to a text of the file.
    bool madeOfFileTexts(const std::wstring& shown, size_t at) const {
        if (at == shown.size()) return true;
        if (shown[at] < 0x80 && shown[at] != L'?' && madeOfFileTexts(shown, at + 1)) return true;
        for (const std::wstring& e : expected)
            if (!isAscii(e) && shown.compare(at, e.size(), e) == 0 &&
                madeOfFileTexts(shown, at + e.size()))
                return true;
        return false;
    }

    void check(const std::wstring& shown, const std::set<std::wstring>& templateTexts,
               const char* where) {
        if (shown.empty() || templateTexts.count(shown) || isAscii(shown)) return;
        if (madeOfFileTexts(shown, 0)) {
            ++verified;
            return;
        }
        ADD_FAILURE() << where << ": \"" << utf8(shown.c_str()) << "\" is no text of the file";
    }

    std::set<std::wstring> templateTextsOf(int templateId) {
        std::set<std::wstring> texts;
        HWND quiet = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId),
                                        mainWindow, quietDialogProc, 0);
        if (!quiet) {
            ADD_FAILURE() << "template " << templateId << " does not load";
            return texts;
        }
        std::vector<HWND> children;
        EnumChildWindows(quiet, collectChild, reinterpret_cast<LPARAM>(&children));
        for (HWND c : children)
            for (const std::wstring& t : textsOf(c)) texts.insert(t);
        texts.insert(wideWindowText(quiet));
        DestroyWindow(quiet);
        // The templates' own texts are Polish, and Unicode in the resource:
        // they read right under any code page.
        const std::wstring polish =
            L"\x0105\x0107\x0119\x0142\x0144\x00F3\x015B\x017A\x017C"
            L"\x0104\x0106\x0118\x0141\x0143\x00D3\x015A\x0179\x017B\x00B0";
        for (const std::wstring& t : texts)
            for (wchar_t c : t)
                EXPECT_TRUE(c < 0x80 || polish.find(c) != std::wstring::npos)
                    << "template " << templateId << ": " << utf8(t.c_str());
        return texts;
    }

    void checkWindow(HWND window, int templateId, const char* where) {
        ASSERT_NE(window, nullptr) << where;
        const std::set<std::wstring> templateTexts = templateTextsOf(templateId);
        std::vector<HWND> children{window};
        EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&children));
        for (HWND c : children)
            for (const std::wstring& t : textsOf(c)) check(t, templateTexts, where);
    }

    void checkDialog(int templateId, DLGPROC proc, const char* where) {
        HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId),
                                         currentPage, proc, 0);
        pumpMessagesFor(100);
        checkWindow(dialog, templateId, where);
        if (dialog) DestroyWindow(dialog);
        setServiceDialogOpen(false);
        setConfigDialogOpen(false);
        setOptionsDialogOpen(false);
        setDropDownOpen(false);
    }

    void checkLanguage(const LanguageRow& l, size_t column);
};

void LanguageTexts::checkLanguage(const LanguageRow& l, size_t column) {
    verified = 0;
    command(IDM_SIZE_1024);
    for (const PageEntry& p : AllPages) {
        command(p.command);
        pumpMessagesFor(150);  // the page's first ticks fill and select its lists
        checkWindow(mainWindow, pageHooks(p.kind).templates[sizeModeForCommand(IDM_SIZE_1024) - 1],
                    p.name);
    }
    checkDialog(IDD_CORRECTIONS, correctionsDialogProc, "corrections");
    checkDialog(IDD_LEVEL_SENSOR, levelSensorDialogProc, "gas level sensor");
    checkDialog(IDD_LAMBDA_EMULATION, lambdaEmulationDialogProc, "lambda emulation");
    checkDialog(IDD_ABOUT, aboutDialogProc, "about");
    checkDialog(IDD_DEVICE_INFO, deviceInfoDialogProc, "device information");
    checkDialog(IDD_PORT_SEARCH, portSearchDialogProc, "port search");

    // The message boxes: the link error box, and a settings file that can't
    // be opened.
    boxCalls().clear();
    showLinkErrorBox();
    auto* chooser = shellSeams.settingsFileChooser;
    auto* box = shellSeams.settingsMessageBox;
    shellSeams.settingsFileChooser = chooseMissingFile;
    shellSeams.settingsMessageBox = recordBox;
    loadSettingsFile(currentPage);
    shellSeams.settingsFileChooser = chooser;
    shellSeams.settingsMessageBox = box;
    ASSERT_EQ(boxCalls().size(), 2u);
    for (const BoxCall& b : boxCalls()) {
        check(utf8ToWide(b.text), {}, "message box");
        check(utf8ToWide(b.caption), {}, "message box caption");
    }
    // The file dialogs' titles, on the system's dialogs, cancelled at once.
    for (bool save : {false, true}) {
        std::wstring title;
        const bool shown = whileModal(
            [&] { save ? saveSettingsFile(currentPage) : loadSettingsFile(currentPage); },
            [&](HWND d) {
                title = wideWindowText(d);
                cancelDialog(d);
            });
        ASSERT_TRUE(shown) << (save ? "save" : "open") << " dialog";
        EXPECT_FALSE(title.empty());
        check(title, {}, save ? "save dialog title" : "open dialog title");
    }
    // The language's menu, from the resource: its column of the menu table.
    const menutable::Table table = menutable::readTable();
    ASSERT_LT(column, table.codes.size());
    int labels = 0;
    for (const menutable::Row& r : table.rows) {
        const std::string name = r.item.substr(r.item.rfind('/') + 1);
        const UINT id = menutable::commandOf(table, r, name);
        if (r.labels.empty() || r.command == "POPUP" || id == 0) continue;
        wchar_t label[128] = L"";
        GetMenuStringW(GetMenu(mainWindow), id, label, 128, MF_BYCOMMAND);
        EXPECT_EQ(std::wstring(label), menutable::wide(r.labels[column])) << r.item;
        ++labels;
    }
    EXPECT_GT(labels, PageCount);
    // Many texts with the language's own letters were shown and checked.
    std::printf("%s under ANSI code page %u: %d texts with letters beyond ASCII\n", l.code,
                GetACP(), verified);
    EXPECT_GT(verified, 25);
}

TEST_P(LanguageTexts, EveryPageAndDialogReadsInTheLanguagesLetters) {
    const LanguageRow& l = AllLanguages[GetParam()];
    // The language's own code page would read right even through ANSI calls.
    if (windowsCodePage(l.codePage) == GetACP())
        GTEST_SKIP() << l.code << " runs under its own code page";
    expected = expectedTexts(readFileBytes(dir + "\\Lang\\ZuvelS_lang." + l.code),
                             windowsCodePage(l.codePage));
    // Texts in ASCII and the degree sign read the same in every code page.
    int letters = 0;
    for (const std::wstring& e : expected)
        letters +=
            std::any_of(e.begin(), e.end(), [](wchar_t c) { return c >= 0x80 && c != 0xB0; });
    if (letters == 0) GTEST_SKIP() << l.code << " has no letters beyond ASCII";
    start(1, l.code);
    checkLanguage(l, static_cast<size_t>(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Foreign, LanguageTexts, testing::Range(0, LanguageCount),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(AllLanguages[info.param].code);
                         });

}  // namespace
