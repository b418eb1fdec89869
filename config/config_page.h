// The configuration page's decisions, apart from the windows: its lists, the
// writes each control sends, what a refresh selects, enables and shows, and
// its poll tick. Portable.
#ifndef ZUVELS_CONFIG_CONFIG_PAGE_H
#define ZUVELS_CONFIG_CONFIG_PAGE_H

#include "config/page_view.h"

// Program-wide: the probe type the neutral-point list was last built for,
// so a page created again builds the list the controller needs at once.
extern int neutralListType;

// The lists of the page and what each holds when the page is set up.
struct PageList {
    int control;
    ListKind kind;
};
// The entry of lists[0..n) for control, or null when control is none of them.
const PageList* findList(const PageList* lists, int n, int control);

enum { ConfigListCount = 13 };
extern const PageList ConfigLists[ConfigListCount];
// The lists among them that offer a parameter on its row's scale.
enum { ConfigScaledCount = 7 };
extern const ScaledList ConfigScaledLists[ConfigScaledCount];
// What list l holds when the page is set up: the neutral-point list is
// built for neutralListType.
ListKind configSetUpKind(const PageList& l);
// The neutral-point items for a probe type: 0, 5 and the rest differ.
ListKind neutralPointKind(int probeType);
// The neutral-point value of the list's first item for a probe type.
int neutralPointBase(int probeType);
// The neutral point a probe-type change presets.
int neutralPointPreset(int probeType);

// Controls and the language entries of their texts.
struct ControlText {
    int control;
    int entry;
};
enum { ConfigTextCount = 30 };
extern const ControlText ConfigTexts[ConfigTextCount];

// One poll tick up to the refresh; Polled when the page must refresh.
TickOutcome configPageTick();

// What a refresh does, in order. Updates neutralListType when the probe
// type changed (the view then refills the neutral-point list first).
PageView configRefreshView(const PageStores& s);

// The writes of a new selection k in a list, or of a click on a check box
// that is now checked or not.
WritePlan configListChange(int control, int k, const PageStores& s);
WritePlan configBoxClick(int control, bool checked, const PageStores& s);

#endif
