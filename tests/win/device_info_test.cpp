// Device information dialog on the simulated controller: fields by
// generation, the two edits and the clear action as frames the controller
// took, and the edits dropped when the link goes.
#include <windows.h>

#include <gtest/gtest.h>

#include "link/link.h"
#include "link/link_testing.h"
#include "service/device_info.h"
#include "service_fixture.h"

using namespace servicetest;
using shelltest::entryText;

namespace {

const int EditableControls[] = {
    IDC_INFO_REGISTRATION_LABEL, IDC_INFO_REGISTRATION, IDC_INFO_REGISTRATION_EDIT,
    IDC_INFO_GAS_TIME_LABEL,     IDC_INFO_GAS_TIME,     IDC_INFO_GAS_TIME_CLEAR,
    IDC_INFO_DATE_LABEL,         IDC_INFO_DATE,         IDC_INFO_DATE_EDIT,
};
const int DateControls[] = {
    IDC_INFO_DATE_GROUP, IDC_INFO_YEAR,        IDC_INFO_MONTH,     IDC_INFO_DAY,
    IDC_INFO_YEAR_LABEL, IDC_INFO_MONTH_LABEL, IDC_INFO_DAY_LABEL,
};

class DeviceInfoDialog : public ServiceDialogTest {
protected:
    // A second call keeps the main window and starts the link afresh.
    void open(int generation, int variant) {
        if (dialog) DestroyWindow(dialog);
        if (!mainWindow) start(1, "ang");
        resetLinkState();
        useLinkBackend(&simPortOps);
        SimConfig c;
        c.generation = generation;
        c.variant = variant;
        simPortSetup(c);
        setServiceDialogOpen(true);  // as the menu command does
        openDialog(IDD_DEVICE_INFO, deviceInfoDialogProc, DeviceInfoTimerId);
        simClearLog();
    }

    bool allEnabled(bool expected) {
        bool all = true;
        for (int id : EditableControls) all = all && enabled(id) == expected;
        return all;
    }
    bool dateListsVisible(bool expected) {
        bool all = true;
        for (int id : DateControls) all = all && visible(id) == expected;
        return all;
    }
    bool registrationReadOnly() {
        return (GetWindowLongA(GetDlgItem(dialog, IDC_INFO_REGISTRATION), GWL_STYLE) &
                ES_READONLY) != 0;
    }
    std::vector<std::vector<uint8_t>> writesReceived() {
        std::vector<std::vector<uint8_t>> writes;
        for (const auto& f : framesReceived())
            if (f[0] == 0x65 && !(f[1] == f[2] && f[1] <= 5)) writes.push_back(f);
        return writes;
    }
    // Three ticks without an answer take the link down.
    void loseLink() {
        simSetFault(SimFault::Silent);
        for (int i = 0; i < 3; ++i) tick();
    }
};

TEST_F(DeviceInfoDialog, StartsWithItsTextsListsAndPlace) {
    open(3, 5);
    EXPECT_EQ(shelltest::windowText(dialog), entryText("ang", 190));
    const struct {
        int id, entry;
    } texts[] = {
        {IDC_INFO_VERSION_LABEL, 159},
        {IDC_INFO_REGISTRATION_LABEL, 191},
        {IDC_INFO_GAS_TIME_LABEL, 192},
        {IDC_INFO_DATE_LABEL, 193},
        {IDC_INFO_YEAR_LABEL, 194},
        {IDC_INFO_MONTH_LABEL, 195},
        {IDC_INFO_DAY_LABEL, 196},
        {IDC_INFO_REGISTRATION_EDIT, 197},
        {IDC_INFO_DATE_EDIT, 197},
        {IDC_INFO_GAS_TIME_CLEAR, 199},
        {IDOK, 160},
    };
    for (const auto& t : texts) EXPECT_EQ(text(t.id), entryText("ang", t.entry)) << t.id;

    ASSERT_EQ(listCount(IDC_INFO_YEAR), 63);
    EXPECT_EQ(listItem(IDC_INFO_YEAR, 0), "2000");
    EXPECT_EQ(listItem(IDC_INFO_YEAR, 62), "2062");
    ASSERT_EQ(listCount(IDC_INFO_MONTH), 12);
    EXPECT_EQ(listItem(IDC_INFO_MONTH, 0), "01");
    EXPECT_EQ(listItem(IDC_INFO_MONTH, 11), "12");
    ASSERT_EQ(listCount(IDC_INFO_DAY), 31);
    EXPECT_EQ(listItem(IDC_INFO_DAY, 30), "31");
    for (int id : {IDC_INFO_YEAR, IDC_INFO_MONTH, IDC_INFO_DAY}) EXPECT_EQ(listSelection(id), 0);
    EXPECT_TRUE(dateListsVisible(false));

    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_INFO_REGISTRATION, EM_GETLIMITTEXT, 0, 0), 7);
    EXPECT_EQ(text(IDC_INFO_REGISTRATION), "");

    const POINT at = origin(), centred = centredOrigin();
    EXPECT_EQ(at.x, centred.x);
    EXPECT_EQ(at.y, centred.y);
}

