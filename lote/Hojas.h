// The sheets of a delivery: each a BIN file and the Particular database that
// shares its name, found in a folder or listed in a file, in the delivery's
// sorted order (by sheet name, then path).
#pragma once

#include <string>
#include <vector>

namespace pelmora::lote {

struct Hoja {
    std::string nombre;      // the BIN file's name without its extension
    std::string bin;         // absolute path
    std::string particular;  // absolute path; empty when none was found
    std::string problema;    // why no run can start on the sheet; empty when they can
};

// The extensions a Particular database may have, lower-case.
const std::vector<std::string>& extensionesParticular();

// The sheets of `carpeta` (not of its subfolders): every BIN file but the error
// BIN file of another and hidden files (an Adaptation's copies in progress). A
// BIN file with no database of its name, or more than one, is a sheet with a problem.
// Throws std::runtime_error (Spanish) when the folder cannot be read.
std::vector<Hoja> hojasDeCarpeta(const std::string& carpeta);

// The sheets of a list file: one per line, the BIN file, optionally followed by a
// tab and the Particular database (otherwise found beside the BIN file as in a
// folder); relative paths are from the list's folder; blank lines and lines that
// start with '#' are skipped. A sheet listed twice is a problem of the second line.
// Throws std::runtime_error (Spanish) when the list cannot be read.
std::vector<Hoja> hojasDeLista(const std::string& lista);

}  // namespace pelmora::lote
