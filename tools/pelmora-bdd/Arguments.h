// The command line of pelmora-bdd: the command, its positional arguments and
// its options; what is wrong in them is an ErrorUso (exit code 2).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "cli/Programa.h"

namespace pelmora::bdd {

struct Arguments {
    std::string command;
    std::vector<std::string> positional;                      // FILE, TABLE, columns...
    std::map<std::string, std::vector<std::string>> options;  // "--set" -> its values

    bool flag(const std::string& name) const { return options.count(name) > 0; }
    const std::vector<std::string>& values(const std::string& name) const;
};

// Splits argv; `valued` names the options that take a value, `flags` those that do not.
Arguments parseArguments(int argc, char** argv, const std::vector<std::string>& valued,
                         const std::vector<std::string>& flags);

// Throws ErrorUso unless the command has between `least` and `most` positional arguments.
void expectPositional(const Arguments& args, size_t least, size_t most);

// "COL=VALUE" split at the first '='.
std::pair<std::string, std::string> splitAssignment(const std::string& text);

}  // namespace pelmora::bdd
