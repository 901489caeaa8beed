// data/ is exactly what the project's own tools build from assets/.
#include <gtest/gtest.h>

#include <cstdlib>

#include "test_support.h"

namespace {

using namespace testing_support;

TEST(DataSources, DataMatchesWhatTheSourcesBuild) {
  if (std::system("command -v python3 >/dev/null && command -v abc2midi >/dev/null") != 0) {
    GTEST_SKIP() << "python3 or abc2midi missing";
  }
  TempDir out;
  const std::string cmd = "python3 '" + (SourceDir() / "tools" / "build_data.py").string() +
                          "' --check >/dev/null 2>'" + (out / "err.txt").string() + "'";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << ReadFile(out / "err.txt");
}

}  // namespace
