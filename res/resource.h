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
#define IDD_NETWORK 232

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
// Added later: the network port and the recorded drives
#define IDM_NETWORK 40087         // Port: "Network..."
#define IDM_RECORD_DRIVE 40088    // File: "Record drive..."
#define IDM_STOP_RECORDING 40089  // File: "Stop recording"
#define IDM_REPLAY_DRIVE 40090    // File: "Replay drive..."
#define IDM_STOP_REPLAY 40091     // File: "Stop replay"
#define IDM_ROAD_PICTURE 40092    // File: "Road-test picture..."

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
// Configuration page (templates 106, 157, 145, 151, 150)
#define IDC_CFG_LAMBDA_HEADING 1126
#define IDC_CFG_SPEED_HEADING 1127
#define IDC_CFG_TPS_HEADING 1128
#define IDC_CFG_EMULATOR_HEADING 1129
#define IDC_CFG_LEVEL_HEADING 1130
#define IDC_CFG_PROBE_TYPE_LABEL 1075
#define IDC_CFG_NEUTRAL_POINT_LABEL 1076
#define IDC_CFG_READING_DELAY_LABEL 1077
#define IDC_CFG_EMULATION_TYPE_LABEL 1078
#define IDC_CFG_HIGH_TIME_LABEL 1079
#define IDC_CFG_LOW_TIME_LABEL 1080
#define IDC_CFG_IGNITION_TYPE_LABEL 1081
#define IDC_CFG_SWITCH_SPEED_LABEL 1082
#define IDC_CFG_SWITCH_DIRECTION_LABEL 1083
#define IDC_CFG_TPS_TYPE_LABEL 1084
#define IDC_CFG_TPS_INERT_LABEL 1085
#define IDC_CFG_OVERLAP_LABEL 1086
#define IDC_CFG_SENSOR_MODE_LABEL 1088
#define IDC_CFG_VALVE_OPENING_LABEL 1096
#define IDC_CFG_NEUTRAL_POINT_UNIT 1089
#define IDC_CFG_READING_DELAY_UNIT 1090
#define IDC_CFG_HIGH_TIME_UNIT 1091
#define IDC_CFG_LOW_TIME_UNIT 1092
#define IDC_CFG_SWITCH_SPEED_UNIT 1087
#define IDC_CFG_TPS_INERT_UNIT 1093
#define IDC_CFG_OVERLAP_UNIT 1094
#define IDC_CFG_VALVE_OPENING_UNIT 1095
#define IDC_CFG_PROBE_TYPE 1003
#define IDC_CFG_NEUTRAL_POINT 1013
#define IDC_CFG_READING_DELAY 1017
#define IDC_CFG_EMULATION_TYPE 1018
#define IDC_CFG_HIGH_TIME 1019
#define IDC_CFG_LOW_TIME 1020
#define IDC_CFG_IGNITION_TYPE 1021
#define IDC_CFG_SWITCH_SPEED 1022
#define IDC_CFG_SWITCH_DIRECTION 1023
#define IDC_CFG_TPS_TYPE 1024
#define IDC_CFG_TPS_INERT 1025
#define IDC_CFG_OVERLAP 1026
#define IDC_CFG_VALVE_OPENING 1149
#define IDC_CFG_LOW_SIGNAL 1140
#define IDC_CFG_EMERGENCY_START 1074
#define IDC_CFG_LEVEL_SENSOR 1206  // opens the gas level sensor dialog
#define IDC_CFG_SENSOR_MODE 1007   // gas level sensor mode text

// Options page (templates 152, 125, 153, 154, 156)
#define IDC_OPT_HEADING1 1131  // five section headings, 1131..1135
#define IDC_OPT_HEADING2 1132
#define IDC_OPT_HEADING3 1133
#define IDC_OPT_HEADING4 1134
#define IDC_OPT_HEADING5 1135
#define IDC_OPT_CORRECTIONS 1014  // opens the corrections dialog
#define IDC_OPT_START_POSITION_BOX 1034
#define IDC_OPT_START_POSITION 1003
#define IDC_OPT_START_POSITION_UNIT 1057
#define IDC_OPT_IDLE_LOWER_LABEL 1075
#define IDC_OPT_IDLE_UPPER_LABEL 1076
#define IDC_OPT_LOAD_LOWER_LABEL 1077
#define IDC_OPT_LOAD_UPPER_LABEL 1078
#define IDC_OPT_IDLE_LOWER 1013
#define IDC_OPT_IDLE_UPPER 1043
#define IDC_OPT_LOAD_LOWER 1044
#define IDC_OPT_LOAD_UPPER 1045
#define IDC_OPT_IDLE_LOWER_UNIT 1085
#define IDC_OPT_IDLE_UPPER_UNIT 1086
#define IDC_OPT_LOAD_LOWER_UNIT 1088
#define IDC_OPT_LOAD_UPPER_UNIT 1136
#define IDC_OPT_JUMP_BOX 1039
#define IDC_OPT_JUMP_LABEL 1064
#define IDC_OPT_JUMP 1046
#define IDC_OPT_JUMP_UNIT 1058
#define IDC_OPT_TPS_JUMP_LABEL 1065
#define IDC_OPT_TPS_JUMP 1047
#define IDC_OPT_TPS_JUMP_UNIT 1059
#define IDC_OPT_CUT_OFF_BOX 1040
#define IDC_OPT_CUT_OFF_SPEED_LABEL 1066
#define IDC_OPT_CUT_OFF_SPEED 1048
#define IDC_OPT_CUT_OFF_SPEED_UNIT 1060
#define IDC_OPT_CUT_OFF_STEP_LABEL 1067
#define IDC_OPT_CUT_OFF_STEP 1049
#define IDC_OPT_CUT_OFF_STEP_UNIT 1061
#define IDC_OPT_SWITCH_OFF_BOX 1041
#define IDC_OPT_SWITCH_OFF_SPEED 1050
#define IDC_OPT_SWITCH_OFF_SPEED_UNIT 1062
#define IDC_OPT_MIN_TEMPERATURE_BOX 1042
#define IDC_OPT_MIN_TEMPERATURE 1051
#define IDC_OPT_MIN_TEMPERATURE_UNIT 1063
#define IDC_OPT_MODE_LABEL 1079
#define IDC_OPT_MODE 1052

// ---- Service dialogs: About, device information, port search ----

// About dialog
#define IDB_LOGO 188
#define IDC_ABOUT_NAME 1075
#define IDC_ABOUT_VERSION 1076         // "program version" label
#define IDC_ABOUT_VERSION_NUMBER 1077  // the version itself, from the version resource

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

// Network dialog
#define IDC_NET_ADDRESS_LABEL 1211
#define IDC_NET_ADDRESS 1212
#define IDC_NET_RFC2217 1213
#define IDC_NET_RAW_TCP 1214
#define IDC_NET_RECENT_LABEL 1215
#define IDC_NET_RECENT 1216

#endif
