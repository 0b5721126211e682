#pragma once
// The diagnostic log as a test reads it: the lines this process's loads (and
// the plug-in it drives, in the same folder under wine) have written so far.

#include <fstream>
#include <string>
#include <vector>

#include "module/LoadLogPath.h"

// The lines of the log that hold Text, in order.
inline std::vector<std::string> LogLinesHolding(const std::string& Text)
{
    std::ifstream log(LogFilePath(), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) {
        if (line.find(Text) != std::string::npos) {
            lines.push_back(line);
        }
    }
    return lines;
}
