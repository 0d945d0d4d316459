#include "core/Avance.h"

#include <algorithm>

namespace pelmora {

namespace {

int porcentaje(int64_t hecho, int64_t total) {
    return static_cast<int>(std::clamp<int64_t>(hecho, 0, total) * 100 / total);
}

}  // namespace

Avance::Avance(Pantalla& pantalla, std::string tarea, int64_t total, Reloj reloj)
    : pantalla_(pantalla),
      tarea_(std::move(tarea)),
      total_(std::max<int64_t>(total, 1)),
      reloj_(std::move(reloj)) {
    informa(0);
}

void Avance::anota(int64_t hecho) {
    if (porcentaje(hecho, total_) != porcentaje_ || reloj_() - ultimo_ >= kIntervalo)
        informa(hecho);
}

void Avance::termina() {
    informa(total_);
}

// Once the whole has been told, nothing more is.
void Avance::informa(int64_t hecho) {
    if (informado_ == total_) return;
    hecho = std::clamp<int64_t>(hecho, 0, total_);
    informado_ = hecho;
    porcentaje_ = porcentaje(hecho, total_);
    ultimo_ = reloj_();
    pantalla_.progreso(tarea_, hecho, total_);
}

}  // namespace pelmora
