// The sound effect loader's header reader: a FatalError naming the file is the clean refusal;
// what it accepts has a length the player can use.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/error.h"
#include "platform/media_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = (std::filesystem::temp_directory_path() /
                                   ("quelmire-fuzz-" + std::to_string(getpid()) + ".wav"))
                                      .string();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  try {
    const platform::WavInfo info = platform::ReadWavInfo(path);
    if (!std::isfinite(info.seconds) || info.seconds < 0) {
      std::fprintf(stderr, "accepted a sound of %f seconds\n", info.seconds);
      std::abort();
    }
  } catch (const platform::FatalError& e) {
    if (std::string_view(e.what()).substr(0, path.size()) != path) {
      std::fprintf(stderr, "report without the file name: %s\n", e.what());
      std::abort();
    }
  }
  return 0;
}
