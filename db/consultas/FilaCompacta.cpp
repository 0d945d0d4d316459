#include "db/consultas/FilaCompacta.h"

#include <cstring>

namespace pelmora {
namespace {

using engine::Type;
using engine::Value;

enum class Contenido { Ninguno, Entero, Real, Texto };

Contenido ContenidoDe(Type tipo) {
    switch (tipo) {
        case Type::Null:
            return Contenido::Ninguno;
        case Type::Boolean:
        case Type::Byte:
        case Type::Integer:
        case Type::Long:
        case Type::Currency:
            return Contenido::Entero;
        case Type::Single:
        case Type::Double:
        case Type::DateTime:
            return Contenido::Real;
        default:
            return Contenido::Texto;
    }
}

template <typename T>
void AnadeCrudo(std::string& fila, T valor) {
    fila.append(reinterpret_cast<const char*>(&valor), sizeof valor);
}

template <typename T>
T LeeCrudo(std::string_view fila, size_t& i) {
    T valor;
    std::memcpy(&valor, fila.data() + i, sizeof valor);
    i += sizeof valor;
    return valor;
}

Value Entero(Type tipo, int64_t n) {
    switch (tipo) {
        case Type::Boolean:
            return Value::boolean(n != 0);
        case Type::Byte:
            return Value::byte(static_cast<uint8_t>(n));
        case Type::Integer:
            return Value::integer(static_cast<int16_t>(n));
        case Type::Long:
            return Value::longInt(static_cast<int32_t>(n));
        default:
            return Value::currency(n);
    }
}

Value Real(Type tipo, double d) {
    if (tipo == Type::Single) return Value::single(static_cast<float>(d));
    return tipo == Type::Double ? Value::dbl(d) : Value::dateTime(d);
}

Value Texto(Type tipo, std::string s) {
    switch (tipo) {
        case Type::Text:
        case Type::Memo:
            return Value::text(std::move(s), tipo);
        case Type::Guid:
            return Value::guid(std::move(s));
        case Type::Decimal:
            return Value::decimal(std::move(s));
        default:
            return Value::binary(std::move(s), tipo);
    }
}

}  // namespace

void AnadeValor(std::string& fila, const Value& valor) {
    fila += static_cast<char>(valor.type());
    switch (ContenidoDe(valor.type())) {
        case Contenido::Ninguno:
            return;
        case Contenido::Entero:
            AnadeCrudo(fila, valor.rawInt());
            return;
        case Contenido::Real:
            AnadeCrudo(fila, valor.rawDouble());
            return;
        case Contenido::Texto:
            AnadeCrudo(fila, static_cast<uint32_t>(valor.rawText().size()));
            fila += valor.rawText();
            return;
    }
}

engine::Row LeeValores(std::string_view fila) {
    engine::Row valores;
    for (size_t i = 0; i < fila.size();) {
        const auto tipo = static_cast<Type>(fila[i++]);
        switch (ContenidoDe(tipo)) {
            case Contenido::Ninguno:
                valores.emplace_back();
                break;
            case Contenido::Entero:
                valores.push_back(Entero(tipo, LeeCrudo<int64_t>(fila, i)));
                break;
            case Contenido::Real:
                valores.push_back(Real(tipo, LeeCrudo<double>(fila, i)));
                break;
            case Contenido::Texto: {
                const auto n = LeeCrudo<uint32_t>(fila, i);
                valores.push_back(Texto(tipo, std::string(fila.substr(i, n))));
                i += n;
                break;
            }
        }
    }
    return valores;
}

}  // namespace pelmora
