#pragma once
// Sets or removes environment variables for the life of the object and puts
// back what was there before (POSIX only).

#ifndef _WIN32

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TScopedEnvironment {
public:
    TScopedEnvironment() = default;
    ~TScopedEnvironment()
    {
        for (auto it = Saved.rbegin(); it != Saved.rend(); ++it) {
            if (it->second) {
                setenv(it->first.c_str(), it->second->c_str(), 1);
            } else {
                unsetenv(it->first.c_str());
            }
        }
    }
    TScopedEnvironment(const TScopedEnvironment&) = delete;
    TScopedEnvironment& operator=(const TScopedEnvironment&) = delete;

    // Value null: the variable is removed.
    void Set(const std::string& Name, const char* Value)
    {
        const char* old = std::getenv(Name.c_str());
        Saved.emplace_back(Name, old ? std::optional<std::string>(old) : std::nullopt);
        if (Value) {
            setenv(Name.c_str(), Value, 1);
        } else {
            unsetenv(Name.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> Saved;
};

#endif  // _WIN32
