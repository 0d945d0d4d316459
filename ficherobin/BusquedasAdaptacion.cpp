// The Adaptation run's two lookups: the ATR's Particular record and its key values,
// then the General record with the same key, whose mslink the ATR takes.
#include "core/FinPrograma.h"
#include "db/Lectura.h"
#include "db/engine/Error.h"
#include "ficherobin/Busquedas.h"

namespace pelmora {
namespace {

// The fields the lookups read from the record they find.
const std::vector<std::string> kCamposParticular = {"Tcomplet", "Tmapa", "Clasific", "netiqueta"};
const std::vector<std::string> kCamposGeneral = {"mslink"};

// The class number of the General lookup: the Particular key value as a 32-bit
// integer, a fraction rounded half to even. It came from the record's Clasific.
int32_t NumeroDeClase(Estado& estado, const std::string& Tabla, int32_t Mslink,
                      const std::string& ValorClave) {
    try {
        return engine::Value::text(ValorClave).toLong();
    } catch (const engine::Error& error) {
        throw ValorNoValido(MensajeValorNoValido(BdDAbierta(estado.BdDParticular).path(), Tabla,
                                                 "registro con mslink " + std::to_string(Mslink),
                                                 "Clasific", error.what()));
    }
}

}  // namespace

void BuscaRegistroAdaptacion(Estado& estado, IndicesRecorrido& indices, const std::string& Tabla,
                             int32_t Mslink, std::string& ValorTcomplet, std::string& ValorClave) {
    indices.RegistroParticular.reset();
    // Select Tabla.* from Tabla WHERE mslink=<Mslink>;
    ConsultasEnMemoria& particular = indices.ConsultasParticular();
    ResultadoConsulta resultado =
        particular.Busca(Tabla, {{"mslink", engine::Value::longInt(Mslink)}}, kCamposParticular);
    if (resultado.cuantos != 1) {
        const bool ninguno = resultado.cuantos == 0;
        incrementa(ninguno ? estado.NumSinCorrespondencia : estado.NumVariasCorrespondencias);
        ValorTcomplet.clear();
        ValorClave.clear();
        AnotaDatosError(
            estado,
            {ninguno ? "No hay correspondencia entre el gráfico y el alfanumérico"
                     : "Encontrado más de una correspondencia entre el gráfico y el "
                       "alfanumérico",
             estado.EntitynumActual, Mslink, estado.NombreFicheroBin, estado.NombreBdDParticular});
        return;
    }
    const RegistroLeido& registro = indices.RegistroParticular.emplace(
        particular.ruta(), *resultado.campos, std::move(resultado.valores),
        CualRegistro{"registro con mslink ", Mslink});
    if (!EsTablaEtiquetas(Tabla)) {
        ValorTcomplet =
            registro.EsNulo("Tcomplet") ? registro.Texto("Tmapa") : registro.Texto("Tcomplet");
        ValorClave = registro.EsNulo("Clasific") ? "0" : registro.Texto("Clasific");
        return;
    }
    if (registro.EsNulo("Tcomplet"))
        throw FinPrograma{"No hay correspondencia de un elemento a la tabla 199"};
    ValorTcomplet = registro.Texto("Tcomplet");
    ValorClave = registro.EsNulo("Tmapa") ? registro.Texto("netiqueta") : registro.Texto("Tmapa");
}

void BuscaRegistroGeneral(Estado& estado, IndicesRecorrido& indices, const std::string& Tabla,
                          int32_t Mslink, const std::string& ValorTcomplet, std::string& ValorClave,
                          int32_t& NuevoMslink) {
    // Select Tabla.* from Tabla WHERE (tcomplet='<ValorTcomplet>' AND clasific=<class>);
    // and, for the label table, tmapa='<ValorClave>' or netiqueta='<ValorClave>' instead.
    std::vector<Igualdad> condiciones = {{"tcomplet", engine::Value::text(ValorTcomplet)}};
    if (!EsTablaEtiquetas(Tabla)) {
        condiciones.push_back(
            {"clasific", engine::Value::longInt(NumeroDeClase(estado, Tabla, Mslink, ValorClave))});
    } else {
        if (!indices.RegistroParticular)
            throw std::logic_error("BuscaRegistroGeneral sin el registro de la BdD Particular");
        const RegistroLeido& particular = *indices.RegistroParticular;
        const bool sinMapa = particular.EsNulo("Tmapa");
        ValorClave = sinMapa ? particular.Texto("netiqueta") : particular.Texto("Tmapa");
        condiciones.push_back({sinMapa ? "netiqueta" : "tmapa", engine::Value::text(ValorClave)});
    }
    ConsultasEnMemoria& general = indices.ConsultasGeneral();
    ResultadoConsulta resultado = general.Busca(Tabla, condiciones, kCamposGeneral);
    if (resultado.cuantos == 1) {
        const RegistroLeido registro(
            general.ruta(), *resultado.campos, std::move(resultado.valores),
            CualRegistro{"registro que corresponde al mslink ", Mslink, " de la BdD Particular"});
        NuevoMslink = registro.Entero32("mslink");
        return;
    }
    NuevoMslink = 0;
    AnotaDatosError(
        estado,
        {resultado.cuantos == 0
             ? "No hay correspondencia entre la BdDParticular y la BdDGeneral"
             : "Encontrado más de una correspondencia entre la BdDParticular y la "
               "BdDGeneral",
         estado.EntitynumActual, Mslink, estado.NombreBdDGeneral, estado.NombreBdDParticular});
}

}  // namespace pelmora
