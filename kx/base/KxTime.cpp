#include "kx/base/KxTime.h"

#include <windows.h>

namespace {

const int kLastYear = 9999;

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Days since 1970-01-01 in the proleptic Gregorian calendar. Years are counted from
// March, so that the leap day is the last day of its year and the month lengths from
// March on repeat in a fixed 153-day pattern of five months.
long long DayNumber(int year, int month, int day) {
  if (month <= 2) --year;
  long long era = (year >= 0 ? year : year - 399) / 400;
  long long yearOfEra = year - era * 400;
  long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void DateOfDayNumber(long long number, int& year, int& month, int& day) {
  number += 719468;
  long long era = (number >= 0 ? number : number - 146096) / 146097;
  long long dayOfEra = number - era * 146097;
  long long yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  long long shiftedMonth = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

// 1970-01-01 was a Thursday.
int DayOfWeek(long long number) {
  long long weekday = (number + 4) % 7;
  return static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
}

int PartValue(const KxString& text, int start, int count) {
  KxString part = text.Mid(count, start);
  return part.IsInteger() ? part.ToInt() : 0;
}

}  // namespace

KxTime::KxTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  reserved = 0;
  year = now.wYear;
  month = now.wMonth;
  day = now.wDay;
  dayOfWeek = now.wDayOfWeek;
  hour = now.wHour;
  minute = now.wMinute;
  second = now.wSecond;
  millisecond = now.wMilliseconds;
}

KxString KxTime::DateText() const {
  return KxString::FromInt(year, 4) + "-" + KxString::FromInt(month, 2) + "-" +
         KxString::FromInt(day, 2);
}

KxString KxTime::Today() { return KxTime().DateText(); }

bool KxTime::ParseDate(const KxString& text) {
  if (text.Length() < 10) return false;
  int newYear = PartValue(text, 0, 4);
  int newMonth = PartValue(text, 5, 2);
  int newDay = PartValue(text, 8, 2);
  if (newYear < 0 || newMonth < 1 || newMonth > 12) return false;
  if (newDay < 1 || newDay > DaysInMonth(newMonth, newYear)) return false;
  year = static_cast<unsigned short>(newYear);
  month = static_cast<unsigned short>(newMonth);
  day = static_cast<unsigned short>(newDay);
  return true;
}

int KxTime::DaysInMonth(int month, int year) {
  switch (month) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12:
      return 31;
    case 4: case 6: case 9: case 11:
      return 30;
    case 2:
      return IsLeapYear(year) ? 29 : 28;
    default:
      return 0xFFFF;
  }
}

bool KxTime::AddDays(long long n) {
  if (year > kLastYear || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(month, year)) {
    return false;
  }
  long long first = DayNumber(0, 1, 1);
  long long last = DayNumber(kLastYear, 12, 31);
  long long from = DayNumber(year, month, day);
  if (n > last - from || n < first - from) return false;
  long long to = from + n;
  int newYear, newMonth, newDay;
  DateOfDayNumber(to, newYear, newMonth, newDay);
  year = static_cast<unsigned short>(newYear);
  month = static_cast<unsigned short>(newMonth);
  day = static_cast<unsigned short>(newDay);
  dayOfWeek = static_cast<unsigned short>(DayOfWeek(to));
  return true;
}

bool KxTime::IsBefore(const KxTime& a, const KxTime& b) {
  const unsigned short KxTime::* const order[] = {&KxTime::year, &KxTime::month,
                                                  &KxTime::day, &KxTime::hour,
                                                  &KxTime::minute, &KxTime::second};
  for (const auto field : order) {
    if (a.*field != b.*field) return a.*field < b.*field;
  }
  return false;
}
