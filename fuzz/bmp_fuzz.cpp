// The bitmap loader as start-up uses it, from the bytes it reads: a FatalError naming the file
// is the clean refusal; an accepted bitmap has every pixel in its surface.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/error.h"
#include "platform/surface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = "bitmap/fuzz.bmp";
  try {
    const auto s = platform::DecodeBmp8({data, data + size}, path, "fuzz.bmp");
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
