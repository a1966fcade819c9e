#pragma once
// Single system values in KX_SYS (one row per ID) and the kit window's picture in KX_DATA.
// All operations use TheDb.

#include "kx/base/KxString.h"

class KxTime;

// KX_SYS row identifiers.
constexpr int kSysDbVersion = 1;
constexpr int kSysMachineIdentity = 4;
constexpr int kSysUpdateCheckDate = 5;
// The signing time (seconds since 1970, decimal) of the newest update description taken.
constexpr int kSysDescriptionTime = 6;
// The file names, separated by blanks, of the copies in Backup\ that the rotation never
// deletes: the newest good one each time the store was made anew (empty), since it may be
// the last copy of what was lost.
constexpr int kSysKeptBackup = 7;
// "1" once the first-start offer to import the Start menu was answered, either way: it is
// never asked again. Older copies of the program do not read it.
constexpr int kSysStartMenuOffer = 8;
// The colour index (decimal) of the notes' colour last chosen from a note's menu: new notes
// take it. Older copies of the program do not read it.
constexpr int kSysNoteColor = 9;

// Days after the last update check before the next one is due.
constexpr int kUpdateCheckDays = 7;

// The statements as executed, for the operations that build their own text.
KxString SysValueInsertSql(int id, const KxString& value, const KxString& description);
KxString KitImageInsertSql();

// Value of the row id; "" when it is missing.
KxString GetSysValue(int id);
bool InsertSysValue(int id, const KxString& value, const KxString& description);
KxString GetDbVersion();

// Today's date text into row 5, created on first use.
bool SetUpdateCheckDate();
// Whether the last check lies more than seven days before now. A missing or unreadable
// date counts as today, so it is not due.
bool IsUpdateCheckDue();
bool IsUpdateCheckDueAt(const KxString& storedDate, const KxTime& now);

// Row 6: 0 when it is missing or holds no plain number; the setter creates it on first use.
// False when row 6 is there but holds no plain number of at most 18 digits (or cannot be
// read): the floor is then unknown. No row yet is 0, the lowest floor.
bool GetDescriptionTime(long long& seconds);
bool SetDescriptionTime(long long seconds);

// Row 7; the setter creates it on first use.
bool SetKeptBackup(const KxString& fileName);

// Row 8: whether the Start-menu offer was answered; the setter creates the row.
bool IsStartMenuOfferAnswered();
bool SetStartMenuOfferAnswered();

// Row 9: the colour new notes take, 0 when none was chosen yet; the setter creates the row.
int GetLastNoteColor();
bool SetLastNoteColor(int color);

// The picture bytes of the kit window into buffer; false, buffer unchanged, when none is
// stored.
bool GetKitImage(KxString& buffer);
// Stores the picture bytes in the row ID 1, created on first save.
bool SetKitImage(const KxString& bytes);
