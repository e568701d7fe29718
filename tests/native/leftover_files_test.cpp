#include <gtest/gtest.h>

#include "app/leftover_files.h"

namespace {

TEST(LeftoverFiles, OnlyTheProgramsOwnTemporariesCount) {
  for (const char* name : {"items.dat.tmp", "prefs.dat.tmp", "PREFS.DAT.TMP", "07122026-101500-001.bmp.tmp",
                           "07122026-101500-001.txt.tmp", "07122026-101500-001.clt.Tmp",
                           "07122026-101500-001.utf.tmp", "07122026-101500-001.png.tmp"}) {
    EXPECT_TRUE(IsLeftoverTemporary(name)) << name;
  }
  for (const char* name : {"items.dat", "07122026-101500-001.bmp", "notes.tmp", ".bmp.tmp", "items.dat.tmp.bak",
                           "old items.dat.tmp", "picture.gif.tmp", "tmp", ""}) {
    EXPECT_FALSE(IsLeftoverTemporary(name)) << name;
  }
}

}  // namespace
