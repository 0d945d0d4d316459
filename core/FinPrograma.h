// Outcomes that end a run: a fatal check (its message, then the program ends)
// and the helper the top levels use to show any ending and end the program.
#pragma once

#include <functional>
#include <string>

#include "core/Pantalla.h"

namespace pelmora {

// Thrown by a fatal check. The top level restores the pointer if asked, shows
// `texto` (when not empty) with `estilo` and the application's title, and ends
// the program. An empty text ends without a further message, for checks that
// have already shown theirs.
struct FinPrograma {
    std::string texto;
    int estilo = estilo::Aceptar;
    bool restaurarPuntero = false;
};

// Runs `paso` and turns both kinds of ending, a fatal check and an unexpected
// error (any std::exception, its message shown as it stands), into a message and
// a call of Pantalla::terminar. Returns true when `paso` ended normally.
bool ejecutaHastaFin(Pantalla& pantalla, const std::function<void()>& paso);

}  // namespace pelmora
