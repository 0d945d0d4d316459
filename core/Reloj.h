// The clock the log tables read: the local date and time of day, behind a
// function that the state holds so that tests can fix the moment.
#pragma once

namespace pelmora {

struct FechaHora {
    int anio = 1899, mes = 12, dia = 30;
    int hora = 0, minuto = 0, segundo = 0;
};

// The current local date and time, to the second.
FechaHora relojLocal();

}  // namespace pelmora
