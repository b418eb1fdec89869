// What the configuration and options pages share apart from the windows: the
// stores their decisions read, the refresh as an ordered list of control
// changes, the writes a control change sends, and the poll of a tick.
// Portable.
#ifndef ZUVELS_CONFIG_PAGE_VIEW_H
#define ZUVELS_CONFIG_PAGE_VIEW_H

#include <cstdint>
#include <string>
#include <vector>

#include "link/blocks.h"
#include "link/link.h"
#include "link/parameters.h"

// The stores and link facts a page decides from.
struct PageStores {
    LiveBlock live;
    ConfigABlock configA;
    ConfigBBlock configB;
    int generation;
    bool linkUp;
    bool configAValid;  // ConfigA holds a reply received since the link came up
};
// The program's stores as they are now.
PageStores currentStores();

// ---- refresh: control changes in the order they are made ----

enum class ViewStep : uint8_t {
    Select,  // list: current item by index; NoItem shows none
    Check,   // check box: 0 or 1
    Enable,  // 0 or 1
    Show,    // 0 or 1
    Text,    // language table entry
    Refill,  // list: emptied and filled again with the items of ListKind value
};
enum : int { NoItem = -1 };

struct ViewAction {
    ViewStep step;
    int control;
    int value;
};

struct PageView {
    enum { Capacity = 64 };
    ViewAction actions[Capacity];
    int count = 0;

    void add(ViewStep step, int control, int value);
    // Selects index in a list of count items; an index outside it shows none.
    void select(int control, int index, int count);
    void enable(const int* controls, int n, bool on);
    void show(const int* controls, int n, bool on);
};

// ---- list contents ----

// The lists the pages fill, one row each and the only list of them:
// X(kind, scale, language entry of the first item). The scale gives the
// items' values; a list of named choices takes its texts from the language
// table, from the entry on (0: the scale writes its own texts).
// clang-format off
#define ZUVELS_LIST_KINDS(X) \
    /* configuration page */ \
    X(ProbeType, ProbeTypes, 0) \
    X(NeutralPointLow, NeutralPointsLow, 0)   /* probe type 0: 0,40 .. 0,60 */ \
    X(NeutralPointHigh, NeutralPointsHigh, 0) /* probe type 5: 1,00 .. 1,30 */ \
    X(NeutralPointWide, NeutralPointsWide, 0) /* other probe types: 2:00 .. 3:00 */ \
    X(ReadingDelay, ReadingDelays, 0) \
    X(EmulationType, ChoiceOf3, EntryEmulationType1) \
    X(EmulationTime, EmulationTimes, 0) \
    X(IgnitionType, IgnitionTypes, EntryIgnitionType1) \
    X(SwitchOverSpeed, SwitchOverSpeeds, 0) \
    X(SwitchOverDirection, ChoiceOf2, EntryRisingSpeed) \
    X(TpsType, ChoiceOf6, EntryTpsType1) \
    X(TpsInertia, TpsInertias, 0) \
    X(Tenths, Tenths, 0) /* 0,1 .. 5,0 seconds */ \
    /* options page */ \
    X(Plain256, Plain256, 0)       /* 0 .. 255 */ \
    X(Minus256, Minus256, 0)       /* -0 .. -255 */ \
    X(Plus256, Plus256, 0)         /* +0 .. +255 */ \
    X(EvenPercent, EvenPercents, 0) /* 2 .. 100 */ \
    X(TpsJump, TpsJumps, 0)        /* 0,0 .. 5,0 V */ \
    X(CutOffSpeed, CutOffSpeeds, 0) \
    X(SwitchOffSpeed, SwitchOffSpeeds, 0) \
    X(Temperature, Temperatures, 0) \
    X(Mode, ChoiceOf3, EntryMode1)
// clang-format on

#define ZUVELS_LIST_KIND_NAME(kind, ...) kind,
enum class ListKind : uint8_t { ZUVELS_LIST_KINDS(ZUVELS_LIST_KIND_NAME) };
#undef ZUVELS_LIST_KIND_NAME
// How many kinds there are: tests and fuzz targets loop up to it.
#define ZUVELS_LIST_KIND_ONE(...) +1
enum { ListKindCount = 0 ZUVELS_LIST_KINDS(ZUVELS_LIST_KIND_ONE) };
#undef ZUVELS_LIST_KIND_ONE

// The item texts, in list order (language texts as loaded; numbers and
// formats built here, in ASCII).
std::vector<std::u16string> listItems(ListKind kind);
int listCount(ListKind kind);
// The scale a list's items follow.
const ListScale* listScale(ListKind kind);

// Selects the item of a stored value in a list that offers parameter p on
// its row's scale.
void selectScaled(PageView& v, int control, Param p, int value);

// ---- writes ----

struct ParamWrite {
    uint8_t address, value;
};
enum class AfterWrite : uint8_t { Nothing, LambdaEmulationDialog };
struct WritePlan {
    ParamWrite writes[2] = {};
    int count = 0;
    // Nothing is sent: the value would be built from bytes the program
    // doesn't have, or the controller behind the link is unknown.
    bool withheld = false;
    AfterWrite after = AfterWrite::Nothing;

    void add(int address, int value);
};
// A write whose value depends on no stored byte. Still nothing while the link
// is down: the address would follow a generation read from zeroed stores.
WritePlan plainWrite(const PageStores& s, int address, int value);
// A write built from the stored ConfigA: nothing unless that store holds a
// reply received since the link came up.
WritePlan configAWrite(const PageStores& s, int address, int value);
WritePlan nothingSent();
// Engine speed written as its period: low byte, then high byte.
WritePlan periodWrite(const PageStores& s, int loAddress, int rpm);
// The value of item k of a list on parameter p's scale, written to its address.
WritePlan scaledWrite(const PageStores& s, Param p, int k);
// The same for a two-byte speed whose low byte's row is lo.
WritePlan speedWrite(const PageStores& s, Param lo, int k);
// A list whose item k writes scaleValue(k) of its parameter's scale.
struct ScaledList {
    int control;
    Param param;
};

void sendWrites(const WritePlan& plan);

// ---- polling ----

enum class TickOutcome {
    Suspended,  // nothing at all this tick
    Paused,     // no exchange and no refresh; only the interval check
    Polled,     // blocks read as far as the link allows; refresh, then the interval check
};
// Status, identity and, while the link is up with a served generation, the
// Live, ConfigA and ConfigB blocks.
void pollConfigurationBlocks();

#endif
