#include "shell/app_state.h"

#include "link/link.h"
#include "link/poll_plan.h"

namespace {

struct AppFlags {
    bool serviceDialogOpen;
    bool dropDownOpen;
    bool configDialogOpen;
    bool optionsDialogOpen;
    int armedInterval;
};
AppFlags flags = {false, false, false, false, 0};

}  // namespace

const bool& serviceDialogOpen = flags.serviceDialogOpen;
const bool& dropDownOpen = flags.dropDownOpen;
const bool& configDialogOpen = flags.configDialogOpen;
const bool& optionsDialogOpen = flags.optionsDialogOpen;
const int& armedInterval = flags.armedInterval;

void setServiceDialogOpen(bool open) { flags.serviceDialogOpen = open; }
void setDropDownOpen(bool open) { flags.dropDownOpen = open; }
void setConfigDialogOpen(bool open) { flags.configDialogOpen = open; }
void setOptionsDialogOpen(bool open) { flags.optionsDialogOpen = open; }
void setArmedInterval(int ms) { flags.armedInterval = ms; }
bool pollTimerNeedsRearm() { return PollInterval != armedInterval; }

unsigned pollPausesNow() {
    return (flags.serviceDialogOpen ? PauseServiceDialog : 0u) |
           (flags.dropDownOpen ? PauseDropDown : 0u);
}

void clearPauseFlags() {
    flags.serviceDialogOpen = flags.dropDownOpen = false;
    flags.configDialogOpen = flags.optionsDialogOpen = false;
}

namespace {
AppState state = {PageReadings, 1, {0.8, 0.77}, "pol"};
}

AppState& appState() { return state; }

const Page& shownPage = state.shownPage;
const int& shownSize = state.shownSize;
const DashboardScaleValue& dashboardScale = state.dashboardScale;
const char (&activeLanguage)[64] = state.activeLanguage;
