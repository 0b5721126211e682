// morvel_fontgen [--pixel-height N] FONT.pcf FACE OUT.fon: writes a Windows font
// library holding FONT's printable Latin-1 characters (ANSI character set)
// under the face name FACE, kept exactly as given.

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/fontgen/NeFontLibrary.h"
#include "tools/fontgen/PcfReader.h"
#include "tools/fontgen/WinFntResource.h"

namespace {

constexpr std::uintmax_t MaxFontFileSize = 16u << 20;

std::vector<uint8_t> ReadFile(const std::string& Path)
{
    std::ifstream in(Path, std::ios::binary);
    if (!in) {
        throw TFontError("cannot open " + Path);
    }
    std::vector<uint8_t> data;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        data.insert(data.end(), chunk, chunk + in.gcount());
        if (data.size() > MaxFontFileSize) {
            throw TFontError(Path + " is too large for a bitmap font");
        }
    }
    return data;
}

void WriteFile(const std::string& Path, const std::vector<uint8_t>& Data)
{
    std::ofstream out(Path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(Data.data()), std::streamsize(Data.size()));
    out.close();
    if (!out) {
        std::error_code ignored;
        std::filesystem::remove(Path, ignored);
        throw TFontError("cannot write " + Path);
    }
}

std::string Property(const TBitmapFont& Font, const std::string& Name)
{
    const auto found = Font.Properties.find(Name);
    return found == Font.Properties.end() ? std::string() : found->second;
}

// The ANSI character set's printable codes below 0x80 and from 0xA0 are
// ISO 8859-1's: the source must be encoded so and hold all of them.
void CheckLatin1(const TBitmapFont& Font)
{
    if (Property(Font, "CHARSET_REGISTRY") != "ISO8859" || Property(Font, "CHARSET_ENCODING") != "1") {
        throw TFontError("the glyph source is not encoded in ISO 8859-1");
    }
    for (uint32_t code = 0x20; code <= 0xFF; ++code) {
        if ((code < 0x7F || code >= 0xA0) && !Font.Glyphs.contains(code)) {
            throw TFontError("the glyph source lacks code " + std::to_string(code));
        }
    }
}

std::string ModuleNameOf(const std::string& Path)
{
    std::string name = std::filesystem::path(Path).stem().string().substr(0, 8);
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

int Usage()
{
    std::fprintf(stderr, "usage: morvel_fontgen [--pixel-height N] FONT.pcf FACE OUT.fon\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    int pixelHeight = 0;
    if (args.size() >= 2 && args[0] == "--pixel-height") {
        pixelHeight = std::atoi(args[1].c_str());
        if (pixelHeight <= 0) {
            return Usage();
        }
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() != 3) {
        return Usage();
    }
    const std::string& source = args[0];
    const std::string& face = args[1];
    const std::string& output = args[2];

    try {
        const TBitmapFont font = ReadPcfFont(ReadFile(source));
        CheckLatin1(font);
        if (pixelHeight && font.Ascent + font.Descent != pixelHeight) {
            throw TFontError("the glyph source's line is " + std::to_string(font.Ascent + font.Descent) +
                             " pixels high, not " + std::to_string(pixelHeight));
        }
        TFntOptions options;
        options.Face = face;
        options.Copyright = Property(font, "COPYRIGHT").substr(0, 60);
        const std::vector<uint8_t> library = BuildFontLibrary(BuildFntResource(font, options), ModuleNameOf(output));
        WriteFile(output, library);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "morvel_fontgen: %s\n", error.what());
        return 1;
    }
}
