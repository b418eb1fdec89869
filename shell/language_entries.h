// Every LanguageTable entry the program shows, by name; entry k is line k of
// a language file. res/lang/entries.md says where each text appears.
#ifndef ZUVELS_SHELL_LANGUAGE_ENTRIES_H
#define ZUVELS_SHELL_LANGUAGE_ENTRIES_H

enum LanguageEntry : int {
    // readings page: panel labels
    EntryLambdaPanel = 0,
    EntryLean = 1,
    EntryRich = 2,
    EntryTpsPanel = 3,
    EntryTpsInertiaLabel = 4,
    EntryPositionPanel = 5,
    EntryStartMarker = 6,
    EntryTemperaturePanel = 11,
    // readings page: status area, fuel box and learn button
    EntryNotOnGas = 12,
    EntryOnGas = 13,
    EntryPetrol = 14,  // also the oscilloscope's fuel box
    EntryGas = 15,
    EntryLearnCellLit = 16,
    EntryLearnNoCell = 17,
    EntryLearnAnswerA = 18,
    EntryLearnAnswerPending = 19,
    EntryLearnAnswerB = 20,
    EntryGasOff = 21,
    EntryGasOffDetail = 22,
    EntryCutOff = 23,
    EntryReady = 24,
    EntrySpeedA = 25,
    EntrySpeedB = 26,
    EntryPlainPetrol = 27,
    EntryNotReady = 28,
    EntryUnsupported = 29,
    EntryLinkLost = 30,
    EntryLinkLostHint = 31,
    EntryLearnAlready = 32,
    EntryLearnCaption = 33,

    // configuration page
    EntryConfigLambdaHeading = 35,
    EntryConfigSpeedHeading = 36,
    EntryConfigTpsHeading = 37,
    EntryConfigEmulatorHeading = 38,
    EntryGasLevelSensor = 39,  // section heading; gas level sensor dialog caption
    EntryProbeTypeLabel = 40,
    EntryNeutralPointLabel = 41,
    EntryReadingDelayLabel = 42,
    EntryEmulationTypeLabel = 43,  // also the lambda emulation dialog caption, first part
    EntryHighTimeLabel = 44,
    EntryLowTimeLabel = 45,
    EntryIgnitionTypeLabel = 46,
    EntrySwitchOverSpeedLabel = 47,
    EntrySwitchOverDirectionLabel = 48,
    EntryTpsTypeLabel = 49,
    EntryTpsInertLabel = 50,
    EntryOverlapLabel = 51,
    EntrySensorModeLabel = 52,
    EntryNeutralPointUnit = 53,
    EntryReadingDelayUnit = 54,
    EntryHighTimeUnit = 55,
    EntryLowTimeUnit = 56,
    EntrySwitchOverSpeedUnit = 57,
    EntryTpsInertUnit = 58,
    EntryOverlapUnit = 59,
    EntryValveOpeningUnit = 60,
    EntryEmulationType1 = 61,  // "constructed"; items 2 and 3 follow
    EntryIgnitionType1 = 64,   // 18 items, 64..81
    EntryRisingSpeed = 82,
    EntryFallingSpeed = 83,
    EntryTpsType1 = 84,  // six items, 84..89; also the oscilloscope's sensor texts
    EntryLowSignalLevel = 185,
    EntryEmergencyStart = 187,
    EntryValveOpeningLabel = 188,
    EntrySensorMode1 = 181,  // three modes, 181..183

    // options page and its corrections dialog
    EntryOptionsHeading1 = 92,  // five section headings, 92..96
    EntryCorrectionsButton = 97,
    EntryCorrectionsCaption = 98,
    EntryCorrectionRow1 = 99,  // four rows, 99..102
    EntryCorrectionsOk = 103,
    EntryStartPositionBox = 104,
    EntryIdleLowerLabel = 105,
    EntryIdleUpperLabel = 106,
    EntryLoadLowerLabel = 107,
    EntryLoadUpperLabel = 108,
    EntryJumpBox = 109,
    EntryJumpPositionLabel = 110,  // generation 1
    EntryTpsJumpLabel = 111,
    EntryCutOffBox = 112,
    EntryCutOffSpeedLabel = 113,
    EntryCutOffStepLabel = 114,
    EntrySwitchOffBox = 115,
    EntryMinTemperatureBox = 116,
    EntryModeLabel = 117,
    EntryStartPositionUnit = 118,
    EntryIdleLowerUnit = 119,
    EntryIdleUpperUnit = 120,
    EntryLoadLowerUnit = 121,
    EntryLoadUpperUnit = 122,
    EntryJumpPositionUnit = 123,  // generation 1
    EntryTpsJumpUnit = 124,
    EntryCutOffSpeedUnit = 125,
    EntryPercentUnit = 126,  // cut-off step; jump size on generation 3
    EntrySwitchOffSpeedUnit = 127,
    EntryTemperatureUnit = 128,
    EntryMode1 = 129,          // three items, 129..131
    EntryJumpSizeLabel = 132,  // generation 3

