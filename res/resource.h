// Resource and control identifiers. The numbers are fixed: every language
// menu and every size variant of a template shares them.
#ifndef ZUVELS_RES_RESOURCE_H
#define ZUVELS_RES_RESOURCE_H

// Strings
#define IDS_TITLE 1  // "ZuvelS"
#define IDS_CLASS 3  // "ZUVELMxx"

// Icon, accelerators
#define IDI_APP 101
#define IDA_MAIN 3

// Language menus
#define IDM_MENU_POL 148
#define IDM_MENU_ANG 193
#define IDM_MENU_RUS 208
#define IDM_MENU_LIT 209
#define IDM_MENU_CS 224

// Page templates
#define IDD_READINGS 101
#define IDD_CONFIG_1 106
#define IDD_CONFIG_2 157
#define IDD_CONFIG_3 145
#define IDD_CONFIG_4 151
#define IDD_CONFIG_5 150
#define IDD_OPTIONS_1 152
#define IDD_OPTIONS_2 125
#define IDD_OPTIONS_3 153
#define IDD_OPTIONS_4 154
#define IDD_OPTIONS_5 156
#define IDD_DIAGRAM 132
#define IDD_RESET 126
#define IDD_SCOPE 159
#define IDD_ABOUT 186
#define IDD_DEVICE_INFO 219
#define IDD_PORT_SEARCH 231

// Language flag bitmaps (unchecked / checked)
#define IDB_FLAG_POL 1014
#define IDB_FLAG_POL_ON 204
#define IDB_FLAG_ANG 203
#define IDB_FLAG_ANG_ON 205
#define IDB_FLAG_RUS 1015
#define IDB_FLAG_RUS_ON 209
#define IDB_FLAG_LIT 1017
#define IDB_FLAG_LIT_ON 1016
#define IDB_FLAG_CS 229
#define IDB_FLAG_CS_ON 230

// Menu commands
#define IDM_EXIT 40002
#define IDM_ABOUT 40003
#define IDM_READINGS 40005
#define IDM_CONFIGURATION 40006
#define IDM_OPTIONS 40007
#define IDM_RESET 40008
#define IDM_SCOPE 40010
#define IDM_DIAGRAM 40013
#define IDM_OPEN 40014
#define IDM_SAVE_AS 40015
#define IDM_COM1 40019
#define IDM_COM2 40020
#define IDM_COM3 40021
#define IDM_COM4 40022
#define IDM_SIZE_640 40028
#define IDM_SIZE_800 40029
#define IDM_SIZE_1024 40030
#define IDM_SIZE_1280_1024 40031
#define IDM_SIZE_1280_960 40032
#define IDM_LANG_POL 40035
#define IDM_LANG_ANG 40036
#define IDM_LANG_RUS 40038
#define IDM_LANG_LIT 40039
#define IDM_DEVICE_INFO 40048
#define IDM_COM5 40054
#define IDM_COM6 40055
#define IDM_LANG_CS 40066
#define IDM_COM7 40067
#define IDM_COM8 40068
#define IDM_COM9 40069
#define IDM_AUTO_SCAN 40086

// Readings page controls
#define IDC_LEARN 1005
#define IDC_TEMPERATURE_RAW 1006

// Factory reset page controls (placed per window size on paint)
#define IDC_RESET_LABEL1 1104
#define IDC_RESET_LABEL2 1105
#define IDC_RESET_BUTTON 126
#define IDC_RESET_PROGRESS 1010

// Oscilloscope page controls
#define IDC_SCOPE_CURSOR 1071      // value cursor check box
#define IDC_SCOPE_CURSOR_BAR 1117  // cursor scroll bar, shown in cursor mode

// Wiring diagram page controls
#define IDC_DIAGRAM_HBAR 1120
#define IDC_DIAGRAM_VBAR 1121

// Wiring diagram bitmaps, one per language (961 x 636, 8 bits per pixel)
#define IDB_DIAGRAM_POL 206
#define IDB_DIAGRAM_ANG 207
#define IDB_DIAGRAM_RUS 216
#define IDB_DIAGRAM_LIT 215
#define IDB_DIAGRAM_CS 226

// About dialog controls
#define IDC_ABOUT_NAME 1075
#define IDC_ABOUT_VERSION 1076  // "program version" label

// Configuration dialogs: actuator corrections (options page), gas level
// sensor and lambda emulation (configuration page)
#define IDD_CORRECTIONS 170
#define IDD_LEVEL_SENSOR 217
#define IDD_LAMBDA_EMULATION 218
#define IDC_CORRECTION_LABEL1 1075  // labels of the four rows, 1075..1078
#define IDC_CORRECTION_LABEL2 1076
#define IDC_CORRECTION_LABEL3 1077
#define IDC_CORRECTION_LABEL4 1078
#define IDC_CORRECTION_LIST1 1003  // low nibble of byte A
#define IDC_CORRECTION_LIST2 1013  // high nibble of byte A
#define IDC_CORRECTION_LIST3 1122  // low nibble of byte B
#define IDC_CORRECTION_LIST4 1123  // high nibble of byte B
#define IDC_LEVEL_MARK_FULL 1154
#define IDC_LEVEL_MARK_3 1153
#define IDC_LEVEL_MARK_2 1152
#define IDC_LEVEL_MARK_1 1151
#define IDC_LEVEL_MARK_RESERVE 1150
#define IDC_LEVEL_BAR1 1137  // threshold R - 1/4
#define IDC_LEVEL_BAR2 1122  // threshold 1/4 - 2/4
#define IDC_LEVEL_BAR3 1123  // threshold 2/4 - 3/4
#define IDC_LEVEL_BAR4 1138  // threshold 3/4 - 4/4
#define IDC_LEVEL_EDIT1 1009
#define IDC_LEVEL_EDIT2 1008
#define IDC_LEVEL_EDIT3 1007
#define IDC_LEVEL_EDIT4 1139
#define IDC_LEVEL_FACTORY 1141
#define IDC_LEVEL_MODE_LABEL 1200
#define IDC_LEVEL_MODE 1003
#define IDC_EMULATION_HIGH_LABEL 1202
#define IDC_EMULATION_HIGH 1003
#define IDC_EMULATION_HIGH_UNIT 1204
#define IDC_EMULATION_LOW_LABEL 1203
#define IDC_EMULATION_LOW 1004
#define IDC_EMULATION_LOW_UNIT 1205

#endif
