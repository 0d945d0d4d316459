#include "db/consultas/RegistroLeido.h"

#include "db/Lectura.h"
#include "db/engine/Error.h"

namespace pelmora {

std::string MensajeValorNoValido(const std::string& ruta, const std::string& tabla,
                                 const std::string& cual, const std::string& campo,
                                 const std::string& motivo) {
    return "Valor no válido en la base de datos «" + ruta + "», tabla «" + tabla + "», " + cual +
           ", columna «" + campo + "»: " + motivo;
}

const engine::Value& RegistroLeido::Valor(const std::string& campo) const {
    const int columna = tabla_->find(campo);
    if (columna < 0)
        throw engine::Error("No existe el campo «" + campo + "» en la tabla «" + tabla_->name +
                            "» de «" + *ruta_ + "»");
    return fila_.at(static_cast<size_t>(columna));
}

void RegistroLeido::NoValido(const std::string& campo, const std::string& motivo) const {
    throw ValorNoValido(MensajeValorNoValido(*ruta_, tabla_->name, cual_.Texto(), campo, motivo));
}

std::string RegistroLeido::Texto(const std::string& campo) const {
    const engine::Value& valor = Valor(campo);
    try {
        return valor.toText();
    } catch (const engine::Error& error) {
        NoValido(campo, error.what());
    }
}

int32_t RegistroLeido::Entero32(const std::string& campo) const {
    const engine::Value& valor = Valor(campo);
    try {
        return valor.toLong();
    } catch (const engine::Error& error) {
        NoValido(campo, error.what());
    }
}

}  // namespace pelmora
