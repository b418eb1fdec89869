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

// Factory reset page controls (placed by the shell on paint)
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

// ---- Service dialogs: About, device information, port search ----

// About dialog
#define IDB_LOGO 188
#define IDC_ABOUT_NAME 1075
#define IDC_ABOUT_VERSION 1076  // "program version" label

// Device information dialog
#define IDC_INFO_YEAR 1003
#define IDC_INFO_MONTH 1004
#define IDC_INFO_DAY 1005
#define IDC_INFO_REGISTRATION 1164
#define IDC_INFO_VERSION 1170
#define IDC_INFO_GAS_TIME 1171
#define IDC_INFO_DATE 1172
#define IDC_INFO_REGISTRATION_EDIT 1179  // change / save
#define IDC_INFO_DATE_EDIT 1180          // change / save
#define IDC_INFO_GAS_TIME_CLEAR 1182
#define IDC_INFO_DATE_GROUP 1188
#define IDC_INFO_YEAR_LABEL 1189
#define IDC_INFO_MONTH_LABEL 1190
#define IDC_INFO_DAY_LABEL 1191
#define IDC_INFO_REGISTRATION_LABEL 1194
#define IDC_INFO_GAS_TIME_LABEL 1195
#define IDC_INFO_DATE_LABEL 1196
#define IDC_INFO_VERSION_LABEL 1199

// Port search dialog
#define IDC_PORT_LIST 1003
#define IDC_PORT_PROGRESS 1010
#define IDC_PORT_SEARCH 1014
#define IDC_PORT_STATUS 1208
#define IDC_PORT_MANUAL_GROUP 1209
#define IDC_PORT_AUTO_GROUP 1210

#endif
