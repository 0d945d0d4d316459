// The Adaptation run's lookups: the ATR's Particular record and its key values, then
// the General record with the same key, whose mslink the ATR takes.
#include <algorithm>
#include <optional>
#include <thread>

#include "core/FinPrograma.h"
#include "db/Lectura.h"
#include "db/consultas/RegistroLeido.h"
#include "db/engine/Error.h"
#include "ficherobin/Busquedas.h"

namespace pelmora {
namespace {

const char* const kYaAdaptado =
    "Probablemente este fichero ya ha sido adaptado o hay error en un atributo de un texto";

// How many records the Adaptation works out ahead of the walk at a time.
constexpr size_t kPorAdelantado = 64;

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

    int64_t Empaquetada() const { return int64_t(cuantos) << 32 | uint32_t(mslink); }
    static RespuestaGeneral De(int64_t empaquetada) {
        return {int32_t(empaquetada >> 32), int32_t(uint32_t(empaquetada))};
    }
};

// The key of the General lookup, from the ATR's Particular record: its Tcomplet
// (Tmapa when Null), and its Clasific (0 when Null); for the label table, Tcomplet
// (which it must have) and Tmapa (netiqueta when Null). A key without its second
// value means the sheet was adapted already, or an ATR is wrong: the run ends.
struct ClaveGeneral {
    std::string tcomplet;
    std::string columna;  // compared with `valor`
    std::string valor;
};

ClaveGeneral ClaveDe(const RegistroLeido& registro, bool etiquetas) {
    ClaveGeneral clave;
    if (!etiquetas) {
        clave.tcomplet =
            registro.EsNulo("Tcomplet") ? registro.Texto("Tmapa") : registro.Texto("Tcomplet");
        clave.columna = "clasific";
        clave.valor = registro.EsNulo("Clasific") ? "0" : registro.Texto("Clasific");
    } else {
        if (registro.EsNulo("Tcomplet"))
            throw FinPrograma{"No hay correspondencia de un elemento a la tabla 199"};
        clave.tcomplet = registro.Texto("Tcomplet");
        const bool sinMapa = registro.EsNulo("Tmapa");
        clave.columna = sinMapa ? "netiqueta" : "tmapa";
        clave.valor = sinMapa ? registro.Texto("netiqueta") : registro.Texto("Tmapa");
    }
    if (clave.valor.empty()) throw FinPrograma{kYaAdaptado};
    return clave;
}

// The conditions of the General lookup of the ATR's Particular record, found alone:
// Select Tabla.* from Tabla WHERE (tcomplet='<tcomplet>' AND clasific=<class>);
// and, for the label table, tmapa='<value>' or netiqueta='<value>' instead.
std::vector<Igualdad> CondicionesGenerales(Estado& estado, IndicesRecorrido& indices,
                                           const std::string& Tabla, int32_t Mslink,
                                           ResultadoConsulta particular) {
    const RegistroLeido registro(indices.ConsultasParticular().ruta(), *particular.campos,
                                 std::move(particular.valores),
                                 CualRegistro{"registro con mslink ", Mslink});
    const ClaveGeneral clave = ClaveDe(registro, EsTablaEtiquetas(Tabla));
    const engine::Value valor =
        clave.columna == "clasific"
            ? engine::Value::longInt(NumeroDeClase(estado, Tabla, Mslink, clave.valor))
            : engine::Value::text(clave.valor);
    return {{"tcomplet", engine::Value::text(clave.tcomplet)}, {clave.columna, valor}};
}

// What the General lookup found for the Particular record `Mslink`.
RespuestaGeneral RespuestaGeneralDe(const ConsultasEnMemoria& general, int32_t Mslink,
                                    ResultadoConsulta resultado) {
    if (resultado.cuantos != 1) return {std::min(resultado.cuantos, 2), 0};
    const RegistroLeido registro(
        general.ruta(), *resultado.campos, std::move(resultado.valores),
        CualRegistro{"registro que corresponde al mslink ", Mslink, " de la BdD Particular"});
    return {1, registro.Entero32("mslink")};
}

// Works out the answers of records read ahead of the walk, in order, up to the first
// that cannot be worked out from memory alone; their General lookups are made
// together (ConsultasEnMemoria::BuscaVariasEnMemoria).
void CalculaPorAdelantado(Estado& estado, IndicesRecorrido& indices, const std::string& Tabla,
                          std::vector<RegistrosPorMslink::Pendiente>& grupo) noexcept try {
    std::vector<std::vector<Igualdad>> condiciones;
    for (RegistrosPorMslink::Pendiente& pendiente : grupo) {
        try {
            condiciones.push_back(CondicionesGenerales(estado, indices, Tabla, pendiente.mslink,
                                                       std::move(pendiente.resultado)));
        } catch (...) {
            break;
        }
    }
    ConsultasEnMemoria& general = indices.ConsultasGeneral();
    std::vector<std::optional<ResultadoConsulta>> resultados =
        general.BuscaVariasEnMemoria(Tabla, condiciones, kCamposGeneral);
    for (size_t k = 0; k < resultados.size() && resultados[k]; ++k)
        grupo[k].anotado =
            RespuestaGeneralDe(general, grupo[k].mslink, std::move(*resultados[k])).Empaquetada();
} catch (...) {
}

// The columns the General lookups of a table compare.
std::vector<std::vector<std::string>> ColumnasGenerales(const std::string& Tabla) {
    if (!EsTablaEtiquetas(Tabla)) return {{"tcomplet", "clasific"}};
    return {{"tcomplet", "tmapa"}, {"tcomplet", "netiqueta"}};
}

// Reads the Particular records of a table by mslink or, where they cannot be read
// so, prepares the Particular lookup and makes room for as many notes as it found.
void PreparaParticular(Estado& estado, IndicesRecorrido& indices, const std::string& Tabla) noexcept
    try {
    RegistrosPorMslink& registros = indices.RegistrosAdaptacion(Tabla);
    if (registros.Lee(BdDAbierta(estado.BdDParticular), Tabla, kCamposParticular)) return;
    registros.Reserva(indices.ConsultasParticular().Prepara(Tabla, {"mslink"}, kCamposParticular));
} catch (...) {
}

// At the first ATR of a table, its General lookups read their table on a second
// thread while this one reads the Particular records: the lookups that follow need
// both. What fails is met by the lookup that needs it, as it would be without.
void PreparaTabla(Estado& estado, IndicesRecorrido& indices, const std::string& Tabla) {
    std::thread generales([&indices, &Tabla] {
        try {
            ConsultasEnMemoria& general = indices.ConsultasGeneral();
            for (const auto& columnas : ColumnasGenerales(Tabla))
                general.Prepara(Tabla, columnas, kCamposGeneral);
        } catch (...) {
        }
    });
    PreparaParticular(estado, indices, Tabla);
    generales.join();
}

// The ATR's Particular record: from the records read by mslink, or else from the
// lookup "Select Tabla.* from Tabla WHERE mslink=<Mslink>;".
ResultadoConsulta RegistroParticular(IndicesRecorrido& indices, RegistrosPorMslink& registros,
                                     const RegistrosPorMslink::Registros* leidos,
                                     const std::string& Tabla, int32_t Mslink) {
    if (leidos) return registros.Resultado(*leidos);
    if (registros.Leidos()) return {};
    return indices.ConsultasParticular().Busca(Tabla, {{"mslink", engine::Value::longInt(Mslink)}},
                                               kCamposParticular);
}

// What the Particular record with this mslink adapts to. The answer depends on the
// record alone, and a sheet's elements share records: it is worked out once and
// noted beside the record.
RespuestaGeneral RespuestaDe(Estado& estado, IndicesRecorrido& indices, const std::string& Tabla,
                             int32_t Mslink) {
    RegistrosPorMslink& registros = indices.RegistrosAdaptacion(Tabla);
    const RegistrosPorMslink::Registros* leidos = registros.Busca(Mslink);
    if (leidos && leidos->anotado != RegistrosPorMslink::kSinAnotar)
        return RespuestaGeneral::De(leidos->anotado);
    if (!registros.Leidos() && indices.PrimeraVez(Tabla)) {
        PreparaTabla(estado, indices, Tabla);
        leidos = registros.Busca(Mslink);
    }
    ResultadoConsulta resultado = RegistroParticular(indices, registros, leidos, Tabla, Mslink);
    if (resultado.cuantos != 1) {
        const bool ninguno = resultado.cuantos == 0;
        incrementa(ninguno ? estado.NumSinCorrespondencia : estado.NumVariasCorrespondencias);
        AnotaDatosError(
            estado,
            {ninguno ? "No hay correspondencia entre el gráfico y el alfanumérico"
                     : "Encontrado más de una correspondencia entre el gráfico y el "
                       "alfanumérico",
             estado.EntitynumActual, Mslink, estado.NombreFicheroBin, estado.NombreBdDParticular});
        throw FinPrograma{kYaAdaptado};
    }
    const std::vector<Igualdad> condiciones =
        CondicionesGenerales(estado, indices, Tabla, Mslink, std::move(resultado));
    ConsultasEnMemoria& general = indices.ConsultasGeneral();
    const RespuestaGeneral respuesta =
        RespuestaGeneralDe(general, Mslink, general.Busca(Tabla, condiciones, kCamposGeneral));
    registros.Anota(Mslink, respuesta.Empaquetada());
    // The records the walk has yet to meet are worked out some at a time, ahead of it.
    registros.AnotaPorAdelantado(
        kPorAdelantado, [&](auto& grupo) { CalculaPorAdelantado(estado, indices, Tabla, grupo); });
    return respuesta;
}

}  // namespace

int32_t MslinkAdaptado(Estado& estado, IndicesRecorrido& indices, const std::string& Tabla,
                       int32_t Mslink) {
    const RespuestaGeneral respuesta = RespuestaDe(estado, indices, Tabla, Mslink);
    if (respuesta.cuantos == 1) return respuesta.mslink;
    AnotaDatosError(
        estado,
        {respuesta.cuantos == 0
             ? "No hay correspondencia entre la BdDParticular y la BdDGeneral"
             : "Encontrado más de una correspondencia entre la BdDParticular y la "
               "BdDGeneral",
         estado.EntitynumActual, Mslink, estado.NombreBdDGeneral, estado.NombreBdDParticular});
    return 0;
}

}  // namespace pelmora
