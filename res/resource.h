// Resource ids of tbook.exe. Plain #defines only, because windres reads this file as well as the
// C++ compiler. The numbers are fixed: anything that names a resource by number, help topics
// included, relies on them, so never renumber.
// ID_HELP (the framework's help command) is deliberately absent; the framework defines it.
#pragma once

// Dialogs
#define IDD_TBOOK_DIALOG 102
#define IDD_CONTACT 104
#define IDD_ABOUTBOX 139
#define IDD_PROGRESS 142
#define IDD_DUPLICATES 143
#define IDD_SYNC 144
#define IDD_VALUE 145
#define IDD_BIRTHDAYS 146
#define IDD_GROUP_NAME 147
#define IDD_MANAGE_GROUPS 148

// Icons and menus
#define IDR_MAINFRAME 128
#define IDR_TRAY_MENU 138
#define IDR_LIST_MENU 141
#define IDI_TRAY 172

// Strings
#define IDP_OLE_INIT_FAILED 100

// Bitmaps
#define IDB_ABOUT 140
#define IDB_SEARCH_DOWN 160
#define IDB_SEARCH_UP 169

// Raw image strips of the toolbar buttons
#define IDR_RAW_ADDNEW 162
#define IDR_RAW_DELETE 163
#define IDR_RAW_EXIT 164
#define IDR_RAW_HELP 165
#define IDR_RAW_SEARCH 166 // stored for a search button; no control shows it
#define IDR_RAW_VIEWEDIT 167
#define IDR_RAW_HOME 173

// Main window controls (IDOK is the Exit button)
#define IDC_LIST 1000
#define IDC_SEARCH_EDIT 1002
#define IDC_ADD_NEW 1003
#define IDC_VIEW_EDIT 1004
#define IDC_DELETE 1005
#define IDC_HELP_BUTTON 1006
#define IDC_HOME 1007
#define IDC_SEARCH 1008

// Contact editor controls
#define IDC_EDIT_HOMEPHONE 1010
#define IDC_EDIT_MOBILE 1011
#define IDC_EDIT_HOMEEMAIL 1012
#define IDC_EDIT_HOMEWWW 1013
#define IDC_EDIT_HOMEADDRESS 1014
#define IDC_EDIT_OFFICEFAX 1015
#define IDC_EDIT_OFFICEEMAIL 1016
#define IDC_EDIT_OFFICEWWW 1017
#define IDC_EDIT_OFFICEADDRESS 1018
#define IDC_EDIT_OFFICEPHONE 1019
#define IDC_EDIT_COMPANY 1020
#define IDC_EDIT_JOBTITLE 1021
#define IDC_EDIT_LASTNAME 1022
#define IDC_EDIT_FIRSTNAME 1023
#define IDC_EDIT_NICKNAME 1024
#define IDC_EDIT_NOTE 1025
// The editor's further values
#define IDC_VALUE_LIST 1026
#define IDC_VALUE_ADD 1027
#define IDC_VALUE_EDIT 1028
#define IDC_VALUE_REMOVE 1029
#define IDC_PHOTO 1030
#define IDC_PHOTO_CHOOSE 1031
#define IDC_PHOTO_REMOVE 1032

// About dialog controls
#define IDC_TELL_A_FRIEND 1040
#define IDC_ABOUT_PRODUCT 1045
#define IDC_ABOUT_VERSION 1046
#define IDC_ABOUT_MAKER 1047
#define IDC_SUPPORT_MAIL 1048
#define IDC_OPEN_HOME_PAGE 1050
#define IDC_MORE_PROGRAMS 1051
#define IDC_SUPPORT_ADDRESS 1064
#define IDC_HOME_PAGE_ADDRESS 1065

// Progress dialog controls
#define IDC_PROGRESS_TEXT 1070
#define IDC_PROGRESS_BAR 1071

// Duplicates dialog controls
#define IDC_DUP_GROUPS 1080
#define IDC_DUP_FIELDS 1081
#define IDC_DUP_STATUS 1082
#define IDC_DUP_MERGE 1083
#define IDC_DUP_EDIT 1084
#define IDC_DUP_HELP 1085

