// What the page tick files share: the order of PageTicks, page switching for
// the pages that open their dialogs, the common checks, and each page's
// tick functions (one file per group of pages).
#ifndef ZUVELS_TESTS_FUZZ_HARNESS_PAGE_PARTS_H
#define ZUVELS_TESTS_FUZZ_HARNESS_PAGE_PARTS_H

#include "readings/dashboard.h"
#include "tests/fuzz/harness/fuzz_input.h"

// PageTicks in this order; the readings page first, as the seeds have it.
enum PageIndex : int {
    PageIndexReadings,
    PageIndexConfig,
    PageIndexOptions,
    PageIndexCorrections,
    PageIndexLevelSensor,
    PageIndexLambdaEmulation,
    PageIndexScope,
    PageIndexReset,
    PageIndexDeviceInfo,
    PageIndexCount
};

// A page opening one of its dialogs: the dialog is shown from now on.
void switchToPage(PageIndex page);

// ---- checks ----

void checkText(const FieldText& f);
void checkEntry(int entry);  // a LanguageTable entry

// ---- input ----

// A list selection as the control reports it: -1 (none) or an index that
// may lie beyond the list.
int pickIndex(FuzzInput& in);

// What a page or dialog timer does after its tick: re-arm when the link
// changed its rate.
void rearmTimer();

// ---- the pages ----

void readingsReset();
void readingsTick(FuzzInput& in);
void readingsTimer();

void configReset();
void configShow();
void configHide();
void configTick(FuzzInput& in);
void configTimer();

void optionsShow();
void optionsTick(FuzzInput& in);
void optionsTimer();

void correctionsShow();
void correctionsHide();
void correctionsTick(FuzzInput& in);
void correctionsTimer();

void levelSensorReset();
void levelSensorShow();
void levelSensorHide();
void levelSensorTick(FuzzInput& in);
void levelSensorTimer();

void lambdaReset();
void lambdaShow();
void lambdaHide();
void lambdaTick(FuzzInput& in);
void lambdaTimer();

void scopeReset();
void scopeShow();
void scopeHide();
void scopeTick(FuzzInput& in);
void scopeTimer();

void resetPageTick(FuzzInput& in);

void deviceInfoReset();
void deviceInfoShow();
void deviceInfoHide();
void deviceInfoTick(FuzzInput& in);
void deviceInfoTimer();

#endif
