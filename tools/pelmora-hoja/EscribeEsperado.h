// Writing esperado.json, and the names of the files of a sheet.
#pragma once

#include <string>

#include "tools/pelmora-hoja/Esperado.h"
#include "tools/pelmora-hoja/Hoja.h"

namespace pelmora::hoja {

// File names of a sheet, inside its folder, and of the error BIN files the runs leave.
struct Ficheros {
    std::string bin, binAdaptacion, particular, general;
    std::string errores, erroresAdaptacion;
};

void escribeEsperado(const std::string& ruta, const Hoja& hoja, const Esperado& esperado,
                     const Ficheros& ficheros);

}  // namespace pelmora::hoja
