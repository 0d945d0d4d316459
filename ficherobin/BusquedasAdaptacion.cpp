// The Adaptation run's two lookups: the ATR's Particular record and its key values,
// then the General record with the same key, whose mslink the ATR takes.
#include <algorithm>

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

// How many General records have the key (0, 1, or 2 for more) and, for one, its mslink.
struct RespuestaGeneral {
    int32_t cuantos = 0;
    int32_t mslink = 0;

    int64_t Nota() const { return int64_t(cuantos) << 32 | uint32_t(mslink); }
    static RespuestaGeneral De(int64_t nota) {
        return {int32_t(nota >> 32), int32_t(uint32_t(nota))};
    }
};

// Select Tabla.* from Tabla WHERE (tcomplet='<ValorTcomplet>' AND clasific=<class>);
// and, for the label table, tmapa='<ValorClave>' or netiqueta='<ValorClave>' instead.
RespuestaGeneral BuscaEnGeneral(Estado& estado, IndicesRecorrido& indices, const std::string& Tabla,
                                int32_t Mslink, const std::string& ValorTcomplet,
                                const std::string& ValorClave) {
    std::vector<Igualdad> condiciones = {{"tcomplet", engine::Value::text(ValorTcomplet)}};
    if (!EsTablaEtiquetas(Tabla)) {
        condiciones.push_back(
            {"clasific", engine::Value::longInt(NumeroDeClase(estado, Tabla, Mslink, ValorClave))});
    } else {
        const bool sinMapa = indices.RegistroParticular->EsNulo("Tmapa");
        condiciones.push_back({sinMapa ? "netiqueta" : "tmapa", engine::Value::text(ValorClave)});
    }
    ConsultasEnMemoria& general = indices.ConsultasGeneral();
    ResultadoConsulta resultado = general.Busca(Tabla, condiciones, kCamposGeneral);
    if (resultado.cuantos != 1) return {std::min(resultado.cuantos, 2), 0};
    const RegistroLeido registro(
        general.ruta(), *resultado.campos, std::move(resultado.valores),
        CualRegistro{"registro que corresponde al mslink ", Mslink, " de la BdD Particular"});
    return {1, registro.Entero32("mslink")};
}

}  // namespace

void BuscaRegistroAdaptacion(Estado& estado, IndicesRecorrido& indices, const std::string& Tabla,
                             int32_t Mslink, std::string& ValorTcomplet, std::string& ValorClave) {
    indices.RegistroParticular.reset();
    indices.NotaParticular = Nota();
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
    indices.NotaParticular = resultado.nota;
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
    if (EsTablaEtiquetas(Tabla)) {
        if (!indices.RegistroParticular)
            throw std::logic_error("BuscaRegistroGeneral sin el registro de la BdD Particular");
        const RegistroLeido& particular = *indices.RegistroParticular;
        ValorClave =
            particular.EsNulo("Tmapa") ? particular.Texto("netiqueta") : particular.Texto("Tmapa");
    }
    // The answer depends on the Particular record alone, and a sheet's elements
    // share records: it is worked out once and kept beside the record.
    const std::optional<int64_t> anotada = indices.NotaParticular.Lee();
    const RespuestaGeneral respuesta =
        anotada ? RespuestaGeneral::De(*anotada)
                : BuscaEnGeneral(estado, indices, Tabla, Mslink, ValorTcomplet, ValorClave);
    if (!anotada) indices.NotaParticular.Guarda(respuesta.Nota());
    if (respuesta.cuantos == 1) {
        NuevoMslink = respuesta.mslink;
        return;
    }
    NuevoMslink = 0;
    AnotaDatosError(
        estado,
        {respuesta.cuantos == 0
             ? "No hay correspondencia entre la BdDParticular y la BdDGeneral"
             : "Encontrado más de una correspondencia entre la BdDParticular y la "
               "BdDGeneral",
         estado.EntitynumActual, Mslink, estado.NombreBdDGeneral, estado.NombreBdDParticular});
}

}  // namespace pelmora
