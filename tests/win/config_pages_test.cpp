// The configuration and options pages under Wine: each page from its
// templates, driven with the notifications a fitter's clicks send, against
// the simulated controller; the frames it received are what is checked.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "config/config_page.h"
#include "config/config_page_win.h"
#include "config/options_page.h"
#include "config/options_page_win.h"
#include "link/blocks.h"
#include "link/link.h"
#include "link/link_testing.h"
#include "res/resource.h"
#include "shell/app_state.h"
#include "shell/dialog_win.h"
#include "shell/language.h"
#include "shell/shell_win.h"
#include "sim/sim.h"
#include "test_window.h"

namespace {

using wintest::modalDialog;
using wintest::pump;

HWND makeParent() { return wintest::makeParent(900, 700); }

// Frames the controller received since the last call, as "AA=VV" pairs of
// wire address and value for writes and "read N" for block reads.
std::string takeFrames() {
    std::string s;
    for (const SimFrame& f : simFrameLog()) {
        if (f.dir != '>' || f.bytes.size() != 4) continue;
        if (!s.empty()) s += " ";
        if (f.bytes[1] == f.bytes[2] && f.bytes[1] >= 1 && f.bytes[1] <= 4)
            s += "read " + std::to_string(f.bytes[1]);
        else
            s += std::to_string(f.bytes[1]) + "=" + std::to_string(f.bytes[2]);
    }
    simClearLog();
    return s;
}

// The writes of takeFrames alone: an open dialog polls on its own.
std::string takeWrites() {
    std::string s;
    for (const SimFrame& f : simFrameLog()) {
        if (f.dir != '>' || f.bytes.size() != 4) continue;
        if (f.bytes[1] == f.bytes[2] && f.bytes[1] >= 1 && f.bytes[1] <= 5) continue;
        if (!s.empty()) s += " ";
        s += std::to_string(f.bytes[1]) + "=" + std::to_string(f.bytes[2]);
    }
    simClearLog();
    return s;
}

// Program addresses as they go on the wire for a generation.
std::string onWire(const char* writes, int generation) {
    if (generation != 3) return writes;
    std::string out;
    int address, value, used;
    for (const char* p = writes; sscanf(p, "%d=%d%n", &address, &value, &used) == 2; p += used) {
        if (!out.empty()) out += " ";
        out += std::to_string(address + 1) + "=" + std::to_string(value);
    }
    return out;
}

// The bit-field bytes the controller starts with: options 0x4B (level
// sensor mode 1, switch-over temperature, jumps, gas-off speed), sensor
// code 1 under probe type 2, emulation 0x95 (type 1, low signal level, mode 1).
const uint8_t StartOptions = 0x4B, StartLambdaType = 0x21, StartEmulType = 0x95;

class PageTest : public testing::Test {
protected:
    HWND parent = nullptr, page = nullptr;
    int generation = 1;

    void TearDown() override {
        if (parent) DestroyWindow(parent);
        pump();
        clearPauseFlags();
        neutralListType = 0;
        resetLinkState();
    }

    void start(int gen, int templateId, DLGPROC proc, void (*setUp)(HWND), void (*texts)(HWND)) {
        generation = gen;
        resetLinkState();
        useLinkBackend(&simPortOps);
        SimConfig config;
        config.generation = gen;
        simPortSetup(config);
        simState().configA.options = StartOptions;
        simState().configA.lambdaType = StartLambdaType;
        simState().configA.emulType = StartEmulType;
        clearPauseFlags();
        neutralListType = 0;
        for (int k = 0; k < LanguageEntries; ++k)
            setLanguageEntry(k, ("T" + std::to_string(k)).c_str());

        parent = makeParent();
        ASSERT_NE(nullptr, parent);
        page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent,
                                  proc, 0);
        ASSERT_NE(nullptr, page);
        setUp(page);
        texts(page);
        pump(page);  // created here, not by the shell: no poll timer, ticks by hand
        tick();
        simClearLog();
    }

    void tick() { SendMessageA(page, WM_TIMER, PagePollTimerId, 0); }

