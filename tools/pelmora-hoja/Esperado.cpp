// The expected outcome of Correlate, Fusion and Adaptation on a planned sheet.
#include "tools/pelmora-hoja/Esperado.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <unordered_map>

namespace pelmora::hoja {

const char* const kTextosContadores[7] = {
    "Elemento en gráfico sin ATR de ocurrencia : ",
    "Elemento en gráfico sin ATR : ",
    "Existe ATR con la misma tabla de ocurrencias : ",
    "Elemento gráfico apuntando a una tabla inexistente : ",
    "No existe Registro en BdD : ",
    "No hay correspondencia entre el gráfico y el alfanumérico : ",
    "Encontrado más de una correspondencia entre el gráfico y el alfanumérico : "};
const char* const kNombresContadores[7] = {"NumSinAtrOcurrencia",      "NumSinAtr",
                                           "NumAtrRepetido",           "NumTablaInexistente",
                                           "NumSinRegistro",           "NumSinCorrespondencia",
                                           "NumVariasCorrespondencias"};

std::string codigoLeido(const CampoTexto<7>& codigo) {
    std::string t = textoDe(codigo);
    t = t.substr(0, t.find('\0'));
    auto desde = t.find_first_not_of(' ');
    if (desde == std::string::npos) return "";
    return t.substr(desde, t.find_last_not_of(' ') - desde + 1);
}

namespace {

enum Contador { SinAtrOcurrencia, SinAtr, AtrRepetido, TablaInexistente, SinRegistro };

std::string pliega(const std::string& s) {
    std::string r = s;
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string recorta(const std::string& s) {
    auto desde = s.find_first_not_of(' ');
    if (desde == std::string::npos) return "";
    return s.substr(desde, s.find_last_not_of(' ') - desde + 1);
}

bool esEtiquetas(const Tabla& t) {
    return pliega(t.nombre) == "199ETIQUETAS";
}

class Calculo {
  public:
    explicit Calculo(const Hoja& hoja) : hoja_(hoja) {
        std::set<int32_t> noAsignar(hoja.noAsignar.begin(), hoja.noAsignar.end());
        for (const auto& f : hoja.feature)
            if (f.ftype != 4 && !noAsignar.count(f.mslink) && !recorta(f.tablename).empty())
                asignables_.insert(f.mslink);
        for (std::size_t t = 0; t < hoja.tablas.size(); ++t) {
            if (!porEntidad_.count(hoja.tablas[t].entitynum))
                porEntidad_[hoja.tablas[t].entitynum] = static_cast<int>(t);
            // Per mslink: the first record in stored order and how many records hold it.
            auto& filas = filasPorMslink_.emplace_back();
            const auto& registros = hoja.tablas[t].particular;
            for (std::size_t i = 0; i < registros.size(); ++i) {
                auto m = static_cast<std::size_t>(registros[i].mslink);
                if (m >= filas.size()) filas.resize(m + 1, {-1, 0});
                if (filas[m].second++ == 0) filas[m].first = static_cast<int32_t>(i);
            }
        }
        // Elements in the order of each BIN file, for reading bytes at an offset.
        for (std::size_t i = 0; i < hoja.elementos.size(); ++i) {
            orden_[0].push_back(i);
            if (hoja.elementos[i].posicionAdaptacion >= 0) orden_[1].push_back(i);
        }
    }

    Esperado calcula() {
        Esperado e;
        e.marcas.resize(hoja_.tablas.size());
        e.anexados.resize(hoja_.tablas.size());
        Mensaje sinNoAsignar{
            "No existe la tabla NoAsignar\rSe asignarán todos los elementos que se encuentren en "
            "la "
            "tabla FEATURE, excepto los centroides (ftype=4)"};
        if (!hoja_.opciones.noAsignar) e.mensajesCorrelate.push_back(sinNoAsignar);
        e.correlate = recorre(false, e.marcas, e.anexados);
        fusiona(e.marcas, e.anexados);
        if (hoja_.binAdaptacion)
            e.mensajesAdaptacion.push_back(
                {"No coinciden los nombres del fichero Vexa y de la BdD Particular\r¿Desea "
                 "continuar?",
                 276, "Consistencia entre nombres", 6});
        if (!hoja_.opciones.noAsignar) e.mensajesAdaptacion.push_back(sinNoAsignar);
        e.adaptacion = recorre(true, e.marcas, e.anexados);
        return e;
    }

  private:
    // ---- the walk

    Recorrido recorre(bool adaptacion, std::vector<std::vector<int32_t>>& marcas,
                      const std::vector<std::vector<Registro>>& anexados) {
        Recorrido r;
        if (adaptacion) indexaGeneral(anexados);
        std::vector<std::vector<bool>> marcadas(hoja_.tablas.size());
        for (std::size_t t = 0; t < marcadas.size(); ++t)
            marcadas[t].resize(hoja_.tablas[t].particular.size());
        for (const auto& e : hoja_.elementos) {
            int64_t inicio = adaptacion ? e.posicionAdaptacion : e.posicion;
            if (inicio < 0) continue;
            if (e.numAtr == 0 && esAsignable(e.codigo)) {
                ++r.contadores[SinAtr];
                r.errores.push_back(
                    {"Elemento en gráfico sin ATR", 0, 0, kRutaBin, kRutaParticular});
                r.marcadores.push_back({inicio, "61601", punto(adaptacion, e, inicio)});
            }
            const Atr* atrs = &hoja_.atributos[e.primerAtr];
            bool repetida = false;
            for (uint32_t i = 0; i < e.numAtr; ++i) {
                const Atr& a = atrs[i];
                for (uint32_t j = 0; j < i && a.entitynum != 1 && !repetida; ++j)
                    repetida = atrs[j].entitynum == a.entitynum;
                if (repetida) {
                    ++r.contadores[AtrRepetido];
                    r.errores.push_back({"Existe ATR con la misma tabla de ocurrencias",
                                         a.entitynum, 0, kRutaBin, kRutaParticular});
                    r.marcadores.push_back({inicio, "61603", punto(adaptacion, e, inicio)});
                }
                if (a.entitynum == 1) continue;
                auto t = porEntidad_.find(a.entitynum);
                if (t == porEntidad_.end()) {
                    ++r.contadores[TablaInexistente];
                    r.errores.push_back({"Elemento gráfico apuntando a una tabla inexistente",
                                         a.entitynum, 0, kRutaBin, kRutaParticular});
                    continue;
                }
                int64_t posAtr = inicio + 48 + 12 * (int64_t{e.numRegistros} + i);
                if (adaptacion)
                    adapta(t->second, a, posAtr, r);
                else
                    correlaciona(t->second, a, marcadas, r);
            }
        }
        if (!adaptacion)
            for (std::size_t t = 0; t < marcadas.size(); ++t)
                for (std::size_t fila = 0; fila < marcadas[t].size(); ++fila)
                    if (marcadas[t][fila]) marcas[t].push_back(static_cast<int32_t>(fila));
        return r;
    }

    bool esAsignable(const CampoTexto<7>& codigo) const {
        std::string texto = codigoLeido(codigo);
        return !texto.empty() && asignables_.count(std::stoi(texto));
    }

    // The first record with the mslink, and how many there are ({-1, 0} for none).
    std::pair<int32_t, int32_t> filas(int tabla, int32_t mslink) const {
        const auto& f = filasPorMslink_[tabla];
        if (mslink < 0 || static_cast<std::size_t>(mslink) >= f.size()) return {-1, 0};
        return f[static_cast<std::size_t>(mslink)];
    }

    void correlaciona(int tabla, const Atr& a, std::vector<std::vector<bool>>& marcadas,
                      Recorrido& r) {
        if (auto [fila, cuantas] = filas(tabla, a.mslink); cuantas > 0) {
            marcadas[tabla][static_cast<std::size_t>(fila)] = true;
            return;
        }
        ++r.contadores[SinRegistro];
        r.errores.push_back({"No existe Registro " + std::to_string(a.mslink) + " en BdD " +
                                 recorta(hoja_.tablas[tabla].catalogo),
                             a.entitynum, a.mslink, kRutaBin, kRutaParticular});
    }

    // ---- the Adaptation lookups

    // General keys after the merge: (Tcomplet, Clasific) in ordinary tables, (Tcomplet,
    // Tmapa) and (Tcomplet, netiqueta) in the label table, compared as the engine compares
    // text in a condition (letter case aside), Null matching nothing.
    void indexaGeneral(const std::vector<std::vector<Registro>>& anexados) {
        claves_.assign(hoja_.tablas.size(), {});
        halladas_.assign(hoja_.tablas.size(), {});
        for (std::size_t t = 0; t < hoja_.tablas.size(); ++t) {
            auto indexa = [&](const Registro& g) {
                if (!g.tcomplet) return;
                if (!esEtiquetas(hoja_.tablas[t])) {
                    if (g.clasific)
                        anota(t, clave(*g.tcomplet, std::to_string(*g.clasific)), g.mslink);
                    return;
                }
                if (g.tmapa) anota(t, "M" + clave(*g.tcomplet, *g.tmapa), g.mslink);
                if (g.netiqueta) anota(t, "N" + clave(*g.tcomplet, *g.netiqueta), g.mslink);
            };
            for (const auto& g : hoja_.tablas[t].general) indexa(g);
            for (const auto& g : anexados[t]) indexa(g);
        }
    }

    static std::string clave(const std::string& a, const std::string& b) {
        return pliega(a) + '\x1f' + pliega(b);
    }

    void anota(std::size_t tabla, const std::string& k, int32_t mslink) {
        auto& c = claves_[tabla][k];
        ++c.first;
        c.second = mslink;
    }

    // How many General records the key of a Particular record finds, and the mslink of one.
    std::pair<int, int32_t> halla(int tabla, int32_t fila) {
        auto& cache = halladas_[tabla];
        if (cache.empty()) cache.resize(hoja_.tablas[tabla].particular.size(), {-1, 0});
        auto& hallada = cache[static_cast<std::size_t>(fila)];
        if (hallada.first >= 0) return hallada;
        const Tabla& t = hoja_.tablas[tabla];
        const Registro& p = t.particular[static_cast<std::size_t>(fila)];
        std::string k;
        if (!esEtiquetas(t)) {
            k = clave(p.tcomplet ? *p.tcomplet : *p.tmapa,
                      p.clasific ? std::to_string(*p.clasific) : "0");
        } else {
            if (!p.tcomplet)
                throw std::logic_error("etiqueta sin Tcomplet en la hoja de Adaptación");
            k = p.tmapa ? "M" + clave(*p.tcomplet, *p.tmapa)
                        : "N" + clave(*p.tcomplet, *p.netiqueta);
        }
        auto g = claves_[tabla].find(k);
        hallada = g == claves_[tabla].end() ? std::pair<int, int32_t>{0, 0} : g->second;
        return hallada;
    }

    void adapta(int tabla, const Atr& a, int64_t posAtr, Recorrido& r) {
        auto [fila, registros] = filas(tabla, a.mslink);
        if (registros != 1)
            throw std::logic_error("la hoja de Adaptación lleva un ATR que detiene la Adaptación");
        auto [cuantos, mslink] = halla(tabla, fila);
        if (cuantos == 0)
            r.errores.push_back({"No hay correspondencia entre la BdDParticular y la BdDGeneral",
                                 a.entitynum, a.mslink, kRutaGeneral, kRutaParticular});
        else if (cuantos > 1)
            r.errores.push_back(
                {"Encontrado más de una correspondencia entre la BdDParticular y la BdDGeneral",
                 a.entitynum, a.mslink, kRutaGeneral, kRutaParticular});
        else if (mslink > 0 && mslink != a.mslink)
            r.reescritos.push_back({posAtr, a.mslink, mslink});
    }

    // ---- the merge

    void fusiona(const std::vector<std::vector<int32_t>>& marcas,
                 std::vector<std::vector<Registro>>& anexados) {
        for (std::size_t t = 0; t < hoja_.tablas.size(); ++t) {
            const Tabla& tabla = hoja_.tablas[t];
            std::string nombre = pliega(recorta(tabla.catalogo));
            if (nombre == "CATEGORY" || nombre == "FEATURE" || nombre == "MAPS" ||
                nombre == "MSCATALOG")
                continue;
            bool etiquetas = nombre == "199ETIQUETAS";
            // Equivalence is exact text: (Tcomplet, class) or (Tcomplet, Tmapa or Null).
            std::set<std::pair<std::string, std::string>> claves;
            auto claveDe = [&](const Registro& r, const std::string& tcomplet) {
                if (etiquetas)
                    return std::make_pair(tcomplet, r.tmapa ? "=" + *r.tmapa : std::string("null"));
                return std::make_pair(tcomplet, std::to_string(r.clasific.value_or(0)));
            };
            int32_t mayor = 0;
            for (const auto& g : tabla.general) {
                if (g.tcomplet) claves.insert(claveDe(g, *g.tcomplet));
                if (g.mslink < 60000) mayor = std::max(mayor, g.mslink);
            }
            for (int32_t fila : marcas[t]) {
                const Registro& p = tabla.particular[fila];
                std::string texto = p.tcomplet ? *p.tcomplet : *p.tmapa;
                if (!claves.insert(claveDe(p, texto)).second) continue;
                Registro n;
                n.mslink = ++mayor;
                n.tcomplet = texto;
                n.tmapa = p.tmapa;
                if (etiquetas) {
                    n.netiqueta = p.netiqueta;
                } else {
                    n.clasific = p.clasific.value_or(0);
                    n.tfeature = p.tfeature;
                }
                anexados[t].push_back(n);
            }
        }
    }

    // ---- marker insertion points

    // The 12 bytes after the block of the element at `inicio`, as the error file writer
    // reads them through the BIN file: none for a "C=" element without body records, and
    // zeros past the end of the file.
    std::array<uint8_t, 12> punto(bool adaptacion, const Elemento& e, int64_t inicio) {
        std::array<uint8_t, 12> p{};
        if (e.tipo[0] == 'C' && e.tipo[1] == '=' && e.numRegistros <= 0) return p;
        const auto& orden = orden_[adaptacion];
        auto posDe = [&](std::size_t i) {
            const Elemento& x = hoja_.elementos[i];
            return adaptacion ? x.posicionAdaptacion : x.posicion;
        };
        int64_t desde = inicio + 48;
        auto it = std::upper_bound(orden.begin(), orden.end(), desde,
                                   [&](int64_t pos, std::size_t i) { return pos < posDe(i); });
        std::size_t k = static_cast<std::size_t>(it - orden.begin());
        if (k > 0) --k;
        int64_t salto = desde - posDe(orden[k]);
        std::string bytes;
        for (std::size_t j = k; j < orden.size() && static_cast<int64_t>(bytes.size()) < salto + 12;
             ++j)
            bytesElemento(hoja_, hoja_.elementos[orden[j]], bytes);
        for (int b = 0; b < 12; ++b)
            if (salto + b < static_cast<int64_t>(bytes.size()))
                p[b] = static_cast<uint8_t>(bytes[static_cast<std::size_t>(salto + b)]);
        return p;
    }

    const Hoja& hoja_;
    std::set<int32_t> asignables_;
    std::map<int32_t, int> porEntidad_;  // first catalog entry of each entity number
    std::vector<std::vector<std::pair<int32_t, int32_t>>> filasPorMslink_;
    std::vector<std::unordered_map<std::string, std::pair<int, int32_t>>> claves_;
    std::vector<std::vector<std::pair<int, int32_t>>> halladas_;  // per table and Particular row
    std::vector<std::size_t> orden_[2];
};

}  // namespace

Esperado calculaEsperado(const Hoja& hoja) {
    return Calculo(hoja).calcula();
}

}  // namespace pelmora::hoja
