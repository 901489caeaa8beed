// Helpers for tests that drive the real game: temporary game folders, the headless runner
// as a process or in this process, and a small JSON reader for state dumps.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "shell/form1.h"

namespace testing_support {

namespace fs = std::filesystem;

// The built game folder: the executable with bitmap/, wave/, midi/ and map/ beside it.
fs::path BuiltGameDir();
fs::path SourceDir();

// A fresh empty folder under the system's temporary folder, removed at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// Copies the built data folders into dir (a game folder of its own).
void CopyGameData(const fs::path& dir);
void WriteFile(const fs::path& path, const std::string& text);
std::string ReadFile(const fs::path& path);

struct RunResult {
  int status = -1;
  std::string err;
};
// Runs the quelmire executable with the arguments (each quoted), capturing standard error.
RunResult RunQuelmire(const std::vector<std::string>& args);

// The game in this process on the headless platform, with an input script.
struct HeadlessGame {
  HeadlessGame(const fs::path& dataDir, const std::string& script);
  std::unique_ptr<platform::Platform> plat;
  std::unique_ptr<quelmire::Form1> form;
  TempDir scriptDir;
};

// A minimal JSON value for reading state dumps.
struct Json {
  enum Type { Null, Bool, Number, String, Array, Object } type = Null;
  bool b = false;
  double num = 0;
  std::string str;
  std::vector<Json> arr;
  std::map<std::string, Json> obj;

  const Json& operator[](const std::string& key) const;
  const Json& operator[](size_t i) const;
  bool Has(const std::string& key) const { return obj.count(key) != 0; }
  long long Int() const { return static_cast<long long>(num); }
};
Json ParseJson(const std::string& text);

}  // namespace testing_support
