#pragma once
// Writes a KX_SOFT row directly, as a hand-made Config.db would hold it, for the tests of
// the launcher menu and the maintenance window.

#include <gtest/gtest.h>

#include "store/KxDb.h"
#include "store/ShortcutRecord.h"

// icon (may be NULL) is stored as its blob and stays the caller's.
inline void AddRow(int id, int parentId, int orderId, int kind, const char* text,
                   const KxString& path = "", HICON icon = NULL) {
  ShortcutRecord record;
  record.id = static_cast<short>(id);
  record.parentId = static_cast<short>(parentId);
  record.orderId = orderId;
  record.kind = kind;
  record.text = text;
  record.path = path;
  KxString blob = IconToBlob(icon);
  ASSERT_TRUE(TheDb.ExecWithBlob(ShortcutInsertSql(record), blob.IsEmpty() ? nullptr : blob.CStr(),
                                 blob.Length()));
}
