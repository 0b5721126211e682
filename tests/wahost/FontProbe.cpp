#include "tests/wahost/FontProbe.h"

#include <windows.h>

#include <cstring>
#include <utility>

namespace {

int CALLBACK NoteFace(const LOGFONTA* Font, const TEXTMETRICA*, DWORD, LPARAM Context)
{
    auto* search = reinterpret_cast<std::pair<const std::string*, bool>*>(Context);
    if (*search->first == Font->lfFaceName) {
        search->second = true;
    }
    return 1;
}

}  // namespace

bool FontFaceListed(const std::string& Face)
{
    LOGFONTA wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(wanted.lfFaceName, Face.c_str(), LF_FACESIZE - 1);
    std::pair<const std::string*, bool> search{&Face, false};
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExA(screen, &wanted, &NoteFace, reinterpret_cast<LPARAM>(&search), 0);
    ReleaseDC(nullptr, screen);
    return search.second;
}

std::string FaceGivenFor(const std::string& Face, int Height)
{
    HFONT font = CreateFontA(Height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, Face.c_str());
    HDC screen = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(screen, font);
    char given[LF_FACESIZE] = {};
    GetTextFaceA(screen, sizeof given, given);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    DeleteObject(font);
    return given;
}
