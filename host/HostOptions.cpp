#include "host/HostOptions.h"

namespace {

const THostOption* FindLong(std::span<const THostOption> Options, const std::string& Name)
{
    for (const THostOption& option : Options) {
        if (Name == option.Long) {
            return &option;
        }
    }
    return nullptr;
}

const THostOption* FindShort(std::span<const THostOption> Options, char Name)
{
    for (const THostOption& option : Options) {
        if (option.Short != 0 && option.Short == Name) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

std::string THostArgs::Value(const std::string& Long, const std::string& Default) const
{
    const auto found = Given.find(Long);
    return found == Given.end() ? Default : found->second;
}

bool ParseHostArgs(const std::vector<std::string>& Args, std::span<const THostOption> Options, THostArgs& Parsed,
                   std::string& Error)
{
    Parsed = THostArgs{};
    for (size_t i = 0; i < Args.size(); ++i) {
        const std::string& arg = Args[i];
        if (arg == "--") {
            Parsed.Operands.insert(Parsed.Operands.end(), Args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                   Args.end());
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            Parsed.Operands.push_back(arg);
            continue;
        }
        // The option, how it was written, and a value joined to it ("--name=VALUE", "-xVALUE").
        const THostOption* option;
        std::string written;
        std::string joined;
        bool hasJoined = false;
        if (arg[1] == '-') {
            const size_t equals = arg.find('=');
            written = arg.substr(0, equals);
            option = FindLong(Options, written);
            hasJoined = equals != std::string::npos;
            if (hasJoined) {
                joined = arg.substr(equals + 1);
            }
        } else {
            written = arg.substr(0, 2);
            option = FindShort(Options, arg[1]);
            hasJoined = arg.size() > 2;
            if (hasJoined) {
                joined = arg.substr(2);
            }
        }
        if (!option) {
            Error = "unknown option " + (arg[1] == '-' ? written : arg);
            return false;
        }
        if (!option->Value) {
            if (hasJoined) {
                Error = "option " + written + " takes no value";
                return false;
            }
            Parsed.Given[option->Long] = "";
            continue;
        }
        if (!hasJoined) {
            if (i + 1 >= Args.size()) {
                Error = "option " + written + " needs a value (" + option->Value + ")";
                return false;
            }
            joined = Args[++i];
        }
        if (joined.empty()) {
            Error = "option " + written + " needs a value (" + option->Value + "), not an empty one";
            return false;
        }
        Parsed.Given[option->Long] = joined;
    }
    return true;
}
