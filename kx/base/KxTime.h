#pragma once
// A local date and time of day, and the date text the store writes ("2008-03-07").

#include "kx/base/KxString.h"

class KxTime {
public:
  // The current local time.
  KxTime();
  virtual ~KxTime() = default;

  // Year with 4 digits, month and day with 2: "2008-03-07".
  KxString DateText() const;
  static KxString Today();

  // "yyyy-mm-dd..." (at least 10 bytes). A part that is not a number counts as 0. The
  // date is taken when the month and day exist (and the year is not negative); only
  // year, month and day change. Otherwise nothing changes and the result is false.
  bool ParseDate(const KxString& text);

  // 28 to 31; 0xFFFF for a month outside 1 to 12.
  static int DaysInMonth(int month, int year);

  // Moves the date by n days either way and sets the day of the week to match; the time
  // of day stays. False, and nothing changes, when the date is not a real one or the
  // result would leave the years 0 to 9999 that the date text can show.
  bool AddDays(long long n);

  // Year, month, day, hour, minute, second in that order; day of week and milliseconds
  // do not count.
  static bool IsBefore(const KxTime& a, const KxTime& b);

  unsigned short reserved;  // always 0
  unsigned short year;
  unsigned short month;
  unsigned short day;
  unsigned short dayOfWeek;  // 0 = Sunday
  unsigned short hour;
  unsigned short minute;
  unsigned short second;
  unsigned short millisecond;
};
