// Resource ids of the function bar.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_NEWVANTELO_DIALOG 102
#define IDR_MAINFRAME 128
#define IDR_TRAYMENU 129
#define IDD_CABLE_PROMPT 132

// The function buttons in button order, without a gap: the bar computes button k's control
// from the first (bar/ButtonSet.h checks every one at compile time).
#define IDC_BTN_BLUETOOTH 1000
#define IDC_BTN_SLEEP 1001
#define IDC_BTN_POWER_FEATURE 1002
#define IDC_BTN_CRT_LCD 1003
#define IDC_BTN_RADIO 1004
#define IDC_BTN_3G 1005
#define IDC_BTN_WEBCAM 1006
#define IDC_BTN_MUTE 1007
#define IDC_BTN_VOLUME_DOWN 1008
#define IDC_BTN_VOLUME_UP 1009
#define IDC_BTN_BRIGHTNESS_DOWN 1010
#define IDC_BTN_BRIGHTNESS_UP 1011
#define IDC_BTN_CAPS_LOCK 1012
#define IDC_BTN_NUM_LOCK 1013
#define IDC_BTN_SCROLL_LOCK 1014
#define IDC_BTN_AUTO_ADJUST 1015
#define IDC_BTN_WHITE_BALANCE 1016
#define IDC_BTN_PANEL_DEFAULT 1017
#define IDC_BTN_CRT_IN_DETECT 1018
#define IDC_BTN_HIDE 1100

// Controls of the cable prompt.
#define IDC_PROMPT_HIDDEN 1017
#define IDC_PROMPT_TEXT 1018

#define IDC_STATIC -1

#define IDM_ABOUTBOX 0x0010
#define ID_MENU_QUIT 32771
