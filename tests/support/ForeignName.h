#pragma once
// A song's file name in Greek, Cyrillic and Japanese letters
// ("Ellinika-Kirillitsa-Nihongo.dmf"), which a Western system's code page
// cannot spell: once as the file system takes it (UTF-8), once as a host
// passes it to a wide entry point.

#define MORVEL_FOREIGN_NAME(Prefix)                                                                                    \
    Prefix##"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac-\u041a\u0438\u0440\u0438\u043b\u043b\u0438\u0446\u0430-" \
            "\u65e5\u672c\u8a9e.dmf"
inline constexpr char8_t ForeignNameUtf8[] = MORVEL_FOREIGN_NAME(u8);
inline constexpr wchar_t ForeignNameWide[] = MORVEL_FOREIGN_NAME(L);
#undef MORVEL_FOREIGN_NAME
