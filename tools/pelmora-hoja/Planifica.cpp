// Plans a sheet: the tables and their catalogs, the Feature list, the elements
// with the problems injected at random places, and the records the ATRs reach.
#include <algorithm>
#include <stdexcept>

#include "tools/pelmora-hoja/Azar.h"
#include "tools/pelmora-hoja/Hoja.h"

namespace pelmora::hoja {
namespace {

constexpr int32_t kEntitynumEtiquetas = 199;
constexpr int32_t kPrimeraOrdinaria = 10;
constexpr int16_t kDesconocidas[] = {777, 888};
constexpr int32_t kMaxRegistros = 15000;   // per table, so that General numbers stay below 60000
constexpr int64_t kMaxPorProblema = 1000;  // elements of each problem kind
constexpr int32_t kFeatureVacia = 9001;    // Feature row with a blank table name
constexpr int32_t kFeatureDoble = 9002;    // a centroid row, then an assignable row
constexpr int32_t kPrimeraDesconocida = 999001;

const char* const kNombres[] = {"Edificios", "Vias",    "Hidrografia",    "Vegetacion",
                                "Cotas",     "Limites", "Construcciones", "Toponimia"};
const char* const kPrefijos[] = {"Edificio", "Calle", "Río",  "Pinar",
                                 "Cota",     "Linde", "Nave", "Paraje"};

// The problem kinds in the order they are given room when the sheet is small.
const Clase kProblemas[] = {Clase::SinAtr,
                            Clase::Repetido,
                            Clase::TablaInexistente,
                            Clase::SinRegistro,
                            Clase::VariasGeneral,
                            Clase::Entitynum1,
                            Clase::SinAtrCentroide,
                            Clase::MslinkDuplicado,
                            Clase::SinCorrespondenciaGeneral,
                            Clase::EtiquetaSinTcomplet,
                            Clase::SinAtrNoAsignar,
                            Clase::SinAtrDesconocido,
                            Clase::SinAtrFeatureVacia,
                            Clase::SinAtrTipoRaro};

// An ATR before its record's mslink is known.
struct Referencia {
    enum Tipo { Benigna, Especial, Falta, Uno, Desconocida } tipo;
    int tabla = -1;  // index into Hoja::tablas
    int indice = 0;  // benign or special record of the table; the mslink itself for Falta
};

std::string mayusculas(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string numero(int64_t n, int ancho = 6) {
    std::string s = std::to_string(n);
    return std::string(ancho > static_cast<int>(s.size()) ? ancho - s.size() : 0, '0') + s;
}

class Planificador {
  public:
    explicit Planificador(const Opciones& o) : azar_(o.semilla) { hoja_.opciones = o; }

    Hoja planifica() {
        creaTablas();
        creaFeature();
        creaElementos();
        for (int t : consulta_) creaRegistros(t);
        creaOtrosRegistros();
        rellenaAtributos();
        situaElementos();
        return std::move(hoja_);
    }

  private:
    // ---- tables and catalogs

    void creaTablas() {
        auto anade = [&](ClaseTabla clase, std::string nombre, std::string catalogo, int32_t ent) {
            Tabla t;
            t.clase = clase;
            t.nombre = std::move(nombre);
            t.catalogo = std::move(catalogo);
            t.entitynum = ent;
            hoja_.tablas.push_back(std::move(t));
            return static_cast<int>(hoja_.tablas.size()) - 1;
        };
        anade(ClaseTabla::Category, "Category", "Category", 2);
        anade(ClaseTabla::Feature, "Feature", "Feature", 3);
        for (int i = 0; i < hoja_.opciones.tablas; ++i) {
            std::string base = i < 8 ? kNombres[i] : "Tabla" + numero(i + 1, 2);
            std::string catalogo = i == 1 ? base + "  " : i == 2 ? mayusculas(base) : base;
            int t = anade(ClaseTabla::Ordinaria, mayusculas(base), catalogo, kPrimeraOrdinaria + i);
            hoja_.tablas[t].columnasMayusculas = i == 2;
            hoja_.tablas[t].tcorrelatePrevio = i == std::min(1, hoja_.opciones.tablas - 1);
            consulta_.push_back(t);
        }
        consulta_.push_back(
            anade(ClaseTabla::Etiquetas, "199ETIQUETAS", "199Etiquetas", kEntitynumEtiquetas));
        anade(ClaseTabla::Maps, "Maps", "Maps", 5);
        for (int i = 0; i < static_cast<int>(hoja_.tablas.size()); ++i)
            hoja_.ordenGeneral.push_back(i);
        azar_.baraja(hoja_.ordenGeneral);
    }

    // Four Feature rows per table: two assignable, a centroid and one listed in NoAsignar.
    void creaFeature() {
        int k = 0;
        for (auto& t : hoja_.tablas) {
            if (t.clase == ClaseTabla::Category || t.clase == ClaseTabla::Feature) continue;
            int32_t base = 100 * ++k;
            std::string nombre = k == 1 ? "  " + t.catalogo + " " : t.catalogo;
            hoja_.feature.push_back({base + 1, nombre, 1});
            hoja_.feature.push_back({base + 2, nombre, 2});
            hoja_.feature.push_back({base + 3, nombre, 4});
            hoja_.feature.push_back({base + 4, nombre, 1});
            t.features = {base + 1, base + 2};
            if (hoja_.opciones.noAsignar) hoja_.noAsignar.push_back(base + 4);
        }
        const std::string& primera = hoja_.tablas[consulta_[0]].catalogo;
        hoja_.feature.push_back({kFeatureVacia, "   ", 1});
        hoja_.feature.push_back({kFeatureDoble, primera, 4});
        hoja_.feature.push_back({kFeatureDoble, primera, 1});
        if (hoja_.opciones.noAsignar) {
            hoja_.noAsignar.push_back(888888);              // in no Feature row
            hoja_.noAsignar.push_back(hoja_.noAsignar[0]);  // listed twice
        }
    }

    int32_t codigoBase(int tabla) const { return hoja_.tablas[tabla].features[0] - 1; }

    // ---- elements

    std::vector<Clase> reparteClases() {
        int64_t n = hoja_.opciones.elementos;
        std::vector<Clase> clases;
        if (hoja_.opciones.problemas) {
            int64_t cada = std::clamp<int64_t>(n * 4 / 1000, 1, kMaxPorProblema);
            int64_t sitio = n / 2;
            for (Clase c : kProblemas)
                for (int64_t i = 0; i < cada && sitio > 0; ++i, --sitio) clases.push_back(c);
        }
        clases.resize(static_cast<std::size_t>(n), Clase::Normal);
        azar_.baraja(clases);
        // The odd kind's marker takes its insertion point from the next element: not last.
        if (clases.back() == Clase::SinAtrTipoRaro) {
            auto otra = std::find_if(clases.rbegin(), clases.rend(),
                                     [](Clase c) { return c != Clase::SinAtrTipoRaro; });
            std::iter_swap(clases.rbegin(), otra);
        }
        return clases;
    }

    // `k` distinct tables that ATRs may name.
    std::vector<int> tablasDistintas(int k) {
        std::vector<int> t = consulta_;
        for (int i = 0; i < k; ++i)
            std::swap(t[i], t[i + azar_.hasta(static_cast<uint32_t>(t.size() - i))]);
        t.resize(k);
        return t;
    }

    int ordinaria() { return consulta_[azar_.hasta(static_cast<uint32_t>(consulta_.size() - 1))]; }
    int etiquetas() const { return consulta_.back(); }

    Referencia benigna(int tabla) { return {Referencia::Benigna, tabla, 0}; }

    Referencia especial(int tabla, Registro r) {
        especiales_[tabla].push_back(std::move(r));
        return {Referencia::Especial, tabla, static_cast<int>(especiales_[tabla].size()) - 1};
    }

    Referencia uno() { return {Referencia::Uno, -1, 0}; }
    Referencia desconocida() { return {Referencia::Desconocida, -1, 0}; }

    std::vector<Referencia> atributosDe(Clase clase, int64_t vez) {
        int ntablas = static_cast<int>(consulta_.size());
        switch (clase) {
            case Clase::Normal: {
                int k = std::min<int>(1 + static_cast<int>(azar_.hasta(hoja_.opciones.atributos)),
                                      ntablas);
                std::vector<Referencia> r;
                for (int t : tablasDistintas(k)) r.push_back(benigna(t));
                return r;
            }
            case Clase::Repetido: {
                auto t = tablasDistintas(std::min(3, ntablas));
                int a = t[0], b = t[std::min(1, ntablas - 1)], c = t[std::min(2, ntablas - 1)];
                switch (vez % 4) {
                    case 0:
                        return {benigna(a), benigna(a)};
                    case 1:
                        return {benigna(a), benigna(b), benigna(a)};
                    case 2:
                        return {benigna(a), benigna(a), benigna(b), benigna(c)};
                    default:
                        return {benigna(a), benigna(b), benigna(b)};
                }
            }
            case Clase::Entitynum1: {
                int a = tablasDistintas(1)[0];
                switch (vez % 3) {
                    case 0:
                        return {uno()};
                    case 1:
                        return {uno(), uno(), benigna(a)};
                    default:
                        return {benigna(a), uno()};
                }
            }
            case Clase::TablaInexistente: {
                int a = tablasDistintas(1)[0];
                switch (vez % 3) {
                    case 0:
                        return {desconocida()};
                    case 1:
                        return {benigna(a), desconocida()};
                    default:
                        return {desconocida(), desconocida()};
                }
            }
            case Clase::SinRegistro:
                return {{Referencia::Falta, tablasDistintas(1)[0], 55000 + static_cast<int>(vez)}};
            case Clase::MslinkDuplicado: {
                int t = ordinaria();
                Referencia r = especial(t, registro(Caso::MslinkDuplicado, t));
                especial(t, registro(Caso::MslinkDuplicado, t));  // its partner, same mslink
                pares_[t].push_back(r.indice);
                return {r};
            }
            case Clase::EtiquetaSinTcomplet:
                return {especial(etiquetas(), registro(Caso::EtiquetaSinTcomplet, etiquetas()))};
            case Clase::VariasGeneral: {
                int t = ordinaria();
                return {especial(t, registro(Caso::Gemelo, t))};
            }
            case Clase::SinCorrespondenciaGeneral: {
                int t = ordinaria();
                return {especial(t, registro(Caso::SinCorrespondencia, t))};
            }
            default:
                return {};
        }
    }

    // The feature code of an element: its first table's, or the one its kind needs.
    std::string codigoDe(Clase clase, const std::vector<Referencia>& refs, int64_t vez) {
        int t = consulta_[azar_.hasta(static_cast<uint32_t>(consulta_.size()))];
        for (const auto& r : refs)
            if (r.tabla >= 0) {
                t = r.tabla;
                break;
            }
        int32_t base = codigoBase(t);
        switch (clase) {
            case Clase::SinAtr:
                switch (vez % 4) {
                    case 0:
                        return std::to_string(base + 1);
                    case 1:
                        return std::to_string(base + 2);
                    case 2:
                        return std::to_string(kFeatureDoble);
                    default:
                        return " " + std::to_string(base + 1);  // spaces are trimmed
                }
            case Clase::SinAtrCentroide:
                return std::to_string(base + 3);
            case Clase::SinAtrNoAsignar:
                return std::to_string(base + 4);
            case Clase::SinAtrDesconocido:
                return std::to_string(kPrimeraDesconocida + vez);
            case Clase::SinAtrFeatureVacia:
                return std::to_string(kFeatureVacia);
            default:
                return std::to_string(hoja_.tablas[t].features[azar_.hasta(2)]);
        }
    }

    void creaElementos() {
        const auto n = hoja_.tablas.size();
        especiales_.resize(n);
        benignas_.resize(n);
        pares_.resize(n);
        idAMslink_.resize(n);
        especialesDesde_.resize(n);
        std::vector<int64_t> veces(32, 0);
        for (Clase clase : reparteClases()) {
            int64_t vez = veces[static_cast<int>(clase)]++;
            auto refs = atributosDe(clase, vez);
            Elemento e;
            e.clase = clase;
            e.relleno = azar_.siguiente();
            bool texto = !refs.empty() && refs[0].tabla == etiquetas();
            asignaTexto(e.tipo, clase == Clase::SinAtrTipoRaro ? "CX" : texto ? "T=" : "C=");
            std::string codigo = codigoDe(clase, refs, vez);
            codigo.resize(7, '\0');
            asignaTexto(e.codigo, codigo);
            if (clase == Clase::SinAtrTipoRaro)
                e.numRegistros = 0;
            else if (texto)
                e.numRegistros = static_cast<int16_t>(2 + azar_.hasta(3));
            else if (refs.empty())
                e.numRegistros = static_cast<int16_t>(azar_.hasta(4));
            else
                e.numRegistros = static_cast<int16_t>(1 + azar_.hasta(6));
            e.numAtr = static_cast<uint8_t>(refs.size());
            e.primerAtr = static_cast<uint32_t>(referencias_.size());
            for (const auto& r : refs) {
                if (r.tipo == Referencia::Benigna)
                    benignas_[r.tabla].push_back(referencias_.size());
                referencias_.push_back(r);
            }
            hoja_.elementos.push_back(e);
        }
    }

    // ---- records

    Registro registro(Caso caso, int tabla) {
        const Tabla& t = hoja_.tablas[tabla];
        int64_t id = ++ultimoId_;
        Registro r;
        r.caso = caso;
        r.tfeature = t.features.empty() ? 0 : t.features[0];
        if (t.clase == ClaseTabla::Etiquetas) {
            r.tcomplet = "Rótulo " + numero(id);
            r.tmapa = "T" + numero(id);
            r.netiqueta = "E" + numero(id);
            if (caso == Caso::Netiqueta || caso == Caso::NetiquetaNuevo) r.tmapa.reset();
            if (caso == Caso::EtiquetaSinTcomplet) r.tcomplet.reset();
            return r;
        }
        int k = tabla - consulta_[0];
        r.tcomplet = std::string(kPrefijos[k % 8]) + " " + numero(id);
        r.tmapa = "M" + numero(id);
        r.clasific = 1 + static_cast<int32_t>(azar_.hasta(30));
        r.observ = "obs " + numero(id);
        switch (caso) {
            case Caso::NuevoSinTcomplet:
                r.tcomplet.reset();
                r.tmapa = "Paraje " + numero(id);
                break;
            case Caso::NuevoClasificNula:
            case Caso::CompartidoClasificNula:
            case Caso::SinCorrespondencia:
                r.clasific.reset();
                break;
            case Caso::ClasificGrande:
                r.clasific = 40000 + static_cast<int32_t>(azar_.hasta(20000));
                break;
            case Caso::ComillaNuevo:
            case Caso::ComillaCompartido:
                r.tcomplet = "Casa D'Artagnan " + numero(id);
                break;
            case Caso::Gemelo:
                r.tcomplet = "Calle Mayor " + numero(id);
                break;
            default:
                break;
        }
        return r;
    }

    Caso casoAlAzar(bool etiqueta) {
        uint32_t x = azar_.hasta(100);
        if (etiqueta)
            return x < 50   ? Caso::Compartido
                   : x < 75 ? Caso::Nuevo
                   : x < 85 ? Caso::Netiqueta
                            : Caso::NetiquetaNuevo;
        if (x < 45) return Caso::Compartido;
        if (x < 55) return Caso::MismoMslink;
        if (x < 80) return Caso::Nuevo;
        if (x < 85) return Caso::NuevoSinTcomplet;
        if (x < 90) return Caso::NuevoClasificNula;
        if (x < 95) return Caso::CompartidoClasificNula;
        return Caso::NuevoClaveRepetida;
    }

    // The benign records of a table: enough for its ATRs (every one reached while the ATRs
    // last), a few that no ATR reaches, then the special ones of the problem elements.
    void creaRegistros(int tabla) {
        Tabla& t = hoja_.tablas[tabla];
        bool etiqueta = t.clase == ClaseTabla::Etiquetas;
        auto& refs = benignas_[tabla];
        int32_t alcanzables = static_cast<int32_t>(std::clamp<int64_t>(
            (static_cast<int64_t>(refs.size()) * 3 + 3) / 4, 12, kMaxRegistros));
        int32_t sueltos = std::clamp(alcanzables / 10, 2, 1500);
        const Caso fijos[2][4] = {
            {Caso::MslinkAlto, Caso::ClasificGrande, Caso::ComillaNuevo, Caso::ComillaCompartido},
            {Caso::Compartido, Caso::NetiquetaNuevo, Caso::Netiqueta, Caso::Nuevo}};
        std::vector<Registro> lista;
        for (int32_t i = 0; i < alcanzables + sueltos; ++i) {
            Caso caso = i < 4 ? fijos[etiqueta][i] : casoAlAzar(etiqueta);
            if (i >= alcanzables)
                caso = etiqueta ? Caso::Nuevo : azar_.hasta(2) ? Caso::Nuevo : Caso::Compartido;
            if (caso == Caso::NuevoClaveRepetida && i + 1 >= alcanzables) caso = Caso::Nuevo;
            lista.push_back(registro(caso, tabla));
            if (caso == Caso::NuevoClaveRepetida) {
                Registro par = registro(caso, tabla);
                par.tcomplet = lista.back().tcomplet;
                par.clasific = lista.back().clasific;
                lista.push_back(par);
                ++i;
            }
        }
        for (std::size_t j = 0; j < refs.size(); ++j)
            referencias_[refs[j]].indice = j < static_cast<std::size_t>(alcanzables)
                                               ? static_cast<int>(j)
                                               : static_cast<int>(azar_.hasta(alcanzables));
        int32_t nBenignas = static_cast<int32_t>(lista.size());
        for (auto& r : especiales_[tabla]) lista.push_back(std::move(r));
        ordenaYNumera(tabla, std::move(lista), nBenignas);
    }

    // Stored order at random; mslinks a permutation of 1..n, except that each duplicated
    // pair shares one. `idAMslink_` keeps, per table, the mslink of every record by its
    // index in the list (benign first, then special).
    void ordenaYNumera(int tabla, std::vector<Registro> lista, int32_t nBenignas) {
        Tabla& t = hoja_.tablas[tabla];
        const auto n = lista.size();
        std::vector<int32_t> mslinks(n);
        for (std::size_t i = 0; i < n; ++i) mslinks[i] = static_cast<int32_t>(i + 1);
        azar_.baraja(mslinks);
        for (std::size_t i = 0; i < n; ++i) lista[i].mslink = mslinks[i];
        for (int j : pares_[tabla]) lista[nBenignas + j + 1].mslink = lista[nBenignas + j].mslink;
        auto& ids = idAMslink_[tabla];
        ids.clear();
        for (const auto& r : lista) ids.push_back(r.mslink);
        especialesDesde_[tabla] = nBenignas;
        if (t.tcorrelatePrevio)
            for (auto& r : lista) r.tcorrelate = azar_.porMil(300);
        creaGeneral(tabla, lista, static_cast<int32_t>(n) + 1);
        azar_.baraja(lista);
        t.particular = std::move(lista);
    }

    // The General table: the keys it shares with the sheet, records of its own, and
    // General numbers above every Particular number.
    void creaGeneral(int tabla, const std::vector<Registro>& particular, int32_t siguiente) {
        Tabla& t = hoja_.tablas[tabla];
        std::vector<Registro> general;
        int32_t altos = 0;
        for (const auto& p : particular) {
            Registro g = p;
            g.tcorrelate = false;
            switch (p.caso) {
                case Caso::Compartido:
                case Caso::ComillaCompartido:
                case Caso::Netiqueta:
                    g.mslink = siguiente++;
                    break;
                case Caso::MismoMslink:
                    break;
                case Caso::MslinkAlto:
                    g.mslink = 60100 + altos++;
                    break;
                case Caso::CompartidoClasificNula:
                    g.mslink = siguiente++;
                    g.clasific = 0;
                    break;
                case Caso::SinCorrespondencia:
                    g.mslink = siguiente++;
                    break;
                case Caso::Gemelo: {
                    g.mslink = siguiente++;
                    Registro gemelo = g;
                    gemelo.mslink = siguiente++;
                    gemelo.tcomplet = mayusculas(*g.tcomplet);
                    general.push_back(gemelo);
                    break;
                }
                default:
                    continue;
            }
            general.push_back(g);
        }
        int32_t propios = std::max<int32_t>(3, static_cast<int32_t>(particular.size()) / 5);
        for (int32_t i = 0; i < propios; ++i) {
            Registro g = registro(Caso::SoloGeneral, tabla);
            g.mslink = siguiente++;
            general.push_back(g);
        }
        // Every Particular record appended by the merge must still get a number below 60000.
        if (siguiente + static_cast<int64_t>(particular.size()) >= 60000)
            throw std::runtime_error("La tabla " + t.nombre +
                                     " tendría demasiados registros; use más tablas (--tablas)");
        azar_.baraja(general);
        t.general = std::move(general);
    }

    // Category and Maps: a few rows, the same in both databases.
    void creaOtrosRegistros() {
        for (auto& t : hoja_.tablas) {
            if (t.clase == ClaseTabla::Category) {
                const char* nombres[] = {"Vial", "Edificación", "Hidrografía"};
                for (int i = 0; i < 3; ++i) {
                    Registro r;
                    r.mslink = i + 1;
                    r.tcomplet = nombres[i];
                    t.particular.push_back(r);
                }
            } else if (t.clase == ClaseTabla::Maps) {
                for (int i = 0; i < 4; ++i) {
                    Registro r;
                    r.mslink = i + 1;
                    r.tcomplet = "Hoja " + numero(i + 1, 4);
                    r.tmapa = "0559-" + std::to_string(i + 1);
                    r.tfeature = t.features[0];
                    t.particular.push_back(r);
                }
            } else {
                continue;
            }
            t.general = t.particular;
        }
    }

    // ---- ATRs and places

    void rellenaAtributos() {
        for (const auto& r : referencias_) {
            Atr a;
            switch (r.tipo) {
                case Referencia::Benigna:
                case Referencia::Especial: {
                    int indice =
                        r.indice + (r.tipo == Referencia::Especial ? especialesDesde_[r.tabla] : 0);
                    a.entitynum = static_cast<int16_t>(hoja_.tablas[r.tabla].entitynum);
                    a.mslink = idAMslink_[r.tabla][indice];
                    break;
                }
                case Referencia::Falta:
                    a.entitynum = static_cast<int16_t>(hoja_.tablas[r.tabla].entitynum);
                    a.mslink = r.indice;
                    break;
                case Referencia::Uno:
                    a.entitynum = 1;
                    a.mslink = static_cast<int32_t>(1 + azar_.hasta(9999));
                    break;
                case Referencia::Desconocida:
                    a.entitynum = kDesconocidas[azar_.hasta(2)];
                    a.mslink = static_cast<int32_t>(1 + azar_.hasta(9999));
                    break;
            }
            for (char& c : a.resto) c = static_cast<char>(azar_.hasta(256));
            hoja_.atributos.push_back(a);
        }
    }

    static bool detieneAdaptacion(Clase c) {
        return c == Clase::SinRegistro || c == Clase::MslinkDuplicado ||
               c == Clase::EtiquetaSinTcomplet;
    }

    void situaElementos() {
        hoja_.binAdaptacion = hoja_.opciones.problemas;
        int64_t pos = 0, posAdaptacion = 0;
        for (auto& e : hoja_.elementos) {
            e.posicion = pos;
            pos += e.bytes();
            if (!hoja_.binAdaptacion) {
                e.posicionAdaptacion = e.posicion;
            } else if (!detieneAdaptacion(e.clase)) {
                e.posicionAdaptacion = posAdaptacion;
                posAdaptacion += e.bytes();
            }
        }
        hoja_.longitudBin = pos;
        hoja_.longitudBinAdaptacion = hoja_.binAdaptacion ? posAdaptacion : pos;
    }

    Hoja hoja_;
    Azar azar_;
    std::vector<int> consulta_;  // tables that ATRs name: the ordinary ones, then 199ETIQUETAS
    std::vector<Referencia> referencias_;
    std::vector<std::vector<std::size_t>> benignas_;  // per table, its benign references
    std::vector<std::vector<Registro>> especiales_;   // per table, its special records
    std::vector<std::vector<int>> pares_;             // per table, first special of each pair
    std::vector<std::vector<int32_t>> idAMslink_;     // per table, mslink by record index
    std::vector<int32_t> especialesDesde_;            // per table, index of its first special
    int64_t ultimoId_ = 0;
};

}  // namespace

Hoja planificaHoja(const Opciones& opciones) {
    if (opciones.elementos < 1) throw std::runtime_error("--elementos debe ser 1 o más");
    if (opciones.atributos < 1 || opciones.atributos > 255)
        throw std::runtime_error("--atributos debe estar entre 1 y 255");
    if (opciones.tablas < 1 || opciones.tablas > 50)
        throw std::runtime_error("--tablas debe estar entre 1 y 50");
    return Planificador(opciones).planifica();
}

}  // namespace pelmora::hoja
