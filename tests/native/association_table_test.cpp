#include <gtest/gtest.h>

#include "settings/association_table.h"

namespace {

TEST(AssociationVersions, EveryRowOfTheTable) {
  struct Row {
    bool read;
    uint32_t platform, major, minor;
    int32_t versionClass;
  };
  const Row rows[] = {
      {true, 1, 4, 0, 10},   {true, 1, 4, 10, 30},  {true, 1, 4, 90, 40},  {true, 1, 4, 3, 100},
      {true, 2, 3, 51, 5},   {true, 2, 3, 10, 5},   {true, 2, 4, 0, 20},   {true, 2, 5, 0, 50},
      {true, 2, 5, 1, 60},   {true, 2, 5, 2, 100},  {true, 2, 6, 1, 100},  {true, 2, 10, 0, 100},
      {true, 0, 3, 10, 100}, {true, 3, 5, 1, 100},  {false, 2, 5, 1, 100}, {false, 1, 4, 0, 100},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(WindowsVersionClass(row.read, row.platform, row.major, row.minor), row.versionClass)
        << row.platform << " " << row.major << "." << row.minor;
  }
  for (int32_t perUser : {20, 50, 60, 100}) EXPECT_TRUE(UsesPerUserAssociation(perUser));
  for (int32_t machine : {5, 10, 30, 40}) EXPECT_FALSE(UsesPerUserAssociation(machine));
}

TEST(AssociationValues, PerUserEntriesForCurrentWindows) {
  const auto values = AssociationValues(100, "C:\\Program Files\\Kep Sil\\kepsil.exe");
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].root, RegistryRoot::ClassesRoot);
  EXPECT_EQ(values[0].key, "Applications\\kepsil.exe\\shell\\open\\command");
  EXPECT_EQ(values[0].valueName, "");
  // Both paths quoted, so blanks split neither.
  EXPECT_EQ(values[0].data, "\"C:\\Program Files\\Kep Sil\\kepsil.exe\" \"%1\"");
  EXPECT_EQ(values[1].root, RegistryRoot::CurrentUser);
  EXPECT_EQ(values[1].key, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.ksb");
  EXPECT_EQ(values[1].valueName, "Application");
  EXPECT_EQ(values[1].data, "kepsil.exe");
  for (const auto& value : values) EXPECT_NE(value.root, RegistryRoot::LocalMachine);
}

TEST(AssociationValues, MachineWideEntriesForOldWindows) {
  const auto values = AssociationValues(30, "C:\\KS\\kepsil.exe");
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].root, RegistryRoot::LocalMachine);
  EXPECT_EQ(values[0].key, "Software\\Classes\\kepsil.exe\\shell\\open\\command");
  EXPECT_EQ(values[0].data, "\"C:\\KS\\kepsil.exe\" \"%1\"");
  EXPECT_EQ(values[1].root, RegistryRoot::LocalMachine);
  EXPECT_EQ(values[1].key, "Software\\CLASSES\\.ksb");
  EXPECT_EQ(values[1].valueName, "");
  EXPECT_EQ(values[1].data, "kepsil.exe");
}

}  // namespace
