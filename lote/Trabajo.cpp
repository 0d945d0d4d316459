#include "lote/Trabajo.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

#include "core/FinPrograma.h"
#include "runs/RegistroProceso.h"

namespace pelmora::lote {

namespace {

volatile std::sig_atomic_t abandonar = 0;

void alAbandonar(int) {
    abandonar = 1;
}

void escribe(int fd, const std::string& texto) {
    size_t hecho = 0;
    while (hecho < texto.size()) {
        ssize_t n = ::write(fd, texto.data() + hecho, texto.size() - hecho);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // the batch has gone: the run goes on alone
        hecho += static_cast<size_t>(n);
    }
}

// The worker's port: everything shown goes to the batch as an event.
class PantallaTrabajo : public Pantalla {
  public:
    PantallaTrabajo(int fd, bool si) : fd_(fd), si_(si) {}

    int mensaje(const std::string& texto, int estilo, const std::string&) override {
        envia(Evento::de(Evento::Tipo::Mensaje, texto));
        if ((estilo & estilo::SiNo) != estilo::SiNo) return respuesta::Aceptar;
        return si_ ? respuesta::Si : respuesta::No;
    }
    void punteroOcupado() override {}
    void punteroNormal() override {}
    void etiqueta(const std::string&, const std::string& texto) override {
        envia(Evento::de(Evento::Tipo::Etiqueta, texto));
    }
    void progreso(const std::string& tarea, int64_t hecho, int64_t total) override {
        if (abandonar) throw FinPrograma{"Proceso abandonado al interrumpir el lote"};
        Evento e = Evento::de(Evento::Tipo::Avance, tarea);
        e.hecho = hecho;
        e.total = total;
        envia(e);
    }
    void enfocaPrincipal() override {}
    void terminar() override {}

    void envia(const Evento& e) { escribe(fd_, codifica(e)); }

  private:
    int fd_;
    bool si_;
};

Contadores contadoresDe(const Estado& estado) {
    Contadores c{};
    for (size_t i = 0; i < c.size(); ++i) c[i] = estado.*kContadores[i].campo;
    return c;
}

// The worker's whole life: the run, its end told to the batch, and exit without
// the batch's own clean-up (its buffers and static objects are the batch's).
[[noreturn]] void trabaja(int fd, const Encargo& encargo, const Procesos& procesos) {
    ::signal(SIGINT, SIG_IGN);
    ::signal(SIGPIPE, SIG_IGN);
    ::signal(SIGTERM, alAbandonar);
    if (encargo.sinErrores) {
        const int nulo = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (nulo >= 0) ::dup2(nulo, STDERR_FILENO);
    }
    PantallaTrabajo pantalla(fd, encargo.si);
    Evento fin = Evento::de(Evento::Tipo::Fin);
    try {
        Estado estado(pantalla);
        estado.NombreBdDGeneral = encargo.general;
        estado.NombreFicheroBin = encargo.hoja->bin;
        estado.NombreBdDParticular = encargo.hoja->particular;
        fin.desenlace = LanzaProceso(encargo.opcion, estado, procesos);
        if (fin.desenlace == Desenlace::Terminado && encargo.opcion != Opcion::Fusion)
            fin.contadores = contadoresDe(estado);
    } catch (...) {
        pantalla.envia(Evento::de(Evento::Tipo::Mensaje, "Error inesperado del proceso"));
    }
    pantalla.envia(fin);
    ::_exit(0);
}

}  // namespace

Trabajo::Trabajo(const Encargo& encargo, const Procesos& procesos) {
    int tubo[2];
    if (::pipe2(tubo, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("No se puede crear un proceso del lote: ") +
                                 std::strerror(errno));
    pid_ = ::fork();
    if (pid_ < 0) {
        const int error = errno;
        ::close(tubo[0]);
        ::close(tubo[1]);
        throw std::runtime_error(std::string("No se puede crear un proceso del lote: ") +
                                 std::strerror(error));
    }
    if (pid_ == 0) {
        ::close(tubo[0]);
        trabaja(tubo[1], encargo, procesos);
    }
    ::close(tubo[1]);
    fd_ = tubo[0];
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
}

Trabajo::~Trabajo() {
    if (fd_ >= 0) ::close(fd_);
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

bool Trabajo::lee(const std::function<void(const Evento&)>& alEvento) {
    char bloque[4096];
    for (;;) {
        ssize_t n = ::read(fd_, bloque, sizeof bloque);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK;
        if (n == 0) return false;
        pendiente_.append(bloque, static_cast<size_t>(n));
        size_t desde = 0;
        for (size_t fin; (fin = pendiente_.find('\n', desde)) != std::string::npos; desde = fin + 1)
            if (auto e = decodifica(pendiente_.substr(desde, fin - desde))) alEvento(*e);
        pendiente_.erase(0, desde);
    }
}

std::string Trabajo::espera() {
    int estado = 0;
    while (::waitpid(pid_, &estado, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    if (WIFSIGNALED(estado)) return "señal " + std::to_string(WTERMSIG(estado));
    return "";
}

double Trabajo::segundos() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio_).count();
}

void Trabajo::abandona() {
    if (pid_ > 0) ::kill(pid_, SIGTERM);
}

void Trabajo::mata() {
    if (pid_ > 0) ::kill(pid_, SIGKILL);
}

}  // namespace pelmora::lote
