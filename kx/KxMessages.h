#pragma once
// Notification numbers of the toolkit. Each is sent to the window of the control it
// concerns, where a handler bound with BindCmd takes it. KX_WM_CLICK (1025) lives in
// KxControl.h with the click it announces.

#include <windows.h>

// The grid's current cell changed (wParam row, lParam column); the edit's text changed;
// the tree view's own drop notification. The three share one number.
constexpr UINT KX_GRID_SELCHANGE = WM_USER + 100;
constexpr UINT KX_EDIT_CHANGE = WM_USER + 100;
constexpr UINT KX_TVN_DROP = WM_USER + 100;

// The select field (KxSelectCard).
constexpr UINT KX_SELECT_CLOSEUP = WM_USER + 101;     // the list closed
constexpr UINT KX_SELECT_CHANGE = WM_USER + 102;      // an item was chosen; lParam its row
constexpr UINT KX_SELECT_DROPDOWN = WM_USER + 104;    // the list is about to open
constexpr UINT KX_SELECT_EDITCHANGE = WM_USER + 105;  // the edit's text changed
