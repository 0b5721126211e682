#include "host/HostText.h"

#include <cstdio>

std::string Latin1ToUtf8(const std::string& Text)
{
    std::string out;
    out.reserve(Text.size());
    for (const char c : Text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

std::string TerminalText(const std::string& Latin1)
{
    std::string text = Latin1;
    for (char& c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) {
            c = '?';
        }
    }
    return Latin1ToUtf8(text);
}

std::string TerminalPath(const std::string& Path)
{
    std::string text = Path;
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return text;
}

std::string WithoutPadding(const std::string& Line)
{
    return Line.substr(0, Line.find_last_not_of(' ') + 1);
}

std::string JsonString(const std::string& Text)
{
    std::string out = "\"";
    for (const char c : Text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20 || byte >= 0x7F) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04X", byte);
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}
