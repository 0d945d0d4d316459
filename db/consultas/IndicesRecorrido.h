// What the lookups of one walk read once instead of at every element or ATR: the
// Feature list by mslink, the catalog by entity number, each table's first record
// by mslink, and the answers to the Adaptation statements on both databases. It
// lives as long as the walk, which only writes marks and log rows meanwhile, so
// what it read stays true.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "core/Estado.h"
#include "db/consultas/ConsultasEnMemoria.h"
#include "db/consultas/PrimerosPorMslink.h"
#include "db/consultas/RegistrosPorMslink.h"

namespace pelmora {

class IndicesRecorrido {
  public:
    // Indexes ListaFeature and CatalogoParticular as they are now; the tables are
    // read when first looked up.
    explicit IndicesRecorrido(Estado& estado);
    // Writes the marks still noted (a walk ending by an error keeps what it marked);
    // a failure then is not reported over the error that ends the walk.
    ~IndicesRecorrido();
    IndicesRecorrido(const IndicesRecorrido&) = delete;
    IndicesRecorrido& operator=(const IndicesRecorrido&) = delete;

    // Whether some Feature entry is neither a centroid (ftype 4) nor marked NoAsignar.
    bool HayFeatureAsignable() const { return hayAsignable_; }
    // The table of the first such entry, in list order, that has this mslink and a
    // table name that is not blank; null when there is none.
    const std::string* TablaDeFeature(int32_t mslink) const;
    // The first catalog entry, in catalog order, with this entity number; null when none.
    const RegistroMsCatalog* EntradaCatalogo(int32_t entitynum) const;

    // A table of BdDParticular by mslink.
    PrimerosPorMslink& TablaParticular(const std::string& tabla);
    // The statements on BdDParticular and on BdDGeneral.
    ConsultasEnMemoria& ConsultasParticular();
    ConsultasEnMemoria& ConsultasGeneral();
    // Writes the Correlate marks noted so far, table by table.
    void EscribeMarcas();
    // True the first time the walk names this table (as given) here.
    bool PrimeraVez(const std::string& tabla) { return vistas_.insert(tabla).second; }
    // The Adaptation's records of a table (as named) by mslink, with what it
    // worked out for each.
    RegistrosPorMslink& RegistrosAdaptacion(const std::string& tabla) { return respuestas_[tabla]; }

  private:
    Estado& estado_;
    bool hayAsignable_ = false;
    std::unordered_map<int32_t, std::string> features_;
    std::unordered_map<int32_t, size_t> catalogo_;
    std::map<std::string, std::unique_ptr<PrimerosPorMslink>> tablas_;  // by upper-cased name
    std::unordered_map<std::string, PrimerosPorMslink*> nombres_;       // by name as given
    std::unordered_set<std::string> vistas_;
    std::unordered_map<std::string, RegistrosPorMslink> respuestas_;
    std::optional<ConsultasEnMemoria> particular_;
    std::optional<ConsultasEnMemoria> general_;
};

}  // namespace pelmora
