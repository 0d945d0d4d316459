// A small JSON writer: objects and lists opened and closed in order, each either
// spread over lines or kept on one line, texts escaped (UTF-8 passes through).
#pragma once

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

class Json {
  public:
    explicit Json(std::ostream& salida) : salida_(salida) {}

    void abreObjeto(bool enLineas = true) { abre('{', enLineas); }
    void cierraObjeto() { cierra('}'); }
    void abreLista(bool enLineas = false) { abre('[', enLineas); }
    void cierraLista() { cierra(']'); }

    // The key of the next value inside an object.
    void clave(std::string_view k) {
        separa();
        texto(k);
        salida_ << ": ";
        tras_clave_ = true;
    }

    void valor(std::string_view v) {
        separa();
        texto(v);
    }
    void valor(const char* v) { valor(std::string_view(v)); }
    void valor(int64_t v) { crudo(std::to_string(v)); }
    void valor(int32_t v) { valor(int64_t{v}); }
    void valor(bool v) { crudo(v ? "true" : "false"); }
    // A number with `cifras` digits after the point.
    void decimal(double v, int cifras) {
        char texto[64];
        std::snprintf(texto, sizeof texto, "%.*f", cifras, v);
        crudo(texto);
    }
    void nulo() { crudo("null"); }
    // A key and its value.
    template <typename T>
    void par(std::string_view k, const T& v) {
        clave(k);
        valor(v);
    }

  private:
    struct Nivel {
        bool enLineas;
        bool vacio = true;
    };

    void abre(char c, bool enLineas) {
        separa();
        salida_ << c;
        niveles_.push_back({enLineas && (niveles_.empty() || niveles_.back().enLineas)});
    }

    void cierra(char c) {
        Nivel n = niveles_.back();
        niveles_.pop_back();
        if (n.enLineas && !n.vacio) nuevaLinea();
        salida_ << c;
        if (niveles_.empty()) salida_ << '\n';
    }

    void separa() {
        if (tras_clave_) {
            tras_clave_ = false;
            return;
        }
        if (niveles_.empty()) return;
        Nivel& n = niveles_.back();
        if (!n.vacio) salida_ << (n.enLineas ? "," : ", ");
        if (n.enLineas) nuevaLinea();
        n.vacio = false;
    }

    void crudo(const std::string& t) {
        separa();
        salida_ << t;
    }

    void nuevaLinea() { salida_ << '\n' << std::string(2 * niveles_.size(), ' '); }

    void texto(std::string_view t) {
        static const char* hex = "0123456789abcdef";
        salida_ << '"';
        for (char c : t) {
            auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\')
                salida_ << '\\' << c;
            else if (c == '\r')
                salida_ << "\\r";
            else if (c == '\n')
                salida_ << "\\n";
            else if (c == '\t')
                salida_ << "\\t";
            else if (u < 0x20)
                salida_ << "\\u00" << hex[u >> 4] << hex[u & 15];
            else
                salida_ << c;
        }
        salida_ << '"';
    }

    std::ostream& salida_;
    std::vector<Nivel> niveles_;
    bool tras_clave_ = false;
};

}  // namespace pelmora
