#include "tools/pelmora-bdd/Arguments.h"

#include <algorithm>

namespace pelmora::bdd {

const std::vector<std::string>& Arguments::values(const std::string& name) const {
    static const std::vector<std::string> none;
    auto found = options.find(name);
    return found == options.end() ? none : found->second;
}

Arguments parseArguments(int argc, char** argv, const std::vector<std::string>& valued,
                         const std::vector<std::string>& flags) {
    if (argc < 2) throw ErrorUso("falta la orden");
    Arguments args;
    args.command = argv[1];
    const auto among = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            args.positional.push_back(arg);
        } else if (among(flags, arg)) {
            args.options[arg];
        } else if (among(valued, arg)) {
            if (i + 1 >= argc) throw ErrorUso("falta el valor de " + arg);
            args.options[arg].push_back(argv[++i]);
        } else {
            throw ErrorUso("opción desconocida: " + arg);
        }
    }
    return args;
}

void expectPositional(const Arguments& args, size_t least, size_t most) {
    const size_t n = args.positional.size();
    if (n < least) throw ErrorUso("faltan argumentos para «" + args.command + "»");
    if (n > most) throw ErrorUso("sobran argumentos para «" + args.command + "»");
}

std::pair<std::string, std::string> splitAssignment(const std::string& text) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0)
        throw ErrorUso("se esperaba CAMPO=VALOR y no «" + text + "»");
    return {text.substr(0, equals), text.substr(equals + 1)};
}

}  // namespace pelmora::bdd
