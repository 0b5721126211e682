#pragma once
// Packs one FNT font resource into a Windows font library (.fon): an MS-DOS
// stub followed by a 16-bit "new executable" module that holds no code, only
// the font directory resource and the font.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// ModuleName: the module's resident name (at most 8 characters, by custom
// upper case). Throws TFontError when Fnt is not a well-formed FNT resource.
std::vector<uint8_t> BuildFontLibrary(std::span<const uint8_t> Fnt, const std::string& ModuleName);