    void notify(int control, int code) {
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(control, code),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, control)));
    }
    void choose(int control, int k) {
        SendDlgItemMessageA(page, control, CB_SETCURSEL, static_cast<WPARAM>(k), 0);
        notify(control, CBN_SELCHANGE);
    }
    // A click as the box reports it, also on a disabled box.
    void toggle(int control) {
        const bool checked = IsDlgButtonChecked(page, control) == BST_CHECKED;
        CheckDlgButton(page, control, checked ? BST_UNCHECKED : BST_CHECKED);
        notify(control, BN_CLICKED);
    }
    int selection(int control) {
        return static_cast<int>(SendDlgItemMessageA(page, control, CB_GETCURSEL, 0, 0));
    }
    int items(int control) {
        return static_cast<int>(SendDlgItemMessageA(page, control, CB_GETCOUNT, 0, 0));
    }
    bool checked(int control) { return IsDlgButtonChecked(page, control) == BST_CHECKED; }
    bool visible(int control) {
        return (GetWindowLongA(GetDlgItem(page, control), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    bool enabled(int control) { return IsWindowEnabled(GetDlgItem(page, control)) != FALSE; }
    std::string text(int control) {
        char buf[LanguageTextSize] = "";
        GetDlgItemTextA(page, control, buf, sizeof buf);
        return buf;
    }

    // Three unanswered status requests take the link down.
    void loseLink() {
        simSetFault(SimFault::Silent);
        for (int i = 0; i < 3; ++i) tick();
        ASSERT_EQ(LinkStateKind::Down, LinkState);
        simClearLog();
    }
};

class ConfigPageTest : public PageTest, public testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        start(GetParam(), IDD_CONFIG_2, configPageProc, configPageFillLists, configPageApplyTexts);
    }
};

class OptionsPageTest : public PageTest, public testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        start(GetParam(), IDD_OPTIONS_2, optionsPageProc, optionsPageFillLists,
              optionsPageApplyTexts);
    }
};

INSTANTIATE_TEST_SUITE_P(Generations, ConfigPageTest, testing::Values(1, 3));
INSTANTIATE_TEST_SUITE_P(Generations, OptionsPageTest, testing::Values(1, 3));

// ---- the wire ----

TEST_P(ConfigPageTest, EveryListSendsItsWrites) {
    const struct {
        int control, k;
        const char* writes;  // program addresses
    } cases[] = {
        {IDC_CFG_PROBE_TYPE, 5, "6=81 7=60"},
        {IDC_CFG_NEUTRAL_POINT, 27, "7=127"},  // the list of probe type 2
        {IDC_CFG_READING_DELAY, 11, "8=12"},
        {IDC_CFG_EMULATION_TYPE, 2, "9=150"},
        {IDC_CFG_EMULATION_TYPE, 0, "9=148"},
        {IDC_CFG_HIGH_TIME, 39, "10=40"},
        {IDC_CFG_LOW_TIME, 0, "11=1"},
        {IDC_CFG_IGNITION_TYPE, 17, "23=18"},
        {IDC_CFG_SWITCH_SPEED, 5, "21=76 22=29"},
        {IDC_CFG_SWITCH_DIRECTION, 1, "5=91"},
        {IDC_CFG_TPS_TYPE, 5, "6=40"},
        {IDC_CFG_TPS_INERT, 18, "29=19"},
        {IDC_CFG_OVERLAP, 49, "14=50"},
        {IDC_CFG_VALVE_OPENING, 9, "37=10"},
    };
    for (const auto& c : cases) {
        // The constructed emulation opens its dialog; it is closed at once.
        const bool opensDialog = c.control == IDC_CFG_EMULATION_TYPE && c.k == 0;
        if (opensDialog)
            EXPECT_TRUE(whileModal([&] { choose(c.control, c.k); }, cancelDialog));
        else
            choose(c.control, c.k);
        EXPECT_EQ(onWire(c.writes, generation), opensDialog ? takeWrites() : takeFrames())
            << c.control;
    }
}

