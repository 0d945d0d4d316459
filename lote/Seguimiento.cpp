#include "lote/Seguimiento.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "runs/Lanzamiento.h"

namespace pelmora::lote {

namespace {

// The terminal's width, so that a line never wraps (wrapped lines could not be
// gone back over).
size_t anchoTerminal() {
    winsize w{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &w) == 0 && w.ws_col > 10) return w.ws_col - 1;
    return 79;
}

// The text cut to `ancho` characters (UTF-8 sequences kept whole).
std::string recorta(const std::string& texto, size_t ancho) {
    size_t caracteres = 0;
    for (size_t i = 0; i < texto.size(); ++i) {
        if ((static_cast<unsigned char>(texto[i]) & 0xC0) == 0x80) continue;
        if (++caracteres > ancho) return texto.substr(0, i);
    }
    return texto;
}

std::string porcentaje(int64_t hecho, int64_t total) {
    return std::to_string(total > 0 ? hecho * 100 / total : 0) + " %";
}

std::string cabecera(const ResultadoLote& lote, size_t hoja, Opcion opcion) {
    return lote.hojas[hoja].hoja.nombre + " · " + TipoProcesoDe(opcion);
}

}  // namespace

std::string duracion(double segundos) {
    const long s = std::lround(segundos);
    char texto[32];
    if (segundos < 9.95) {
        std::snprintf(texto, sizeof texto, "%.1f s", segundos);
        std::string t = texto;
        t[t.find('.')] = ',';
        return t;
    }
    if (s < 60)
        std::snprintf(texto, sizeof texto, "%ld s", s);
    else if (s < 3600)
        std::snprintf(texto, sizeof texto, "%ld min %02ld s", s / 60, s % 60);
    else
        std::snprintf(texto, sizeof texto, "%ld h %02ld min", s / 3600, s / 60 % 60);
    return texto;
}

void Seguimiento::empieza(int hueco, size_t hoja, Opcion opcion) {
    lineas_[static_cast<size_t>(hueco)] = {true, cabecera(lote_, hoja, opcion), ""};
    refresca();
}

void Seguimiento::evento(int hueco, const Evento& e) {
    Linea& linea = lineas_[static_cast<size_t>(hueco)];
    if (e.tipo == Evento::Tipo::Avance)
        linea.estado = e.texto + " " + porcentaje(e.hecho, e.total);
    else if (e.tipo == Evento::Tipo::Etiqueta)
        linea.estado = e.texto;
    refresca();
}

void Seguimiento::termina(int hueco, size_t hoja, Opcion opcion) {
    lineas_[static_cast<size_t>(hueco)] = {};
    if (modo_ == ModoSeguimiento::Lineas) {
        const ResultadoProceso& r = *lote_.hojas[hoja].de(opcion);
        salida_ << cabecera(lote_, hoja, opcion) << ": " << nombreFinal(r.final) << " ("
                << duracion(r.segundos) << ")";
        if (r.final != Final::Terminado && !r.motivo().empty()) salida_ << ": " << r.motivo();
        salida_ << std::endl;
    }
    refresca();
}

void Seguimiento::refresca() {
    if (modo_ != ModoSeguimiento::Terminal) return;
    const auto ahora = std::chrono::steady_clock::now();
    if (ahora - ultimo_ < std::chrono::milliseconds(200)) return;
    ultimo_ = ahora;
    dibuja();
}

void Seguimiento::cierra() {
    if (modo_ != ModoSeguimiento::Terminal) return;
    for (Linea& l : lineas_) l = {};
    dibuja();
}

void Seguimiento::dibuja() {
    std::string texto;
    for (size_t i = 0; i < dibujadas_; ++i) texto += "\x1b[1A";  // back over the last drawing
    const size_t ancho = anchoTerminal();
    size_t n = 0;
    for (size_t i = 0; i < lineas_.size(); ++i) {
        if (!lineas_[i].ocupada) continue;
        const Linea& l = lineas_[i];
        const std::string linea = "  [" + std::to_string(i + 1) + "] " + l.cabecera +
                                  (l.estado.empty() ? "" : ": " + l.estado);
        texto += "\r\x1b[K" + recorta(linea, ancho) + "\n";
        ++n;
    }
    texto += "\r\x1b[K" + recorta(total(), ancho) + "\n\x1b[J";
    dibujadas_ = n + 1;
    salida_ << texto << std::flush;
}

std::string Seguimiento::total() const {
    size_t hechas = 0, fallidas = 0;
    for (const ResultadoHoja& h : lote_.hojas) {
        const EstadoHoja e = estadoDe(h);
        if (e == EstadoHoja::Fallida) ++fallidas;
        if (e != EstadoHoja::SinTerminar) ++hechas;
    }
    std::string texto = "Hojas: " + std::to_string(hechas) + " de " +
                        std::to_string(lote_.hojas.size()) + " hechas, " +
                        std::to_string(fallidas) + " con fallos";
    for (Opcion o : lote_.procesos) {
        size_t acabados = 0;
        for (const ResultadoHoja& h : lote_.hojas) acabados += h.de(o)->final != Final::Pendiente;
        texto += std::string(" · ") + TipoProcesoDe(o) + " " + std::to_string(acabados);
    }
    return texto + " · " + tiempoRestante();
}

// The runs not yet ended, each taking the mean time of those of its kind that
// ended (or of any run, before one of its kind has), spread over the workers.
std::string Seguimiento::tiempoRestante() const {
    std::array<double, 3> suma{};
    std::array<size_t, 3> hechos{}, quedan{};
    for (const ResultadoHoja& h : lote_.hojas)
        for (size_t i = 0; i < 3; ++i) {
            if (!h.procesos[i]) continue;
            if (h.procesos[i]->final == Final::Pendiente) {
                ++quedan[i];
            } else if (h.procesos[i]->segundos > 0) {
                suma[i] += h.procesos[i]->segundos;
                ++hechos[i];
            }
        }
    double total = 0, sumaTodo = suma[0] + suma[1] + suma[2];
    size_t hechosTodo = hechos[0] + hechos[1] + hechos[2];
    if (hechosTodo == 0) return "calculando el tiempo restante";
    for (size_t i = 0; i < 3; ++i) {
        const double media = hechos[i] ? suma[i] / hechos[i] : sumaTodo / hechosTodo;
        const int workers = kOpciones[i] == Opcion::Fusion ? 1 : lote_.paralelo;
        total += quedan[i] * media / workers;
    }
    return "quedan unos " + duracion(total);
}

}  // namespace pelmora::lote
