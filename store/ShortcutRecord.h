#pragma once
// One row of KX_SOFT, the launcher's tree of groups, separators and shortcuts, and every
// operation on that table. All operations use TheDb. Siblings (rows with one S_PID) keep
// their S_ORDERID dense from 0 as long as rows are added and removed through these.

#include <functional>

#include "kx/base/KxList.h"
#include "kx/base/KxString.h"
#include "store/IconBlob.h"

constexpr int kShortcutGroup = 0;
constexpr int kShortcutItem = 1;
constexpr int kShortcutSeparator = 2;

// S_FLAG bits: one kind bit, then the two carried properties.
constexpr int kShortcutFlagGroup = 1;
constexpr int kShortcutFlagSeparator = 2;
constexpr int kShortcutFlagItem = 4;
constexpr int kShortcutFlagA = 8;
constexpr int kShortcutFlagB = 16;

// The side of the icons S_ICO keeps, at every DPI: older copies of the program read them.
constexpr int kShortcutIconSide = 16;

// Identifiers are 16-bit in memory; a row that would need a larger one is not created.
constexpr int kMaxShortcutId = 32767;

struct ShortcutRecord {
  int kind = kShortcutGroup;
  short id = 0;
  int orderId = 0;
  short parentId = 0;
  OwnedIcon icon;      // the record's own icon: loaded from S_ICO or handed over by the caller
  bool flagA = false;  // set on every record the maintenance tree creates
  bool flagB = false;  // cleared on every record the maintenance tree creates
  KxString text;
  KxString path;
};

using ShortcutList = KxList<ShortcutRecord>;

enum class OrderShift { kUp, kDown };

// Whether a load reads S_ICO. The maintenance tree shows its own kind images only, and
// making a thousand icons would cost it a hundred times its fill.
enum class ShortcutIcons { kDecode, kSkip };

// A row as the load reads it, before anything is copied: text and path (GBK, zero-
// terminated) and the icon's bytes belong to the query and last only while the visit runs.
struct ShortcutRowRef {
  short id = 0;
  int orderId = 0;
  short parentId = 0;
  int kind = kShortcutItem;
  bool flagA = false;
  bool flagB = false;
  const char* text = "";
  int textLength = 0;
  const char* path = "";
  int pathLength = 0;
  const void* icon = nullptr;  // always nullptr with ShortcutIcons::kSkip
  int iconSize = 0;
};

int EncodeShortcutFlags(const ShortcutRecord& record);
// The highest kind bit wins; a value without kind bits reads as a shortcut, so its caption
// and path stay visible and editable.
void DecodeShortcutFlags(int flags, ShortcutRecord& record);

// The statements as executed, for the operations that build their own text.
KxString ShortcutLoadSql(ShortcutIcons icons = ShortcutIcons::kDecode);
KxString ShortcutInsertSql(const ShortcutRecord& record);
KxString ShortcutUpdateSql(const ShortcutRecord& record);
KxString ShiftShortcutOrdersSql(int orderId, int parentId, int step, OrderShift direction);

// Each row in S_PID, S_ORDERID order, so each group's children form one run in display
// order. Rows whose S_ID or S_PID do not fit 16 bits are left out.
void ReadShortcutRows(ShortcutIcons icons, const std::function<void(const ShortcutRowRef&)>& visit);
// Clears list, then one record per row that ReadShortcutRows gives, with its icon decoded
// unless icons says kSkip.
void LoadShortcuts(ShortcutList& list, ShortcutIcons icons = ShortcutIcons::kDecode);
// Opens a place at record.orderId among its siblings, assigns record.id and stores the row
// with its icon. When the row is not stored the siblings move back, record.id becomes 0 and
// the result is false.
bool InsertShortcut(ShortcutRecord& record);
// Writes S_FLAG, S_TEXT, S_PATH and S_ICO of the row record.id; order and parent stay.
bool UpdateShortcut(const ShortcutRecord& record);
// Removes the row, then closes its gap among the siblings; a failed delete moves nothing.
// The children of a deleted group stay as they are.
bool DeleteShortcut(int id, int orderId, int parentId);
bool RenameShortcut(int id, const KxString& text);
bool SetShortcutPath(int id, const KxString& path);
bool SetShortcutParent(int id, int parentId);
bool SetShortcutOrder(int id, int orderId);
// Moves every sibling under parentId at or after orderId by step places.
bool ShiftShortcutOrders(int orderId, int parentId, int step, OrderShift direction);
KxString GetShortcutPath(int id);
// The icon of the row id from S_ICO into icon (cleared first); false when it has none.
bool LoadShortcutIcon(int id, OwnedIcon& icon);
int NextShortcutId();