TEST_P(ConfigPageTest, CheckBoxesWriteOnGeneration3Only) {
    EXPECT_EQ(generation == 3, enabled(IDC_CFG_LOW_SIGNAL));
    EXPECT_EQ(generation == 3, enabled(IDC_CFG_EMERGENCY_START));
    toggle(IDC_CFG_LOW_SIGNAL);  // set in the controller: now cleared
    EXPECT_EQ(generation == 3 ? "10=145" : "", takeFrames());
    toggle(IDC_CFG_EMERGENCY_START);  // clear in the controller: now set
    EXPECT_EQ(generation == 3 ? "10=157" : "", takeFrames());
    notify(IDC_CFG_EMERGENCY_START, BN_SETFOCUS);
    EXPECT_EQ("", takeFrames());
}

TEST_P(OptionsPageTest, EveryListSendsItsWrites) {
    const bool percent = generation == 3;
    const struct {
        int control, k;
        const char* writes;
    } cases[] = {
        {IDC_OPT_START_POSITION, 100, "18=100"},
        {IDC_OPT_IDLE_LOWER, 5, "32=5"},
        {IDC_OPT_IDLE_UPPER, 6, "31=6"},
        {IDC_OPT_LOAD_LOWER, 7, "17=7"},
        {IDC_OPT_LOAD_UPPER, 8, "16=8"},
        {IDC_OPT_JUMP, 9, percent ? "20=20" : "20=9"},
        {IDC_OPT_TPS_JUMP, 10, "19=200"},  // sensor code 1: stored as 250 - v
        {IDC_OPT_CUT_OFF_SPEED, 15, "24=112 25=23"},
        {IDC_OPT_CUT_OFF_STEP, 49, "26=100"},
        {IDC_OPT_SWITCH_OFF_SPEED, 40, "27=83 28=7"},
        {IDC_OPT_MIN_TEMPERATURE, 25, "15=208"},
        {IDC_OPT_MODE, 2, "9=165"},
    };
    for (const auto& c : cases) {
        choose(c.control, c.k);
        EXPECT_EQ(onWire(c.writes, generation), takeFrames()) << c.control;
    }
}

TEST_P(OptionsPageTest, EveryCheckBoxWritesItsBitWithTheOthersAsRead) {
    const struct {
        int box;
        bool wasChecked;
        const char* writes;
    } cases[] = {
        {IDC_OPT_START_POSITION_BOX, true, "5=79"},  // unchecked: bit 2 set
        {IDC_OPT_JUMP_BOX, true, "5=67"},           {IDC_OPT_CUT_OFF_BOX, false, "5=107"},
        {IDC_OPT_SWITCH_OFF_BOX, true, "5=11"},     {IDC_OPT_MIN_TEMPERATURE_BOX, true, "5=73"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.wasChecked, checked(c.box)) << c.box;
        SendDlgItemMessageA(page, c.box, BM_CLICK, 0, 0);
        EXPECT_EQ(onWire(c.writes, generation), takeFrames()) << c.box;
    }
}

// ---- what the page shows ----

TEST_P(ConfigPageTest, NextTickShowsTheControllersValue) {
    choose(IDC_CFG_PROBE_TYPE, 5);
    takeFrames();
    EXPECT_EQ(51, items(IDC_CFG_NEUTRAL_POINT));  // still the list of probe type 2
    tick();
    EXPECT_EQ("read 1 read 2 read 3 read 4", takeFrames());
    EXPECT_EQ(5, selection(IDC_CFG_PROBE_TYPE));
    EXPECT_EQ(16, items(IDC_CFG_NEUTRAL_POINT));
    EXPECT_EQ(10, selection(IDC_CFG_NEUTRAL_POINT));  // 1,20 V, the preset

    // A selection the controller doesn't hold goes back to its value.
    simState().configB.ignitionType = 4;
    SendDlgItemMessageA(page, IDC_CFG_IGNITION_TYPE, CB_SETCURSEL, 7, 0);
    tick();
    EXPECT_EQ(3, selection(IDC_CFG_IGNITION_TYPE));
}

TEST_P(ConfigPageTest, ValuesPastTheirListShowNoItem) {
    simState().configA.lambdaPoint = 160;  // 3,20 V: past the list of probe type 2
    simState().configB.ignitionType = 19;
    tick();
    EXPECT_EQ(-1, selection(IDC_CFG_NEUTRAL_POINT));
    EXPECT_EQ(-1, selection(IDC_CFG_IGNITION_TYPE));
    simState().configB.ignitionType = 18;
    tick();
    EXPECT_EQ(17, selection(IDC_CFG_IGNITION_TYPE));
}