// Upcoming birthdays dialog controls
#define IDC_BIRTHDAY_LIST 1086
#define IDC_BIRTHDAY_OPEN 1087
#define IDC_BIRTHDAY_TITLE 1088
#define IDC_GROUP_LABEL 1150 // the group bar above the list, made at run time
#define IDC_GROUP_FILTER 1151
#define IDC_GROUP_NAME_PROMPT 1152
#define IDC_GROUP_NAME 1153
#define IDC_GROUP_LIST 1154
#define IDC_GROUP_RENAME 1155
#define IDC_GROUP_DELETE 1156

// Synchronisation dialog controls
#define IDC_SYNC_ADDRESS 1090
#define IDC_SYNC_WARNING 1091
#define IDC_SYNC_USER 1092
#define IDC_SYNC_PASSWORD 1093
#define IDC_SYNC_CONNECT 1094
#define IDC_SYNC_MESSAGE 1095
#define IDC_SYNC_BOOKS 1096
#define IDC_SYNC_AT_START 1097
#define IDC_SYNC_AFTER_CHANGE 1098
#define IDC_SYNC_EVERY 1099
#define IDC_SYNC_MINUTES 1100
#define IDC_SYNC_MINUTES_SPIN 1101
#define IDC_SYNC_REMOVE 1102
#define IDC_SYNC_HELP 1103

// Value dialog controls
#define IDC_VALUE_KIND 1110
#define IDC_VALUE_TYPE 1111
#define IDC_VALUE_LABEL 1112
#define IDC_VALUE_TEXT 1113
#define IDC_VALUE_DATE 1114
#define IDC_VALUE_NO_YEAR 1115
// The address parts, in the order of EAddressPart
#define IDC_VALUE_PO_BOX 1120
#define IDC_VALUE_EXTENDED 1121
#define IDC_VALUE_STREET 1122
#define IDC_VALUE_LOCALITY 1123
#define IDC_VALUE_REGION 1124
#define IDC_VALUE_POSTAL_CODE 1125
#define IDC_VALUE_COUNTRY 1126
// The labels of the kinds' own controls, shown and hidden with them
#define IDC_VALUE_TYPE_LABEL 1130
#define IDC_VALUE_LABEL_LABEL 1131
#define IDC_VALUE_TEXT_LABEL 1132
#define IDC_VALUE_DATE_LABEL 1133
#define IDC_VALUE_PO_BOX_LABEL 1140
#define IDC_VALUE_EXTENDED_LABEL 1141
#define IDC_VALUE_STREET_LABEL 1142
#define IDC_VALUE_LOCALITY_LABEL 1143
#define IDC_VALUE_REGION_LABEL 1144
#define IDC_VALUE_POSTAL_CODE_LABEL 1145
#define IDC_VALUE_COUNTRY_LABEL 1146

// Tray menu commands
#define ID_TRAY_SHOW_CONTACTS 32771
#define ID_TRAY_ADD_NEW 32772
#define ID_TRAY_HELP 32773
#define ID_TRAY_ABOUT 32774
#define ID_TRAY_TELL_A_FRIEND 32775
#define ID_TRAY_LAUNCH_ON_STARTUP 32776
#define ID_TRAY_EXIT 32778
#define ID_TRAY_BIRTHDAY_REMINDERS 32779

// Commands of the list's context menu; the first two are in the tray menu as well.
#define ID_IMPORT 32790
#define ID_EXPORT 32791
#define ID_SEND_EMAIL 32792
#define ID_OPEN_WEB_PAGE 32793
#define ID_CALL 32794
#define ID_COPY 32795
#define ID_UNDO 32796
#define ID_FIND_DUPLICATES 32797 // in the tray menu as well
#define ID_MERGE_SELECTED 32798
#define ID_TIDY_NOTES 32801
#define ID_UPCOMING_BIRTHDAYS 32802 // in the tray menu as well
#define ID_REMOVE_FROM_GROUP 32803
#define ID_MANAGE_GROUPS 32804
#define ID_ADD_TO_NEW_GROUP 32805
#define ID_BIRTHDAY_COLUMN 32806
#define ID_ADD_TO_GROUP_FIRST 32830 // the groups of the list menu's "Add to Group", in order
#define ID_ADD_TO_GROUP_LAST 32989
#define ID_SYNC_SETTINGS 32799 // both in the tray menu as well
#define ID_SYNC_NOW 32800
// Ctrl+V in the list: in no menu.
#define ID_PASTE 32820