TEST_F(DeviceInfoDialog, GenerationThreeShowsEverythingAndMayEdit) {
    open(3, 2);
    tick();
    EXPECT_EQ(text(IDC_INFO_VERSION), "3.02");
    EXPECT_EQ(text(IDC_INFO_GAS_TIME), "12h34'");
    EXPECT_EQ(text(IDC_INFO_DATE), "2020-05-14");
    EXPECT_EQ(text(IDC_INFO_REGISTRATION), "SIM 001");
    EXPECT_TRUE(allEnabled(true));
    EXPECT_TRUE(registrationReadOnly());
    // The echo probe first, once for the newly opened port.
    EXPECT_EQ(commandsReceived(), (std::vector<int>{-1, 1, 5}));
}

TEST_F(DeviceInfoDialog, GenerationOneAndALostLinkShowOnlyTheVersionField) {
    const struct {
        int generation, variant;
        bool lose;
        const char* version;
    } cases[] = {{1, 0, false, "1.00"}, {3, 5, true, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.generation);
        open(c.generation, c.variant);
        for (int id : {IDC_INFO_REGISTRATION, IDC_INFO_GAS_TIME, IDC_INFO_DATE})
            SetDlgItemTextA(dialog, id, "old");
        tick();
        if (c.lose) loseLink();
        simClearLog();
        tick();
        EXPECT_EQ(text(IDC_INFO_VERSION), c.version ? c.version : entryText("ang", 161));
        EXPECT_TRUE(allEnabled(false));
        EXPECT_TRUE(dateListsVisible(false));
        for (int id : {IDC_INFO_REGISTRATION, IDC_INFO_GAS_TIME, IDC_INFO_DATE})
            EXPECT_EQ(text(id), "") << id;
        EXPECT_EQ(commandsReceived(), (std::vector<int>{1}));
    }
}

TEST_F(DeviceInfoDialog, RegistrationIsTypedBetweenTwoClicks) {
    open(3, 5);
    tick();
    click(IDC_INFO_REGISTRATION_EDIT);
    tick();
    EXPECT_EQ(text(IDC_INFO_REGISTRATION_EDIT), entryText("ang", 198));
    EXPECT_FALSE(registrationReadOnly());
    // Typed over the stored number; letters come out in capitals.
    SendDlgItemMessageA(dialog, IDC_INFO_REGISTRATION, EM_SETSEL, 0, -1);
    for (char c : {'a', 'b', '1', '2'})
        SendDlgItemMessageA(dialog, IDC_INFO_REGISTRATION, WM_CHAR, c, 1);
    EXPECT_EQ(text(IDC_INFO_REGISTRATION), "AB12");
    tick();
    EXPECT_EQ(text(IDC_INFO_REGISTRATION), "AB12");  // ticks leave the typing alone
    EXPECT_TRUE(writesReceived().empty());

    simClearLog();
    click(IDC_INFO_REGISTRATION_EDIT);
    const int sent[7] = {'A', 'B', '1', '2', 0, 0, 0};
    std::vector<std::vector<uint8_t>> expected;
    for (int i = 0; i < 7; ++i) expected.push_back(writeFrame(43 + i, sent[i]));
    EXPECT_EQ(writesReceived(), expected);
    tick();
    EXPECT_EQ(text(IDC_INFO_REGISTRATION_EDIT), entryText("ang", 197));
    EXPECT_TRUE(registrationReadOnly());
    EXPECT_EQ(text(IDC_INFO_REGISTRATION), "AB12");  // as the controller now reports it
}

