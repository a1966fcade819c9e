/* Resource ids of velix.exe; shared by the C++ sources and velix.rc. */
#pragma once

/* Icons: 16x16 and 32x32, 32-bit with an AND mask. */
#define IDI_APP              101  /* application mark */
#define IDI_GROUP            102  /* closed group */
#define IDI_MAINTAIN         103  /* shortcut maintenance */
#define IDI_NEWITEM          109  /* new menu item */
#define IDI_DESKTOP_CURRENT  127  /* the current virtual desktop */
#define IDI_NOTE_MANAGER     134  /* note manager */
#define IDI_CLOSE            142  /* close */
#define IDI_TOPMOST          144  /* topmost / pinned */

/* A bitmap, 24-bit. */
#define IDB_TREE             307  /* 80x16 strip of five 16x16 tree images */

/* PNG files (RCDATA), 24-bit: pictures, and the IDB_TREE images drawn at larger sides. */
#define IDB_APP              304  /* 70x70, about and settings windows */
#define IDB_KIT_DEFAULT      305  /* 70x70, default picture of the kit window */
#define IDB_TREE_24          308  /* 120x24 */
#define IDB_TREE_32          309  /* 160x32 */

/* Images in the IDB_TREE strips, left to right (image list indexes). */
#define TREE_IMG_ROOT          0
#define TREE_IMG_GROUP_CLOSED  1
#define TREE_IMG_GROUP_OPEN    2
#define TREE_IMG_SHORTCUT      3
#define TREE_IMG_SEPARATOR     4
