#include "runs/AdaptacionEnCurso.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/Recordset.h"
#include "ficherobin/BinAdaptado.h"
#include "ficherobin/FicheroBinario.h"
#include "ficherobin/Modulo_Bin.h"

namespace pelmora {

namespace {

namespace fs = std::filesystem;

constexpr const char* kCabecera = "PLMADAP1";

struct Nota {
    std::string bin;
    int64_t longitudErrores = -1;  // -1: there was no error BIN file
    int64_t filasControl = 0;
};

std::string RutaNota(const std::string& particular) {
    const fs::path p(particular);
    return (p.parent_path() / ("." + p.filename().string() + ".adaptacion")).string();
}

int64_t FilasControl(Estado& estado) {
    int64_t filas = 0;
    try {
        auto rs = estado.BdDParticular->openRecordset("ControlFicherosProcesados",
                                                      engine::OpenMode::Snapshot);
        for (; !rs->eof(); rs->moveNext()) ++filas;
    } catch (const engine::Error&) {  // no control table: the run ends at its control row
    }
    return filas;
}

void EscribeNota(const std::string& ruta, const Nota& nota) {
    const std::string texto = std::string(kCabecera) + "\n" + nota.bin + "\n" +
                              std::to_string(nota.longitudErrores) + "\n" +
                              std::to_string(nota.filasControl) + "\n";
    const int fd = ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) FallaFichero("No se puede crear el fichero", ruta, errno);
    const bool escrito = ::write(fd, texto.data(), texto.size()) == ssize_t(texto.size());
    const char* sin = std::getenv("PELMORA_SIN_SINCRONIZAR");
    const bool guardado = (sin && std::string(sin) == "1") || ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!escrito || !guardado)
        FallaFichero("No se puede guardar el fichero", ruta, error ? error : ENOSPC);
}

// A note cut short while being written is no note: its run had not begun to write.
bool LeeNota(const std::string& ruta, Nota& nota) {
    std::ifstream in(ruta);
    std::string cabecera, longitud, filas;
    if (!std::getline(in, cabecera) || cabecera != kCabecera || !std::getline(in, nota.bin) ||
        !std::getline(in, longitud) || !std::getline(in, filas))
        return false;
    nota.longitudErrores = std::strtoll(longitud.c_str(), nullptr, 10);
    nota.filasControl = std::strtoll(filas.c_str(), nullptr, 10);
    return true;
}

// The error BIN file back to its length before the run cut short.
void DevuelveErrores(const Nota& nota) {
    const std::string errores = NombreFicheroErrorBin(nota.bin);
    if (nota.longitudErrores < 0) {
        ::unlink(errores.c_str());
    } else if (::truncate(errores.c_str(), nota.longitudErrores) != 0 && errno != ENOENT) {
        FallaFichero("No se puede devolver a como estaba el fichero", errores, errno);
    }
}

}  // namespace

std::string RecuperaAdaptacion(Estado& estado) {
    const std::string ruta = RutaNota(estado.NombreBdDParticular);
    Nota nota;
    if (!fs::exists(ruta)) return "";
    std::string completada;
    if (LeeNota(ruta, nota)) {
        if (FilasControl(estado) > nota.filasControl) {
            // The group landed: at the run's end with its complete copy, or after
            // its walk failed (its log kept, no copy made, the original as it was).
            if (BinAdaptado::Coloca(nota.bin)) completada = nota.bin;
        } else {
            BinAdaptado::Descarta(nota.bin);
            DevuelveErrores(nota);
        }
    }
    ::unlink(ruta.c_str());
    return completada;
}

AdaptacionEnCurso::AdaptacionEnCurso(Estado& estado)
    : nota_(RutaNota(estado.NombreBdDParticular)), bin_(estado.NombreFicheroBin) {
    BinAdaptado::Descarta(bin_);
    Nota nota{bin_, -1, FilasControl(estado)};
    std::error_code error;
    const auto longitud = fs::file_size(NombreFicheroErrorBin(bin_), error);
    if (!error) nota.longitudErrores = static_cast<int64_t>(longitud);
    EscribeNota(nota_, nota);
}

AdaptacionEnCurso::~AdaptacionEnCurso() {
    if (terminada_) return;
    BinAdaptado::Descarta(bin_);
    ::unlink(nota_.c_str());
}

void AdaptacionEnCurso::Termina() {
    BinAdaptado::Coloca(bin_);
    ::unlink(nota_.c_str());
    terminada_ = true;
}

}  // namespace pelmora
