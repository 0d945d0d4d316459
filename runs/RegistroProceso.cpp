#include "runs/RegistroProceso.h"

#include <string>
#include <vector>

#include "db/TablasControl.h"

namespace pelmora {

namespace {

struct LineaCuenta {
    const char* etiqueta;
    const char* texto;
    int32_t Estado::*contador;
};

constexpr LineaCuenta kLineasCuenta[] = {
    {"Label7", "Elemento en gráfico sin ATR de ocurrencia : ", &Estado::NumSinAtrOcurrencia},
    {"Label8", "Elemento en gráfico sin ATR : ", &Estado::NumSinAtr},
    {"Label9", "Existe ATR con la misma tabla de ocurrencias : ", &Estado::NumAtrRepetido},
    {"Label10",
     "Elemento gráfico apuntando a una tabla inexistente : ", &Estado::NumTablaInexistente},
    {"Label11", "No existe Registro en BdD : ", &Estado::NumSinRegistro},
    {"Label12", "No hay correspondencia entre el gráfico y el alfanumérico : ",
     &Estado::NumSinCorrespondencia},
    {"Label13", "Encontrado más de una correspondencia entre el gráfico y el alfanumérico : ",
     &Estado::NumVariasCorrespondencias},
};

}  // namespace

void CompruebaRutasRegistrables(Estado& estado, FilasError filas) {
    const char* control = "ControlFicherosProcesados";
    std::vector<RutaAnotada> rutas = {{control, "FicheroBin", estado.NombreFicheroBin},
                                      {control, "BdDMdb_P", estado.NombreBdDParticular},
                                      {control, "BdDMdb_G", estado.NombreBdDGeneral}};
    if (filas != FilasError::Ninguna) {
        rutas.push_back({"ERRORES", "FicheroBinError", estado.NombreFicheroBin});
        rutas.push_back({"ERRORES", "FicheroMdbError", estado.NombreBdDParticular});
    }
    if (filas == FilasError::Adaptacion)
        rutas.push_back({"ERRORES", "FicheroBinError", estado.NombreBdDGeneral});
    CompruebaQueCabenLasRutas(estado, rutas);
}

void RegistraProceso(Estado& estado, const char* Proceso) {
    DatosControlRegistro& control = estado.DatosControl;
    control.Proceso = Proceso;
    control.FicheroBin = estado.NombreFicheroBin;
    control.BdDMdb_P = estado.NombreBdDParticular;
    control.BdDMdb_G = estado.NombreBdDGeneral;
    RegistraFicheroProcesado(estado, control.Proceso, control.FicheroBin, control.BdDMdb_P,
                             control.BdDMdb_G);
}

void PonContadoresACero(Estado& estado) {
    for (const LineaCuenta& linea : kLineasCuenta) estado.*linea.contador = 0;
}

void MuestraContadores(Estado& estado) {
    for (const LineaCuenta& linea : kLineasCuenta)
        estado.pantalla.etiqueta(linea.etiqueta,
                                 linea.texto + std::to_string(estado.*linea.contador));
}

}  // namespace pelmora
