// The walk on generated sheets (pelmora-hoja): the Correlate and Adaptation walks,
// run with the steps of their runs around them (and the merge between them), give
// exactly the counts, error rows, markers, marks and rewritten links that the
// sheet's esperado.json holds.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdlib>

#include "ficherobin/Modulo_Bin.h"
#include "ficherobin/RecorreFicheroBin.h"
#include "core/FinPrograma.h"
#include "db/Modulo_BdD.h"
#include "tests/support/RecorridoPrueba.h"

namespace pelmora::prueba {
namespace {

const char* const kContadores[] = {"NumSinAtrOcurrencia",      "NumSinAtr",
                                   "NumAtrRepetido",           "NumTablaInexistente",
                                   "NumSinRegistro",           "NumSinCorrespondencia",
                                   "NumVariasCorrespondencias"};

std::string S(const QJsonValue& v) {
    return v.toString().toStdString();
}

struct Hoja {
    std::string formato;
    std::string argumentos;
};

class RecorridoHoja : public ::testing::TestWithParam<Hoja> {
  protected:
    void SetUp() override {
        estado.reloj = [] { return FechaHora{2026, 3, 14, 9, 26, 53}; };
        std::string orden = std::string(PELMORA_BIN_DIR) + "/pelmora-hoja --salida " +
                            temporal.path("hoja") + " --formato " + GetParam().formato + " " +
                            GetParam().argumentos;
        if (GetParam().formato == "mdb")
            orden += " --plantilla " + std::string(PELMORA_FIXTURES) + "/empty.mdb";
        if (std::system((orden + " >/dev/null 2>&1").c_str()) != 0) {
            if (GetParam().formato == "mdb")
                GTEST_SKIP() << "pelmora-hoja no escribe aún la hoja en .mdb";
            FAIL() << orden;
        }
        QFile f(QString::fromStdString(temporal.path("hoja/esperado.json")));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        esperado = QJsonDocument::fromJson(f.readAll()).object();
        const QJsonObject ficheros = esperado["ficheros"].toObject();
        bin = Ruta(ficheros["bin"]);
        binAdaptacion =
            ficheros["bin_adaptacion"].isNull() ? bin : Ruta(ficheros["bin_adaptacion"]);
        particular = Ruta(ficheros["particular"]);
        general = Ruta(ficheros["general"]);
    }

    std::string Ruta(const QJsonValue& nombre) { return temporal.path("hoja/" + S(nombre)); }

    // A text of esperado.json with its placeholders replaced by the paths of the run.
    std::string Texto(const QJsonValue& v, const std::string& rutaBin) {
        std::string t = S(v);
        for (auto [marca, ruta] : {std::pair<std::string, std::string>{"{bin}", rutaBin},
                                   {"{particular}", particular},
                                   {"{general}", general}})
            for (size_t i; (i = t.find(marca)) != std::string::npos;)
                t.replace(i, marca.size(), ruta);
        return t;
    }

    void CompruebaContadores(const QJsonObject& run) {
        const std::vector<int32_t> obtenidos = {
            estado.NumSinAtrOcurrencia,      estado.NumSinAtr,      estado.NumAtrRepetido,
            estado.NumTablaInexistente,      estado.NumSinRegistro, estado.NumSinCorrespondencia,
            estado.NumVariasCorrespondencias};
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(obtenidos[i], run["contadores"].toObject()[kContadores[i]].toInt())
                << kContadores[i];
    }

    // The ERRORES rows of the Particular database from `desde` on, as expected.
    void CompruebaErrores(const QJsonObject& run, size_t desde, const std::string& rutaBin) {
        auto bdd = engine::openDatabase(particular);
        std::vector<Fila> filas = Lee(*bdd, "Select ERRORES.* from ERRORES;",
                                      {"DescripcionError", "EntitynumError", "RegistroError",
                                       "FicheroBinError", "FicheroMdbError"});
        ASSERT_GE(filas.size(), desde);
        std::vector<Fila> esperadas;
        for (const QJsonValue& v : run["errores"].toArray()) {
            QJsonObject e = v.toObject();
            esperadas.push_back({T(Texto(e["DescripcionError"], rutaBin)),
                                 L(e["EntitynumError"].toInt()), L(e["RegistroError"].toInt()),
                                 M(Texto(e["FicheroBinError"], rutaBin)),
                                 M(Texto(e["FicheroMdbError"], rutaBin))});
        }
        EXPECT_EQ(std::vector<Fila>(filas.begin() + static_cast<long>(desde), filas.end()),
                  esperadas);
    }

    // The error BIN file: its length, and each marker's code, block and insertion point.
    void CompruebaMarcadores(const QJsonObject& run, const std::string& rutaBin,
                             const Bytes& original) {
        const QJsonObject fichero = run["fichero_errores"].toObject();
        const std::string ruta = Ruta(fichero["nombre"]);
        EXPECT_EQ(ruta, NombreFicheroErrorBin(rutaBin));
        const Bytes errores = LeeFichero(ruta);
        ASSERT_EQ(errores.size(), static_cast<size_t>(fichero["bytes"].toInt()));
        const QJsonArray marcadores = run["marcadores"].toArray();
        ASSERT_EQ(errores.size(), 72u * marcadores.size());
        for (qsizetype i = 0; i < marcadores.size(); ++i) {
            const QJsonObject m = marcadores[i].toObject();
            const Bytes marcador = errores.substr(static_cast<size_t>(i) * 72, 72);
            EXPECT_EQ(marcador.substr(2, 7), S(m["codigo"]) + Bytes(2, '\0')) << i;
            EXPECT_EQ(QByteArray::fromStdString(marcador.substr(48, 12)).toHex().toStdString(),
                      S(m["punto"]))
                << i;
            const auto posicion = static_cast<size_t>(m["posicion"].toInteger());
            EXPECT_EQ(marcador.substr(12, 24), original.substr(posicion + 12, 24)) << i;
        }
    }

