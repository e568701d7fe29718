// Which clipboard marks keep content out of the history.
#include "store/secret_formats.h"

#include <gtest/gtest.h>

namespace {

TEST(SecretMarks, EachMarkAloneKeepsContentOutAndNoMarkLetsItIn) {
  EXPECT_FALSE(IsMarkedNotToRecord(ClipboardMarks{}));

  ClipboardMarks exclude;
  exclude.excludeFromMonitor = true;
  EXPECT_TRUE(IsMarkedNotToRecord(exclude));

  ClipboardMarks ignore;
  ignore.viewerIgnore = true;
  EXPECT_TRUE(IsMarkedNotToRecord(ignore));

  ClipboardMarks refused;
  refused.historyPermissionPresent = true;
  refused.historyPermissionRead = true;
  refused.historyPermission = 0;
  EXPECT_TRUE(IsMarkedNotToRecord(refused));
}

TEST(SecretMarks, HistoryPermissionAllowsOnlyWhenReadAndNonZero) {
  ClipboardMarks allowed;
  allowed.historyPermissionPresent = true;
  allowed.historyPermissionRead = true;
  allowed.historyPermission = 1;
  EXPECT_FALSE(IsMarkedNotToRecord(allowed));
  allowed.historyPermission = 0x80000000u;
  EXPECT_FALSE(IsMarkedNotToRecord(allowed));

  // Present but unreadable: kept out.
  ClipboardMarks unreadable;
  unreadable.historyPermissionPresent = true;
  unreadable.historyPermission = 1;
  EXPECT_TRUE(IsMarkedNotToRecord(unreadable));

  // A value read while the format is absent means nothing.
  ClipboardMarks absent;
  absent.historyPermissionRead = true;
  absent.historyPermission = 0;
  EXPECT_FALSE(IsMarkedNotToRecord(absent));

  // Allowed by the permission but excluded by another mark.
  allowed.viewerIgnore = true;
  EXPECT_TRUE(IsMarkedNotToRecord(allowed));
}

TEST(SecretMarks, PermissionDwordIsLittleEndianAndNeedsFourBytes) {
  const unsigned char one[] = {1, 0, 0, 0, 0xFF};
  const unsigned char high[] = {0, 0, 0, 1};
  const unsigned char zero[] = {0, 0, 0, 0};
  uint32_t value = 7;
  EXPECT_TRUE(ReadHistoryPermission(one, sizeof one, value));
  EXPECT_EQ(value, 1u);
  EXPECT_TRUE(ReadHistoryPermission(high, sizeof high, value));
  EXPECT_EQ(value, 0x01000000u);
  EXPECT_TRUE(ReadHistoryPermission(zero, sizeof zero, value));
  EXPECT_EQ(value, 0u);

  value = 7;
  EXPECT_FALSE(ReadHistoryPermission(one, 3, value));
  EXPECT_FALSE(ReadHistoryPermission(nullptr, 4, value));
  EXPECT_EQ(value, 7u) << "a failed read leaves the value alone";
}

}  // namespace
