// Translated texts from a compiled gettext catalogue (.mo, as msgfmt writes it).
#pragma once

#include <string>
#include <unordered_map>

namespace platform {

// The msgid -> msgstr pairs of the .mo file at path (UTF-8; the header entry and untranslated
// entries left out). A missing, unreadable or malformed file gives false, nothing in out and
// a one-line reason naming the file in error; nothing is read past the file's end.
bool ReadCatalogue(const std::string& path, std::unordered_map<std::string, std::string>& out,
                   std::string& error);

}  // namespace platform
