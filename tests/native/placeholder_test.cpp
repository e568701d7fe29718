#include <gtest/gtest.h>
TEST(Build, NativeSuiteRuns) { SUCCEED(); }
