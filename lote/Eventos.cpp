#include "lote/Eventos.h"

#include <charconv>
#include <vector>

namespace pelmora::lote {

namespace {

// Backslash, tab, carriage return and line feed escaped with a backslash.
std::string escapa(const std::string& texto) {
    std::string r;
    r.reserve(texto.size());
    for (char c : texto) {
        switch (c) {
            case '\\':
                r += "\\\\";
                break;
            case '\t':
                r += "\\t";
                break;
            case '\r':
                r += "\\r";
                break;
            case '\n':
                r += "\\n";
                break;
            default:
                r += c;
        }
    }
    return r;
}

std::string desescapa(const std::string& texto) {
    std::string r;
    r.reserve(texto.size());
    for (size_t i = 0; i < texto.size(); ++i) {
        if (texto[i] != '\\' || i + 1 == texto.size()) {
            r += texto[i];
            continue;
        }
        const char c = texto[++i];
        r += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
    }
    return r;
}

std::vector<std::string> campos(const std::string& linea) {
    std::vector<std::string> r;
    size_t desde = 0;
    for (size_t tab; (tab = linea.find('\t', desde)) != std::string::npos; desde = tab + 1)
        r.push_back(linea.substr(desde, tab - desde));
    r.push_back(linea.substr(desde));
    return r;
}

template <typename T>
bool numero(const std::string& texto, T& valor) {
    auto [p, error] = std::from_chars(texto.data(), texto.data() + texto.size(), valor);
    return error == std::errc() && p == texto.data() + texto.size();
}

std::optional<Contadores> contadoresDe(const std::string& texto) {
    if (texto.empty()) return std::nullopt;
    Contadores c{};
    size_t desde = 0;
    for (size_t i = 0; i < c.size(); ++i) {
        size_t coma = texto.find(',', desde);
        if ((coma == std::string::npos) != (i + 1 == c.size())) return std::nullopt;
        if (!numero(texto.substr(desde, coma - desde), c[i])) return std::nullopt;
        desde = coma + 1;
    }
    return c;
}

}  // namespace

std::string codifica(const Evento& e) {
    std::string linea(1, static_cast<char>(e.tipo));
    switch (e.tipo) {
        case Evento::Tipo::Etiqueta:
        case Evento::Tipo::Mensaje:
            linea += '\t' + escapa(e.texto);
            break;
        case Evento::Tipo::Avance:
            linea += '\t' + std::to_string(e.hecho) + '\t' + std::to_string(e.total) + '\t' +
                     escapa(e.texto);
            break;
        case Evento::Tipo::Fin:
            linea += '\t' + std::to_string(static_cast<int>(e.desenlace)) + '\t';
            for (size_t i = 0; e.contadores && i < e.contadores->size(); ++i)
                linea += (i ? "," : "") + std::to_string((*e.contadores)[i]);
            break;
    }
    return linea + '\n';
}

std::optional<Evento> decodifica(const std::string& linea) {
    const std::vector<std::string> c = campos(linea);
    if (c[0].size() != 1) return std::nullopt;
    Evento e;
    e.tipo = static_cast<Evento::Tipo>(c[0][0]);
    switch (e.tipo) {
        case Evento::Tipo::Etiqueta:
        case Evento::Tipo::Mensaje:
            if (c.size() != 2) return std::nullopt;
            e.texto = desescapa(c[1]);
            return e;
        case Evento::Tipo::Avance:
            if (c.size() != 4 || !numero(c[1], e.hecho) || !numero(c[2], e.total))
                return std::nullopt;
            e.texto = desescapa(c[3]);
            return e;
        case Evento::Tipo::Fin: {
            int desenlace = 0;
            if (c.size() != 3 || !numero(c[1], desenlace) || desenlace < 0 || desenlace > 2)
                return std::nullopt;
            e.desenlace = static_cast<Desenlace>(desenlace);
            e.contadores = contadoresDe(c[2]);
            if (!c[2].empty() && !e.contadores) return std::nullopt;
            return e;
        }
    }
    return std::nullopt;
}

}  // namespace pelmora::lote
