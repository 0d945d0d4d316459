// Answers the next modal message box from a test: `accion` runs on the box as
// soon as it is on screen (to read it and press one of its buttons).
#pragma once

#include <functional>

class QMessageBox;

namespace pelmora::prueba {

void alAparecerMensaje(std::function<void(QMessageBox&)> accion);

}  // namespace pelmora::prueba