TEST_F(DeviceInfoDialog, DateIsChosenFromTheListsBetweenTwoClicks) {
    open(3, 5);
    tick();
    SYSTEMTIME now;
    GetLocalTime(&now);
    click(IDC_INFO_DATE_EDIT);
    EXPECT_EQ(listSelection(IDC_INFO_YEAR), (now.wYear > 2062 ? 2062 : now.wYear) - 2000);
    EXPECT_EQ(listSelection(IDC_INFO_MONTH), now.wMonth - 1);
    EXPECT_EQ(listSelection(IDC_INFO_DAY), now.wDay - 1);
    EXPECT_EQ(listCount(IDC_INFO_DAY), monthLength(now.wMonth - 1, now.wYear));
    tick();
    EXPECT_TRUE(dateListsVisible(true));
    EXPECT_EQ(text(IDC_INFO_DATE_EDIT), entryText("ang", 198));

    choose(IDC_INFO_YEAR, 15);
    choose(IDC_INFO_MONTH, 11);
    EXPECT_EQ(listCount(IDC_INFO_DAY), 31);
    EXPECT_EQ(listSelection(IDC_INFO_DAY), 0);
    choose(IDC_INFO_DAY, 30);
    simClearLog();
    click(IDC_INFO_DATE_EDIT);
    EXPECT_EQ(writesReceived(),
              (std::vector<std::vector<uint8_t>>{writeFrame(41, 0x7E), writeFrame(42, 0x8F)}));
    tick();
    EXPECT_TRUE(dateListsVisible(false));
    EXPECT_EQ(text(IDC_INFO_DATE), "2015-12-31");
    EXPECT_EQ(text(IDC_INFO_DATE_EDIT), entryText("ang", 197));
}

TEST_F(DeviceInfoDialog, TheDayListFollowsMonthAndFebruarysYear) {
    open(3, 5);
    click(IDC_INFO_DATE_EDIT);
    choose(IDC_INFO_YEAR, 16);
    choose(IDC_INFO_MONTH, 1);
    EXPECT_EQ(listCount(IDC_INFO_DAY), 29);
    choose(IDC_INFO_DAY, 20);
    choose(IDC_INFO_YEAR, 17);
    EXPECT_EQ(listCount(IDC_INFO_DAY), 28);
    EXPECT_EQ(listSelection(IDC_INFO_DAY), 0);
    choose(IDC_INFO_MONTH, 3);
    EXPECT_EQ(listCount(IDC_INFO_DAY), 30);
    choose(IDC_INFO_DAY, 9);
    choose(IDC_INFO_YEAR, 20);  // April doesn't depend on the year
    EXPECT_EQ(listSelection(IDC_INFO_DAY), 9);
}

TEST_F(DeviceInfoDialog, ClearResetsTheCounterAtOnce) {
    open(3, 5);
    tick();
    simClearLog();
    click(IDC_INFO_GAS_TIME_CLEAR);
    EXPECT_EQ(writesReceived(), (std::vector<std::vector<uint8_t>>{
                                    writeFrame(39, 0), writeFrame(40, 0), writeFrame(50, 0)}));
    tick();
    EXPECT_EQ(text(IDC_INFO_GAS_TIME), "0h0'");
}

TEST_F(DeviceInfoDialog, EditsArmedBeforeTheLinkWentSendNothingWhenItReturns) {
    open(3, 5);
    tick();
    click(IDC_INFO_REGISTRATION_EDIT);
    click(IDC_INFO_DATE_EDIT);
    tick();
    loseLink();
    ASSERT_EQ(LinkState, LinkStateKind::Down);
    simSetFault(SimFault::None);
    tick();  // the controller is back
    EXPECT_EQ(LinkState, LinkStateKind::Up);
    EXPECT_EQ(text(IDC_INFO_REGISTRATION_EDIT), entryText("ang", 197));
    EXPECT_EQ(text(IDC_INFO_DATE_EDIT), entryText("ang", 197));
    EXPECT_TRUE(dateListsVisible(false));

    simClearLog();
    click(IDC_INFO_REGISTRATION_EDIT);
    click(IDC_INFO_DATE_EDIT);
    EXPECT_TRUE(writesReceived().empty());  // both clicks arm again
    tick();
    EXPECT_EQ(text(IDC_INFO_REGISTRATION_EDIT), entryText("ang", 198));
}

TEST_F(DeviceInfoDialog, TheTimerKeepsTheIntervalOfTheStart) {
    open(3, 5);
    DestroyWindow(dialog);
    linkForTests().PollInterval = 50;  // the link's fast interval when the dialog opens
    dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_DEVICE_INFO),
                                currentPage, deviceInfoDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    linkForTests().PollInterval = 1000;  // as link loss would set it
    // Five ticks come at the start's 50 ms, not at the new second.
    int ticks = 0;
    const DWORD start = GetTickCount();
    MSG msg;
    while (ticks < 5 && GetTickCount() - start < 3000) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            continue;
        }
        if (msg.hwnd == dialog && msg.message == WM_TIMER && msg.wParam == DeviceInfoTimerId)
            ++ticks;
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(ticks, 5);
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST_F(DeviceInfoDialog, CloseEndsTheServicePause) {
    for (int id : {IDOK, IDCANCEL}) {
        open(3, 5);
        click(id);
        EXPECT_FALSE(serviceDialogOpen) << id;
    }
}

}  // namespace
