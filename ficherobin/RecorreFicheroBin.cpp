// The element walk: each element's extent, the element without ATR, the ATRs that
// repeat a table, and each ATR's lookups as the run kind asks; in the Adaptation
// run the ATRs whose mslink changes are noted for the adapted copy (BinAdaptado.h).
#include "ficherobin/RecorreFicheroBin.h"

#include <array>
#include <filesystem>

#include "core/Avance.h"
#include "core/FinPrograma.h"
#include "db/consultas/IndicesRecorrido.h"
#include "db/engine/GroupGuard.h"
#include "ficherobin/BinAdaptado.h"
#include "ficherobin/Busquedas.h"
#include "ficherobin/Elemento.h"
#include "ficherobin/FicheroBinario.h"
#include "ficherobin/Modulo_Bin.h"

namespace pelmora {
namespace {

class Recorrido {
  public:
    Recorrido(Estado& estado, const std::string& RutaBin, BinAdaptado* adaptado)
        : estado_(estado),
          RutaBin_(RutaBin),
          bin_(RutaBin, FicheroBinario::Modo::Lectura),
          adaptado_(adaptado),
          escrituras_(estado.BdDParticular),
          instantanea_(estado.TipoProceso == Opcion::Adaptacion ? estado.BdDGeneral : nullptr),
          indices_(estado) {}

    void Recorre() {
        estado_.pantalla.punteroOcupado();
        Avance avance(estado_.pantalla, TareaRecorrido(RutaBin_), bin_.longitud());
        do {
            RecorreElemento();
            avance.anota(bin_.posicion());
        } while (quedaElemento(bin_.posicion(), bin_.longitud()));
        avance.termina();
        indices_.EscribeMarcas();
        escrituras_.finish();
        bin_.cierra();
        estado_.pantalla.punteroNormal();
    }

  private:
    static std::string TareaRecorrido(const std::string& RutaBin) {
        return "Recorriendo «" + std::filesystem::path(RutaBin).filename().string() + "»";
    }

    void RecorreElemento() {
        InicioElemento = bin_.posicion();
        CabeceraElemento Cabecera;
        bin_.situa(leeElemento(bin_, Cabecera).atributos);
        if (Cabecera.NumAtributos == 0) ElementoSinAtr(Cabecera);
        bool repetido = false;
        for (int i = 0; i < Cabecera.NumAtributos; ++i) RecorreAtributo(i, repetido);
    }

    // An element without ATR whose feature code calls for a table.
    void ElementoSinAtr(const CabeceraElemento& Cabecera) {
        tabla_.clear();
        std::string codigo = textoDe(Cabecera.CodigoFeature);
        try {
            BuscaTablaPorMslink(indices_, codigo, tabla_);
        } catch (const CodigoFeatureNoValido& error) {
            throw ErrorFichero("Fichero BIN «" + RutaBin_ + "», elemento en la posición " +
                               std::to_string(InicioElemento) + ": " + error.what());
        }
        if (tabla_.empty()) return;
        incrementa(estado_.NumSinAtr);
        AnotaElemento("Elemento en gráfico sin ATR", 0, "61601");
    }

    // The i-th ATR (from 0); `repetido` tells whether two of the element's ATRs read
    // so far name the same table, and once true stays so for the element.
    void RecorreAtributo(int i, bool& repetido) {
        AtributoOcurrencia Atributo;
        bin_.lee(Atributo);
        estado_.EntitynumActual = Atributo.Entitynum;
        estado_.MslinkActual = Atributo.Mslink;
        ListaAtributos[i] = Atributo;
        for (int j = 0; j < i && !repetido && Atributo.Entitynum != 1; ++j)
            repetido = ListaAtributos[j].Entitynum == Atributo.Entitynum;
        if (repetido) {
            incrementa(estado_.NumAtrRepetido);
            AnotaElemento("Existe ATR con la misma tabla de ocurrencias", estado_.EntitynumActual,
                          "61603");
        }
        if (estado_.EntitynumActual == 1) return;
        // No table for the entity number: nothing to look up for this ATR.
        if (!ChequeaTablaElemento(estado_, indices_, estado_.EntitynumActual, tabla_)) return;
        if (estado_.TipoProceso == Opcion::Correlate)
            BuscaRegistroElemento(estado_, indices_, tabla_, estado_.MslinkActual);
        if (estado_.TipoProceso == Opcion::Adaptacion) Adapta();
    }

    void Adapta() {
        const int32_t nuevo = MslinkAdaptado(estado_, indices_, tabla_, estado_.MslinkActual);
        if (nuevo <= 0 || nuevo == estado_.MslinkActual) return;
        adaptado_->CambiaMslink(bin_.posicion() - static_cast<int64_t>(AtributoOcurrencia::kBytes),
                                nuevo);
    }

    // Logs an element-level problem and appends its marker to the error BIN file.
    void AnotaElemento(const char* descripcion, int32_t entitynum, const char* codigo) {
        AnotaDatosError(estado_,
                        {descripcion, entitynum, 0, RutaBin_, estado_.NombreBdDParticular});
        EscribeErrorBin(bin_, estado_.DatosError.FicheroBinError, InicioElemento, codigo);
    }

    Estado& estado_;
    const std::string RutaBin_;
    FicheroBinario bin_;
    BinAdaptado* adaptado_;  // where the Adaptation notes the ATRs it rewrites
    // Marks and log rows go to BdDParticular in one commit at the end of the walk;
    // declared before the indexes, so that the marks they still hold when the walk
    // ends by an error are written before that commit.
    engine::GroupGuard escrituras_;
    // The Adaptation reads the General database as one moment, whatever other
    // workstations merge into it meanwhile.
    engine::SnapshotGuard instantanea_;
    IndicesRecorrido indices_;

    int64_t InicioElemento = 0;
    std::array<AtributoOcurrencia, 255> ListaAtributos{};
    std::string tabla_;  // the catalog table of the element or ATR in hand
};

}  // namespace

void RecorreFicheroBin(Estado& estado, const std::string& RutaBin, BinAdaptado* adaptado) {
    if (adaptado || estado.TipoProceso != Opcion::Adaptacion)
        return Recorrido(estado, RutaBin, adaptado).Recorre();
    BinAdaptado propio(RutaBin);
    Recorrido(estado, RutaBin, &propio).Recorre();
    propio.Prepara();
    BinAdaptado::Coloca(RutaBin);
}

}  // namespace pelmora
