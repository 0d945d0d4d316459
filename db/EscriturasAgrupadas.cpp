#include "db/EscriturasAgrupadas.h"

namespace pelmora {

EscriturasAgrupadas::EscriturasAgrupadas(std::shared_ptr<engine::Database> bdd)
    : bdd_(std::move(bdd)) {
    if (bdd_) bdd_->beginWrites();
}

EscriturasAgrupadas::~EscriturasAgrupadas() {
    if (!bdd_) return;
    try {
        bdd_->endWrites();
    } catch (...) {
    }
}

void EscriturasAgrupadas::Termina() {
    std::shared_ptr<engine::Database> bdd = std::move(bdd_);
    if (bdd) bdd->endWrites();
}

}  // namespace pelmora
