// The file-open dialog behind the "Examinar ..." buttons, reached through a
// function so that tests can answer it. Filters come in the form
// "description|pattern|description|pattern", patterns separated by ';'.
#pragma once

#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace pelmora {

// Returns the chosen full path, or an empty text when the dialog was cancelled.
using DialogoFichero =
    std::function<std::string(const std::string& titulo, const std::string& filtro)>;

// The same filter in Qt's form: "BdD Access (*.mdb);;BdD SQLite (*.sqlite *.db)".
QString FiltroQt(const std::string& filtro);

// The toolkit's file-open dialog over `padre`, with the first filter selected.
DialogoFichero DialogoQt(QWidget* padre);

}  // namespace pelmora
