// Qt's own texts (the file dialog, the standard buttons, the context menus) in
// Spanish whatever the machine's language, as the program's own texts are: the
// translation that the system's Qt ships is loaded at start.
#pragma once

#include <QCoreApplication>

namespace pelmora {

// Installs Qt's Spanish translation in `aplicacion` and makes Spanish the default
// locale; false when the system has no such translation (Qt's texts stay English).
bool cargaTraduccionQt(QCoreApplication& aplicacion);

}  // namespace pelmora
