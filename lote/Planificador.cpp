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
    struct sigaction int_ {}, term_ {};
};

struct Hueco {
    std::unique_ptr<Trabajo> trabajo;
    size_t hoja = 0;
    bool abandonado = false;  // asked to give up, or ended at once
    std::optional<Evento> fin;
};

// True when every run of the sheet before `opcion` that was asked for ended.
bool anterioresTerminados(const ResultadoHoja& h, Opcion opcion) {
    for (Opcion o : kOpciones) {
        if (o == opcion) break;
        if (h.de(o) && h.de(o)->final != Final::Terminado) return false;
    }
    return true;
}

class Fase {
  public:
    Fase(Opcion opcion, int huecos, const Planificacion& plan, const Procesos& procesos,
         ResultadoLote& lote, Seguimiento& seguimiento, const Interrupciones& interrupciones)
        : opcion_(opcion), huecos_(static_cast<size_t>(huecos)), plan_(plan),
          procesos_(procesos), lote_(lote), seguimiento_(seguimiento),
          interrupciones_(interrupciones) {}

    void ejecuta() {
        for (size_t i = 0; i < lote_.hojas.size(); ++i) {
            ResultadoHoja& h = lote_.hojas[i];
            if (!h.hoja.problema.empty() || !anterioresTerminados(h, opcion_))
                h.de(opcion_)->final = Final::Omitido;
            else
                cola_.push_back(i);
        }
        seguimiento_.fase(opcion_, static_cast<int>(huecos_.size()));
        while (lanza() || ocupados() > 0) {
            espera();
            atiendeInterrupciones();
            seguimiento_.refresca();
        }
    }

  private:
    size_t ocupados() const {
        size_t n = 0;
        for (const Hueco& h : huecos_) n += h.trabajo != nullptr;
        return n;
    }

    // Fills the free workers with the next sheets; false when none is left to start.
    bool lanza() {
        if (interrupciones_.cuantas() > 0) return false;
        for (size_t i = 0; i < huecos_.size() && siguiente_ < cola_.size(); ++i)
            if (!huecos_[i].trabajo) empieza(i, cola_[siguiente_++]);
        return siguiente_ < cola_.size();
    }

    void empieza(size_t i, size_t hoja) {
        Encargo encargo{&lote_.hojas[hoja].hoja, opcion_, lote_.general, plan_.si,
                        plan_.sinErrores};
        std::cout.flush();
        std::cerr.flush();
        huecos_[i] = {};
        huecos_[i].hoja = hoja;
        seguimiento_.empieza(static_cast<int>(i), hoja, opcion_);
        try {
            huecos_[i].trabajo = std::make_unique<Trabajo>(encargo, procesos_);
        } catch (const std::runtime_error& e) {
            ResultadoProceso& r = *lote_.hojas[hoja].de(opcion_);
            r.final = Final::Error;
            r.mensajes.push_back(e.what());
            seguimiento_.termina(static_cast<int>(i), hoja, opcion_);
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
        if (fds.empty()) return;
        if (::poll(fds.data(), fds.size(), 200) <= 0) return;
        for (size_t k = 0; k < fds.size(); ++k)
            if (fds[k].revents) atiende(de[k]);
    }

    void atiende(size_t i) {
        Hueco& h = huecos_[i];
        ResultadoProceso& r = *lote_.hojas[h.hoja].de(opcion_);
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
        seguimiento_.termina(static_cast<int>(i), h.hoja, opcion_);
    }

    static Final finalDe(const Hueco& h, const std::string& senal, ResultadoProceso& r) {
        if (!h.fin) {
            if (h.abandonado) return Final::Abandonado;
            r.mensajes.push_back("El proceso terminó de forma inesperada (" +
                                 (senal.empty() ? std::string("sin decir cómo") : senal) + ")");
            return Final::Error;
        }
        switch (h.fin->desenlace) {
            case Desenlace::Terminado: return Final::Terminado;
            case Desenlace::Detenido: return Final::Detenido;
            case Desenlace::Error: break;
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

    Opcion opcion_;
    std::vector<Hueco> huecos_;
    const Planificacion& plan_;
    const Procesos& procesos_;
    ResultadoLote& lote_;
    Seguimiento& seguimiento_;
    const Interrupciones& interrupciones_;
    std::vector<size_t> cola_;
    size_t siguiente_ = 0;
    int avisadas_ = 0;
};

}  // namespace

void ejecutaLote(const Planificacion& plan, const Procesos& procesos, ResultadoLote& lote,
                 Seguimiento& seguimiento) {
    Interrupciones interrupciones;
    for (Opcion opcion : plan.procesos) {
        if (interrupciones.cuantas() > 0) break;
        const int huecos = opcion == Opcion::Fusion ? 1 : plan.paralelo;
        Fase(opcion, huecos, plan, procesos, lote, seguimiento, interrupciones).ejecuta();
    }
    lote.interrumpido = interrupciones.cuantas() > 0;
    seguimiento.cierra();
}

}  // namespace pelmora::lote