TEST_P(ConfigPageTest, ItsPaintNeitherMovesThePageNorStartsTheTimer) {
    KillTimer(page, PagePollTimerId);  // whatever a tick of the set-up armed
    setArmedInterval(0);
    linkForTests().PollInterval = 1000;
    const RECT r = wintest::rectAfterItsPaint(page, parent);
    EXPECT_EQ(0, armedInterval);
    EXPECT_FALSE(KillTimer(page, PagePollTimerId));
    EXPECT_EQ(30, r.left);
    EXPECT_EQ(30, r.top);
    EXPECT_EQ(100, r.right - r.left);
}

TEST_P(ConfigPageTest, OpenListStopsPollingAndKeepsTheChoice) {
    SendDlgItemMessageA(page, IDC_CFG_IGNITION_TYPE, CB_SHOWDROPDOWN, TRUE, 0);
    pump();
    EXPECT_TRUE(dropDownOpen);
    simState().configB.ignitionType = 12;
    SendDlgItemMessageA(page, IDC_CFG_IGNITION_TYPE, CB_SETCURSEL, 3, 0);
    tick();
    EXPECT_EQ("", takeFrames());
    EXPECT_EQ(3, selection(IDC_CFG_IGNITION_TYPE));

    SendDlgItemMessageA(page, IDC_CFG_IGNITION_TYPE, CB_SHOWDROPDOWN, FALSE, 0);
    pump();
    EXPECT_FALSE(dropDownOpen);
    tick();
    EXPECT_EQ("read 1 read 2 read 3 read 4", takeFrames());
    EXPECT_EQ(11, selection(IDC_CFG_IGNITION_TYPE));
}

TEST_P(ConfigPageTest, APageGoneWithItsListOpenLeavesPollingFree) {
    SendDlgItemMessageA(page, IDC_CFG_TPS_TYPE, CB_SHOWDROPDOWN, TRUE, 0);
    pump();
    ASSERT_TRUE(dropDownOpen);
    DestroyWindow(page);
    EXPECT_FALSE(dropDownOpen);
}

TEST_P(ConfigPageTest, PausedTicksStillFollowTheInterval) {
    for (void (*setFlag)(bool) : {setDropDownOpen, setConfigDialogOpen}) {
        setFlag(true);
        setArmedInterval(50);
        linkForTests().PollInterval = 1000;
        tick();
        EXPECT_EQ(1000, armedInterval);
        EXPECT_EQ("", takeFrames());
        setFlag(false);
    }
    setServiceDialogOpen(true);
    setArmedInterval(50);
    tick();
    EXPECT_EQ(50, armedInterval);
    KillTimer(page, PagePollTimerId);
}

TEST_P(OptionsPageTest, ItsOwnDialogSuspendsEvenTheIntervalCheck) {
    setOptionsDialogOpen(true);
    setArmedInterval(50);
    linkForTests().PollInterval = 1000;
    tick();
    EXPECT_EQ(50, armedInterval);
    setOptionsDialogOpen(false);
    setDropDownOpen(true);
    tick();
    EXPECT_EQ(1000, armedInterval);
    EXPECT_EQ("", takeFrames());
    KillTimer(page, PagePollTimerId);
}

TEST_P(OptionsPageTest, JumpListAndItsTextsFollowTheGeneration) {
    EXPECT_EQ(generation == 3 ? 50 : 256, items(IDC_OPT_JUMP));
    EXPECT_EQ(generation == 3 ? "T126" : "T123", text(IDC_OPT_JUMP_UNIT));
    EXPECT_EQ(generation == 3 ? "T132" : "T110", text(IDC_OPT_JUMP_LABEL));
    // Groups follow their boxes: jumps on, cut-off off.
    EXPECT_TRUE(visible(IDC_OPT_JUMP));
    EXPECT_TRUE(visible(IDC_OPT_TPS_JUMP_UNIT));
    EXPECT_FALSE(visible(IDC_OPT_CUT_OFF_SPEED));
    EXPECT_FALSE(visible(IDC_OPT_CUT_OFF_STEP_LABEL));
}

