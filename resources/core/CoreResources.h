/* Resource ids of "Harrowgladeforte Core.dll" (read by the resource compiler and the core). */
#ifndef HGF_RESOURCES_CORE_RESOURCES_H
#define HGF_RESOURCES_CORE_RESOURCES_H

#define IDD_VOLUME 112        /* the volume popup, 57 x 76 dialog units */
#define IDI_VOLUME_BUTTON 113 /* drawn at the right end of the controls strip (16, 32 px) */
#define IDI_SPEAKER 115       /* the speaker in the volume popup (16, 32 px) */

/* Controls of the volume popup. */
#define IDC_VOLUME_TRACKBAR 1052
#define IDC_VOLUME_CLOSE 1053

/* The pages of the options sheet, in sheet order. */
#define IDD_OPTIONS_LIBRARIES1 102 /* "DLLファイル(1)", 210 x 201 */
#define IDD_OPTIONS_LIBRARIES2 104 /* "DLLファイル(2)", 211 x 145 */
#define IDD_OPTIONS_LAYERED 105    /* "レイヤードウィンドウ", 210 x 155 */
#define IDD_OPTIONS_KEYS 108       /* "キーアサイン", 210 x 230 */
#define IDD_OPTIONS_SHORTCUTS 109  /* "フォルダショートカット", 211 x 180 */
#define IDD_OPTIONS_OTHER 106      /* "その他", 211 x 200 */

/* Page 1: the core library, the MML library and the SMF conversion library. */
#define IDC_CORE_VERSION 1000
#define IDC_CORE_COPYRIGHT 1001
#define IDC_CORE_ADDRESS 1002
#define IDC_MML_VERSION 1003
#define IDC_MML_COPYRIGHT 1004
#define IDC_MML_ADDRESS 1005
#define IDC_MML_PLAY_TIME 1006 /* seconds, digits only */
#define IDC_SMF_VERSION 1007
#define IDC_SMF_COPYRIGHT 1008
#define IDC_SMF_ADDRESS 1009
#define IDC_SMF_CONFIG_FILE 100
#define IDC_SMF_CONFIG_BROWSE 1013

/* Page 2: the MP3 library, zlib and Ogg Vorbis. */
#define IDC_MP3_VERSION 1010
#define IDC_MP3_COPYRIGHT 1011
#define IDC_MP3_ADDRESS 1012
#define IDC_ZLIB_VERSION 1014
#define IDC_ZLIB_COPYRIGHT 1016
#define IDC_ZLIB_ADDRESS 1018
#define IDC_OGG_VERSION 1020
#define IDC_OGG_COPYRIGHT 1022
#define IDC_OGG_ADDRESS 1024
#define IDC_FLAC_VERSION 1096
#define IDC_OPUS_VERSION 1097
#define IDC_FLAC_OPUS_COPYRIGHT 1098
#define IDC_FLAC_OPUS_ADDRESS 1099

/* Page 3: the two transparencies. */
#define IDC_LAYERED_ACTIVE_SLIDER 1017
#define IDC_LAYERED_ACTIVE_TEXT 1019
#define IDC_LAYERED_AWAY_SLIDER 1021
#define IDC_LAYERED_AWAY_TEXT 1023
#define IDC_LAYERED_DEFAULTS 1015

/* Page 4: the key assignment. */
#define IDC_KEY_LIST 1044
#define IDC_KEY_DEFAULTS 1046

/* Page 5: the ten folder shortcuts (edit, folder button "F", playlist button "P"). */
#define IDC_SHORTCUT0_EDIT 1047
#define IDC_SHORTCUT0_FOLDER 1050
#define IDC_SHORTCUT0_PLAYLIST 1068
#define IDC_SHORTCUT1_EDIT 1069
#define IDC_SHORTCUT1_FOLDER 1070
#define IDC_SHORTCUT1_PLAYLIST 1071
#define IDC_SHORTCUT2_EDIT 1072
#define IDC_SHORTCUT2_FOLDER 1073
#define IDC_SHORTCUT2_PLAYLIST 1074
#define IDC_SHORTCUT3_EDIT 1075
#define IDC_SHORTCUT3_FOLDER 1076
#define IDC_SHORTCUT3_PLAYLIST 1077
#define IDC_SHORTCUT4_EDIT 1078
#define IDC_SHORTCUT4_FOLDER 1079
#define IDC_SHORTCUT4_PLAYLIST 1080
#define IDC_SHORTCUT5_EDIT 1081
#define IDC_SHORTCUT5_FOLDER 1082
#define IDC_SHORTCUT5_PLAYLIST 1083
#define IDC_SHORTCUT6_EDIT 1084
#define IDC_SHORTCUT6_FOLDER 1085
#define IDC_SHORTCUT6_PLAYLIST 1086
#define IDC_SHORTCUT7_EDIT 1087
#define IDC_SHORTCUT7_FOLDER 1088
#define IDC_SHORTCUT7_PLAYLIST 1089
#define IDC_SHORTCUT8_EDIT 1090
#define IDC_SHORTCUT8_FOLDER 1091
#define IDC_SHORTCUT8_PLAYLIST 1092
#define IDC_SHORTCUT9_EDIT 1093
#define IDC_SHORTCUT9_FOLDER 1094
#define IDC_SHORTCUT9_PLAYLIST 1095

/* Page 6: off-timer, tray double click, priority, item names, folder scan. */
#define IDC_TIMER_HOUR 1025
#define IDC_TIMER_MINUTE 1026
#define IDC_TIMER_SUSPEND 1027
#define IDC_TIMER_FORCE 1028
#define IDC_TRAY_TO_DEFAULT 1029
#define IDC_TRAY_EXIT 1030
#define IDC_PRIORITY_IDLE 1031
#define IDC_PRIORITY_NORMAL 1032
#define IDC_TIMER_ON 1033
#define IDC_ITEM_NAME_FILE 1034
#define IDC_ITEM_NAME_TAGS 1035
#define IDC_TIMER_EXIT_ONLY 1036
#define IDC_TIMER_HOUR_LABEL 1040
#define IDC_TIMER_MINUTE_LABEL 1041
#define IDC_SCAN_SUBFOLDERS 1054
#define IDC_SCAN_ALL_FILES 1055
#define IDC_RESUME_POSITION 1056

#endif
