#pragma once
// Ids of the main window and of its controls, as View addresses them.

constexpr int IDD_DECKEDITOR_DIALOG = 102;
constexpr int IDR_MAINFRAME = 128;

constexpr int IDC_TAB = 1000;
constexpr int IDC_STATUS = 1001;
constexpr int IDC_CARDLIST = 1002;
constexpr int IDC_MAIDCODE = 1003;
constexpr int IDC_FORMAT1 = 1004;  // 1004-1006: format checkboxes "1", "2", "3"
constexpr int IDC_ONE = 1007;
constexpr int IDC_ALL = 1008;
constexpr int IDC_FORMAT_FRAME = 1009;
constexpr int IDC_NAME_CAPTION = 1010;
constexpr int IDC_OK = 1011;
constexpr int IDC_SAVE = 1012;
constexpr int IDC_MAIDCODE_LABEL = 1013;
constexpr int IDC_RADIO_A = 1014;  // 1014-1023: column A, row r at 1014 + r
constexpr int IDC_RADIO_B = 1024;  // 1024-1033: column B, row r at 1024 + r
constexpr int IDC_SCROLL = 1034;
constexpr int IDC_NAME_ROW = 1035;  // 1035-1044: name rows
constexpr int IDC_BACKUPS = 1045;
constexpr int IDC_RESTORE_ONE = 1046;
constexpr int IDC_RESTORE_ALL = 1047;

constexpr int kRows = 10;
constexpr int kFormats = 3;
