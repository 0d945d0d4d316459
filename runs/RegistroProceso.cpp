#include "runs/RegistroProceso.h"

#include <string>
#include <vector>

#include "db/TablasControl.h"

namespace pelmora {

const std::array<Contador, 7> kContadores = {{
    {"Label7", "Elemento en gráfico sin ATR de ocurrencia : ", "NumSinAtrOcurrencia",
     &Estado::NumSinAtrOcurrencia},
    {"Label8", "Elemento en gráfico sin ATR : ", "NumSinAtr", &Estado::NumSinAtr},
    {"Label9", "Existe ATR con la misma tabla de ocurrencias : ", "NumAtrRepetido",
     &Estado::NumAtrRepetido},
    {"Label10", "Elemento gráfico apuntando a una tabla inexistente : ", "NumTablaInexistente",
     &Estado::NumTablaInexistente},
    {"Label11", "No existe Registro en BdD : ", "NumSinRegistro", &Estado::NumSinRegistro},
    {"Label12", "No hay correspondencia entre el gráfico y el alfanumérico : ",
     "NumSinCorrespondencia", &Estado::NumSinCorrespondencia},
    {"Label13", "Encontrado más de una correspondencia entre el gráfico y el alfanumérico : ",
     "NumVariasCorrespondencias", &Estado::NumVariasCorrespondencias},
}};

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
    for (const Contador& c : kContadores) estado.*c.campo = 0;
}

void MuestraContadores(Estado& estado) {
    for (const Contador& c : kContadores)
        estado.pantalla.etiqueta(c.etiqueta, c.texto + std::to_string(estado.*c.campo));
}

}  // namespace pelmora
