// Every LanguageTable entry the program shows, by name, one line each:
//   X(name, line, lines)
// line: the entry's line of a language file (entry k is line k); lines: how
// many lines from there it spans (a list's items, a group of headings).
// res/lang/entries.md says where each text appears. The table's length,
// LanguageEntries, is where the last entry ends; the compiler refuses two
// entries on one line. Adding a text: docs/architecture.md, "Adding a
// text". Portable.
#ifndef ZUVELS_SHELL_LANGUAGE_ENTRIES_H
#define ZUVELS_SHELL_LANGUAGE_ENTRIES_H

// clang-format off
#define ZUVELS_LANGUAGE_ENTRIES(X) \
    /* readings page: panel labels */                                                            \
    X(EntryLambdaPanel, 0, 1)                                                                    \
    X(EntryLean, 1, 1)                                                                           \
    X(EntryRich, 2, 1)                                                                           \
    X(EntryTpsPanel, 3, 1)                                                                       \
    X(EntryTpsInertiaLabel, 4, 1)                                                                \
    X(EntryPositionPanel, 5, 1)                                                                  \
    X(EntryStartMarker, 6, 1)                                                                    \
    X(EntryTemperaturePanel, 11, 1)                                                              \
    /* readings page: status area, fuel box and learn button */                                  \
    X(EntryNotOnGas, 12, 1)                                                                      \
    X(EntryOnGas, 13, 1)                                                                         \
    X(EntryPetrol, 14, 1) /* also the oscilloscope's fuel box */                                 \
    X(EntryGas, 15, 1)                                                                           \
    X(EntryLearnCellLit, 16, 1)                                                                  \
    X(EntryLearnNoCell, 17, 1)                                                                   \
    X(EntryLearnAnswerA, 18, 1)                                                                  \
    X(EntryLearnAnswerPending, 19, 1)                                                            \
    X(EntryLearnAnswerB, 20, 1)                                                                  \
    X(EntryGasOff, 21, 1)                                                                        \
    X(EntryGasOffDetail, 22, 1)                                                                  \
    X(EntryCutOff, 23, 1)                                                                        \
    X(EntryReady, 24, 1)                                                                         \
    X(EntrySpeedA, 25, 1)                                                                        \
    X(EntrySpeedB, 26, 1)                                                                        \
    X(EntryPlainPetrol, 27, 1)                                                                   \
    X(EntryNotReady, 28, 1)                                                                      \
    X(EntryUnsupported, 29, 1)                                                                   \
    X(EntryLinkLost, 30, 1)                                                                      \
    X(EntryLinkLostHint, 31, 1)                                                                  \
    X(EntryLearnAlready, 32, 1)                                                                  \
    X(EntryLearnCaption, 33, 1)                                                                  \
    /* configuration page */                                                                     \
    X(EntryConfigLambdaHeading, 35, 1)                                                           \
    X(EntryConfigSpeedHeading, 36, 1)                                                            \
    X(EntryConfigTpsHeading, 37, 1)                                                              \
    X(EntryConfigEmulatorHeading, 38, 1)                                                         \
    X(EntryGasLevelSensor, 39, 1) /* section heading; gas level sensor dialog caption */         \
    X(EntryProbeTypeLabel, 40, 1)                                                                \
    X(EntryNeutralPointLabel, 41, 1)                                                             \
    X(EntryReadingDelayLabel, 42, 1)                                                             \
    X(EntryEmulationTypeLabel, 43, 1) /* also the lambda emulation dialog caption, first part */ \
    X(EntryHighTimeLabel, 44, 1)                                                                 \
    X(EntryLowTimeLabel, 45, 1)                                                                  \
    X(EntryIgnitionTypeLabel, 46, 1)                                                             \
    X(EntrySwitchOverSpeedLabel, 47, 1)                                                          \
    X(EntrySwitchOverDirectionLabel, 48, 1)                                                      \
    X(EntryTpsTypeLabel, 49, 1)                                                                  \
    X(EntryTpsInertLabel, 50, 1)                                                                 \
    X(EntryOverlapLabel, 51, 1)                                                                  \
    X(EntrySensorModeLabel, 52, 1)                                                               \
    X(EntryNeutralPointUnit, 53, 1)                                                              \
    X(EntryReadingDelayUnit, 54, 1)                                                              \
    X(EntryHighTimeUnit, 55, 1)                                                                  \
    X(EntryLowTimeUnit, 56, 1)                                                                   \
    X(EntrySwitchOverSpeedUnit, 57, 1)                                                           \
    X(EntryTpsInertUnit, 58, 1)                                                                  \
    X(EntryOverlapUnit, 59, 1)                                                                   \
    X(EntryValveOpeningUnit, 60, 1)                                                              \
    X(EntryEmulationType1, 61, 3) /* "constructed"; items 2 and 3 follow */                      \
    X(EntryIgnitionType1, 64, 18)                                                                \
    X(EntryRisingSpeed, 82, 1)                                                                   \
    X(EntryFallingSpeed, 83, 1)                                                                  \
    X(EntryTpsType1, 84, 6) /* also the oscilloscope's sensor texts */                           \
    X(EntryLowSignalLevel, 185, 1)                                                               \
    X(EntryEmergencyStart, 187, 1)                                                               \
    X(EntryValveOpeningLabel, 188, 1)                                                            \
    X(EntrySensorMode1, 181, 3)                                                                  \
    /* options page and its corrections dialog */                                                \
    X(EntryOptionsHeading1, 92, 5) /* section headings */                                        \
    X(EntryCorrectionsButton, 97, 1)                                                             \
    X(EntryCorrectionsCaption, 98, 1)                                                            \
    X(EntryCorrectionRow1, 99, 4)                                                                \
    X(EntryCorrectionsOk, 103, 1)                                                                \
    X(EntryStartPositionBox, 104, 1)                                                             \
    X(EntryIdleLowerLabel, 105, 1)                                                               \
    X(EntryIdleUpperLabel, 106, 1)                                                               \
    X(EntryLoadLowerLabel, 107, 1)                                                               \
    X(EntryLoadUpperLabel, 108, 1)                                                               \
    X(EntryJumpBox, 109, 1)                                                                      \
    X(EntryJumpPositionLabel, 110, 1) /* generation 1 */                                         \
    X(EntryTpsJumpLabel, 111, 1)                                                                 \
    X(EntryCutOffBox, 112, 1)                                                                    \
    X(EntryCutOffSpeedLabel, 113, 1)                                                             \
    X(EntryCutOffStepLabel, 114, 1)                                                              \
    X(EntrySwitchOffBox, 115, 1)                                                                 \
    X(EntryMinTemperatureBox, 116, 1)                                                            \
    X(EntryModeLabel, 117, 1)                                                                    \
    X(EntryStartPositionUnit, 118, 1)                                                            \
    X(EntryIdleLowerUnit, 119, 1)                                                                \
    X(EntryIdleUpperUnit, 120, 1)                                                                \
    X(EntryLoadLowerUnit, 121, 1)                                                                \
    X(EntryLoadUpperUnit, 122, 1)                                                                \
    X(EntryJumpPositionUnit, 123, 1) /* generation 1 */                                          \
    X(EntryTpsJumpUnit, 124, 1)                                                                  \
    X(EntryCutOffSpeedUnit, 125, 1)                                                              \
    X(EntryPercentUnit, 126, 1) /* cut-off step; jump size on generation 3 */                    \
    X(EntrySwitchOffSpeedUnit, 127, 1)                                                           \
    X(EntryTemperatureUnit, 128, 1)                                                              \
    X(EntryMode1, 129, 3)                                                                        \
    X(EntryJumpSizeLabel, 132, 1) /* generation 3 */                                             \
    /* factory reset page */                                                                     \
    X(EntryResetLabel1, 134, 1)                                                                  \
    X(EntryResetLabel2, 135, 1)                                                                  \
    X(EntryResetButton, 136, 1)                                                                  \
    X(EntryResetCaption, 137, 1)                                                                 \
    X(EntryResetDone, 138, 1)                                                                    \
    X(EntryResetFailed, 139, 1)                                                                  \
    X(EntryResetRefused, 200, 1)                                                                 \
    /* oscilloscope page */                                                                      \
    X(EntryValueCursor, 142, 1)                                                                  \
    X(EntryScopeLambda, 143, 1)                                                                  \
    X(EntryScopePosition, 144, 1)                                                                \
    X(EntryScopeAnd, 145, 1)                                                                     \
    X(EntryScopeStartPosition, 146, 1)                                                           \
    X(EntryScopeSpeed, 147, 1)                                                                   \
    X(EntryScopeSpeedScale, 148, 1)                                                              \
    X(EntryScopeTps, 149, 1)                                                                     \
    X(EntryScopeTimeAxis, 150, 1)                                                                \
    X(EntryScopeVoltUnit, 151, 1)                                                                \
    X(EntryScopePositionUnit, 152, 1)                                                            \
    X(EntryScopeSpeedUnit, 153, 1)                                                               \
    /* About and device information dialogs */                                                   \
    X(EntryProductName, 156, 1)                                                                  \
    X(EntryAboutCaption, 157, 1)                                                                 \
    X(EntryProgramVersion, 158, 1)                                                               \
    X(EntryControllerVersion, 159, 1)                                                            \
    X(EntryClose, 160, 1) /* About, device information, gas level sensor, lambda emulation */    \
    X(EntryNoConnection, 161, 1)                                                                 \
    X(EntryUnsupportedController, 162, 1)                                                        \
    X(EntryFactorySettings, 189, 1) /* gas level sensor dialog button */                         \
    X(EntryDeviceInfoCaption, 190, 1)                                                            \
    X(EntryRegistrationLabel, 191, 1)                                                            \
    X(EntryTimeOnGasLabel, 192, 1)                                                               \
    X(EntryInstallDateLabel, 193, 1)                                                             \
    X(EntryYearLabel, 194, 1)                                                                    \
    X(EntryMonthLabel, 195, 1)                                                                   \
    X(EntryDayLabel, 196, 1)                                                                     \
    X(EntryChange, 197, 1) /* also the configuration page's gas level sensor button */           \
    X(EntrySave, 198, 1)                                                                         \
    X(EntryClear, 199, 1)                                                                        \
    /* settings files */                                                                         \
    X(EntryOpenTitle, 165, 1)                                                                    \
    X(EntrySaveTitle, 166, 1)                                                                    \
    X(EntryCannotOpen, 167, 1)                                                                   \
    X(EntryWrongFormat, 168, 1)                                                                  \
    X(EntryWrongFormatCaption, 169, 1)                                                           \
    X(EntryWriteFailedCaption, 170, 1)                                                           \
    X(EntryWriteFailed, 171, 1)                                                                  \
    X(EntryOverwriteCaption, 172, 1)                                                             \
    X(EntryOverwrite, 173, 1)                                                                    \
    /* main window titles, one per page (shell/page_list.h) */                                   \
    X(EntryTitleReadings, 175, 1)                                                                \
    X(EntryTitleConfiguration, 176, 1)                                                           \
    X(EntryTitleOptions, 177, 1)                                                                 \
    X(EntryTitleDiagram, 178, 1)                                                                 \
    X(EntryTitleReset, 179, 1)                                                                   \
    X(EntryTitleScope, 180, 1)                                                                   \
    /* port search dialog and the link error box */                                              \
    X(EntryCheckingPort, 203, 1)                                                                 \
    X(EntryNotFound, 204, 1)                                                                     \
    X(EntrySearch, 205, 1)                                                                       \
    X(EntryFoundOnPort, 206, 1)                                                                  \
    X(EntryNoPorts, 207, 1)                                                                      \
    X(EntryManualGroup, 208, 1)                                                                  \
    X(EntryAutomaticGroup, 209, 1)                                                               \
    X(EntryLinkErrorCaption, 211, 1)                                                             \
    X(EntryLinkErrorText, 212, 1)                                                                \
    /* the box telling that ZuvelS.ini can't be written */                                       \
    X(EntrySettingsUnwritableCaption, 213, 1)                                                    \
    X(EntrySettingsUnwritable, 214, 1)                                                           \
    X(EntrySettingsSetupHint, 215, 1)
// clang-format on

enum LanguageEntry : int {
#define ZUVELS_ENTRY_NAME(name, line, lines) name = line,
    ZUVELS_LANGUAGE_ENTRIES(ZUVELS_ENTRY_NAME)
#undef ZUVELS_ENTRY_NAME
};

namespace language_entries {
struct Span {
    int line, lines;
};
constexpr Span Spans[] = {
#define ZUVELS_ENTRY_SPAN(name, line, lines) {line, lines},
    ZUVELS_LANGUAGE_ENTRIES(ZUVELS_ENTRY_SPAN)
#undef ZUVELS_ENTRY_SPAN
};
constexpr int end() {
    int last = 0;
    for (const Span& s : Spans)
        if (s.line + s.lines > last) last = s.line + s.lines;
    return last;
}
constexpr bool apart() {
    for (const Span& a : Spans)
        for (const Span& b : Spans)
            if (&a != &b && a.line < b.line + b.lines && b.line < a.line + a.lines) return false;
    return true;
}
}  // namespace language_entries

// Lines of a language file: the table's length.
constexpr int LanguageEntries = language_entries::end();
static_assert(language_entries::apart(), "two language entries share a line");

#endif
