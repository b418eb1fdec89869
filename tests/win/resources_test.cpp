// The resources compiled into the exe: menus, accelerators, strings, flag
// bitmaps and dialog templates, loaded the way the program loads them.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "menu_table.h"
#include "res/resource.h"
#include "shell/language_list.h"
#include "shell/page_list.h"

namespace {

HINSTANCE exeInstance() { return GetModuleHandleA(nullptr); }

// Each language's menu is its column of the menu table, item for item: the
// bar, every popup, labels as Unicode, separators and command ids.
TEST(Resources, EveryLanguageMenuIsItsColumnOfTheMenuTable) {
    const menutable::Table table = menutable::readTable();
    ASSERT_FALSE(table.rows.empty()) << "res/menus.tsv not read";
    std::vector<std::string> codes;
    for (const LanguageRow& l : AllLanguages) codes.push_back(l.code);
    ASSERT_EQ(table.codes, codes) << "a label column per language, in the table's order";
    int pages = 0, languages = 0;
    for (const menutable::Row& r : table.rows) {
        pages += r.command == "PAGE";
        languages += r.command == "LANGUAGE";
    }
    EXPECT_EQ(pages, PageCount);
    EXPECT_EQ(languages, LanguageCount);

    for (size_t column = 0; column < codes.size(); ++column) {
        SCOPED_TRACE(codes[column]);
        const std::vector<menutable::MenuNode> expected = menutable::expectedBar(table, column);
        for (const menutable::MenuNode& bar : expected)
            for (const menutable::MenuNode& item : bar.popup ? bar.items : expected)
                EXPECT_TRUE(item.separator || item.popup || item.command != 0)
                    << "no command for " << testing::PrintToString(item);
        HMENU menu = LoadMenuW(exeInstance(), MAKEINTRESOURCEW(AllLanguages[column].menu));
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menutable::shownItems(menu), expected);
        DestroyMenu(menu);
    }
}

TEST(Resources, AcceleratorsAreAltSlashForAboutAndAltF4ForExit) {
    HACCEL table = LoadAcceleratorsA(exeInstance(), MAKEINTRESOURCEA(IDA_MAIN));
    ASSERT_NE(table, nullptr);
    ACCEL entries[4] = {};
    ASSERT_EQ(CopyAcceleratorTableA(table, nullptr, 0), 2);
    ASSERT_EQ(CopyAcceleratorTableA(table, entries, 4), 2);
    // A character accelerator: no FVIRTKEY, key is the character code.
    EXPECT_EQ(entries[0].fVirt, FALT | FNOINVERT);
    EXPECT_EQ(entries[0].key, 0x2F);
    EXPECT_EQ(entries[0].cmd, IDM_ABOUT);
    EXPECT_EQ(entries[1].fVirt, FVIRTKEY | FALT | FNOINVERT);
    EXPECT_EQ(entries[1].key, VK_F4);
    EXPECT_EQ(entries[1].cmd, IDM_EXIT);
    DestroyAcceleratorTable(table);
}

