// The input paths of a run, checked before any database is opened for writing:
// each path given names a regular file (a folder, a FIFO or a device is refused
// at once, as opening a FIFO would wait forever for a writer), the files the run
// reads exist and can be read, and no two inputs are one file, whatever the
// spelling of their paths (links, "." and "..").
#pragma once

#include "core/Estado.h"

namespace pelmora {

// What a run does with an input.
enum class UsoEntrada {
    Lee,    // opens and reads it: it must exist
    Anota,  // only records its path in the control row: it may be missing
};

// The use of the BIN file and of the General database; every run reads the
// Particular database.
struct UsoEntradas {
    UsoEntrada bin;
    UsoEntrada general;
};

// Checks NombreFicheroBin, NombreBdDParticular and NombreBdDGeneral (an empty
// path is an input not given); throws ErrorFichero naming the input and its path.
void CompruebaEntradas(const Estado& estado, UsoEntradas usos);

}  // namespace pelmora
