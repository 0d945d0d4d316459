// pelmora-bdd: a shell over the engine for Access, SQLite and PostgreSQL databases. Exit code 0
// when done, 1 on an error (a Spanish message on stderr), 2 on a usage error.
#include <functional>
#include <iostream>

#include "tools/pelmora-bdd/Arguments.h"
#include "tools/pelmora-bdd/Commands.h"

namespace {

using pelmora::bdd::Arguments;

const pelmora::Programa kPrograma{
    "pelmora-bdd",
    "Uso: pelmora-bdd ORDEN FICHERO [argumentos]\n"
    "  tables FICHERO [--system]                 tablas, en el orden del motor\n"
    "  schema FICHERO TABLA                      campos: CAMPO:TIPO[:TAMAÑO]...\n"
    "  indexes FICHERO TABLA                     índices: NOMBRE:CAMPO[ "
    "desc],...[:unique|:primary]\n"
    "  dump FICHERO TABLA                        registros en líneas JSON\n"
    "  insert FICHERO TABLA                      añade los registros de las líneas JSON de la "
    "entrada\n"
    "  update FICHERO TABLA --set CAMPO=VALOR... [--where CAMPO=VALOR...]\n"
    "  create-table FICHERO TABLA CAMPO:TIPO[:TAMAÑO]...\n"
    "  add-column FICHERO TABLA CAMPO:TIPO[:TAMAÑO]\n"
    "  check FICHERO                             comprueba la estructura del fichero\n"
    "  create FICHERO                            crea una base de datos SQLite vacía\n"
    "  copy ORIGEN DESTINO                       copia todas las tablas, con sus índices, a otra\n"
    "                                            base de datos\n"
    "FICHERO: un fichero de Access o SQLite, una dirección postgresql://... o un fichero\n"
    "      .pgconn que la contenga; DESTINO de copy, si no existe, se crea como SQLite.\n"
    "TIPO: boolean, byte, integer, long, currency, single, double, datetime, text, memo,\n"
    "      binary, longbinary, guid, decimal; tras el tamaño se admiten allowzerolength,\n"
    "      required y autonumber (long o guid).\n"
    "VALOR: un valor JSON (5, true, null, \"texto\") o un texto.\n"};

struct Command {
    const char* name;
    std::function<int(const Arguments&)> run;
    std::vector<std::string> valued, flags;
};

const std::vector<Command>& commands() {
    using namespace pelmora::bdd;
    static const std::vector<Command> all = {
        {"tables", [](const Arguments& a) { return runTables(a, std::cout); }, {}, {"--system"}},
        {"schema", [](const Arguments& a) { return runSchema(a, std::cout); }, {}, {}},
        {"indexes", [](const Arguments& a) { return runIndexes(a, std::cout); }, {}, {}},
        {"dump", [](const Arguments& a) { return runDump(a, std::cout); }, {}, {}},
        {"check", [](const Arguments& a) { return runCheck(a, std::cout); }, {}, {}},
        {"create", [](const Arguments& a) { return runCreate(a, std::cout); }, {}, {}},
        {"create-table", [](const Arguments& a) { return runCreateTable(a, std::cout); }, {}, {}},
        {"add-column", [](const Arguments& a) { return runAddColumn(a, std::cout); }, {}, {}},
        {"insert", [](const Arguments& a) { return runInsert(a, std::cin, std::cout); }, {}, {}},
        {"copy", [](const Arguments& a) { return runCopy(a, std::cout); }, {}, {}},
        {"update",
         [](const Arguments& a) { return runUpdate(a, std::cout); },
         {"--set", "--where"},
         {}},
    };
    return all;
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        return pelmora::ejecutaPrograma(kPrograma, arguments, std::cout, std::cerr, [&] {
            const std::string name = argc > 1 ? argv[1] : "";
            for (const Command& command : commands())
                if (name == command.name)
                    return command.run(
                        pelmora::bdd::parseArguments(argc, argv, command.valued, command.flags));
            throw pelmora::ErrorUso(name.empty() ? "falta la orden"
                                                 : "orden desconocida «" + name + "»");
        });
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "pelmora-bdd: " << e.what() << "\n";
        return 1;
    }
}
