// Quelmire's entry point: the command line, the platform, and the one window.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/close_signal.h"
#include "platform/platform.h"
#include "shell/form1.h"
#include "shell/settings.h"

namespace {

const char kUsage[] =
    "usage: quelmire [--windowed | --fullscreen] [--no-sound] [--data DIR] [--settings FILE]\n"
    "                [--lang ja|en]\n"
    "       quelmire --headless [--data DIR] [--input FILE] [--max-ms N] [--settings FILE]\n"
    "                [--lang ja|en]\n"
    "\n"
    "  --windowed     play in a window instead of full screen (Alt+Enter or F11 toggles)\n"
    "  --fullscreen   play full screen, whatever the settings say\n"
    "  --no-sound     play without a sound device: effects and music are silent\n"
    "  --lang ja|en   the language of the texts, over the settings (en reads lang/en.mo)\n"
    "  --data DIR     the game folder holding bitmap/, wave/, midi/, map/ and the saves\n"
    "                 (default: the folder of the executable, or PREFIX/share/quelmire\n"
    "                 for a game installed as PREFIX/bin/quelmire)\n"
    "  --headless     run without window, sound or real time (tests, replays)\n"
    "  --input FILE   headless: the input script\n"
    "  --max-ms N     headless: end the run at N ms of virtual time (default 3600000)\n"
    "  --settings FILE  the settings file (default: settings.ini in the game folder when it\n"
    "                 can be written, else in $XDG_CONFIG_HOME/quelmire; headless runs read\n"
    "                 and write one only when it is given)\n"
    "  --help         show this text\n";

// The game folder when none is given: the executable's own folder (a build or a portable
// copy), or for an installed game (PREFIX/bin/quelmire) its data in PREFIX/share/quelmire.
std::string DefaultGameFolder() {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return ".";
  const fs::path installed = exe.parent_path().parent_path() / "share" / "quelmire";
  if (!fs::is_directory(exe.parent_path() / "bitmap", ec) &&
      fs::is_directory(installed / "bitmap", ec)) {
    return installed.string();
  }
  return exe.parent_path().string();
}

int UsageFailure(const std::string& message) {
  std::cerr << "quelmire: " << message << "\n\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // SIGTERM and SIGINT quit the game cleanly from its first moment: the handler comes before
  // anything that may take time (the platform, the data), which keeps a signal that came.
  platform::InstallCloseSignals();
  // A save that meets a file-size limit fails with a report like a full disk, rather than
  // ending the game.
  std::signal(SIGXFSZ, SIG_IGN);
  platform::Options options;
  options.keepCloseSignal = true;
  bool headless = false;
  bool haveInput = false, haveMax = false;
  bool haveWindowed = false, haveFullscreen = false;
  std::string settingsFile, language;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--headless") {
      headless = true;
    } else if (arg == "--windowed") {
      haveWindowed = true;
    } else if (arg == "--fullscreen") {
      haveFullscreen = true;
    } else if (arg == "--settings") {
      if (!value(settingsFile)) return UsageFailure("--settings needs a file");
    } else if (arg == "--lang") {
      if (!value(language) || (language != "ja" && language != "en")) {
        return UsageFailure("--lang needs ja or en");
      }
    } else if (arg == "--no-sound") {
      options.sound = false;
    } else if (arg == "--data") {
      if (!value(options.dataDir)) return UsageFailure("--data needs a folder");
    } else if (arg == "--input") {
      if (!value(options.inputScript)) return UsageFailure("--input needs a file");
      haveInput = true;
    } else if (arg == "--max-ms") {
      std::string n;
      if (!value(n)) return UsageFailure("--max-ms needs a number");
      char* end = nullptr;
      long long ms = std::strtoll(n.c_str(), &end, 10);
      if (n.empty() || *end != '\0' || ms < 0) {
        return UsageFailure("--max-ms needs a whole number of milliseconds, not \"" + n + "\"");
      }
      options.maxMs = ms;
      haveMax = true;
    } else {
      return UsageFailure("unknown option \"" + arg + "\"");
    }
  }
  if (!headless && (haveInput || haveMax)) {
    return UsageFailure("--input and --max-ms go with --headless");
  }
  if (headless && (haveWindowed || haveFullscreen)) {
    return UsageFailure(std::string(haveWindowed ? "--windowed" : "--fullscreen") +
                        " does not go with --headless");
  }
  if (haveWindowed && haveFullscreen) return UsageFailure("--windowed or --fullscreen, not both");
  if (options.dataDir.empty()) options.dataDir = DefaultGameFolder();

  // The settings file, then the command line over it. A headless run keeps to the defaults
  // unless given a file, so the same script plays the same on every machine.
  if (settingsFile.empty() && !headless) settingsFile = quelmire::SettingsPathFor(options.dataDir);
  std::vector<std::string> reports;
  const quelmire::Settings onDisk = quelmire::LoadSettings(settingsFile, reports);
  for (const std::string& r : reports) std::cerr << "quelmire: " << r << "\n";
  quelmire::Settings settings = onDisk;
  if (haveWindowed || haveFullscreen) settings.fullscreen = haveFullscreen;
  if (!language.empty()) settings.language = language;
  options.windowed = !settings.fullscreen;
  options.windowScale = settings.windowScale;

  std::unique_ptr<platform::Platform> plat;
  try {
    plat = headless ? platform::CreateHeadlessPlatform(options)
                    : platform::CreateWindowedPlatform(options);
    auto form = std::make_unique<quelmire::Form1>(*plat, options.dataDir);
    form->GameSettings = settings;
    form->SettingsOnDisk = onDisk;
    form->SettingsPath = settingsFile;
    if (std::string error; !form->UseLanguage(settings.language, error)) {
      std::cerr << "quelmire: " << error << "; playing in Japanese\n";
    }
    plat->stateDumper = [f = form.get()] { return f->StateJson(); };
    try {
      form->Run();
    } catch (...) {
      plat->stateDumper = nullptr;
      throw;
    }
  } catch (const platform::ExitRequest& exit) {
    return exit.status;
  } catch (const platform::UsageError& e) {
    // A wait of start-up cut short by the signal (a script read from a pipe) quits as asked.
    if (platform::CloseSignalled()) return 0;
    return UsageFailure(e.what());
  } catch (const platform::FatalError& e) {
    if (!platform::CloseSignalled()) std::cerr << "quelmire: error: " << e.what() << "\n";
    if (plat) {
      plat->ShowCursor(true);
      plat->CloseDisplay();
    }
    return platform::CloseSignalled() ? 0 : 1;
  } catch (const std::exception& e) {
    std::cerr << "quelmire: error: " << e.what() << "\n";
    if (plat) plat->ShowCursor(true);
    return 1;
  }
  return 0;
}
