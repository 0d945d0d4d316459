// What the three run windows share: a fixed-size window of labels, centred on the
// screen, whose load step runs its process. The window is on screen before the
// process starts, and each label the process sets is repainted at once, so the
// lines appear one by one while the run keeps the event loop busy.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "core/Estado.h"
#include "runs/Procesos.h"

namespace pelmora {

// While a run holds the event loop, handles only drawing and window-system events:
// clicks and keys wait until the run has ended.
void atiendePantalla();

// One label of a run window: its name and position in twips.
struct EtiquetaProceso {
    const char* nombre;
    int left, top, width, height;
};

class VentanaProceso : public QWidget {
    Q_OBJECT

  public:
    VentanaProceso(Estado& estado, Proceso proceso, const char* nombre, const char* titulo,
                   const std::vector<EtiquetaProceso>& etiquetas);

    // The load step: shows the window and runs the process (nothing when the run
    // is not in this build yet). A fatal ending is shown and the program ended
    // through the port; otherwise the window stays with its lines.
    void Form_Load();
    // Brings an open window to the front, restoring it when minimised.
    void alFrente();

    // True while the load step runs: this is the run window in hand.
    bool enCarga() const { return enCarga_; }
    // Sets label `nombre` and repaints it now; an unknown name is a program fault.
    void etiqueta(const std::string& nombre, const std::string& texto);

    // The run window being loaded, if any.
    static VentanaProceso* enCurso();

  protected:
    // The window cannot be closed while its run goes on.
    void closeEvent(QCloseEvent* evento) override;

  private:
    void muestraEnPantalla();

    Estado& estado_;
    Proceso proceso_;
    bool enCarga_ = false;
};

}  // namespace pelmora
