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

// The page shown and the window size.
extern Page PageKind;  // shell/page_list.h
extern int SizeMode;   // 1..5, shell/sizes.h

struct DashboardScaleValue {
    double sx, sy;
};
// 0.8 / 0.77 before the first size is applied.
extern DashboardScaleValue DashboardScale;

// Language code (a code of shell/language_list.h or anything read from the ini).
extern char LanguageCode[64];

#endif
