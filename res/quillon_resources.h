// The numbers of the station's Windows resources (res/quillon.rc), for the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_QUILLON_DIALOG 102
#define IDD_LINE_PIN 104
#define IDD_LINE_SETTINGS 105

// The production view's dialogs' controls.
#define IDC_LINE_PIN 2001
#define IDC_LINE_PACKAGE 2002
#define IDC_LINE_STATION 2003
#define IDC_LINE_LOG 2004
#define IDC_LINE_SLOTS 2005
#define IDC_LINE_NEW_PIN 2006
#define IDC_LINE_NEW_PIN_AGAIN 2007
#define IDD_CHECKBOX 103
#define IDC_CHECK_LINES 1100
#define IDR_MAINFRAME 128
