// The bitmap loader as start-up uses it: a FatalError naming the file is the clean refusal.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/error.h"
#include "platform/surface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = (std::filesystem::temp_directory_path() /
                                   ("quelmire-fuzz-" + std::to_string(getpid()) + ".bmp"))
                                      .string();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  try {
    auto s = platform::LoadBmp8(path, "fuzz.bmp");
    // Every pixel of an accepted bitmap can be read.
    unsigned sum = 0;
    for (int y = 0; y < s->Height(); ++y) sum += s->At(s->Width() - 1, y);
    if (sum == 0xFFFFFFFFu) std::puts("");
  } catch (const platform::FatalError& e) {
    if (std::string_view(e.what()).substr(0, path.size()) != path) {
      std::fprintf(stderr, "report without the file name: %s\n", e.what());
      std::abort();
    }
  }
  return 0;
}