// ---- link loss ----

TEST_P(ConfigPageTest, LinkLossShowsZerosAndSendsNothing) {
    loseLink();
    tick();
    EXPECT_EQ(0, selection(IDC_CFG_PROBE_TYPE));
    EXPECT_EQ(11, items(IDC_CFG_NEUTRAL_POINT));  // rebuilt for probe type 0
    EXPECT_EQ(0, selection(IDC_CFG_IGNITION_TYPE));
    EXPECT_EQ(0, selection(IDC_CFG_SWITCH_SPEED));
    EXPECT_EQ("T183", text(IDC_CFG_SENSOR_MODE));
    EXPECT_FALSE(enabled(IDC_CFG_EMERGENCY_START));
    EXPECT_FALSE(visible(IDC_CFG_VALVE_OPENING));
    simClearLog();

    choose(IDC_CFG_SWITCH_DIRECTION, 1);
    choose(IDC_CFG_TPS_TYPE, 3);
    choose(IDC_CFG_SWITCH_SPEED, 4);
    toggle(IDC_CFG_EMERGENCY_START);
    EXPECT_EQ("", takeFrames());
    tick();
    EXPECT_EQ(0, selection(IDC_CFG_SWITCH_DIRECTION));
    EXPECT_EQ(0, selection(IDC_CFG_TPS_TYPE));
}

TEST_P(ConfigPageTest, NoReadModifyWriteBeforeTheConfigurationIsRead) {
    clearStoreValidity();  // as after choosing another port
    choose(IDC_CFG_SWITCH_DIRECTION, 1);
    choose(IDC_CFG_EMULATION_TYPE, 2);
    EXPECT_EQ("", takeFrames());
    choose(IDC_CFG_SWITCH_SPEED, 0);  // takes nothing from the stores
    EXPECT_EQ(onWire("21=16 22=39", generation), takeFrames());
}

TEST_P(OptionsPageTest, LinkLossShowsZerosAndSendsNothing) {
    loseLink();
    tick();
    EXPECT_TRUE(checked(IDC_OPT_START_POSITION_BOX));
    EXPECT_TRUE(visible(IDC_OPT_START_POSITION));
    EXPECT_EQ(0, selection(IDC_OPT_START_POSITION));
    EXPECT_FALSE(checked(IDC_OPT_JUMP_BOX));
    EXPECT_FALSE(visible(IDC_OPT_JUMP));
    EXPECT_FALSE(checked(IDC_OPT_MIN_TEMPERATURE_BOX));
    EXPECT_FALSE(visible(IDC_OPT_MIN_TEMPERATURE));
    EXPECT_EQ(0, selection(IDC_OPT_MODE));
    simClearLog();

    SendDlgItemMessageA(page, IDC_OPT_CUT_OFF_BOX, BM_CLICK, 0, 0);
    choose(IDC_OPT_MODE, 2);
    choose(IDC_OPT_LOAD_UPPER, 30);
    EXPECT_EQ("", takeFrames());
    tick();
    EXPECT_FALSE(checked(IDC_OPT_CUT_OFF_BOX));
    EXPECT_EQ(0, selection(IDC_OPT_MODE));
}

// ---- templates ----

// The controls each page's templates create hidden: the settings of a
// function switched off, shown by the refresh when it is on.
const std::vector<int> ConfigHidden = {IDC_CFG_VALVE_OPENING_LABEL, IDC_CFG_VALVE_OPENING,
                                       IDC_CFG_VALVE_OPENING_UNIT};
