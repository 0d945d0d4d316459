// The lookups both runs share (an element's feature code, an ATR's entity number)
// and the Correlate run's record lookup with its mark.
#include "db/Lectura.h"
#include "db/TablasControl.h"
#include "db/engine/Error.h"
#include "db/engine/Text.h"
#include "ficherobin/Busquedas.h"

namespace pelmora {
namespace {

// The code's bytes (single-byte characters of the BIN file) as readable UTF-8.
std::string CodigoLegible(const std::string& codigo) {
    std::string legible;
    for (unsigned char c : codigo) {
        if (c < 0x20) {
            legible += '?';
        } else if (c < 0x80) {
            legible += static_cast<char>(c);
        } else {
            legible += static_cast<char>(0xC0 | (c >> 6));
            legible += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return legible;
}

}  // namespace

void AnotaDatosError(Estado& estado, DatosErrorRegistro datos) {
    estado.DatosError = std::move(datos);
    const DatosErrorRegistro& d = estado.DatosError;
    AnotaError(estado, d.DescripcionError, d.EntitynumError, d.RegistroError, d.FicheroBinError,
               d.FicheroMdbError);
}

bool EsTablaEtiquetas(const std::string& Tabla) {
    return engine::sameName(Tabla, "199ETIQUETAS");
}

void CortaEnNulo(std::string& Texto) {
    Texto = QuitaEspacios(Texto.substr(0, Texto.find('\0')));
}

void BuscaTablaPorMslink(const IndicesRecorrido& indices, std::string& CodigoFeature,
                         std::string& Tabla) {
    CortaEnNulo(CodigoFeature);
    if (!Tabla.empty() || !indices.HayFeatureAsignable()) return;
    int32_t codigo = 0;
    try {
        codigo = engine::Value::text(CodigoFeature).toLong();
    } catch (const engine::Error& error) {
        throw CodigoFeatureNoValido("el código de feature «" + CodigoLegible(CodigoFeature) +
                                    "» no se puede comparar con la columna mslink de la tabla "
                                    "Feature: " +
                                    error.what());
    }
    if (const std::string* tabla = indices.TablaDeFeature(codigo)) Tabla = *tabla;
}

bool ChequeaTablaElemento(Estado& estado, const IndicesRecorrido& indices, int32_t Entitynum,
                          std::string& Tabla) {
    if (const RegistroMsCatalog* entrada = indices.EntradaCatalogo(Entitynum)) {
        Tabla = entrada->tablename;
        return true;
    }
    incrementa(estado.NumTablaInexistente);
    AnotaDatosError(estado, {"Elemento gráfico apuntando a una tabla inexistente", Entitynum, 0,
                             estado.NombreFicheroBin, estado.NombreBdDParticular});
    return false;
}

void BuscaRegistroElemento(Estado& estado, IndicesRecorrido& indices, const std::string& Tabla,
                           int32_t Mslink) {
    PrimerosPorMslink& tabla = indices.TablaParticular(Tabla);
    if (PrimerosPorMslink::Primero* registro = tabla.Busca(Mslink)) {
        tabla.Marca(*registro);
        return;
    }
    incrementa(estado.NumSinRegistro);
    AnotaDatosError(estado, {"No existe Registro " + std::to_string(Mslink) + " en BdD " + Tabla,
                             estado.EntitynumActual, Mslink, estado.NombreFicheroBin,
                             estado.NombreBdDParticular});
}

}  // namespace pelmora
