// A reader of compiled gettext catalogues: the header, two tables of (length, offset) pairs
// and the strings they point at, in the byte order the magic number shows.
#include "platform/catalogue.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace platform {

namespace {

constexpr uint32_t kMagic = 0x950412de;
constexpr std::streamsize kLargest = 16 << 20;  // far above any catalogue of the game

}  // namespace

bool ReadCatalogue(const std::string& path, std::unordered_map<std::string, std::string>& out,
                   std::string& error) {
  out.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be read";
    return false;
  }
  std::vector<unsigned char> bytes;
  in.seekg(0, std::ios::end);
  const std::streamsize size = in.tellg();
  if (size < 0 || size > kLargest) {
    error = path + ": not a catalogue (too large)";
    return false;
  }
  in.seekg(0);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());

  bool swapped = false;
  auto word = [&](uint64_t at, uint32_t& value) {
    if (at + 4 > bytes.size()) return false;
    const uint32_t le = bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                        static_cast<uint32_t>(bytes[at + 3]) << 24;
    value = swapped ? __builtin_bswap32(le) : le;
    return true;
  };
  uint32_t magic = 0, count = 0, originals = 0, translations = 0;
  if (!word(0, magic) || (magic != kMagic && __builtin_bswap32(magic) != kMagic)) {
    error = path + ": not a catalogue (no .mo magic number)";
    return false;
  }
  swapped = magic != kMagic;
  auto text = [&](uint64_t table, uint32_t i, std::string& s) {
    uint32_t length = 0, offset = 0;
    if (!word(table + 8ull * i, length) || !word(table + 8ull * i + 4, offset)) return false;
    if (uint64_t{offset} + length > bytes.size()) return false;
    s.assign(reinterpret_cast<const char*>(bytes.data()) + offset, length);
    return true;
  };
  if (!word(8, count) || !word(12, originals) || !word(16, translations)) {
    error = path + ": cut short in its header";
    return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    std::string id, str;
    if (!text(originals, i, id) || !text(translations, i, str)) {
      out.clear();
      error = path + ": entry " + std::to_string(i + 1) + " lies past the end of the file";
      return false;
    }
    if (!id.empty() && !str.empty()) out.emplace(std::move(id), std::move(str));
  }
  return true;
}

}  // namespace platform