// clang-format off
const std::vector<int> OptionsHidden = {
    IDC_OPT_START_POSITION, IDC_OPT_START_POSITION_UNIT,
    IDC_OPT_JUMP_LABEL, IDC_OPT_JUMP, IDC_OPT_JUMP_UNIT,
    IDC_OPT_TPS_JUMP_LABEL, IDC_OPT_TPS_JUMP, IDC_OPT_TPS_JUMP_UNIT,
    IDC_OPT_CUT_OFF_SPEED_LABEL, IDC_OPT_CUT_OFF_SPEED, IDC_OPT_CUT_OFF_SPEED_UNIT,
    IDC_OPT_CUT_OFF_STEP_LABEL, IDC_OPT_CUT_OFF_STEP, IDC_OPT_CUT_OFF_STEP_UNIT,
    IDC_OPT_SWITCH_OFF_SPEED, IDC_OPT_SWITCH_OFF_SPEED_UNIT,
    IDC_OPT_MIN_TEMPERATURE, IDC_OPT_MIN_TEMPERATURE_UNIT,
};
// clang-format on

struct PageTemplate {
    int id;
    DLGPROC proc;
    bool options;
};
const PageTemplate Templates[] = {
    {IDD_CONFIG_1, configPageProc, false},  {IDD_CONFIG_2, configPageProc, false},
    {IDD_CONFIG_3, configPageProc, false},  {IDD_CONFIG_4, configPageProc, false},
    {IDD_CONFIG_5, configPageProc, false},  {IDD_OPTIONS_1, optionsPageProc, true},
    {IDD_OPTIONS_2, optionsPageProc, true}, {IDD_OPTIONS_3, optionsPageProc, true},
    {IDD_OPTIONS_4, optionsPageProc, true}, {IDD_OPTIONS_5, optionsPageProc, true},
};

HWND createPage(HWND parent, const PageTemplate& t) {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(t.id), parent, t.proc, 0);
}

