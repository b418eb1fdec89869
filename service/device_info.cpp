// Device information dialog decisions and writes.
#include "service/device_info.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "link/blocks.h"
#include "link/link.h"
#include "link/parameters.h"
#include "link/poll_plan.h"
#include "shell/app_state.h"
#include "shell/language_entries.h"

namespace {
DeviceInfoEditing editing = {false, false};
}

DeviceInfoEditing& deviceInfoEditing() { return editing; }
const bool& registrationEditing = editing.registrationEditing;
const bool& dateEditing = editing.dateEditing;

namespace {

CalendarDate today = {FirstListYear, 1, 1};

int clampInt(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

InfoMode currentMode() {
    if (LinkState == LinkStateKind::Down) return InfoMode::LinkDown;
    switch (ControllerGeneration) {
    case 1: return InfoMode::Generation1;
    case 3: return InfoMode::Generation3;
    default: return InfoMode::Unsupported;
    }
}

void fillGeneration3(DeviceInfoView& v) {
    v.controlsEnabled = true;
    formatTimeOnGas(timeOnGas(Extended), v.timeOnGas, sizeof v.timeOnGas);
    v.dateListsShown = dateEditing;
    v.dateButtonEntry = dateEditing ? EntrySave : EntryChange;
    if (!dateEditing)
        formatInstallDate(decodeInstallDate(Extended.installDateLo, Extended.installDateHi), v.date,
                          sizeof v.date);
    v.registrationWritable = registrationEditing;
    v.registrationButtonEntry = registrationEditing ? EntrySave : EntryChange;
    if (!registrationEditing) formatRegistration(Extended, v.registration, sizeof v.registration);
}

}  // namespace

void deviceInfoOpen(CalendarDate date) {
    today = date;
    // A year the list doesn't offer would leave the year list without a
    // selection when the date edit is armed.
    today.year = clampInt(today.year, FirstListYear, LastListYear);
    today.month = clampInt(today.month, 1, ListMonths);
    today.day = clampInt(today.day, 1, monthLength(today.month - 1, today.year));
    deviceInfoEditing().registrationEditing = false;
    deviceInfoEditing().dateEditing = false;
}

CalendarDate deviceInfoToday() { return today; }

int monthLength(int monthIndex, int year) {
    switch (monthIndex) {
    case 1: return year % 4 == 0 ? 29 : 28;
    case 3:
    case 5:
    case 8:
    case 10: return 30;
    default: return 31;
    }
}

DeviceInfoView deviceInfoView() {
    DeviceInfoView v;
    memset(&v, 0, sizeof v);
    v.mode = currentMode();
    v.versionEntry = -1;
    v.registrationButtonEntry = v.dateButtonEntry = EntryChange;
    if (v.mode != InfoMode::Generation3)
        deviceInfoEditing().registrationEditing = deviceInfoEditing().dateEditing = false;

    switch (v.mode) {
    case InfoMode::LinkDown:
        v.versionEntry = EntryNoConnection;
        v.emptyFields = true;
        break;
    case InfoMode::Generation1:
        formatVersion(ControllerGeneration, ControllerVariant, v.version, sizeof v.version);
        v.emptyFields = true;
        break;
    case InfoMode::Generation3:
        formatVersion(ControllerGeneration, ControllerVariant, v.version, sizeof v.version);
        fillGeneration3(v);
        break;
    case InfoMode::Unsupported: v.versionEntry = EntryUnsupportedController; break;
    }
    return v;
}

DeviceInfoView deviceInfoTick() {
    runPollPlan(DeviceInfoPoll, pollPausesNow(), nullptr);
    return deviceInfoView();
}

DateArming armDateEdit() {
    deviceInfoEditing().dateEditing = true;
    DateArming a;
    a.pick = {today.year - FirstListYear, today.month - 1, today.day - 1};
    a.dayCount = monthLength(today.month - 1, today.year);
    return a;
}

bool sendDateEdit(DatePick pick) {
    deviceInfoEditing().dateEditing = false;
    const bool isDate = pick.yearIndex >= 0 && pick.yearIndex < ListYears && pick.monthIndex >= 0 &&
                        pick.monthIndex < ListMonths && pick.dayIndex >= 0 &&
                        pick.dayIndex < monthLength(pick.monthIndex, pick.yearIndex);
    if (!isDate) return false;
    uint8_t lo = 0, hi = 0;
    encodeInstallDate(pick.yearIndex, pick.monthIndex, pick.dayIndex, &lo, &hi);
    writeParameter(Addr::InstallDateLo, lo);
    writeParameter(Addr::InstallDateHi, hi);
    return true;
}

void armRegistrationEdit() { deviceInfoEditing().registrationEditing = true; }

void sendRegistrationEdit(const char* text) {
    deviceInfoEditing().registrationEditing = false;
    uint8_t bytes[sizeof(ExtendedBlock::registration)];
    registrationBytes(text, bytes);
    // In address order; the replies aren't checked, the next tick shows
    // what the controller kept.
    for (size_t i = 0; i < sizeof bytes; ++i)
        writeParameter(Addr::Registration + static_cast<int>(i), bytes[i]);
}

void clearTimeOnGas() {
    writeParameter(Addr::GasCounterA, 0);
    writeParameter(Addr::GasCounterB, 0);
    writeParameter(Addr::GasMinutes, 0);
}
