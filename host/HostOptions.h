#pragma once
// The option parser every command of the morvel program shares: options may
// stand anywhere before "--", as "--name VALUE", "--name=VALUE", "-x VALUE" or
// "-xVALUE"; everything after "--", and "-" alone, is an operand.

#include <map>
#include <span>
#include <string>
#include <vector>

struct THostOption {
    const char* Long;   // "--output"
    char Short;         // 'o'; 0 for none
    const char* Value;  // the value's name in the help ("OUT"); null for a switch
    const char* Help;   // what it does, for the help text
};

// What a command line held.
struct THostArgs {
    std::map<std::string, std::string> Given;  // options given, by long name: the last value ("" for switches)
    std::vector<std::string> Operands;         // in order

    bool Has(const std::string& Long) const { return Given.count(Long) != 0; }
    // The option's value; Default when it was not given.
    std::string Value(const std::string& Long, const std::string& Default = {}) const;
};

// Splits Args by Options; false, with Error saying what is wrong (an unknown
// option, a missing or empty value, a value given to a switch), when the
// line does not fit them.
bool ParseHostArgs(const std::vector<std::string>& Args, std::span<const THostOption> Options, THostArgs& Parsed,
                   std::string& Error);
