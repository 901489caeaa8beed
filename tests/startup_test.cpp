// Start-up through the real executable and the bundled data: the state it leaves, the reports
// when a data file is missing, malformed or too small, and the start-up palette and its fades.
// Installing: the game installed into a prefix finds its data with no arguments, and with that
// data read-only it saves into the player's own data folder and loads from there. Then, on the
// started game: songs a repeat must leave alone, sound effect numbers, the joystick and the
// wait for a key.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <tuple>

#include "platform/surface.h"
#include "platform_fixtures.h"
#include "test_support.h"

namespace {

using namespace testing_support;
using platform_fixtures::Holds;
using quelmire::False;
using quelmire::Integer;
using quelmire::True;

// The game started in this process on the bundled data.
struct Game {
  explicit Game(const std::string& script = "") : g(BuiltGameDir(), script) { g.form->Form_Load(); }
  quelmire::Form1& f() { return *g.form; }
  int64_t ms() { return g.plat->NowUs() / 1000; }
  std::string Mode() { return g.plat->Music().Mode(); }
  HeadlessGame g;
};

TEST(StartUp, LeavesSoundsTimersAndTheTitleSongAsTheGameExpects) {
  TempDir tmp;
  WriteFile(tmp / "in.txt", "2000 state " + (tmp / "s.json").string() + "\n");
  RunResult r =
      RunQuelmire({"--headless", "--input", (tmp / "in.txt").string(), "--max-ms", "2100"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Json s = ParseJson(ReadFile(tmp / "s.json"));
  for (int i = 0; i <= 19; ++i) EXPECT_EQ(s["Sound"][i].b, i <= 9) << i;
  EXPECT_EQ(
      std::tuple(s["Timer2"].b, s["Timer1"].b, s["cursor_visible"].b, s["clock_ms"].Int(),
                 s["JoyButtonMask"][9].Int(), s["JoyButtonMask"][0].Int(), s["JoyPresent"].Int()),
      std::tuple(true, false, false, 2000, 256, 0, 0));

  // The title song was opened, and started once the first title tick had faded to black.
  std::vector<std::string> music;
  for (const Json& op : s["music"].arr)
    music.push_back(op["op"].str + " " +
                    (op.obj.count("arg") ? op["arg"].str : std::to_string(op["ms"].Int())));
  EXPECT_EQ(music, (std::vector<std::string>{"close 826", "open midi/vorn01.mid", "play 826"}));
  EXPECT_EQ(std::tuple(s["SongNo"].Int(), s["MusicOn"].Int()), std::tuple(1, -1));
}

TEST(StartUp, ABadDataFileStopsWithStatusOneNamingItAndBadArgumentsWithTwo) {
  // Removed (the tiles', the palette's and the last bitmap), overwritten with a valid 2 x 2
  // picture of 24 bits per pixel, or smaller than the rectangles the game copies from it.
  const std::string tiny = platform_fixtures::Bmp({.width = 2, .height = 2, .bits = 24});
  const std::tuple<const char*, std::string, const char*> cases[] = {
      {"bitmap/bgv.bmp", "", ""},
      {"bitmap/chr0.bmp", "", ""},
      {"bitmap/ending2.bmp", "", ""},
      {"bitmap/title.bmp", tiny, ""},
      {"wave/door.wav", "", ""},
      {"wave/switch.wav", tiny, ""},
      {"bitmap/chr1.bmp", platform_fixtures::Bmp({.width = 320, .height = 400}), "too small"}};
  for (const auto& [file, bytes, says] : cases) {
    TempDir dir;
    CopyGameData(dir.path());
    fs::remove(dir / file);
    if (!bytes.empty()) WriteFile(dir / file, bytes);
    RunResult r = RunQuelmire({"--headless", "--data", dir.path().string(), "--max-ms", "500"});
    EXPECT_EQ(r.status, 1) << file;
    EXPECT_TRUE(Holds(r.err, {fs::path(file).filename().string(), says}));
  }
  // Bad arguments and scripts give status 2.
  TempDir tmp;
  WriteFile(tmp / "bad.txt", "100 press Space\n50 press Z\n");
  const std::vector<std::string> bad[] = {{"--bogus"},
                                          {"--headless", "--max-ms", "soon"},
                                          {"--input", "x.txt"},
                                          {"--headless", "--input", (tmp / "bad.txt").string()}};
  for (const auto& args : bad) {
    const RunResult run = RunQuelmire(args);
    EXPECT_EQ(run.status, 2) << args[0];
    // A bad script names its line.
    EXPECT_TRUE(!args.back().ends_with("bad.txt") || Holds(run.err, {"bad.txt:2:"}));
  }
  EXPECT_EQ(RunQuelmire({"--help"}).status, 0);
  // SIGTERM while start-up waits (here to read its script from a pipe no one writes) quits
  // cleanly, as it does later.
  ASSERT_EQ(mkfifo((tmp / "pipe").c_str(), 0600), 0);
  const std::string run = "'" + (BuiltGameDir() / "quelmire").string() + "' --headless --input '" +
                          (tmp / "pipe").string() + "' & sleep 0.5; kill -TERM $!; wait $!";
  const int raw = std::system(run.c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 0);
}

TEST(Fades, TheStartUpPaletteAndEachFadeToItsLevelKeepingEntry255RoundingHalfToEven) {
  Game game;
  quelmire::Form1& f = game.f();
  const platform::Palette& shown = game.g.plat->DisplayPalette();
  // Entries 0..254 are chr0.bmp's colours; 255 is never read back, so it stays zero, while
  // the display keeps it as loaded.
  auto chr0 = platform::LoadBmp8((BuiltGameDir() / "bitmap/chr0.bmp").string(), "chr0.bmp");
  for (int i = 0; i < 256; ++i)
    ASSERT_TRUE(f.BasePalette(i) == (i < 255 ? chr0->filePalette[i] : platform::PaletteEntry{}) &&
                f.WorkPalette(i) == f.BasePalette(i))
        << i;
  const platform::PaletteEntry kept = shown[255];
  EXPECT_EQ(kept, chr0->filePalette[255]);
  // A fade, its length in ms, and the grey level entries 0..254 then show (-1: the base palette).
  const std::tuple<std::function<void()>, int, int> fades[] = {
      {[&] { f.FadePalette(16, 0, -1); }, 17 * 48, 0},
      {[&] { f.FadePalette(0, 16, 1); }, 17 * 48, -1},
      {[&] { f.FadeToWhite(); }, 17 * 96, 255},
      {[&] { f.FadeFromWhite(); }, 17 * 96, -1},
      {[&] { f.FadePalette(16, 0, -1); }, 17 * 48, 0},
      {[&] { f.FadePalette(15, 16, 1); }, 2 * 48, -1},  // two steps: 15/16, then full
      // From already past to, and a zero step that would never end: nothing.
      {[&] { f.FadePalette(16, 0, 1); }, 0, -1},
      {[&] { f.FadePalette(0, 16, -1); }, 0, -1},
      {[&] { f.FadePalette(0, 16, 0); }, 0, -1},
  };
  for (const auto& [fade, length, level] : fades) {
    const int64_t t0 = game.ms();
    fade();
    EXPECT_EQ(game.ms() - t0, length);
    for (int i = 0; i < 255; ++i) {
      const auto &s = shown[i], &b = f.BasePalette(i);
      ASSERT_TRUE(level < 0 ? s.r == b.r && s.g == b.g && s.b == b.b
                            : s.r == level && s.g == level && s.b == level)
          << "entry " << i << " after a fade of " << length << " ms";
    }
    EXPECT_EQ(shown[255], kept);  // entry 255 never fades
  }

  f.BasePalette(10) = {200, 100, 1, 0};
  // Kind, level, then red, green and blue: black half way (0.5 rounds to even), white half way
  // (227.5 rounds to 228), red at its deepest and at full.
  const int cases[][5] = {
      {0, 8, 100, 50, 0}, {1, 8, 228, 178, 128}, {2, 0, 255, 0, 0}, {2, 16, 200, 100, 1}};
  for (const auto& [kind, level, r, g, b] : cases) {
    f.WriteFadeLevel(kind, level);
    const auto& w = f.WorkPalette(10);
    EXPECT_EQ(std::tuple(w.r, w.g, w.b, shown[10].r), std::tuple(r, g, b, w.r))
        << kind << "," << level;
  }
}

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
  const std::string install = Quoted(QUELMIRE_CMAKE_COMMAND) + " --install " +
                              Quoted(QUELMIRE_BINARY_DIR) + " --prefix " + Quoted(prefix) + " >" +
                              Quoted(tmp / "install.log") + " 2>&1";
  ASSERT_EQ(std::system(install.c_str()), 0) << ReadFile(tmp / "install.log");
  for (const char* file :
       {"share/applications/quelmire.desktop", "share/icons/hicolor/32x32/apps/quelmire.png",
        "share/icons/hicolor/256x256/apps/quelmire.png"})
    EXPECT_TRUE(fs::exists(prefix / file)) << file;  // the game and its data play below

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
  for (const auto& entry : fs::directory_iterator(data))
    EXPECT_NE(entry.path().extension(), ".sav") << entry.path();
  Json s = ParseJson(ReadFile(tmp / "s.json"));
  EXPECT_TRUE(s["Timer1"].b);
  EXPECT_EQ(std::tuple(s["LifeMax"].Int(), s["Obj"][0]["X"].Int(), s["RoomNo"].Int()),
            std::tuple(7, 33, 1));
}

TEST(Music, APlayingOrStoppedSongIsNotRestartedAndEffectNumbersOutsideTheSlotsAreIgnored) {
  TempDir tmp;
  Game game("3000 state " + (tmp / "s.json").string() + "\n");
  auto& f = game.f();
  const int64_t t0 = game.ms();
  for (int n : {5, 10, -1, 19}) f.PlaySound(n);
  f.BGM_OPEN(f.SongPath(1));
  f.BGM_Play();
  f.BGM_Repeat();  // still playing: nothing
  f.Sleep(static_cast<int>(3000 - game.ms()));
  const Json s = ParseJson(ReadFile(tmp / "s.json"));
  std::vector<std::string> ops;
  for (const Json& op : s["music"].arr)
    if (op["ms"].Int() >= t0) ops.push_back(op["op"].str);
  EXPECT_EQ(ops, (std::vector<std::string>{"close", "open", "play"}));
  EXPECT_EQ(std::tuple(f.MusicOn, s["sounds"].arr.size(), s["sounds"][0]["slot"].Int()),
            std::tuple(True, 1u, 5));
  // After a stop the polling never restarts it.
  f.BGM_Stop();
  f.BGM_Repeat();
  EXPECT_EQ(std::tuple(f.MusicOn, game.Mode()), std::tuple(False, "stopped"));
  // A missing song is silent and harmless: no "stopped" reply, so no repeat either.
  f.BGM_OPEN(f.SongPath(77));
  f.BGM_Play();
  EXPECT_NE(f.ApiResult, 0);
  f.BGM_Repeat();
  EXPECT_EQ(game.Mode(), "");
}

TEST(Input, KeysJoystickAndTheWaitForAKey) {
  // Left and Escape are no key for the wait.
  Game game(
      "0 down Left\n0 down Z\n0 down 7\n0 down JoyLeft\n300 up Z\n400 press Left\n"
      "450 press Escape\n600 press Space\n");
  auto& f = game.f();
  Integer dir = 99, n = 1, down = 99;
  f.ReadJoystickDirection(dir);
  f.JoystickButtonDown(n, down);
  EXPECT_EQ(std::tuple(dir, down), std::tuple(0, False));
  f.WaitForKey();
  EXPECT_TRUE(game.ms() >= 600 && game.ms() < 610) << game.ms();
  // A pad: its directions and buttons, and one plugged in late.
  Game pad("0 joystick on\n0 down JoyLeft\n0 down JoyUp\n0 down JoyButton9\n");
  auto& j = pad.f();
  Integer d = 0, n9 = 9, n1 = 1, n10 = 10, down9 = 0, d1 = 99;
  j.ReadJoystickDirection(d);
  j.JoystickButtonDown(n9, down9);
  j.JoystickButtonDown(n1, d1);
  EXPECT_EQ(std::tuple(j.JoyPresent, j.JoyId, d, down9, d1),
            std::tuple(True, 0, 1 + 4, True, False));
  EXPECT_THROW(j.JoystickButtonDown(n10, d1), platform::FatalError);
  Game late("100 joystick on\n150 down JoyButton1\n300 press Space\n");
  EXPECT_EQ(late.f().JoyPresent, False);
  late.f().WaitForKey();  // button 1 counts as a key once the pad is taken
  EXPECT_EQ(std::tuple(late.f().JoyPresent, late.ms() < 200), std::tuple(True, true));
}

}  // namespace
