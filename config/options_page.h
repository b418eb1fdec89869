// The options page's decisions, apart from the windows: its lists, the writes
// each control sends, what a refresh selects, checks and shows, and its poll
// tick. Portable.
#ifndef ZUVELS_CONFIG_OPTIONS_PAGE_H
#define ZUVELS_CONFIG_OPTIONS_PAGE_H

#include "config/config_page.h"
#include "config/page_view.h"

enum { OptionsListCount = 12 };
extern const PageList OptionsLists[OptionsListCount];
// The lists among them that offer a parameter on its row's scale.
enum { OptionsScaledCount = 6 };
extern const ScaledList OptionsScaledLists[OptionsScaledCount];
enum { OptionsTextCount = 31 };
extern const ControlText OptionsTexts[OptionsTextCount];

// What the jump list holds for a controller generation: percent steps for
// generation 3, plain positions otherwise.
ListKind jumpListKind(int generation);

// One poll tick up to the refresh; Polled when the page must refresh.
TickOutcome optionsPageTick();

// What a refresh does, in order. jumpListCount is the number of items the
// jump list holds now: it is refilled only when that doesn't match.
PageView optionsRefreshView(const PageStores& s, int jumpListCount);

// The writes of a new selection k in a list, or of a click on a check box
// that is now checked or not.
WritePlan optionsListChange(int control, int k, const PageStores& s);
WritePlan optionsBoxClick(int control, bool checked, const PageStores& s);

#endif