TEST(Resources, ClassNameAndTitleStrings) {
    char buf[101] = {};
    ASSERT_GT(LoadStringA(exeInstance(), IDS_TITLE, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "ZuvelS");
    ASSERT_GT(LoadStringA(exeInstance(), IDS_CLASS, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "ZUVELMxx");
}

// The manifest Windows reads before the program starts: no elevation, the
// Windows versions from 7 on, and DPI-unaware so that scaled displays
// stretch the fixed-pixel layouts whole.
TEST(Resources, ManifestAsksForNoElevationNamesWindows7To11AndStaysDpiUnaware) {
    HRSRC found = FindResourceA(exeInstance(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(exeInstance(), found)));
    ASSERT_NE(bytes, nullptr);
    const std::string manifest(bytes, SizeofResource(exeInstance(), found));
    const char* const wanted[] = {
        "level=\"asInvoker\"",
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
        ">false</dpiAware>",
        ">unaware</dpiAwareness>",
    };
    for (const char* w : wanted) EXPECT_NE(manifest.find(w), std::string::npos) << w;
    // Common controls 6 would restyle every control the layouts were made for.
    EXPECT_EQ(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
}

TEST(Resources, ApplicationIconLoadsInBothSizes) {
    const int sizes[2] = {32, 16};
    for (int s : sizes) {
        HICON icon = static_cast<HICON>(
            LoadImageA(exeInstance(), MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, s, s, 0));
        ASSERT_NE(icon, nullptr) << s;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm = {};
        GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, s);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

// ---- flag bitmaps ----

struct FlagPoint {
    int x, y;  // top-down pixel position
    COLORREF colour;
};

// What a language's flag looks like, by code (make_bitmaps.py draws them).
struct Flag {
    const char* code;
    FlagPoint points[3];
};

const COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255),
               kNavy = RGB(0, 0, 128), kYellow = RGB(255, 255, 0), kGreen = RGB(0, 128, 0);

// Sample points away from the frame of the checked variant.
const Flag kFlags[] = {
    {"pol", {{7, 2, kWhite}, {7, 9, kRed}, {2, 3, kWhite}}},
    {"ang", {{2, 2, kNavy}, {7, 6, kRed}, {11, 9, kNavy}}},
    {"rus", {{7, 2, kWhite}, {7, 5, kBlue}, {7, 9, kRed}}},
    {"lit", {{7, 2, kYellow}, {7, 5, kGreen}, {7, 9, kRed}}},
    {"cs", {{11, 2, kWhite}, {11, 9, kRed}, {2, 6, kBlue}}},
};

const Flag* flagOf(const char* code) {
    for (const Flag& f : kFlags)
        if (std::strcmp(f.code, code) == 0) return &f;
    return nullptr;
}

// The bitmap resource as stored: info header, palette, bottom-up rows.
const BITMAPINFOHEADER* rawBitmap(int id) {
    HRSRC found = FindResourceA(exeInstance(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));
    if (!found) return nullptr;
    return static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(exeInstance(), found)));
}

COLORREF pixelOf(const BITMAPINFOHEADER* bmi, int x, int y) {
    const RGBQUAD* palette =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(bmi) + bmi->biSize);
    const uint8_t* bits = reinterpret_cast<const uint8_t*>(palette + 16);
    int stride = ((bmi->biWidth * 4 + 31) / 32) * 4;
    uint8_t pair = bits[(bmi->biHeight - 1 - y) * stride + x / 2];
    const RGBQUAD& c = palette[(x % 2) ? (pair & 0x0F) : (pair >> 4)];
    return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

// Every language's flags, both of them, are small 16-colour bitmaps; the
// drawings sampled above also show their colours.
TEST(Resources, FlagBitmapsAreSmall16ColourFlags) {
    for (const LanguageRow& l : AllLanguages) {
        SCOPED_TRACE(l.code);
        for (int id : {l.flag, l.flagChecked}) {
            SCOPED_TRACE(id);
            HBITMAP loaded = LoadBitmapA(exeInstance(), MAKEINTRESOURCEA(id));
            ASSERT_NE(loaded, nullptr);
            BITMAP bm = {};
            ASSERT_NE(GetObjectA(loaded, sizeof bm, &bm), 0);
            EXPECT_GE(bm.bmWidth, 12);
            EXPECT_LE(bm.bmWidth, 14);
            EXPECT_EQ(bm.bmHeight, 12);
            DeleteObject(loaded);

            const BITMAPINFOHEADER* raw = rawBitmap(id);
            ASSERT_NE(raw, nullptr);
            EXPECT_EQ(raw->biBitCount, 4);
            EXPECT_EQ(raw->biCompression, static_cast<DWORD>(BI_RGB));
            if (const Flag* f = flagOf(l.code)) {
                for (const FlagPoint& p : f->points)
                    EXPECT_EQ(pixelOf(raw, p.x, p.y), p.colour) << "at " << p.x << "," << p.y;
            }
        }
        // The checked variant is framed in black, the unchecked one in silver.
        EXPECT_EQ(pixelOf(rawBitmap(l.flagChecked), 0, 0), RGB(0, 0, 0));
        EXPECT_EQ(pixelOf(rawBitmap(l.flagChecked), 13, 11), RGB(0, 0, 0));
        EXPECT_EQ(pixelOf(rawBitmap(l.flag), 0, 0), RGB(192, 192, 192));
    }
}

// ---- dialog templates ----

struct TemplateInfo {
    DWORD style = 0;
    int items = 0, cx = 0, cy = 0;
    int pointSize = 0;
    std::wstring face;
};

const wchar_t* skipSzOrOrd(const wchar_t* p) {
    if (*p == 0xFFFF) return p + 2;
    while (*p) ++p;
    return p + 1;
}

bool readTemplate(int id, TemplateInfo* out) {
    HRSRC found = FindResourceA(exeInstance(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    if (!found) return false;
    const uint8_t* t =
        static_cast<const uint8_t*>(LockResource(LoadResource(exeInstance(), found)));
    const WORD* w = reinterpret_cast<const WORD*>(t);
    const wchar_t* rest;
    bool extended = w[0] == 1 && w[1] == 0xFFFF;
    if (extended) {
        std::memcpy(&out->style, t + 12, 4);
        out->items = *reinterpret_cast<const WORD*>(t + 16);
        out->cx = *reinterpret_cast<const short*>(t + 22);
        out->cy = *reinterpret_cast<const short*>(t + 24);
        rest = reinterpret_cast<const wchar_t*>(t + 26);
    } else {
        std::memcpy(&out->style, t, 4);
        out->items = *reinterpret_cast<const WORD*>(t + 8);
        out->cx = *reinterpret_cast<const short*>(t + 14);
        out->cy = *reinterpret_cast<const short*>(t + 16);
        rest = reinterpret_cast<const wchar_t*>(t + 18);
    }
    rest = skipSzOrOrd(rest);  // menu
    rest = skipSzOrOrd(rest);  // class
    rest = skipSzOrOrd(rest);  // caption
    if (out->style & DS_SETFONT) {
        out->pointSize = rest[0];
        rest += extended ? 3 : 1;  // weight, italic + charset
        out->face = rest;
    }
    return true;
}

struct ExpectedTemplate {
    int id, cx, cy, pointSize;
    const wchar_t* face;
    bool page;  // child page or modal dialog
};

const ExpectedTemplate kTemplates[] = {
    {IDD_READINGS, 921, 650, 8, L"MS Sans Serif", true},
    {IDD_CONFIG_1, 357, 227, 10, L"MS Sans Serif", true},
    {IDD_CONFIG_2, 357, 227, 12, L"MS Sans Serif", true},
    {IDD_CONFIG_3, 389, 260, 14, L"Arial", true},
    {IDD_CONFIG_4, 368, 254, 18, L"Arial", true},
    {IDD_CONFIG_5, 363, 272, 18, L"Arial", true},
    {IDD_OPTIONS_1, 357, 227, 10, L"MS Sans Serif", true},
    {IDD_OPTIONS_2, 357, 227, 12, L"MS Sans Serif", true},
    {IDD_OPTIONS_3, 385, 227, 14, L"Arial", true},
    {IDD_OPTIONS_4, 380, 254, 18, L"Arial", true},
    {IDD_OPTIONS_5, 380, 268, 18, L"Arial", true},
    {IDD_DIAGRAM, 0, 0, 12, L"MS Sans Serif", true},
    {IDD_RESET, 0, 0, 0, nullptr, true},
    {IDD_SCOPE, 0, 0, 0, nullptr, true},
    {IDD_ABOUT, 219, 169, 10, L"MS Sans Serif", false},
    {IDD_DEVICE_INFO, 0, 0, 0, nullptr, false},
    {IDD_PORT_SEARCH, 0, 0, 0, nullptr, false},
};

TEST(Resources, TemplatesHaveTheirSizeFontAndKind) {
    for (const ExpectedTemplate& e : kTemplates) {
        SCOPED_TRACE(e.id);
        TemplateInfo t;
        ASSERT_TRUE(readTemplate(e.id, &t));
        if (e.cx) {
            EXPECT_EQ(t.cx, e.cx);
            EXPECT_EQ(t.cy, e.cy);
        }
        if (e.face) {
            EXPECT_EQ(t.pointSize, e.pointSize);
            EXPECT_EQ(t.face, e.face);
        }
        if (e.page) {
            EXPECT_TRUE(t.style & WS_CHILD);
            EXPECT_FALSE(t.style & WS_POPUP);
            EXPECT_NE(t.style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
        } else {
            EXPECT_TRUE(t.style & WS_POPUP);
            EXPECT_EQ(t.style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
        }
    }
}

INT_PTR CALLBACK quietDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// Every template must be creatable as the program creates it; a missing
// control class (the progress bar) would make the whole page fail.
TEST(Resources, EveryTemplateCreatesItsDialog) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPED, 0, 0, 200, 200, nullptr,
                                nullptr, exeInstance(), nullptr);
    ASSERT_NE(host, nullptr);
    for (const ExpectedTemplate& e : kTemplates) {
        SCOPED_TRACE(e.id);
        HWND dlg =
            CreateDialogParamA(exeInstance(), MAKEINTRESOURCEA(e.id), host, quietDialogProc, 0);
        ASSERT_NE(dlg, nullptr);
        DestroyWindow(dlg);
    }
    DestroyWindow(host);
}

TEST(Resources, ReadingsPageCarriesLearnButtonAndHiddenTemperatureEdit) {
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPED, 0, 0, 200, 200, nullptr,
                                nullptr, exeInstance(), nullptr);
    HWND page =
        CreateDialogParamA(exeInstance(), MAKEINTRESOURCEA(IDD_READINGS), host, quietDialogProc, 0);
    ASSERT_NE(page, nullptr);
    HWND learn = GetDlgItem(page, IDC_LEARN);
    HWND raw = GetDlgItem(page, IDC_TEMPERATURE_RAW);
    ASSERT_NE(learn, nullptr);
    ASSERT_NE(raw, nullptr);

    char text[32] = {};
    GetWindowTextA(learn, text, sizeof text);
    EXPECT_STREQ(text, "NAUKA");
    LONG learnStyle = GetWindowLongA(learn, GWL_STYLE);
    EXPECT_TRUE(learnStyle & WS_VISIBLE);
    EXPECT_TRUE(learnStyle & BS_MULTILINE);

    GetClassNameA(raw, text, sizeof text);
    EXPECT_STRCASEEQ(text, "Edit");
    LONG rawStyle = GetWindowLongA(raw, GWL_STYLE);
    EXPECT_FALSE(rawStyle & WS_VISIBLE);
    EXPECT_TRUE(rawStyle & ES_AUTOHSCROLL);
    // The edit control may trade WS_BORDER for a client edge of its own.
    EXPECT_TRUE((rawStyle & WS_BORDER) || (GetWindowLongA(raw, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));

    // The button sits at 880, 624 (38 x 23) in dialog units.
    RECT expected = {880, 624, 880 + 38, 624 + 23};
    MapDialogRect(page, &expected);
    RECT actual;
    GetWindowRect(learn, &actual);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    EXPECT_EQ(actual.bottom, expected.bottom);
    DestroyWindow(page);
    DestroyWindow(host);
}

TEST(Resources, FactoryResetPageHasLabelsButtonAndProgressBar) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPED, 0, 0, 200, 200, nullptr,
                                nullptr, exeInstance(), nullptr);
    // Wide creation: the ANSI one would pass the Polish text through the
    // system code page, which on a non-Polish system drops the accents.
    HWND page =
        CreateDialogParamW(exeInstance(), MAKEINTRESOURCEW(IDD_RESET), host, quietDialogProc, 0);
    ASSERT_NE(page, nullptr);
    const int ids[4] = {IDC_RESET_LABEL1, IDC_RESET_LABEL2, IDC_RESET_BUTTON, IDC_RESET_PROGRESS};
    for (int id : ids) EXPECT_NE(GetDlgItem(page, id), nullptr) << id;
    char cls[64] = {};
    GetClassNameA(GetDlgItem(page, IDC_RESET_PROGRESS), cls, sizeof cls);
    EXPECT_STRCASEEQ(cls, PROGRESS_CLASSA);
    wchar_t text[128] = {};
    GetWindowTextW(GetDlgItem(page, IDC_RESET_BUTTON), text, 128);
    EXPECT_STREQ(text, L"ZRESETUJ   I   PRZYWRÓĆ USTAWIENIA FABRYCZNE");
    DestroyWindow(page);
    DestroyWindow(host);
}

TEST(Resources, ServiceDialogsCarryTheirButtons) {
    struct {
        int dialog, button;
    } cases[] = {{IDD_ABOUT, IDOK}, {IDD_DEVICE_INFO, IDOK}, {IDD_PORT_SEARCH, IDOK}};
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPED, 0, 0, 200, 200, nullptr,
                                nullptr, exeInstance(), nullptr);
    for (const auto& c : cases) {
        HWND dlg =
            CreateDialogParamA(exeInstance(), MAKEINTRESOURCEA(c.dialog), host, quietDialogProc, 0);
        ASSERT_NE(dlg, nullptr) << c.dialog;
        EXPECT_NE(GetDlgItem(dlg, c.button), nullptr) << c.dialog << " button " << c.button;
        DestroyWindow(dlg);
    }
    DestroyWindow(host);
}

}  // namespace
