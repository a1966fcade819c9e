// Drive tests for Explorer against the drives of the test prefix (C:, D: of the bench).

#include <gtest/gtest.h>

#include "sysact/Explorer.h"

namespace {

TEST(Explorer, DrivesOfThePrefixExistAndOthersDoNot) {
  EXPECT_TRUE(DriveExists('C'));
  EXPECT_TRUE(DriveExists('D'));
  EXPECT_FALSE(DriveExists('Q'));
  // A letter code outside A to Z opens nothing and does not crash.
  OpenExplorer('a');
  OpenExplorer(-5);
  OpenExplorer('Q');
}

}  // namespace
