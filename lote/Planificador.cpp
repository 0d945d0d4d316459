#include "lote/Planificador.h"

#include <poll.h>
#include <signal.h>

#include <csignal>
#include <iostream>
#include <memory>

#include "lote/Trabajo.h"

namespace pelmora::lote {

namespace {

volatile std::sig_atomic_t interrupciones = 0;

void alInterrumpir(int) {
    if (interrupciones < 3) interrupciones = interrupciones + 1;
}

// Ctrl-C and SIGTERM counted while the batch runs; the former handlers come back after.
class Interrupciones {
  public:
    Interrupciones() {
        interrupciones = 0;
        struct sigaction a {};
        a.sa_handler = alInterrumpir;
        ::sigaction(SIGINT, &a, &int_);
        ::sigaction(SIGTERM, &a, &term_);
    }
    ~Interrupciones() {
        ::sigaction(SIGINT, &int_, nullptr);
        ::sigaction(SIGTERM, &term_, nullptr);
    }
    int cuantas() const { return interrupciones; }

  private:
    struct sigaction int_ {
    }, term_{};
};

struct Tarea {
    size_t hoja = 0;
    Opcion opcion = Opcion::Correlate;
};

struct Hueco {
    std::unique_ptr<Trabajo> trabajo;
    Tarea tarea;
    bool abandonado = false;  // asked to give up, or ended at once
    std::optional<Evento> fin;
};

class Planificador {
  public:
    Planificador(const Planificacion& plan, const Procesos& procesos, ResultadoLote& lote,
                 Seguimiento& seguimiento)
        : plan_(plan),
          procesos_(procesos),
          lote_(lote),
          seguimiento_(seguimiento),
          huecos_(static_cast<size_t>(plan.paralelo)) {}

    void ejecuta() {
        for (;;) {
            if (interrupciones_.cuantas() == 0) lanza();
            if (ocupados() == 0) break;
            espera();
            atiendeInterrupciones();
            seguimiento_.refresca();
        }
        lote_.interrumpido = interrupciones_.cuantas() > 0;
    }

  private:
    ResultadoProceso* resultado(size_t hoja, Opcion o) {
        auto& r = lote_.hojas[hoja].de(o);
        return r ? &*r : nullptr;
    }
    bool pendiente(size_t hoja, Opcion o) {
        ResultadoProceso* r = resultado(hoja, o);
        return r && r->final == Final::Pendiente && !enCurso(hoja, o);
    }
    bool enCurso(size_t hoja, Opcion o) const {
        for (const Hueco& h : huecos_)
            if (h.trabajo && h.tarea.hoja == hoja && h.tarea.opcion == o) return true;
        return false;
    }
    // Not run, not running, not to run: every run of `o` has its end.
    bool acabados(Opcion o) {
        for (size_t i = 0; i < lote_.hojas.size(); ++i)
            if (pendiente(i, o) || enCurso(i, o)) return false;
        return true;
    }
    // Whether the sheet may go to `o`: true when every earlier run asked for ended,
    // false (and `o` marked skipped) when one did not; nullopt while one is to come.
    std::optional<bool> puede(size_t hoja, Opcion o) {
        const ResultadoHoja& h = lote_.hojas[hoja];
        bool bien = h.hoja.problema.empty();
        for (Opcion antes : kOpciones) {
            if (antes == o) break;
            const ResultadoProceso* r = resultado(hoja, antes);
            if (!r) continue;
            if (r->final == Final::Pendiente) return std::nullopt;
            bien = bien && r->final == Final::Terminado;
        }
        if (!bien) resultado(hoja, o)->final = Final::Omitido;
        return bien;
    }

    // The next run due: the next merge in order once its sheet is correlated (one
    // at a time), else the next Correlate, else, with every merge ended, the next
    // Adaptation.
    std::optional<Tarea> siguiente() {
        const size_t n = lote_.hojas.size();
        bool fusionando = false;
        for (size_t i = 0; i < n && !fusionando; ++i) fusionando = enCurso(i, Opcion::Fusion);
        for (size_t i = 0; i < n && !fusionando; ++i) {
            if (!pendiente(i, Opcion::Fusion)) continue;
            const std::optional<bool> si = puede(i, Opcion::Fusion);
            if (!si) break;  // its Correlate has yet to end: the merges wait in order
            if (*si) return Tarea{i, Opcion::Fusion};
        }
        for (Opcion o : {Opcion::Correlate, Opcion::Adaptacion}) {
            if (o == Opcion::Adaptacion && !acabados(Opcion::Fusion)) break;
            for (size_t i = 0; i < n; ++i)
                if (pendiente(i, o) && puede(i, o).value_or(false)) return Tarea{i, o};
        }
        return std::nullopt;
    }

