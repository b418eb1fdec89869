// Program-wide flags shared by the pages and dialogs. Portable.
#ifndef ZUVELS_SHELL_APP_STATE_H
#define ZUVELS_SHELL_APP_STATE_H

#include "shell/page_list.h"

// Program-wide: read anywhere, changed only through the setter beside each.
extern const bool& serviceDialogOpen;  // About, device information or port search open
void setServiceDialogOpen(bool open);
extern const bool& dropDownOpen;  // a configuration list is dropped down
void setDropDownOpen(bool open);
extern const bool& configDialogOpen;  // a sub-dialog of the configuration page is open
void setConfigDialogOpen(bool open);
extern const bool& optionsDialogOpen;  // a sub-dialog of the options page is open
void setOptionsDialogOpen(bool open);
extern const int& armedInterval;  // interval the current page's timer was last armed with
void setArmedInterval(int ms);
// True when the page's timer must be re-armed with PollInterval.
bool pollTimerNeedsRearm();
// No dialog open and no list dropped down (tests).
void clearPauseFlags();
// The PollPause bits (link/poll_plan.h) that hold now.
unsigned pollPausesNow();

struct DashboardScaleValue {
    double sx, sy;
};

// The shell's own state, in one owner: the shell (and tests setting up a
// case) write it through appState(); everyone else reads the views below.
struct AppState {
    Page shownPage;                      // shell/page_list.h
    int shownSize;                       // size mode 1..5, shell/sizes.h
    DashboardScaleValue dashboardScale;  // 0.8 / 0.77 before the first size is applied
    // Language code (a code of shell/language_list.h or anything read from the ini).
    char activeLanguage[64];
};
AppState& appState();

extern const Page& shownPage;
extern const int& shownSize;
extern const DashboardScaleValue& dashboardScale;
extern const char (&activeLanguage)[64];

#endif
