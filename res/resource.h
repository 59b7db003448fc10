#pragma once
// Resource ids. The per-slot control ids are listed in app/SlotIds.h.
#define IDD_BOARD 102
#define IDR_MAINFRAME 128
#define IDB_PLAY_IDLE 137
#define IDB_PLAY_PLAYING 138
#define IDB_PLAY_PAUSED 140
#define IDB_STOP 141
#define IDB_MATRIX_MEDIUM 131
#define IDB_MATRIX_SMALL 132
#define IDB_SLIDER_CHANNEL 144
#define IDB_SLIDER_THUMB 145
#define IDB_SLIDER_VCHANNEL 147
#define IDB_SLIDER_THUMB_ACTIVE 153

#define IDR_MAINMENU 129
#define IDD_ABOUT 148
#define IDC_ABOUT_LINK 1030

// Main menu commands.
#define ID_FILE_EXIT 32771
#define ID_FILE_OPEN 32772
#define ID_FILE_SAVE 32773
#define ID_FILE_NEW 32790
#define ID_HELP_ABOUT 32795
#define ID_FILE_SAVE_AS 32797
#define ID_VIEW_GREEN 32798
#define ID_VIEW_BLUE 32799
#define ID_VIEW_RED 32800
#define ID_VIEW_ORANGE 32801
#define ID_VIEW_YELLOW 32802
#define ID_TOOLS_OPTIONS 32803
#define ID_SCHEME_1 32804
#define ID_SCHEME_2 32805
#define ID_SCHEME_3 32806
#define ID_SCHEME_4 32807
#define ID_SCHEME_5 32808
#define ID_SCHEME_6 32809
#define ID_VIEW_NORMAL 32811
#define ID_VIEW_COMPACT 32812
#define ID_SCHEME_7 32813
#define ID_SCHEME_8 32814
#define ID_SCHEME_9 32815
#define ID_SCHEME_10 32816
#define ID_SCHEME_11 32817
#define ID_SCHEME_12 32818
#define ID_TOOLS_STOP_ALL 32819
#define ID_TOOLS_HOTKEYS 32840

// The slot menu and its commands.
#define IDR_SLOTMENU 135
#define ID_SLOT_BROWSE 32791
#define ID_SLOT_CLEAR 32792
#define ID_SLOT_RENAME 32793
#define ID_SLOT_RELOAD 32794
#define ID_SLOT_LOOP 32810

#define IDD_RENAME 142
#define IDC_RENAME_EDIT 1104

// Options: one path box and one Browse button per favourite scheme.
#define IDD_OPTIONS 149
#define IDC_FAVOURITE_1 1104
#define IDC_FAVOURITE_2 1105
#define IDC_FAVOURITE_3 1106
#define IDC_FAVOURITE_4 1107
#define IDC_FAVOURITE_5 1108
#define IDC_FAVOURITE_6 1109
#define IDC_FAVOURITE_7 1110
#define IDC_FAVOURITE_8 1111
#define IDC_FAVOURITE_9 1112
#define IDC_FAVOURITE_10 1113
#define IDC_FAVOURITE_11 1114
#define IDC_FAVOURITE_12 1115
#define IDC_BROWSE_1 1146
#define IDC_BROWSE_2 1024
#define IDC_BROWSE_3 1025
#define IDC_BROWSE_4 1026
#define IDC_BROWSE_5 1027
#define IDC_BROWSE_6 1028
#define IDC_BROWSE_7 1029
#define IDC_BROWSE_8 1030
#define IDC_BROWSE_9 1031
#define IDC_BROWSE_10 1032
#define IDC_BROWSE_11 1033
#define IDC_BROWSE_12 1034
#define IDC_ONPLAY_MODE 1149
#define IDC_SOUND_OUTPUT 1150

// Hotkeys: a name and a hot-key control for each of the 18 slots, then
// Stop all and Fade all, in that order from the first id on.
#define IDD_HOTKEYS 160
#define IDC_HOTKEY_FIRST 1600
#define IDC_HOTKEY_NAME_FIRST 1620
