// The numbers of the station's Windows resources (res/quillon.rc), for the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_QUILLON_DIALOG 102
#define IDD_CHECKBOX 103
#define IDC_CHECK_LINES 1100
#define IDR_MAINFRAME 128
