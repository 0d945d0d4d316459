#include "db/Fusion.h"

#include <filesystem>
#include <optional>

#include "core/Avance.h"
#include "core/FinPrograma.h"
#include "db/Lectura.h"
#include "db/VistaGeneral.h"
#include "db/engine/GroupGuard.h"
#include "db/engine/Printable.h"
#include "db/engine/Text.h"

namespace pelmora {

namespace {

using engine::Value;

// The key of a marked Particular record: Tcomplet, or Tmapa when Tcomplet is Null;
// the class number from Clasific (Null gives 0) or, in 199ETIQUETAS, Tmapa.
ClaveFusion ClaveDe(LectorRegistros& particular, bool etiquetas) {
    ClaveFusion clave;
    clave.texto = particular.valor("Tcomplet").isNull() ? particular.texto("Tmapa")
                                                        : particular.texto("Tcomplet");
    if (etiquetas) {
        if (!particular.valor("Tmapa").isNull()) clave.mapa = particular.texto("Tmapa");
    } else if (!particular.valor("Clasific").isNull()) {
        clave.clase = particular.entero32("Clasific");
    }
    return clave;
}

// Appends the General record equivalent to the Particular record in hand.
void Anade(engine::Recordset& general, LectorRegistros& particular, const ClaveFusion& clave,
           int32_t mslink, bool etiquetas) {
    general.addNew();
    general.set("mslink", Value::longInt(mslink));
    general.set("Tcomplet", Value::text(clave.texto));
    general.set("Tmapa", particular.valor("Tmapa"));
    if (!etiquetas) {
        general.set("Clasific", Value::longInt(clave.clase));
        general.set("Tfeature", particular.valor("Tfeature"));
    } else if (general.schema().find("netiqueta") >= 0 && particular.tieneCampo("netiqueta")) {
        // The Adaptation run finds a label without Tmapa by its netiqueta.
        general.set("netiqueta", particular.valor("netiqueta"));
    }
    general.update();
}

void FusionaTabla(Estado& estado, const std::string& tabla) {
    const bool etiquetas = tabla == "199ETIQUETAS";
    engine::Database& bddGeneral = BdDAbierta(estado.BdDGeneral);
    LectorRegistros particular(BdDAbierta(estado.BdDParticular), SentenciaTabla(tabla),
                               engine::OpenMode::Snapshot);
    std::optional<VistaGeneral> vista;  // read at the first marked record
    std::unique_ptr<engine::Recordset> altas;
    // The table's new records in one commit, kept when the merge stops on the way.
    engine::GroupGuard grupo(estado.BdDGeneral);
    for (; !particular.fin(); particular.siguiente()) {
        if (!particular.siNo("Tcorrelate")) continue;
        const ClaveFusion clave = ClaveDe(particular, etiquetas);
        if (!vista) vista.emplace(bddGeneral, tabla, etiquetas);
        if (vista->TieneEquivalente(clave)) continue;
        // Numbers from 60000 up belong to other records; never reuse one.
        if (vista->MayorNumero() >= 59999)
            throw FinPrograma{"No quedan números mslink libres por debajo de 60000 en la tabla " +
                                  engine::printable(tabla),
                              estilo::Aceptar, true};
        const int32_t mslink = vista->MayorNumero() + 1;
        if (!altas)
            altas = bddGeneral.openRecordset(SentenciaTabla(tabla), engine::OpenMode::Dynaset);
        Anade(*altas, particular, clave, mslink, etiquetas);
        vista->Anota(clave, mslink);
    }
    grupo.finish();
}

std::string TareaFusion(const Estado& estado) {
    return "Fusionando «" + std::filesystem::path(estado.NombreBdDParticular).filename().string() +
           "»";
}

}  // namespace

// Progress goes table by table.
void FusionaBdD(Estado& estado) {
    const size_t n = estado.CatalogoParticular.size();
    Avance avance(estado.pantalla, TareaFusion(estado), static_cast<int64_t>(n));
    for (size_t i = 0; i < n; ++i) {
        avance.anota(static_cast<int64_t>(i));
        const std::string t = engine::upperCase(estado.CatalogoParticular[i].tablename);
        if (t == "CATEGORY" || t == "FEATURE" || t == "MAPS" || t == "MSCATALOG") continue;
        FusionaTabla(estado, t);
    }
    avance.termina();
}

}  // namespace pelmora
