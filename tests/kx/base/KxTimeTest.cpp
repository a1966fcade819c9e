#include "kx/base/KxTime.h"

#include <gtest/gtest.h>

namespace {

KxTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  KxTime t;
  t.year = static_cast<unsigned short>(year);
  t.month = static_cast<unsigned short>(month);
  t.day = static_cast<unsigned short>(day);
  t.hour = static_cast<unsigned short>(hour);
  t.minute = static_cast<unsigned short>(minute);
  t.second = static_cast<unsigned short>(second);
  t.millisecond = 0;
  return t;
}

// One day on, the plain way.
void StepForward(KxTime& t) {
  if (++t.day <= KxTime::DaysInMonth(t.month, t.year)) return;
  t.day = 1;
  if (++t.month <= 12) return;
  t.month = 1;
  ++t.year;
}

}  // namespace

TEST(KxTimeTest, NowAndDateText) {
  KxTime now;
  EXPECT_EQ(now.reserved, 0);
  EXPECT_GE(now.year, 2000);
  EXPECT_EQ(At(2008, 3, 7).DateText(), "2008-03-07");
  EXPECT_EQ(At(33, 12, 1).DateText(), "0033-12-01");
  KxString today = KxTime::Today();
  EXPECT_EQ(today, now.DateText());  // fails only across midnight
}

TEST(KxTimeTest, DaysInMonth) {
  struct Case {
    int month, year, days;
  } cases[] = {
      {1, 2007, 31},  {11, 2007, 30}, {2, 2007, 28},      {2, 2008, 29},
      {2, 1900, 28},  {2, 2000, 29},  {0, 2008, 0xFFFF},  {13, 2008, 0xFFFF},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KxTime::DaysInMonth(c.month, c.year), c.days) << c.year << "-" << c.month;
  }
}

TEST(KxTimeTest, ParseDate) {
  struct Case {
    const char* text;
    bool accepted;
    const char* date;  // after parsing into 2001-01-01 10:20:30
  } cases[] = {
      {"2008-02-29", true, "2008-02-29"},
      {"2008-02-30", false, "2001-01-01"},
      {"2008-02-2", false, "2001-01-01"},
      {"2008-12-31 23:59:59", true, "2008-12-31"},
      {"2008-13-01", false, "2001-01-01"},
      {"2008-01-00", false, "2001-01-01"},
      {"abcd-03-07", true, "0000-03-07"},
      {"-999-03-07", false, "2001-01-01"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    KxTime t = At(2001, 1, 1, 10, 20, 30);
    EXPECT_EQ(t.ParseDate(c.text), c.accepted);
    EXPECT_EQ(t.DateText(), c.date);
    EXPECT_EQ(t.hour, 10);
    EXPECT_EQ(t.minute, 20);
    EXPECT_EQ(t.second, 30);
  }
}

TEST(KxTimeTest, AddDaysBackwardsAndToTheEndsOfTheRange) {
  struct Case {
    const char* from;
    long long days;
    const char* to;
    int dayOfWeek;
  } cases[] = {
      {"2008-03-07", 0, "2008-03-07", 5},
      {"2009-01-01", -1, "2008-12-31", 3},
      {"2008-03-01", -1, "2008-02-29", 5},
      {"2008-03-03", -7, "2008-02-25", 1},
      {"2008-01-01", 366, "2009-01-01", 4},
      {"2000-01-01", 2921939, "9999-12-31", 5},
      {"9999-12-31", -3652424, "0000-01-01", 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " + " << c.days);
    KxTime t = At(2001, 1, 1, 13, 14, 15);
    ASSERT_TRUE(t.ParseDate(c.from));
    EXPECT_TRUE(t.AddDays(c.days));
    EXPECT_EQ(t.DateText(), c.to);
    EXPECT_EQ(t.dayOfWeek, c.dayOfWeek);
    EXPECT_EQ(t.hour, 13);
    EXPECT_EQ(t.minute, 14);
    EXPECT_EQ(t.second, 15);
  }
}

TEST(KxTimeTest, AddDaysAgreesWithWalkingDayByDay) {
  // Through 1900 (no leap day) and 2000 (a leap day).
  KxTime start = At(1899, 12, 1);
  KxTime walked = start;
  for (int n = 1; n <= 40000; ++n) {
    StepForward(walked);
    KxTime forward = start;
    ASSERT_TRUE(forward.AddDays(n));
    ASSERT_EQ(forward.DateText(), walked.DateText()) << n;
    KxTime back = walked;
    ASSERT_TRUE(back.AddDays(-n));
    ASSERT_EQ(back.DateText(), start.DateText()) << n;
  }
}

TEST(KxTimeTest, AddDaysRefusesWhatTheDateTextCannotShow) {
  struct Case {
    KxTime from;
    long long days;
  } cases[] = {
      {At(9999, 12, 31), 1},
      {At(0, 1, 1), -1},
      {At(2008, 3, 7), 1LL << 62},
      {At(2008, 3, 7), -(1LL << 62)},
      {At(2008, 2, 30), 1},
      {At(2008, 0, 1), 1},
  };
  for (Case& c : cases) {
    KxString before = c.from.DateText();
    SCOPED_TRACE(testing::Message() << before.CStr() << " + " << c.days);
    EXPECT_FALSE(c.from.AddDays(c.days));
    EXPECT_EQ(c.from.DateText(), before);
  }
}

TEST(KxTimeTest, IsBeforeComparesDateThenTimeOfDay) {
  KxTime base = At(2008, 3, 7, 12, 30, 30);
  struct Case {
    KxTime other;
    bool baseBefore, otherBefore;
  } cases[] = {
      {At(2009, 1, 1, 0, 0, 0), true, false},
      {At(2008, 3, 8, 0, 0, 0), true, false},
      {At(2008, 3, 7, 13, 0, 0), true, false},
      {At(2008, 3, 7, 12, 30, 31), true, false},
      {At(2008, 3, 7, 12, 30, 29), false, true},
      {At(2007, 12, 31, 23, 59, 59), false, true},
      {At(2008, 3, 7, 12, 30, 30), false, false},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.other.DateText().CStr());
    EXPECT_EQ(KxTime::IsBefore(base, c.other), c.baseBefore);
    EXPECT_EQ(KxTime::IsBefore(c.other, base), c.otherBefore);
  }
  KxTime later = base;
  later.millisecond = 999;
  later.dayOfWeek = 0;
  EXPECT_FALSE(KxTime::IsBefore(base, later));
}
