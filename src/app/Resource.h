#pragma once
// Ids of the main window's template (102) and of its controls.

enum : int {
    IDD_DECKEDITOR_DIALOG = 102,
    IDR_MAINFRAME = 128,

    IDC_TAB = 1000,
    IDC_STATUS = 1001,
    IDC_CARDLIST = 1002,
    IDC_MAIDCODE = 1003,
    IDC_FORMAT1 = 1004,  // 1004-1006: format checkboxes "1", "2", "3"
    IDC_ONE = 1007,
    IDC_ALL = 1008,
    IDC_FORMAT_FRAME = 1009,
    IDC_NAME_CAPTION = 1010,
    IDC_OK = 1011,
    IDC_SAVE = 1012,
    IDC_MAIDCODE_LABEL = 1013,
    IDC_RADIO_A = 1014,  // 1014-1023: column A, row r at 1014 + r
    IDC_RADIO_B = 1024,  // 1024-1033: column B, row r at 1024 + r
    IDC_SCROLL = 1034,
    IDC_NAME_ROW = 1035,  // 1035-1044: name rows
};

constexpr int kRows = 10;
constexpr int kFormats = 3;
