#pragma once
// Module texts hold one byte per character (Latin-1); the host prints UTF-8.

#include <string>

std::string Latin1ToUtf8(const std::string& Text);
// A JSON string literal (quotes included) of a Latin-1 text.
std::string JsonString(const std::string& Text);
