// The sample sheet generator (pelmora-hoja): its BIN files pass the check, and
// what esperado.json says of the Correlate counts, error rows, markers and marks
// is found again by reading its BIN file and databases back, independently of
// the generator's own plan; the Adaptation BIN file and the merge's numbering
// agree with the files too.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>
#include <set>

#include "core/PantallaGuion.h"
#include "db/engine/Database.h"
#include "db/engine/Recordset.h"
#include "db/engine/Text.h"
#include "ficherobin/Elemento.h"
#include "ficherobin/Modulo_Bin.h"
#include "tests/support/BinPrueba.h"
#include "tests/support/TempDir.h"

using namespace pelmora;
using pelmora::prueba::LeeFichero;
using pelmora::prueba::TempDir;
namespace fs = std::filesystem;

namespace {

int generador(const std::string& argumentos) {
    std::string orden =
        std::string(PELMORA_BIN_DIR) + "/pelmora-hoja " + argumentos + " >/dev/null 2>&1";
    return WEXITSTATUS(std::system(orden.c_str()));
}

QJsonObject leeJson(const std::string& ruta) {
    QFile f(QString::fromStdString(ruta));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << ruta;
    return QJsonDocument::fromJson(f.readAll()).object();
}

std::string s(const QJsonValue& v) {
    return v.toString().toStdString();
}

// Rows as JSON lines, so that a difference reads as text.
std::string comoTexto(const QJsonArray& filas) {
    std::string t;
    for (const auto& f : filas)
        t += QJsonDocument(f.toObject()).toJson(QJsonDocument::Compact).toStdString() + "\n";
    return t;
}

struct ElementoLeido {
    int64_t inicio = 0;
    CabeceraElemento cabecera;
    int64_t atributos = 0;  // offset of the first ATR
    std::vector<AtributoOcurrencia> atrs;
};

std::vector<ElementoLeido> leeElementos(const std::string& ruta) {
    FicheroBinario bin(ruta, FicheroBinario::Modo::Lectura);
    std::vector<ElementoLeido> elementos;
    do {
        ElementoLeido e;
        auto extension = leeElemento(bin, e.cabecera);
        e.inicio = extension.inicio;
        e.atributos = extension.atributos;
        bin.situa(extension.atributos);
        e.atrs.resize(e.cabecera.NumAtributos);
        for (auto& a : e.atrs) bin.lee(a);
        elementos.push_back(e);
    } while (quedaElemento(bin.posicion(), bin.longitud()));
    return elementos;
}

// What the databases hold, as the runs read it.
struct Base {
    std::map<int32_t, std::string> tablaDeEntidad;  // first catalog entry of each entitynum
    std::map<std::string, std::string> nombreReal;  // catalog name -> the database's name
    std::set<int32_t> asignables;                   // Feature codes an element must have an ATR for
    std::map<std::string, std::vector<int32_t>> mslinks;  // per catalog table, in stored order
    std::map<std::string, std::vector<std::pair<std::string, int32_t>>> claves;  // General keys
};

std::string recorta(std::string t) {
    t.erase(0, t.find_first_not_of(' '));
    t.erase(t.find_last_not_of(' ') + 1);
    return t;
}

template <class F>
void recorre(engine::Database& db, const std::string& tabla, F f) {
    auto rs =
        db.openRecordset("Select " + tabla + ".* from " + tabla + ";", engine::OpenMode::Snapshot);
    for (; !rs->eof(); rs->moveNext()) f(*rs);
}

Base leeBase(const std::string& ruta) {
    auto db = engine::openDatabase(ruta);
    Base b;
    std::vector<std::string> tablas;
    recorre(*db, "MsCatalog", [&](engine::Recordset& rs) {
        std::string nombre = recorta(rs.field("tablename").toText());
        b.tablaDeEntidad.emplace(rs.field("entitynum").toLong(), nombre);
        tablas.push_back(nombre);
    });
    std::set<int32_t> noAsignar;
    auto nombres = db->tableNames();
    if (std::find(nombres.begin(), nombres.end(), "NOASIGNAR") != nombres.end())
        recorre(*db, "NOASIGNAR",
                [&](engine::Recordset& rs) { noAsignar.insert(rs.field("mslink").toLong()); });
    recorre(*db, "Feature", [&](engine::Recordset& rs) {
        int32_t m = rs.field("mslink").toLong();
        if (rs.field("ftype").toInteger() != 4 && !noAsignar.count(m) &&
            !recorta(rs.field("tablename").toText()).empty())
            b.asignables.insert(m);
    });
    for (const auto& t : tablas) {
        for (const auto& n : nombres)
            if (engine::sameName(n, t)) b.nombreReal[t] = n;
        if (t == "Category" || t == "Feature") continue;
        recorre(*db, t, [&](engine::Recordset& rs) {
            b.mslinks[t].push_back(rs.field("mslink").toLong());
            auto tcomplet = rs.field("tcomplet");
            if (!tcomplet.isNull())
                b.claves[t].push_back({tcomplet.toText(), rs.field("mslink").toLong()});
        });
    }
    return b;
}

struct Recorrido {
    std::vector<int32_t> contadores = std::vector<int32_t>(7);
    QJsonArray errores;
    std::vector<std::pair<int64_t, std::string>> marcadores;
    std::map<std::string, std::set<int32_t>> marcas;  // stored rows reached, per table
};

QJsonObject fila(const std::string& descripcion, int32_t ent, int32_t reg) {
    return QJsonObject{{"DescripcionError", QString::fromStdString(descripcion)},
                       {"EntitynumError", ent},
                       {"RegistroError", reg},
                       {"FicheroBinError", "{bin}"},
                       {"FicheroMdbError", "{particular}"}};
}

// The element-level checks of both runs, and the Correlate lookups, read off the files.
Recorrido recorreBin(const std::vector<ElementoLeido>& elementos, const Base& base,
                     bool correlate) {
    Recorrido r;
    for (const auto& e : elementos) {
        std::string codigo = textoDe(e.cabecera.CodigoFeature);
        codigo = recorta(codigo.substr(0, codigo.find('\0')));
        if (e.atrs.empty() && !codigo.empty() && base.asignables.count(std::stoi(codigo))) {
            ++r.contadores[1];
            r.errores.append(fila("Elemento en gráfico sin ATR", 0, 0));
            r.marcadores.push_back({e.inicio, "61601"});
        }
        for (std::size_t i = 0; i < e.atrs.size(); ++i) {
            const auto& a = e.atrs[i];
            bool repetida = false;
            for (std::size_t j = 0; j <= i; ++j)
                for (std::size_t k = j + 1; k <= i; ++k)
                    repetida |=
                        e.atrs[j].Entitynum != 1 && e.atrs[j].Entitynum == e.atrs[k].Entitynum;
            if (repetida) {
                ++r.contadores[2];
                r.errores.append(
                    fila("Existe ATR con la misma tabla de ocurrencias", a.Entitynum, 0));
                r.marcadores.push_back({e.inicio, "61603"});
            }
            if (a.Entitynum == 1) continue;
            auto t = base.tablaDeEntidad.find(a.Entitynum);
            if (t == base.tablaDeEntidad.end()) {
                ++r.contadores[3];
                r.errores.append(
                    fila("Elemento gráfico apuntando a una tabla inexistente", a.Entitynum, 0));
                continue;
            }
            const auto& m = base.mslinks.at(t->second);
            auto fila1 = std::find(m.begin(), m.end(), a.Mslink);
            if (!correlate) {
                EXPECT_EQ(std::count(m.begin(), m.end(), a.Mslink), 1) << "ATR en " << e.inicio;
            } else if (fila1 != m.end()) {
                r.marcas[t->second].insert(static_cast<int32_t>(fila1 - m.begin()));
            } else {
                ++r.contadores[4];
                r.errores.append(
                    fila("No existe Registro " + std::to_string(a.Mslink) + " en BdD " + t->second,
                         a.Entitynum, a.Mslink));
            }
        }
    }
    return r;
}

std::vector<int32_t> contadores(const QJsonObject& run) {
    std::vector<int32_t> c;
    for (const char* n :
         {"NumSinAtrOcurrencia", "NumSinAtr", "NumAtrRepetido", "NumTablaInexistente",
          "NumSinRegistro", "NumSinCorrespondencia", "NumVariasCorrespondencias"})
        c.push_back(run["contadores"].toObject()[n].toInt());
    return c;
}

QJsonArray sinFilasDeLaGeneral(const QJsonArray& errores) {
    QJsonArray r;
    for (const auto& f : errores)
        if (f.toObject()["FicheroBinError"].toString() != "{general}") r.append(f);
    return r;
}

void compruebaMarcadores(const QJsonObject& run, const Recorrido& r, const std::string& bytes) {
    QJsonArray m = run["marcadores"].toArray();
    ASSERT_EQ(m.size(), static_cast<qsizetype>(r.marcadores.size()));
    for (qsizetype i = 0; i < m.size(); ++i) {
        QJsonObject x = m[i].toObject();
        int64_t pos = x["posicion"].toInteger();
        EXPECT_EQ(pos, r.marcadores[i].first);
        EXPECT_EQ(s(x["codigo"]), r.marcadores[i].second);
        // The insertion point: the 12 bytes after the block, none for "C=" without body.
        std::string punto(12, '\0');
        bool sinCuerpo =
            bytes.compare(pos, 2, "C=") == 0 && bytes[pos + 10] == 0 && bytes[pos + 11] == 0;
        if (!sinCuerpo)
            for (int b = 0; b < 12 && pos + 48 + b < static_cast<int64_t>(bytes.size()); ++b)
                punto[b] = bytes[pos + 48 + b];
        QByteArray hex = QByteArray(punto.data(), 12).toHex();
        EXPECT_EQ(s(x["punto"]), hex.toStdString()) << "marcador en " << pos;
    }
    EXPECT_EQ(run["fichero_errores"].toObject()["bytes"].toInteger(), 72 * m.size());
}

}  // namespace

