// The sound effect loader's header reader, from the bytes it reads: a FatalError naming the
// file is the clean refusal; what it accepts has a length the player can use.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/error.h"
#include "platform/media_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = "wave/fuzz.wav";
  try {
    const platform::WavInfo info = platform::ParseWavInfo({data, data + size}, path);
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
