#include "launcher/TreeRecords.h"

#include "app/KxApp.h"
#include "app/resource.h"

ShortcutRecord NewTreeRecord(int kind, const KxString& text) {
  ShortcutRecord record;
  record.kind = kind;
  record.text = text;
  record.flagA = true;
  record.flagB = false;
  return record;
}

HICON NewGroupIcon() {
  return static_cast<HICON>(
      LoadImageW(ResourceInstance(), MAKEINTRESOURCEW(IDI_GROUP), IMAGE_ICON, 16, 16, 0));
}
