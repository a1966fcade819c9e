#pragma once
// KX_LAUNCH: how often, and on which day last, each shortcut was started from the program,
// so the quick search puts what this user starts most first. One row per S_ID started at
// least once; programs that do not know the table leave it alone. All operations use TheDb.

#include <unordered_map>

#include "kx/base/KxString.h"

struct LaunchStat {
  int count = 0;
  KxString lastDate;  // "YYYY-MM-DD" of the last start
};
using LaunchStats = std::unordered_map<int, LaunchStat>;

extern const char kCreateLaunchTable[];

// One more start of the shortcut id, today; false when it is not stored.
bool RecordLaunch(int id);
// Every row into stats (cleared first), keyed by S_ID.
void LoadLaunchStats(LaunchStats& stats);
// Forgets the starts of a shortcut id: it was deleted, or the id is handed to a new row.
bool ForgetLaunches(int id);
