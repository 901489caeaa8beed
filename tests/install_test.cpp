// Installing: the game installed into a prefix finds its data with no arguments, and with that
// data read-only it saves into the player's own data folder and loads from there.
#include <gtest/gtest.h>
#include <unistd.h>

#include "test_support.h"

namespace {

using namespace testing_support;

std::string Quoted(const fs::path& p) {
  return "'" + p.string() + "'";
}

// A new game's save with life 7 of 7.
std::string SaveOfLife7() {
  std::string s = " 33  38  5  7  7  1 \r\n";
  for (int i = 0; i < 40 + 512; ++i) s += " 0 \r\n";
  for (int i = 0; i < 512; ++i) s += "\"\"\r\n";
  return s;
}

TEST(Install, AReadOnlyInstallSavesInThePlayersFolderAndLoadsFromIt) {
  TempDir tmp;
  const fs::path prefix = tmp / "prefix", data = prefix / "share/quelmire";
  ASSERT_EQ(
      std::system((Quoted(QUELMIRE_CMAKE_COMMAND) + " --install " + Quoted(QUELMIRE_BINARY_DIR) +
                   " --prefix " + Quoted(prefix) + " >" + Quoted(tmp / "install.log") + " 2>&1")
                      .c_str()),
      0)
      << ReadFile(tmp / "install.log");
  for (const char* file :
       {"bin/quelmire", "share/quelmire/bitmap/chr0.bmp", "share/quelmire/map/maz005.map",
        "share/applications/quelmire.desktop", "share/icons/hicolor/32x32/apps/quelmire.png",
        "share/icons/hicolor/256x256/apps/quelmire.png"}) {
    EXPECT_TRUE(fs::exists(prefix / file)) << file;
  }

  // Room 1 of the installed data becomes one warp (with its save prompt) on the start cell.
  WriteFile(data / "map/room001.rdt", "ev,33,38,\"jp005,033,038,001\"\r\n@\r\n");
  const fs::path saves = tmp / "xdg/quelmire";
  fs::create_directories(saves);
  WriteFile(saves / "savedata3.sav", SaveOfLife7());
  // LOAD 3 on the title, Up on the warp, slot 1 in the save prompt, back to the title with
  // T, and LOAD 1, which the cursor now starts on.
  WriteFile(tmp / "in.txt",
            "2000 press Up\n2200 press Up\n2400 press Z\n3000 press Up\n5500 press Down\n"
            "5800 press Z\n8000 press T\n10500 press Z\n12000 state " +
                (tmp / "s.json").string() + "\n");
  const std::string env = "XDG_DATA_HOME=" + Quoted(tmp / "xdg") + " HOME=" + Quoted(tmp.path()) +
                          " SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ";
  const std::string game = Quoted(prefix / "bin/quelmire") + " --headless --input " +
                           Quoted(tmp / "in.txt") + " --max-ms 12100 2>" + Quoted(tmp / "err.txt");
  // The data folder read-only as under /usr: a read-only mount in a namespace of its own, or,
  // where there is none, permissions (which do not stop root).
  int status = std::system("unshare -Urm true 2>/dev/null");
  if (status == 0) {
    status = std::system(("unshare -Urm sh -c \"mount --bind " + Quoted(data) + " " + Quoted(data) +
                          " && mount -o remount,bind,ro " + Quoted(data) + " " + Quoted(data) +
                          " && " + env + game + "\"")
                             .c_str());
  } else if (geteuid() != 0) {
    std::system(("chmod -R a-w " + Quoted(data)).c_str());
    status = std::system((env + game).c_str());
    std::system(("chmod -R u+w " + Quoted(data)).c_str());
  } else {
    GTEST_SKIP() << "no read-only mount for root here";
  }
  ASSERT_EQ(status, 0) << ReadFile(tmp / "err.txt");

  EXPECT_TRUE(fs::exists(saves / "savedata1.sav"));
  for (const auto& entry : fs::directory_iterator(data)) {
    EXPECT_NE(entry.path().extension(), ".sav") << entry.path();
  }
  Json s = ParseJson(ReadFile(tmp / "s.json"));
  EXPECT_TRUE(s["Timer1"].b);
  EXPECT_EQ(s["LifeMax"].Int(), 7);
  EXPECT_EQ(s["Obj"][0]["X"].Int(), 33);
  EXPECT_EQ(s["RoomNo"].Int(), 1);
}

}  // namespace
