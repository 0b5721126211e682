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
    std::ifstream In(Path, std::ios::binary);
    if (!In)
        throw TFontError("cannot open " + Path);
    std::vector<uint8_t> Data;
    char Chunk[65536];
    while (In.read(Chunk, sizeof Chunk) || In.gcount() > 0) {
        Data.insert(Data.end(), Chunk, Chunk + In.gcount());
        if (Data.size() > MaxFontFileSize)
            throw TFontError(Path + " is too large for a bitmap font");
    }
    return Data;
}

void WriteFile(const std::string& Path, const std::vector<uint8_t>& Data)
{
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out.write(reinterpret_cast<const char*>(Data.data()), std::streamsize(Data.size()));
    Out.close();
    if (!Out) {
        std::error_code Ignored;
        std::filesystem::remove(Path, Ignored);
        throw TFontError("cannot write " + Path);
    }
}

std::string Property(const TBitmapFont& Font, const std::string& Name)
{
    const auto Found = Font.Properties.find(Name);
    return Found == Font.Properties.end() ? std::string() : Found->second;
}

// The ANSI character set's printable codes below 0x80 and from 0xA0 are
// ISO 8859-1's: the source must be encoded so and hold all of them.
void CheckLatin1(const TBitmapFont& Font)
{
    if (Property(Font, "CHARSET_REGISTRY") != "ISO8859" || Property(Font, "CHARSET_ENCODING") != "1")
        throw TFontError("the glyph source is not encoded in ISO 8859-1");
    for (uint32_t Code = 0x20; Code <= 0xFF; ++Code) {
        if ((Code < 0x7F || Code >= 0xA0) && !Font.Glyphs.contains(Code))
            throw TFontError("the glyph source lacks code " + std::to_string(Code));
    }
}

std::string ModuleNameOf(const std::string& Path)
{
    std::string Name = std::filesystem::path(Path).stem().string().substr(0, 8);
    for (char& C : Name)
        C = char(std::toupper(static_cast<unsigned char>(C)));
    return Name;
}

int Usage()
{
    std::fprintf(stderr, "usage: morvel_fontgen [--pixel-height N] FONT.pcf FACE OUT.fon\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> Args(argv + 1, argv + argc);
    int PixelHeight = 0;
    if (Args.size() >= 2 && Args[0] == "--pixel-height") {
        PixelHeight = std::atoi(Args[1].c_str());
        if (PixelHeight <= 0)
            return Usage();
        Args.erase(Args.begin(), Args.begin() + 2);
    }
    if (Args.size() != 3)
        return Usage();
    const std::string& Source = Args[0];
    const std::string& Face = Args[1];
    const std::string& Output = Args[2];

    try {
        const TBitmapFont Font = ReadPcfFont(ReadFile(Source));
        CheckLatin1(Font);
        if (PixelHeight && Font.Ascent + Font.Descent != PixelHeight)
            throw TFontError("the glyph source's line is " + std::to_string(Font.Ascent + Font.Descent) +
                             " pixels high, not " + std::to_string(PixelHeight));
        TFntOptions Options;
        Options.Face = Face;
        Options.Copyright = Property(Font, "COPYRIGHT").substr(0, 60);
        const std::vector<uint8_t> Library = BuildFontLibrary(BuildFntResource(Font, Options), ModuleNameOf(Output));
        WriteFile(Output, Library);
        return 0;
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "morvel_fontgen: %s\n", Error.what());
        return 1;
    }
}
