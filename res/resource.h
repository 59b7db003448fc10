#pragma once
// Resource ids. The per-slot control ids are listed in app/SlotIds.h.
#define IDD_BOARD 102
#define IDR_MAINFRAME 128
#define IDB_PLAY_IDLE 137
#define IDB_PLAY_PLAYING 138
#define IDB_PLAY_PAUSED 140
#define IDB_STOP 141