    size_t ocupados() const {
        size_t n = 0;
        for (const Hueco& h : huecos_) n += h.trabajo != nullptr;
        return n;
    }

    void lanza() {
        for (size_t i = 0; i < huecos_.size(); ++i) {
            if (huecos_[i].trabajo) continue;
            const std::optional<Tarea> tarea = siguiente();
            if (!tarea) return;
            empieza(i, *tarea);
        }
    }

    void empieza(size_t i, const Tarea& tarea) {
        Encargo encargo{&lote_.hojas[tarea.hoja].hoja, tarea.opcion, lote_.general, plan_.si,
                        plan_.sinErrores};
        std::cout.flush();
        std::cerr.flush();
        huecos_[i] = {};
        huecos_[i].tarea = tarea;
        seguimiento_.empieza(static_cast<int>(i), tarea.hoja, tarea.opcion);
        try {
            huecos_[i].trabajo = std::make_unique<Trabajo>(encargo, procesos_);
        } catch (const std::runtime_error& e) {
            ResultadoProceso& r = *resultado(tarea.hoja, tarea.opcion);
            r.final = Final::Error;
            r.mensajes.push_back(e.what());
            seguimiento_.termina(static_cast<int>(i), tarea.hoja, tarea.opcion);
        }
    }

    // Waits for any worker to say something (or a moment), and takes what they said.
    void espera() {
        std::vector<pollfd> fds;
        std::vector<size_t> de;
        for (size_t i = 0; i < huecos_.size(); ++i)
            if (huecos_[i].trabajo) {
                fds.push_back({huecos_[i].trabajo->descriptor(), POLLIN, 0});
                de.push_back(i);
            }
        if (::poll(fds.data(), fds.size(), 200) <= 0) return;
        for (size_t k = 0; k < fds.size(); ++k)
            if (fds[k].revents) atiende(de[k]);
    }

    void atiende(size_t i) {
        Hueco& h = huecos_[i];
        ResultadoProceso& r = *resultado(h.tarea.hoja, h.tarea.opcion);
        const bool sigue = h.trabajo->lee([&](const Evento& e) {
            if (e.tipo == Evento::Tipo::Mensaje) r.mensajes.push_back(e.texto);
            if (e.tipo == Evento::Tipo::Fin) h.fin = e;
            seguimiento_.evento(static_cast<int>(i), e);
        });
        if (sigue) return;
        const std::string senal = h.trabajo->espera();
        r.segundos = h.trabajo->segundos();
        h.trabajo.reset();
        r.final = finalDe(h, senal, r);
        if (r.final == Final::Terminado) r.contadores = h.fin->contadores;
        seguimiento_.termina(static_cast<int>(i), h.tarea.hoja, h.tarea.opcion);
    }

    static Final finalDe(const Hueco& h, const std::string& senal, ResultadoProceso& r) {
        if (!h.fin) {
            if (h.abandonado) return Final::Abandonado;
            r.mensajes.push_back("El proceso terminó de forma inesperada (" +
                                 (senal.empty() ? std::string("sin decir cómo") : senal) + ")");
            return Final::Error;
        }
        switch (h.fin->desenlace) {
            case Desenlace::Terminado:
                return Final::Terminado;
            case Desenlace::Detenido:
                return Final::Detenido;
            case Desenlace::Error:
                break;
        }
        return h.abandonado ? Final::Abandonado : Final::Error;
    }

    void atiendeInterrupciones() {
        const int n = interrupciones_.cuantas();
        if (n <= avisadas_) return;
        avisadas_ = n;
        if (n < 2) return;  // once: the runs under way end as they would
        for (Hueco& h : huecos_) {
            if (!h.trabajo) continue;
            h.abandonado = true;
            if (n == 2) h.trabajo->abandona();
            if (n >= 3) h.trabajo->mata();
        }
    }

    const Planificacion& plan_;
    const Procesos& procesos_;
    ResultadoLote& lote_;
    Seguimiento& seguimiento_;
    Interrupciones interrupciones_;
    std::vector<Hueco> huecos_;
    int avisadas_ = 0;
};

}  // namespace

void ejecutaLote(const Planificacion& plan, const Procesos& procesos, ResultadoLote& lote,
                 Seguimiento& seguimiento) {
    Planificador(plan, procesos, lote, seguimiento).ejecuta();
    seguimiento.cierra();
}

}  // namespace pelmora::lote