TEST(PelmoraHoja, LaHojaTieneLoQueDiceEsperado) {
    TempDir dir;
    ASSERT_EQ(generador("--salida " + dir.path("h") + " --elementos 1200 --semilla 7 --tablas 3"),
              0);
    auto ruta = [&](const std::string& n) { return dir.path("h/" + n); };
    QJsonObject esperado = leeJson(ruta("esperado.json"));
    QJsonObject ficheros = esperado["ficheros"].toObject();
    std::string bin = ruta(s(ficheros["bin"])), binA = ruta(s(ficheros["bin_adaptacion"]));

    // Both BIN files pass the check.
    for (const auto& r : {bin, binA}) {
        PantallaGuion pantalla;
        Estado estado(pantalla);
        estado.NombreFicheroBin = r;
        EXPECT_TRUE(ejecutaHastaFin(pantalla, [&] { ChequeaFicheroBin(estado); })) << r;
    }
    auto elementos = leeElementos(bin);
    auto elementosA = leeElementos(binA);
    QJsonObject hoja = esperado["hoja"].toObject();
    EXPECT_EQ(static_cast<int64_t>(elementos.size()), hoja["elementos"].toInteger());
    EXPECT_EQ(static_cast<int64_t>(elementosA.size()), hoja["elementos_adaptacion"].toInteger());
    std::string bytes = LeeFichero(bin), bytesA = LeeFichero(binA);
    EXPECT_EQ(static_cast<int64_t>(bytes.size()), hoja["longitud_bin"].toInteger());
    int64_t atrs = 0;
    for (const auto& e : elementos) atrs += static_cast<int64_t>(e.atrs.size());
    EXPECT_EQ(atrs, hoja["atributos"].toInteger());

    // Correlate: counts, rows, markers and marks, found again from the files.
    Base particular = leeBase(ruta(s(ficheros["particular"])));
    QJsonObject correlate = esperado["correlate"].toObject();
    Recorrido c = recorreBin(elementos, particular, true);
    EXPECT_EQ(contadores(correlate), c.contadores);
    for (int i : {1, 2, 3, 4}) EXPECT_GT(c.contadores[i], 0) << "contador " << i;
    EXPECT_EQ(comoTexto(correlate["errores"].toArray()), comoTexto(c.errores));
    compruebaMarcadores(correlate, c, bytes);
    QJsonObject marcas = correlate["marcas"].toObject();
    for (const auto& [tabla, filas] : c.marcas) {
        QJsonArray esperadas = marcas[QString::fromStdString(particular.nombreReal.at(tabla))]
                                   .toObject()["marcadas"]
                                   .toArray();
        std::set<int32_t> leidas;
        for (const auto& f : esperadas) leidas.insert(f.toInt());
        EXPECT_EQ(leidas, filas) << tabla;
    }
    QJsonArray lineas = correlate["lineas"].toArray();
    ASSERT_EQ(lineas.size(), 13);
    EXPECT_EQ(s(lineas[7]),
              "Existe ATR con la misma tabla de ocurrencias : " + std::to_string(c.contadores[2]));

    // The Adaptation BIN file: the main file's elements, in order, less those that would
    // stop the run; every ATR there finds exactly one Particular record.
    std::size_t k = 0;
    for (const auto& e : elementosA) {
        std::size_t n =
            static_cast<std::size_t>(48 + 12 * (e.cabecera.NumRegistros + e.cabecera.NumAtributos));
        while (k < elementos.size() &&
               bytes.compare(elementos[k].inicio, n, bytesA, e.inicio, n) != 0)
            ++k;
        ASSERT_LT(k, elementos.size()) << "elemento en " << e.inicio;
        ++k;
    }
    QJsonObject adaptacion = esperado["adaptacion"].toObject();
    Recorrido a = recorreBin(elementosA, particular, false);
    auto ca = contadores(adaptacion);
    for (int i : {0, 1, 2, 3}) EXPECT_EQ(ca[i], a.contadores[i]);
    for (int i : {4, 5, 6}) EXPECT_EQ(ca[i], 0);
    EXPECT_EQ(comoTexto(sinFilasDeLaGeneral(adaptacion["errores"].toArray())),
              comoTexto(a.errores));
    compruebaMarcadores(adaptacion, a, bytesA);
    ASSERT_FALSE(adaptacion["mensajes"].toArray().isEmpty());
    EXPECT_EQ(s(adaptacion["mensajes"].toArray()[0].toObject()["titulo"]),
              "Consistencia entre nombres");

    // Rewritten ATRs sit where ATRs are, and hold the mslink they are said to hold.
    std::set<int64_t> posiciones;
    for (const auto& e : elementosA)
        for (std::size_t i = 0; i < e.atrs.size(); ++i)
            posiciones.insert(e.atributos + 12 * static_cast<int64_t>(i));
    QJsonArray reescritos = adaptacion["reescritos"].toArray();
    EXPECT_GT(reescritos.size(), 0);
    for (const auto& r : reescritos) {
        QJsonArray x = r.toArray();
        int64_t pos = x[0].toInteger();
        ASSERT_TRUE(posiciones.count(pos)) << pos;
        AtributoOcurrencia atr;
        atr.desdeBytes(reinterpret_cast<const uint8_t*>(bytesA.data() + pos));
        EXPECT_EQ(atr.Mslink, x[1].toInt());
        EXPECT_NE(x[1].toInt(), x[2].toInt());
    }

    // The merge's new records: numbered on from the General table's highest mslink below
    // 60000, one after another, under keys the General table lacks.
    Base general = leeBase(ruta(s(ficheros["general"])));
    QJsonObject anexados = esperado["fusion"].toObject()["anexados"].toObject();
    EXPECT_FALSE(anexados.isEmpty());
    for (const auto& nombre : anexados.keys()) {
        std::string tabla;
        for (const auto& [catalogo, real] : general.nombreReal)
            if (real == nombre.toStdString()) tabla = catalogo;
        ASSERT_FALSE(tabla.empty()) << nombre.toStdString();
        int32_t mayor = 0;
        for (int32_t m : general.mslinks[tabla])
            if (m < 60000) mayor = std::max(mayor, m);
        std::set<std::string> tcomplets;
        for (const auto& [t, m] : general.claves[tabla]) tcomplets.insert(t);
        for (const auto& r : anexados[nombre].toArray()) {
            QJsonObject x = r.toObject();
            EXPECT_EQ(x["mslink"].toInt(), ++mayor);
            EXPECT_FALSE(tcomplets.count(s(x["tcomplet"]))) << s(x["tcomplet"]);
        }
    }
}

