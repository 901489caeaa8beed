#include "game_harness.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/forwarding_platform.h"

namespace fuzz {

namespace {

namespace fs = std::filesystem;
namespace vk = platform::vk;

// Virtual time one input may play: long enough for a few messages, warps and fades.
constexpr int64_t kInputBudgetUs = 30'000'000;
constexpr int kJoyUnplugged = 167;
constexpr int kDrawEvery = 16;

// The headless platform with keys from a byte pattern and a time budget per input.
class PatternPlatform : public platform::ForwardingPlatform {
 public:
  explicit PatternPlatform(std::unique_ptr<platform::Platform> inner)
      : ForwardingPlatform(std::move(inner)) {}

  void Restart(std::string_view keys) {
    keys_.assign(keys.begin(), keys.end());
    startUs_ = in_->NowUs();
  }

  long GetKeyboardState(uint8_t keys[256]) override {
    static constexpr int kBits[8] = {vk::Left, vk::Right, vk::Up,    vk::Down,
                                     vk::Z,    vk::X,     vk::Space, vk::Enter};
    for (int i = 0; i < 256; ++i) keys[i] = 0;
    if (keys_.empty()) return 1;
    const int64_t tick = (in_->NowUs() - startUs_) / 48000;
    const uint8_t mask = keys_[static_cast<size_t>(tick) % keys_.size()];
    for (int b = 0; b < 8; ++b) keys[kBits[b]] = (mask >> b & 1) ? uint8_t{0x80} : uint8_t{0};
    return 1;
  }
  int JoyNumDevs() override { return 0; }
  int JoyGetPos(int, platform::JoyInfo&) override { return kJoyUnplugged; }
  bool TakeJoystickAdded() override { return false; }

  void Sleep(int ms) override {
    in_->Sleep(ms);
    Spent();
  }
  // The loops that wait for a key yield on every pass; the keys change only every 48 ms, so
  // a yield waits for the next change instead of passing a millisecond.
  void DoEvents() override {
    in_->WaitUntil(startUs_ + ((in_->NowUs() - startUs_) / 48000 + 1) * 48000);
    Spent();
  }
  void WaitUntil(int64_t us) override {
    in_->WaitUntil(us);
    Spent();
  }
  bool CloseRequested() override { return false; }

 private:
  void Spent() {
    if (in_->NowUs() - startUs_ > kInputBudgetUs) throw TimeSpent{};
  }

  std::vector<uint8_t> keys_;
  int64_t startUs_ = 0;
};

struct Harness {
  std::string dir;
  std::unique_ptr<PatternPlatform> plat;
  std::unique_ptr<quelmire::Form1> game;

  Harness() {
    const char* data = std::getenv("QUELMIRE_FUZZ_DATA");
    const fs::path source = data ? data : QUELMIRE_SOURCE_DIR "/data";
    dir = (fs::temp_directory_path() / ("quelmire-fuzz-" + std::to_string(getpid()))).string();
    fs::remove_all(dir);
    for (const char* sub : {"bitmap", "wave", "midi", "map"}) {
      fs::create_directories(fs::path(dir) / sub);
      fs::copy(source / sub, fs::path(dir) / sub,
               fs::copy_options::overwrite_existing | fs::copy_options::recursive);
    }
    platform::Options options;
    options.dataDir = dir;
    options.maxMs = int64_t{1} << 40;
    plat = std::make_unique<PatternPlatform>(platform::CreateHeadlessPlatform(options));
    game = std::make_unique<quelmire::Form1>(*plat, dir);
    game->Form_Load();
  }

  ~Harness() { RemoveDir(); }
  void RemoveDir() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }

  static Harness& Get() {
    static Harness h;
    return h;
  }
};

}  // namespace

const std::string& GameDir() {
  return Harness::Get().dir;
}

void WriteGameFile(const std::string& relative, std::string_view bytes) {
  std::ofstream out(fs::path(GameDir()) / relative, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "fuzz: cannot write %s\n", relative.c_str());
    std::abort();
  }
}

quelmire::Form1& FreshGame(std::string_view keys) {
  Harness& h = Harness::Get();
  auto next = std::make_unique<quelmire::Form1>(*h.plat, h.dir);
  quelmire::Form1& old = *h.game;
  next->PrimarySurface = old.PrimarySurface;
  next->BackBuffer = old.BackBuffer;
  next->MapSurface = std::move(old.MapSurface);
  next->TileSurface = std::move(old.TileSurface);
  next->TitleSurface = std::move(old.TitleSurface);
  for (int i = 0; i <= 1; ++i) {
    next->CharSurface(i) = std::move(old.CharSurface(i));
    next->EndingSurface(i) = std::move(old.EndingSurface(i));
  }
  next->TileAttr = old.TileAttr;
  next->ItemName = old.ItemName;
  next->BasePalette = next->WorkPalette = old.BasePalette;
  next->ColorKey = old.ColorKey;
  next->Sound = old.Sound;
  h.game = std::move(next);
  platform::PaletteEntry base[255];
  for (int i = 0; i < 255; ++i) base[i] = h.game->BasePalette(i);
  h.plat->SetEntries(0, 255, base);
  h.plat->Restart(keys);
  return *h.game;
}

void StartPlay(quelmire::Form1& f, int maze, int room, int x, int y) {
  f.Timer2.Enabled = false;
  quelmire::ObjRecord& p = f.Obj(0);
  p = quelmire::ObjRecord{};
  p.X = static_cast<quelmire::Integer>(x);
  p.Y = static_cast<quelmire::Integer>(y);
  p.Kind = static_cast<quelmire::Integer>(maze);
  f.RoomNo = static_cast<quelmire::Integer>(room);
  f.Life = f.LifeMax = 3;
  f.LoadMazeMap();
  f.LoadRoomData();
  f.RunPendingWarps();
  f.Timer1.Enabled = true;
}

void PlayTicks(quelmire::Form1& f, int n) {
  platform::Platform& plat = f.Platform();
  for (int k = 0; k < n && f.Timer1.Enabled; ++k) {
    const int64_t now = plat.NowUs();
    plat.WaitUntil((now / 48000 + 1) * 48000);
    // Composing a frame is most of a tick's cost; the first, every 16th and the last are
    // drawn (messages, fades and warps draw their own, as always).
    f.DrawFrames = k % kDrawEvery == 0 || k == n - 1;
    f.Timer1_Timer();
  }
  f.DrawFrames = true;
}

void Finding(const std::string& where, const std::string& what) {
  std::fprintf(stderr, "\nfuzz finding (%s): %s\n", where.c_str(), what.c_str());
  Harness::Get().RemoveDir();
  std::fflush(stderr);
  std::abort();
}

bool ReportNames(const platform::FatalError& e, const std::string& file) {
  return std::string_view(e.what()).substr(0, file.size()) == file;
}

}  // namespace fuzz
