// Device information dialog: what each tick shows and what the two edits and
// the clear action send. Portable: decisions from the link state, the block
// stores and the two edit modes.
#ifndef ZUVELS_SERVICE_DEVICE_INFO_H
#define ZUVELS_SERVICE_DEVICE_INFO_H

#include <cstddef>

// True between the two clicks of the registration / date button; read-only
// views, the page writes through deviceInfoEditing().
struct DeviceInfoEditing {
    bool registrationEditing;
    bool dateEditing;
};
DeviceInfoEditing& deviceInfoEditing();
extern const bool& registrationEditing;
extern const bool& dateEditing;

struct CalendarDate {
    int year, month, day;  // month and day from 1
};

// The date lists: years 2000..2062, months 01..12, days 01..31.
enum { FirstListYear = 2000, LastListYear = 2062, ListYears = 63, ListMonths = 12, MaxDays = 31 };

// Dialog start: both edits off; today is kept for the date edit, its year
// clamped to the years the list offers.
void deviceInfoOpen(CalendarDate today);
CalendarDate deviceInfoToday();

// Days in a month (index 0..11) of a year; February has 29 when year is
// divisible by 4, so a year index (year - 2000) serves as well.
int monthLength(int monthIndex, int year);

enum class InfoMode { LinkDown, Generation1, Generation3, Unsupported };

enum { InfoTextSize = 24 };
struct DeviceInfoView {
    InfoMode mode;
    bool controlsEnabled;
    int versionEntry;  // LanguageTable entry for the version field; -1: version text
    char version[InfoTextSize];
    bool emptyFields;  // registration, time on gas and date are emptied
    // Generation 3:
    char timeOnGas[InfoTextSize];
    bool dateListsShown;  // else the date field shows the stored date
    char date[InfoTextSize];
    bool registrationWritable;  // else the field shows the stored registration
    char registration[InfoTextSize];
    int registrationButtonEntry;  // change or save
    int dateButtonEntry;
};

// What the stores show now. An edit armed on a generation-3 controller is
// dropped when the link goes down or another generation answers, so that
// its second click can't send what the user never typed.
DeviceInfoView deviceInfoView();
// One timer tick: status, identity, the extended block for generation 3,
// then the view.
DeviceInfoView deviceInfoTick();

// Selections of the three date lists (index, -1 for none).
struct DatePick {
    int yearIndex, monthIndex, dayIndex;
};
struct DateArming {
    DatePick pick;  // today
    int dayCount;   // entries of the day list for today's month
};

// First clicks arm the edits; second clicks send and disarm.
DateArming armDateEdit();
// Writes the date only when the three selections make a date of the lists;
// false (and nothing sent) otherwise.
bool sendDateEdit(DatePick pick);
void armRegistrationEdit();
// Up to 7 characters of text to addresses 42..48, 0 after its end.
void sendRegistrationEdit(const char* text);
void clearTimeOnGas();

#endif