    // factory reset page
    EntryResetLabel1 = 134,
    EntryResetLabel2 = 135,
    EntryResetButton = 136,
    EntryResetCaption = 137,
    EntryResetDone = 138,
    EntryResetFailed = 139,
    EntryResetRefused = 200,

    // oscilloscope page
    EntryValueCursor = 142,
    EntryScopeLambda = 143,
    EntryScopePosition = 144,
    EntryScopeAnd = 145,
    EntryScopeStartPosition = 146,
    EntryScopeSpeed = 147,
    EntryScopeSpeedScale = 148,
    EntryScopeTps = 149,
    EntryScopeTimeAxis = 150,
    EntryScopeVoltUnit = 151,
    EntryScopePositionUnit = 152,
    EntryScopeSpeedUnit = 153,

    // About and device information dialogs
    EntryProductName = 156,
    EntryAboutCaption = 157,
    EntryProgramVersion = 158,
    EntryControllerVersion = 159,
    EntryClose = 160,  // About, device information, gas level sensor, lambda emulation
    EntryNoConnection = 161,
    EntryUnsupportedController = 162,
    EntryFactorySettings = 189,  // gas level sensor dialog button
    EntryDeviceInfoCaption = 190,
    EntryRegistrationLabel = 191,
    EntryTimeOnGasLabel = 192,
    EntryInstallDateLabel = 193,
    EntryYearLabel = 194,
    EntryMonthLabel = 195,
    EntryDayLabel = 196,
    EntryChange = 197,  // also the configuration page's gas level sensor button
    EntrySave = 198,
    EntryClear = 199,

    // settings files
    EntryOpenTitle = 165,
    EntrySaveTitle = 166,
    EntryCannotOpen = 167,
    EntryWrongFormat = 168,
    EntryWrongFormatCaption = 169,
    EntryWriteFailedCaption = 170,
    EntryWriteFailed = 171,
    EntryOverwriteCaption = 172,
    EntryOverwrite = 173,

    // main window titles, one per page (shell/page_list.h)
    EntryTitleReadings = 175,
    EntryTitleConfiguration = 176,
    EntryTitleOptions = 177,
    EntryTitleDiagram = 178,
    EntryTitleReset = 179,
    EntryTitleScope = 180,

    // port search dialog and the link error box
    EntryCheckingPort = 203,
    EntryNotFound = 204,
    EntrySearch = 205,
    EntryFoundOnPort = 206,
    EntryNoPorts = 207,
    EntryManualGroup = 208,
    EntryAutomaticGroup = 209,
    EntryLinkErrorCaption = 211,
    EntryLinkErrorText = 212,

    // the box telling that ZuvelS.ini can't be written
    EntrySettingsUnwritableCaption = 213,
    EntrySettingsUnwritable = 214,
    EntrySettingsSetupHint = 215,

    // Entries added after the first 216: a language file that ends before
    // them shows their English texts (AppendedEnglishTexts, shell/language.h).
    // the Network dialog
    EntryNetworkCaption = 216,
    EntryNetworkAddressLabel = 217,
    EntryNetworkRfc2217 = 218,
    EntryNetworkRawTcp = 219,
    EntryNetworkRecentLabel = 220,
    EntryNetworkConnect = 221,
    EntryNetworkCancel = 222,
    EntryNetworkBadAddress = 223,
    // recording and replaying a drive
    EntryRecordTitle = 224,
    EntryRecordingStoppedCaption = 225,
    EntryRecordingWriteFailed = 226,  // the file follows
    EntryRecordingCannotCreate = 227,
    EntryRecordingFull = 228,
    EntryReplayTitle = 229,
    EntryReplayCannotPlay = 230,
    // the road-test picture
    EntryPictureSourceTitle = 231,
    EntryPictureSaveTitle = 232,
    EntryPictureFailed = 233,
    EntryPictureCaption = 242,
    // the checked settings load
    EntryReadBackCaption = 234,
    EntryReadBackDiffers = 235,
    EntryReadBackKey = 236,
    EntryReadBackWritten = 237,
    EntryReadBackRead = 238,
    EntryReadBackNoAnswer = 239,
    // the title bar
    EntryRecordingMark = 240,
    EntryReplayMark = 241,
};

#endif