TEST(PelmoraHoja, MismaSemillaMismaHojaYSinProblemas) {
    TempDir dir;
    ASSERT_EQ(generador("--salida " + dir.path("a") + " --elementos 300 --semilla 3"), 0);
    ASSERT_EQ(generador("--salida " + dir.path("b") + " --elementos 300 --semilla 3"), 0);
    ASSERT_EQ(generador("--salida " + dir.path("c") + " --elementos 300 --semilla 4"), 0);
    EXPECT_EQ(LeeFichero(dir.path("a/hoja.bin")), LeeFichero(dir.path("b/hoja.bin")));
    EXPECT_EQ(LeeFichero(dir.path("a/esperado.json")), LeeFichero(dir.path("b/esperado.json")));
    EXPECT_NE(LeeFichero(dir.path("a/hoja.bin")), LeeFichero(dir.path("c/hoja.bin")));

    ASSERT_EQ(
        generador("--salida " + dir.path("d") + " --elementos 300 --sin-problemas --atributos 3"),
        0);
    QJsonObject esperado = leeJson(dir.path("d/esperado.json"));
    EXPECT_TRUE(esperado["ficheros"].toObject()["bin_adaptacion"].isNull());
    EXPECT_FALSE(fs::exists(dir.path("d/hoja_adaptacion.bin")));
    for (const char* run : {"correlate", "adaptacion"}) {
        QJsonObject r = esperado[run].toObject();
        EXPECT_EQ(contadores(r), std::vector<int32_t>(7, 0)) << run;
        EXPECT_TRUE(r["errores"].toArray().isEmpty()) << run;
        EXPECT_TRUE(r["marcadores"].toArray().isEmpty()) << run;
        EXPECT_TRUE(r["mensajes"].toArray().isEmpty()) << run;
    }
    EXPECT_EQ(s(esperado["adaptacion"].toObject()["entradas"].toObject()["bin"]), "bin");
    EXPECT_GT(esperado["adaptacion"].toObject()["reescritos"].toArray().size(), 0);
    auto elementos = leeElementos(dir.path("d/hoja.bin"));
    Recorrido r = recorreBin(elementos, leeBase(dir.path("d/hoja.db3")), true);
    EXPECT_EQ(r.contadores, std::vector<int32_t>(7, 0));
    std::size_t masDeDos = 0;
    for (const auto& e : elementos) masDeDos += e.atrs.size() > 2;
    EXPECT_GT(masDeDos, 0u);
}

