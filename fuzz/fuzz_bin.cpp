// Fuzz target of the BIN file reader: the input, written as a BIN file, goes through
// the integrity check and then the Correlate walk over a small Particular database.
// Each may end normally, with "Fichero Corrupto" or with an error naming the file;
// and as both read elements by the same rule, they must agree on a corrupt file.
#include <functional>

#include "core/FinPrograma.h"
#include "core/PantallaGuion.h"
#include "ficherobin/FicheroBinario.h"
#include "ficherobin/Modulo_Bin.h"
#include "ficherobin/RecorreFicheroBin.h"
#include "fuzz/FuzzTarget.h"
#include "fuzz/WalkDatabase.h"

namespace {

using namespace pelmora;

enum class Outcome { Ended, Corrupt, Refused };

Outcome run(const std::function<void()>& step, const std::string& bin) {
    try {
        step();
        return Outcome::Ended;
    } catch (const FinPrograma& end) {
        if (end.texto != "Fichero Corrupto") fuzz::finding("final inesperado: " + end.texto);
        return Outcome::Corrupt;
    } catch (const ErrorFichero& error) {
        fuzz::requireNamesFile(error.what(), bin);
        return Outcome::Refused;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace fs = std::filesystem;
    const fs::path folder = fuzz::scratch() / "bin";
    fs::remove_all(folder);  // the error BIN file and the database of the last input go too
    fs::create_directories(folder);
    const std::string bin = (folder / "hoja.bin").string();
    fuzz::writeFile(bin, data, size);

    PantallaGuion screen;
    Estado estado(screen);
    estado.TipoProceso = pelmora::Opcion::Correlate;
    estado.NombreFicheroBin = bin;
    fuzz::prepareWalk(estado, folder);
    const Outcome check = run([&] { ChequeaFicheroBin(estado); }, bin);
    const Outcome walk = run([&] { RecorreFicheroBin(estado, bin); }, bin);
    if (check == Outcome::Ended && walk == Outcome::Corrupt)
        fuzz::finding("el recorrido da por corrupto un fichero que el chequeo aceptó");
    if (check == Outcome::Corrupt && walk == Outcome::Ended)
        fuzz::finding("el recorrido acepta un fichero que el chequeo da por corrupto");
    return 0;
}
