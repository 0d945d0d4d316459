// One run of one sheet, carried by a worker process forked from the batch. The
// worker launches the run as the command line does, through its own Estado, its
// port a pipe that carries the events to the batch (Eventos.h). It ignores the
// terminal's Ctrl-C, which the batch answers for all; asked to give up, it ends
// its run at the next step of progress, as any error would end it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>

#include "lote/Eventos.h"
#include "lote/Hojas.h"
#include "runs/Procesos.h"

namespace pelmora::lote {

struct Encargo {
    const Hoja* hoja = nullptr;
    Opcion opcion = Opcion::Correlate;
    std::string general;
    bool si = false;          // the name question answered Yes
    bool sinErrores = false;  // what the engine writes on the error output is dropped
                              // (it would break the batch's live lines)
};

class Trabajo {
  public:
    // Forks the worker; throws std::runtime_error (Spanish) when it cannot.
    Trabajo(const Encargo& encargo, const Procesos& procesos);
    ~Trabajo();
    Trabajo(const Trabajo&) = delete;
    Trabajo& operator=(const Trabajo&) = delete;

    int descriptor() const { return fd_; }
    // Reads what the pipe holds, calling `alEvento` for each whole event. Returns
    // false once the worker has closed its end (it has ended).
    bool lee(const std::function<void(const Evento&)>& alEvento);
    // Once the pipe has ended: waits for the worker. Returns "" when it exited,
    // or what ended it otherwise ("señal 9").
    std::string espera();
    double segundos() const;

    // Asks the worker to give up its run (SIGTERM), or ends it at once (SIGKILL).
    void abandona();
    void mata();

  private:
    pid_t pid_ = -1;
    int fd_ = -1;
    std::string pendiente_;  // a line not yet whole
    std::chrono::steady_clock::time_point inicio_ = std::chrono::steady_clock::now();
};

}  // namespace pelmora::lote