TEST(PelmoraHoja, SinNoAsignarYOpciones) {
    TempDir dir;
    ASSERT_EQ(generador("--salida " + dir.path("n") + " --elementos 200 --sin-noasignar"), 0);
    // The notice it then expects is the program's (test_bdd_catalogos.cpp), which the
    // end-to-end tests compare with it.
    QJsonObject esperado = leeJson(dir.path("n/esperado.json"));
    Base base = leeBase(dir.path("n/hoja.db3"));
    Recorrido r = recorreBin(leeElementos(dir.path("n/hoja.bin")), base, true);
    EXPECT_EQ(contadores(esperado["correlate"].toObject()), r.contadores);

    // Usage errors, an earlier sheet kept unless replaced, nothing left by a failed run.
    for (const std::string& uso :
         {std::string("--elementos 5"), "--salida " + dir.path("x") + " --formato mdb",
          "--salida " + dir.path("x") + " --elementos -3"})
        EXPECT_EQ(generador(uso), 2) << uso;
    std::string antes = LeeFichero(dir.path("n/hoja.bin"));
    EXPECT_EQ(generador("--salida " + dir.path("n") + " --elementos 50"), 1);
    EXPECT_EQ(LeeFichero(dir.path("n/hoja.bin")), antes);
    EXPECT_EQ(generador("--salida " + dir.path("n") + " --elementos 50 --reemplaza"), 0);
    EXPECT_NE(LeeFichero(dir.path("n/hoja.bin")), antes);
    EXPECT_EQ(generador("--salida " + dir.path("m") + " --formato mdb --plantilla " +
                        dir.path("falta.mdb")),
              1);
    EXPECT_TRUE(fs::is_empty(dir.path("m")));
}
