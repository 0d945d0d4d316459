#include "ui/Inicial.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "ui/AdaptacionOcurrencias.h"
#include "ui/Correlate.h"
#include "ui/FusionBdD.h"
#include "ui/Twips.h"

namespace pelmora {

namespace {

// Background of a text box whose row the chosen run does not use.
const QColor kGrisNoUsado(0xE0, 0xE0, 0xE0);

constexpr const char* kFiltroBdD =
    "BdD Access (*.mdb *.accdb)|*.mdb;*.accdb|BdD SQLite (*.sqlite *.db *.db3)|*.sqlite;*.db;*.db3|"
    "Conexión a BdD PostgreSQL (*.pgconn)|*.pgconn";

template <typename Control>
Control* crea(QWidget* padre, const char* nombre, const char* texto, QRect lugar) {
    auto* control = new Control(padre);
    control->setObjectName(nombre);
    if constexpr (requires { control->setText(QString()); }) {
        if (texto) control->setText(QString::fromUtf8(texto));
    } else {
        control->setTitle(QString::fromUtf8(texto));
    }
    control->setGeometry(lugar);
    return control;
}

int indice(Opcion opcion) {
    return static_cast<int>(opcion);
}

}  // namespace

Inicial::Inicial(Estado& estado, Procesos procesos, DialogoFichero dialogo)
    : estado_(estado), procesos_(std::move(procesos)), dialogo_(std::move(dialogo)) {
    if (!dialogo_) dialogo_ = DialogoQt(this);
    setObjectName("Inicial");
    setWindowTitle(QString::fromUtf8(
        "Pelmora de ficheros distintos con la Base de Datos General de un proyecto cartográfico."));
    setFixedSize(twips(0, 0, 14055, 4995).size());
    setFont(fuenteVentanas(font()));
    creaControles();
    ordenTabulacion();
    move(screen()->availableGeometry().center() - rect().center());
    // Start-up: Option1 is selected, so only the General row is set aside.
    ChequeaOption();
}

Inicial::~Inicial() = default;

void Inicial::creaControles() {
    const char* const nombres[3][3] = {{"Label1", "Text1", "Command1"},
                                       {"Label2", "Text2", "Command2"},
                                       {"Label3", "Text3", "Command3"}};
    const char* const captions[3] = {
        "Nombre de la BdD General de un Proyecto:", "Nombre del fichero BIN a tratar :",
        "Nombre de la BdD Particular :"};
    const int top[3] = {600, 1680, 2760};
    for (int i = 0; i < 3; ++i) {
        Fila& fila = filas_[i];
        fila.label = crea<QLabel>(this, nombres[i][0], captions[i], twips(4920, top[i], 4695, 375));
        fila.text =
            crea<QLineEdit>(this, nombres[i][1], nullptr, twips(4920, top[i] + 360, 7815, 375));
        fila.text->setReadOnly(true);  // the box only shows the chosen path
        fila.command = crea<QPushButton>(this, nombres[i][2], "Examinar ...",
                                         twips(12960, top[i] + 360, 975, 375));
        connect(fila.command, &QPushButton::clicked, this, [this, i] { examina(filas_[i]); });
    }
    filas_[0].variable = &Estado::NombreBdDGeneral;
    filas_[0].titulo = "Seleccinar BdD Access GENERAL a tratar";
    filas_[0].filtro = kFiltroBdD;
    filas_[1].variable = &Estado::NombreFicheroBin;
    filas_[1].titulo = "Seleccinar Fichero Bin (Vexa) a tratar";
    filas_[1].filtro = "Bin Vexa (*.bin)|*.bin";
    filas_[2].variable = &Estado::NombreBdDParticular;
    filas_[2].titulo = "Seleccinar BdD Access PARTICULAR a tratar";
    filas_[2].filtro = kFiltroBdD;
    colorVentana_ = filas_[0].text->palette().color(QPalette::Active, QPalette::Base);

    auto* frame =
        crea<QGroupBox>(this, "Frame1", "Opciones de proceso", twips(360, 720, 3975, 2895));
    const char* const opciones[3] = {"Correlate BIN--->BdD", "Fusión BdD Particular en BdD General",
                                     "Adaptación Ocurrencias a BdD General"};
    for (int i = 0; i < 3; ++i) {
        std::string nombre = "Option" + std::to_string(i + 1);
        opciones_[i] = crea<QRadioButton>(frame, nombre.c_str(), opciones[i],
                                          twips(240, 480 + 480 * i, 3375, 375));
        connect(opciones_[i], &QRadioButton::toggled, this, [this](bool on) {
            if (on) ChequeaOption();
        });
    }
    opciones_[0]->setChecked(true);

    procesar_ = crea<QPushButton>(this, "Command4", "Procesar", twips(10920, 3840, 1815, 495));
    connect(procesar_, &QPushButton::clicked, this, &Inicial::Command4_Click);
}

void Inicial::ordenTabulacion() {
    QWidget* orden[] = {filas_[0].text, filas_[0].command, filas_[1].text, filas_[1].command,
                        filas_[2].text, filas_[2].command, opciones_[0],   opciones_[1],
                        opciones_[2],   procesar_};
    for (size_t i = 0; i + 1 < std::size(orden); ++i) setTabOrder(orden[i], orden[i + 1]);
}

// The General row serves Fusion and Adaptation, the BIN row Correlate and
// Adaptation; the Particular row serves every run and is never set aside. A path
// chosen earlier stays in its variable and its box while its row is set aside.
void Inicial::ChequeaOption() {
    ponFila(filas_[0], !opciones_[indice(Opcion::Correlate)]->isChecked());
    ponFila(filas_[1], !opciones_[indice(Opcion::Fusion)]->isChecked());
}

void Inicial::ponFila(const Fila& fila, bool enUso) {
    fila.label->setEnabled(enUso);
    fila.text->setEnabled(enUso);
    fila.command->setEnabled(enUso);
    QPalette paleta = fila.text->palette();
    paleta.setColor(QPalette::Base, enUso ? colorVentana_ : kGrisNoUsado);
    fila.text->setPalette(paleta);
}

// A cancelled dialog leaves the earlier choice in place, so the variable and its
// box always agree.
// While a run goes on (its window lets paints through, and a click may slip in
// with them), the buttons that would change its inputs or start another run do nothing.
void Inicial::examina(Fila& fila) {
    if (VentanaProceso::enCurso()) return;
    std::string elegido = SeleccionaFichero(fila.titulo, fila.filtro);
    if (elegido.empty()) return;
    estado_.*fila.variable = elegido;
    fila.text->setText(QString::fromStdString(elegido));
}

std::string Inicial::SeleccionaFichero(const std::string& titulo, const std::string& filtro) {
    return dialogo_(titulo, filtro);
}

Opcion Inicial::opcionSeleccionada() const {
    if (opciones_[indice(Opcion::Fusion)]->isChecked()) return Opcion::Fusion;
    if (opciones_[indice(Opcion::Adaptacion)]->isChecked()) return Opcion::Adaptacion;
    return Opcion::Correlate;
}

void Inicial::Command4_Click() {
    if (VentanaProceso::enCurso()) return;
    Opcion opcion = opcionSeleccionada();
    if (PreparaProceso(opcion, estado_)) abreVentana(opcion);
}

// A run window that is open only comes to the front; one that was closed is
// replaced by a new one, whose load is a new run.
void Inicial::abreVentana(Opcion opcion) {
    std::unique_ptr<VentanaProceso>& ventana = ventanas_[indice(opcion)];
    if (ventana && ventana->isVisible()) {
        ventana->alFrente();
        return;
    }
    const Proceso& proceso = ProcesoDe(procesos_, opcion);
    switch (opcion) {
        case Opcion::Correlate:
            ventana = std::make_unique<Correlate>(estado_, proceso);
            break;
        case Opcion::Fusion:
            ventana = std::make_unique<FusionBdD>(estado_, proceso);
            break;
        case Opcion::Adaptacion:
            ventana = std::make_unique<AdaptacionOcurrencias>(estado_, proceso);
            break;
    }
    ventana->Form_Load();
}

VentanaProceso* Inicial::ventana(Opcion opcion) const {
    return ventanas_[indice(opcion)].get();
}

}  // namespace pelmora