    TempDir temporal;
    PantallaGuion pantalla;
    Estado estado{pantalla};
    QJsonObject esperado;
    std::string bin, binAdaptacion, particular, general;
};

TEST_P(RecorridoHoja, CorrelateFusionYAdaptacionDanLoEsperado) {
    // Correlate, as its run prepares it.
    const QJsonObject correlate = esperado["correlate"].toObject();
    const Bytes binOriginal = LeeFichero(bin);
    estado.TipoProceso = "CORRELATE";
    estado.NombreFicheroBin = bin;
    estado.NombreBdDParticular = particular;
    ASSERT_TRUE(ejecutaHastaFin(pantalla, [&] {
        AbreYChequeaBdD(estado, particular);
        PreparaTcorrelate(estado, particular);
        RecorreFicheroBin(estado, bin);
    })) << ::testing::PrintToString(pantalla.mensajes);
    CompruebaContadores(correlate);
    CompruebaErrores(correlate, 0, bin);
    CompruebaMarcadores(correlate, bin, binOriginal);
    EXPECT_EQ(LeeFichero(bin), binOriginal);
    const QJsonObject marcas = correlate["marcas"].toObject();
    for (auto tabla = marcas.begin(); tabla != marcas.end(); ++tabla) {
        std::vector<int> marcadas;
        const std::vector<Fila> filas =
            Lee(*estado.BdDParticular, SentenciaTabla(tabla.key().toStdString()), {"Tcorrelate"});
        for (size_t i = 0; i < filas.size(); ++i)
            if (filas[i][0].toBool()) marcadas.push_back(static_cast<int>(i));
        std::vector<int> esperadas;
        for (const QJsonValue& v : tabla.value().toObject()["marcadas"].toArray())
            esperadas.push_back(v.toInt());
        EXPECT_EQ(filas.size(), static_cast<size_t>(tabla.value().toObject()["filas"].toInt()));
        EXPECT_EQ(marcadas, esperadas) << tabla.key().toStdString();
    }
    const size_t erroresCorrelate = correlate["errores"].toArray().size();

    // Fusion, then Adaptation as its run prepares it.
    estado.NombreBdDGeneral = general;
    ASSERT_TRUE(ejecutaHastaFin(pantalla, [&] {
        AbreBdDGeneralYParticular(estado, general, particular);
        CargaMsCatalogGeneral(estado);
        CargaMsCatalogParticular(estado);
        FusionaBdD(estado);
    })) << ::testing::PrintToString(pantalla.mensajes);

    const QJsonObject adaptacion = esperado["adaptacion"].toObject();
    const Bytes adaptacionOriginal = LeeFichero(binAdaptacion);
    for (int32_t* c : {&estado.NumSinAtrOcurrencia, &estado.NumSinAtr, &estado.NumAtrRepetido,
                       &estado.NumTablaInexistente, &estado.NumSinRegistro,
                       &estado.NumSinCorrespondencia, &estado.NumVariasCorrespondencias})
        *c = 0;
    estado.TipoProceso = "ADAPTACION";
    estado.NombreFicheroBin = binAdaptacion;
    ASSERT_TRUE(ejecutaHastaFin(pantalla, [&] {
        AbreYChequeaBdD(estado, general);
        AbreBdDGeneralYParticular(estado, general, particular);
        CargaMsCatalogParticular(estado);
        RecorreFicheroBin(estado, binAdaptacion);
    })) << ::testing::PrintToString(pantalla.mensajes);
    CompruebaContadores(adaptacion);
    CompruebaErrores(adaptacion, erroresCorrelate, binAdaptacion);
    if (binAdaptacion != bin) CompruebaMarcadores(adaptacion, binAdaptacion, adaptacionOriginal);
    Bytes reescrito = adaptacionOriginal;
    for (const QJsonValue& v : adaptacion["reescritos"].toArray()) {
        const QJsonArray r = v.toArray();
        const auto posicion = static_cast<size_t>(r[0].toInteger());
        EXPECT_EQ(reescrito.substr(posicion + 2, 4), Le32(r[1].toInt())) << posicion;
        reescrito.replace(posicion + 2, 4, Le32(r[2].toInt()));
    }
    EXPECT_EQ(LeeFichero(binAdaptacion), reescrito);
}

INSTANTIATE_TEST_SUITE_P(
    Hojas, RecorridoHoja,
    ::testing::Values(Hoja{"sqlite", "--elementos 400 --semilla 1"},
                      Hoja{"sqlite", "--elementos 250 --atributos 3 --tablas 6 --semilla 7"},
                      Hoja{"sqlite", "--elementos 150 --semilla 4 --sin-problemas"},
                      Hoja{"sqlite", "--elementos 150 --semilla 5 --sin-noasignar"},
                      Hoja{"mdb", "--elementos 150 --semilla 2"}),
    [](const ::testing::TestParamInfo<Hoja>& info) {
        return "Hoja" + std::to_string(info.index) + "_" + info.param.formato;
    });

}  // namespace
}  // namespace pelmora::prueba
