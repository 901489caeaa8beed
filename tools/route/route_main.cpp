// quelmire_route: records a route (tests/routes/*.route) into the input script of the headless
// game by playing it on the real game.
//
//   quelmire_route [--data DIR] ROUTE SCRIPT
//
// DIR is the game folder (default: the folder of this program); the game plays in a copy of
// it, so no save file of the recording is left behind. Exit 1 names the route line that could
// not be done and where the heroine was.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/error.h"
#include "platform/forwarding_platform.h"
#include "platform/platform.h"
#include "route_recorder.h"
#include "shell/form1.h"

namespace {

namespace fs = std::filesystem;

// The headless platform with the keyboard taken over by the recorder.
class RecordingPlatform : public platform::ForwardingPlatform {
 public:
  RecordingPlatform(std::unique_ptr<platform::Platform> inner, route::Recorder& rec)
      : ForwardingPlatform(std::move(inner)), rec_(rec) {}

  long GetKeyboardState(uint8_t keys[256]) override {
    rec_.OnKeyboardRead(keys);
    if (rec_.Finished()) throw platform::ExitRequest{0};
    return 1;
  }

 private:
  route::Recorder& rec_;
};

fs::path ExecutableFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path(".") : exe.parent_path();
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) throw route::RouteError{p.string() + ": cannot be read"};
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct GameCopy {
  explicit GameCopy(const fs::path& from) {
    std::string tmpl = (fs::temp_directory_path() / "quelmire-route-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw route::RouteError{"cannot make a temporary folder"};
    dir = tmpl;
    for (const char* sub : {"bitmap", "wave", "midi", "map"}) {
      if (!fs::is_directory(from / sub)) {
        throw route::RouteError{(from / sub).string() + ": no such game folder"};
      }
      fs::copy(from / sub, dir / sub, fs::copy_options::recursive);
    }
  }
  ~GameCopy() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  fs::path dir;
};

}  // namespace

int main(int argc, char** argv) {
  fs::path data = ExecutableFolder();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--data" && i + 1 < argc) {
      data = argv[++i];
    } else {
      args.push_back(a);
    }
  }
  if (args.size() != 2) {
    std::cerr << "usage: quelmire_route [--data DIR] ROUTE SCRIPT\n";
    return 2;
  }
  const fs::path routePath = args[0], scriptPath = args[1];
  try {
    const std::string source = ReadAll(routePath);
    route::Recorder rec(route::ParseRoute(source, routePath.string()), routePath.string());
    GameCopy game(data);
    // A route that loads a game finds its save in slot 1 of the copy (saves live beside a
    // game folder that can be written).
    for (const route::Directive& d : rec.Route()) {
      if (d.op != route::Op::LoadGame) continue;
      const fs::path save = routePath.parent_path() / d.file;
      if (!fs::is_regular_file(save)) {
        throw route::RouteError{routePath.string() + ":" + std::to_string(d.line) + ": " +
                                save.string() + ": no such save"};
      }
      fs::copy_file(save, game.dir / "savedata1.sav");
    }
    platform::Options options;
    options.dataDir = game.dir.string();
    RecordingPlatform plat(platform::CreateHeadlessPlatform(options), rec);
    quelmire::Form1 form(plat, options.dataDir);
    rec.Attach(form, plat.Inner());
    form.OnTimerFired = [&rec](int timer, int64_t, int64_t) { rec.TimerFired(timer); };
    // The script so far is written also when the route fails: replaying it shows where.
    auto write = [&](const std::string& end) {
      std::ofstream out(scriptPath, std::ios::binary | std::ios::trunc);
      out << "# The input script of the headless game for " << routePath.filename().string()
          << ", recorded by quelmire_route:\n# edit the route and record it again.\n"
          << "# route " << route::SourceHash(source) << "\n";
      for (const std::string& line : rec.Lines()) out << line << "\n";
      out << plat.NowUs() / 1000 + 1 << end << "\n";
      out.close();
      if (!out) throw route::RouteError{scriptPath.string() + ": cannot be written"};
    };
    try {
      form.Run();
    } catch (const platform::ExitRequest&) {
    } catch (const route::RouteError& e) {
      write(" quit  # failed here: " + e.message);
      throw;
    }
    if (!rec.Finished()) {
      const std::string why =
          "the game ended at " + std::to_string(plat.NowUs() / 1000) + " ms, before the route";
      write(" quit  # " + why);
      throw route::RouteError{why};
    }
    write(" quit");
    std::cout << scriptPath.string() << ": " << plat.NowUs() / 1000 << " ms of play\n";
    return 0;
  } catch (const route::RouteError& e) {
    std::cerr << "quelmire_route: " << e.message << "\n";
  } catch (const platform::FatalError& e) {
    std::cerr << "quelmire_route: the game stopped: " << e.what() << "\n";
  } catch (const platform::UsageError& e) {
    std::cerr << "quelmire_route: " << e.what() << "\n";
  }
  return 1;
}