TEST(ConfigTemplates, EverySizeCarriesEveryControlWithTheSameOnesHidden) {
    HWND parent = makeParent();
    std::vector<int> config = {IDC_CFG_SENSOR_MODE};
    for (const ControlText& t : ConfigTexts) config.push_back(t.control);
    for (const PageList& l : ConfigLists) config.push_back(l.control);
    std::vector<int> options;
    for (const ControlText& t : OptionsTexts) options.push_back(t.control);
    for (const PageList& l : OptionsLists) options.push_back(l.control);

    for (const PageTemplate& t : Templates) {
        HWND page = createPage(parent, t);
        ASSERT_NE(nullptr, page) << t.id;
        const std::vector<int>& controls = t.options ? options : config;
        const std::vector<int>& hidden = t.options ? OptionsHidden : ConfigHidden;
        for (int id : controls) {
            HWND control = GetDlgItem(page, id);
            ASSERT_NE(nullptr, control) << t.id << " " << id;
            const bool shown = (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
            const bool hides = std::find(hidden.begin(), hidden.end(), id) != hidden.end();
            EXPECT_EQ(!hides, shown) << t.id << " " << id;
        }
        DestroyWindow(page);
    }
    DestroyWindow(parent);
    pump();
}

TEST(ConfigTemplates, ListsKeepTheirItemsInTheOrderWritten) {
    // Language texts that a sorting list would turn round; the table is put
    // back afterwards.
    struct KeptTable {
        char saved[LanguageEntries][LanguageTextSize];
        char16_t shown[LanguageEntries][LanguageTextSize];
        KeptTable() {
            memcpy(saved, LanguageTable, sizeof saved);
            memcpy(shown, LanguageText, sizeof shown);
        }
        ~KeptTable() {
            memcpy(languageTables().LanguageTable, saved, sizeof saved);
            memcpy(languageTables().LanguageText, shown, sizeof shown);
        }
    } kept;
    for (int k = 0; k < LanguageEntries; ++k) {
        char text[8];
        snprintf(text, sizeof text, "%03d", 999 - k);
        setLanguageEntry(k, text);
    }
    neutralListType = 0;
    HWND parent = makeParent();
    for (const PageTemplate& t : Templates) {
        HWND page = createPage(parent, t);
        ASSERT_NE(nullptr, page) << t.id;
        (t.options ? optionsPageFillLists : configPageFillLists)(page);
        const PageList* lists = t.options ? OptionsLists : ConfigLists;
        const int n = t.options ? static_cast<int>(OptionsListCount) : ConfigListCount;
        for (int i = 0; i < n; ++i) {
            const std::vector<std::u16string> written =
                listItems(t.options ? lists[i].kind : configSetUpKind(lists[i]));
            std::vector<std::u16string> shown;
            wchar_t item[LanguageTextSize];
            const int count =
                static_cast<int>(SendDlgItemMessageW(page, lists[i].control, CB_GETCOUNT, 0, 0));
            for (int k = 0; k < count; ++k) {
                item[0] = 0;
                SendDlgItemMessageW(page, lists[i].control, CB_GETLBTEXT, k,
                                    reinterpret_cast<LPARAM>(item));
                shown.push_back(reinterpret_cast<const char16_t*>(item));
            }
            EXPECT_TRUE(written == shown) << t.id << " " << lists[i].control;
        }
        DestroyWindow(page);
    }
    DestroyWindow(parent);
    pump();
}

// ---- the page under its own dialogs ----

// While a page's dialog runs modally, this ticks the page from inside the
// dialog's message loop, notes what the page sent, then closes the dialog.
struct UnderDialog {
    HWND page;
    size_t pageFrames;  // frames the page's own tick put on the wire
    bool dialogSeen;
};
UnderDialog underDialog;

void tickPageUnderDialog(HWND dialog) {
    underDialog.dialogSeen = true;
    simClearLog();
    SendMessageA(underDialog.page, WM_TIMER, PagePollTimerId, 0);
    underDialog.pageFrames = simFrameLog().size();
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
}

TEST_P(ConfigPageTest, PageWaitsWhileItsDialogsAreOpenAndPollsAgainAfter) {
    const struct {
        int control, code, k;
    } openers[] = {
        {IDC_CFG_LEVEL_SENSOR, BN_CLICKED, 0},
        {IDC_CFG_EMULATION_TYPE, CBN_SELCHANGE, 0},  // the constructed emulation
    };
    for (const auto& o : openers) {
        SCOPED_TRACE(o.control);
        underDialog = UnderDialog{page, 99, false};
        whileModal(
            [&] {
                if (o.code == CBN_SELCHANGE)
                    choose(o.control, o.k);
                else
                    notify(o.control, o.code);
            },
            tickPageUnderDialog);
        EXPECT_TRUE(underDialog.dialogSeen);
        EXPECT_EQ(underDialog.pageFrames, 0u);
        EXPECT_FALSE(configDialogOpen);
        simClearLog();
        tick();
        EXPECT_FALSE(simFrameLog().empty()) << "polling resumes once the dialog is closed";
    }
}

TEST_P(ConfigPageTest, ConstructedEmulationOpensItsDialogAlsoWhenItsWriteIsHeldBack) {
    clearStoreValidity();  // as after choosing another port: type 0 can't be written
    EXPECT_TRUE(whileModal([&] { choose(IDC_CFG_EMULATION_TYPE, 0); }, cancelDialog));
    EXPECT_EQ("", takeWrites());
}

TEST_P(OptionsPageTest, PageWaitsWhileTheCorrectionsAreOpenAndPollsAgainAfter) {
    underDialog = UnderDialog{page, 99, false};
    whileModal([&] { notify(IDC_OPT_CORRECTIONS, BN_CLICKED); }, tickPageUnderDialog);
    EXPECT_TRUE(underDialog.dialogSeen);
    EXPECT_EQ(underDialog.pageFrames, 0u);
    EXPECT_FALSE(optionsDialogOpen);
    simClearLog();
    tick();
    EXPECT_FALSE(simFrameLog().empty());
}

TEST_P(ConfigPageTest, TextsComeFromTheLanguageTable) {
    EXPECT_EQ("T35", text(IDC_CFG_LAMBDA_HEADING));
    EXPECT_EQ("T57", text(IDC_CFG_SWITCH_SPEED_UNIT));
    EXPECT_EQ("T188", text(IDC_CFG_VALVE_OPENING_LABEL));
    EXPECT_EQ("T197", text(IDC_CFG_LEVEL_SENSOR));
    EXPECT_EQ("T181", text(IDC_CFG_SENSOR_MODE));  // mode bit 0 set
    char item[64] = "";
    SendDlgItemMessageA(page, IDC_CFG_TPS_TYPE, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ("T89", item);
}

}  // namespace
