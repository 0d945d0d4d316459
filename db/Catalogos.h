// The catalog tables in memory: MsCatalog of either database, Feature of the
// main database with the NoAsignar marks, and the check that the two required
// catalog tables exist before they are loaded.
#pragma once

#include "core/Estado.h"

namespace pelmora {

// Requires MsCatalog and Feature in BdDParticular (ending the program when one is
// missing), then loads MsCatalog, Feature and the NoAsignar marks, in this order.
void ChequeaTablasMsCatalogFeature(Estado& estado);

// MsCatalog of BdDParticular into CatalogoParticular.
void CargaMsCatalogParticular(Estado& estado);
// MsCatalog of BdDGeneral into CatalogoGeneral.
void CargaMsCatalogGeneral(Estado& estado);
// Feature of BdDParticular into ListaFeature, every NoAsignar mark false.
void CargaFeature(Estado& estado);
// Marks the ListaFeature entries whose mslink the table NoAsignar lists; without
// that table, tells the user that every feature but the centroids is assigned.
void CargaNoAsignar(Estado& estado);

}  // namespace pelmora
