#include "tests/support/Extremo.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <cstring>
#include <set>

#include "db/engine/Database.h"
#include "db/engine/Recordset.h"
#include "tests/support/BinPrueba.h"
#include "tests/support/TempDir.h"

namespace pelmora::prueba {

namespace fs = std::filesystem;

namespace {

QJsonObject Proceso(const HojaGenerada& hoja, const char* proceso) {
    return hoja.esperado[proceso].toObject();
}

QJsonValue ValorJson(const engine::Value& v) {
    using engine::Type;
    switch (v.type()) {
        case Type::Null:
            return QJsonValue::Null;
        case Type::Boolean:
            return v.toBool();
        case Type::Byte:
        case Type::Integer:
        case Type::Long:
            return static_cast<qint64>(v.toLong());
        case Type::Single:
        case Type::Double:
            return v.toDouble();
        case Type::DateTime:
            return QString::fromStdString(engine::formatDateTime(v.rawDouble()));
        default:
            return QString::fromStdString(v.toText());
    }
}

bool Verdadero(const QJsonValue& v) {
    return v.isBool() ? v.toBool() : v.toDouble() != 0;
}

int32_t EnteroEn(const std::string& bytes, int64_t posicion) {
    int32_t valor = 0;
    std::memcpy(&valor, bytes.data() + posicion, sizeof valor);
    return valor;
}

std::string Hex(const std::string& bytes) {
    return QByteArray::fromStdString(bytes).toHex().toStdString();
}

// Compares one expected value of esperado.json with the value read back.
void CompruebaValor(const QJsonValue& esperado, const QJsonValue& leido, const std::string& donde) {
    if (esperado.isNull())
        EXPECT_TRUE(leido.isNull() || leido.isUndefined()) << donde;
    else if (esperado.isDouble())
        EXPECT_EQ(esperado.toDouble(), leido.toDouble(-1e300)) << donde;
    else
        EXPECT_EQ(esperado.toString().toStdString(), leido.toString("<no es texto>").toStdString())
            << donde;
}

size_t Filas(const std::string& bdd, const std::string& tabla) {
    try {
        return LeeConMotor(bdd, tabla).size();
    } catch (const std::exception&) {
        return 0;  // the table does not exist yet
    }
}

void CompruebaControl(const HojaGenerada& hoja, const char* proceso, const Antes& antes,
                      const LectorFilas& lee, const Entradas& e) {
    auto filas = lee(e.particular, "ControlFicherosProcesados");
    ASSERT_EQ(filas.size(), antes.control + 1) << proceso << ": una fila de control";
    QJsonObject esperado = Proceso(hoja, proceso)["control"].toObject();
    for (const QString& campo : esperado.keys())
        EXPECT_EQ(Sustituye(esperado[campo].toString(), e),
                  filas.back()[campo.toLower()].toString().toStdString())
            << proceso << ": control " << campo.toStdString();
}

void CompruebaErrores(const HojaGenerada& hoja, const char* proceso, const Antes& antes,
                      const LectorFilas& lee, const Entradas& e) {
    QJsonArray esperados = Proceso(hoja, proceso)["errores"].toArray();
    auto filas = lee(e.particular, "ERRORES");
    ASSERT_EQ(filas.size(), antes.errores + esperados.size()) << proceso << ": filas de ERRORES";
    for (qsizetype i = 0; i < esperados.size(); ++i) {
        QJsonObject fila = esperados[i].toObject();
        const QJsonObject& leida = filas[antes.errores + i];
        for (const QString& campo : fila.keys()) {
            QJsonValue valor = fila[campo];
            if (valor.isString()) valor = QString::fromStdString(Sustituye(valor.toString(), e));
            CompruebaValor(valor, leida[campo.toLower()],
                           std::string(proceso) + ": ERRORES " + std::to_string(i) + " " +
                               campo.toStdString());
        }
    }
}

void CompruebaFicheroErrores(const HojaGenerada& hoja, const char* proceso, const Antes& antes) {
    QJsonObject p = Proceso(hoja, proceso);
    fs::path ruta =
        hoja.carpeta / p["fichero_errores"].toObject()["nombre"].toString().toStdString();
    const int64_t bytes = p["fichero_errores"].toObject()["bytes"].toInteger();
    // Correlate starts a new file; Adaptation appends to the one it finds.
    const std::string base = std::strcmp(proceso, "correlate") == 0 ? "" : antes.ficheroErrores;
    if (bytes == 0 && base.empty()) {
        EXPECT_FALSE(fs::exists(ruta)) << proceso << ": no queda fichero de errores";
        return;
    }
    const std::string despues = LeeFichero(ruta.string());
    ASSERT_EQ(static_cast<int64_t>(despues.size()), static_cast<int64_t>(base.size()) + bytes)
        << ruta;
    EXPECT_EQ(despues.substr(0, base.size()), base) << proceso << ": lo anterior sigue igual";
    QJsonArray marcadores = p["marcadores"].toArray();
    for (qsizetype i = 0; i < marcadores.size(); ++i) {
        QJsonObject m = marcadores[i].toObject();
        const std::string marcador = despues.substr(base.size() + 72 * i, 72);
        const std::string donde = std::string(proceso) + ": marcador " + std::to_string(i);
        EXPECT_EQ(marcador.substr(0, 2), "T=") << donde;
        std::string codigo = m["codigo"].toString().toStdString();
        codigo.resize(7, '\0');
        EXPECT_EQ(marcador.substr(2, 7), codigo) << donde;
        EXPECT_EQ(Hex(marcador.substr(48, 12)), m["punto"].toString().toStdString()) << donde;
        // The block's first 24 bytes are the faulty element's.
        int64_t posicion = m["posicion"].toInteger();
        EXPECT_EQ(Hex(marcador.substr(12, 24)), Hex(antes.bin.substr(posicion + 12, 24))) << donde;
        EXPECT_EQ(EnteroEn(marcador, 36), 100) << donde;
        EXPECT_EQ(EnteroEn(marcador, 40), 8) << donde;
        EXPECT_EQ(EnteroEn(marcador, 44), 0) << donde;
    }
}

void CompruebaMarcas(const HojaGenerada& hoja, const LectorFilas& lee, const Entradas& e) {
    QJsonObject marcas = Proceso(hoja, "correlate")["marcas"].toObject();
    for (const QString& tabla : marcas.keys()) {
        auto filas = lee(e.particular, tabla.toStdString());
        ASSERT_EQ(static_cast<qint64>(filas.size()), marcas[tabla].toObject()["filas"].toInteger())
            << tabla.toStdString();
        std::set<qint64> marcadas;
        for (const QJsonValue& v : marcas[tabla].toObject()["marcadas"].toArray())
            marcadas.insert(v.toInteger());
        for (size_t i = 0; i < filas.size(); ++i)
            EXPECT_EQ(Verdadero(filas[i]["tcorrelate"]), marcadas.count(i) > 0)
                << tabla.toStdString() << ", fila " << i;
    }
}

void CompruebaAnexados(const HojaGenerada& hoja, const Antes& antes, const LectorFilas& lee,
                       const Entradas& e) {
    QJsonObject anexados = Proceso(hoja, "fusion")["anexados"].toObject();
    for (const auto& [tabla, previas] : antes.general) {
        QJsonArray esperados = anexados[QString::fromStdString(tabla)].toArray();
        auto filas = lee(e.general, tabla);
        ASSERT_EQ(filas.size(), previas + esperados.size()) << "General, tabla " << tabla;
        for (qsizetype i = 0; i < esperados.size(); ++i) {
            QJsonObject registro = esperados[i].toObject();
            for (const QString& campo : registro.keys())
                CompruebaValor(
                    registro[campo], filas[previas + i][campo.toLower()],
                    tabla + ", anexado " + std::to_string(i) + " " + campo.toStdString());
        }
    }
}

void CompruebaReescritos(const HojaGenerada& hoja, const Antes& antes, const Entradas& e) {
    std::string esperado = antes.bin;
    for (const QJsonValue& v : Proceso(hoja, "adaptacion")["reescritos"].toArray()) {
        QJsonArray r = v.toArray();
        int64_t posicion = r[0].toInteger();
        EXPECT_EQ(EnteroEn(antes.bin, posicion + 2), r[1].toInteger()) << "ATR en " << posicion;
        int32_t despues = static_cast<int32_t>(r[2].toInteger());
        std::memcpy(esperado.data() + posicion + 2, &despues, sizeof despues);
    }
    const std::string leido = LeeFichero(e.bin);
    ASSERT_EQ(leido.size(), esperado.size());
    auto [a, b] = std::mismatch(leido.begin(), leido.end(), esperado.begin());
    EXPECT_TRUE(a == leido.end()) << "el fichero BIN difiere en el byte " << (a - leido.begin());
}

}  // namespace

fs::path PlantillaMdb(const fs::path& carpeta, const char* fixture) {
    const fs::path nombre(fixture);
    const bool ace = nombre.extension() == ".accdb";
    const fs::path ruta = carpeta / ("plantilla" + nombre.extension().string());
    copyWritable(fs::path(ace ? PELMORA_ACE_FIXTURES : PELMORA_FIXTURES) / nombre, ruta);
    return ruta;
}

std::string HojaGenerada::fichero(const QString& clave) const {
    return (carpeta / esperado["ficheros"][clave].toString().toStdString()).string();
}

HojaGenerada GeneraHoja(const fs::path& carpeta, const QStringList& argumentos,
                        const QString& programa) {
    QProcess p;
    p.start(programa,
            QStringList{"--salida", QString::fromStdString(carpeta.string())} + argumentos);
    EXPECT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QFile esperado(QString::fromStdString((carpeta / "esperado.json").string()));
    HojaGenerada hoja{carpeta, {}};
    if (esperado.open(QIODevice::ReadOnly))
        hoja.esperado = QJsonDocument::fromJson(esperado.readAll()).object();
    EXPECT_FALSE(hoja.esperado.isEmpty()) << "pelmora-hoja no escribió esperado.json";
    return hoja;
}

Entradas EntradasDe(const HojaGenerada& hoja, const char* proceso) {
    QJsonObject entradas = Proceso(hoja, proceso)["entradas"].toObject();
    auto ruta = [&](const char* clave) {
        return entradas.contains(clave) ? hoja.fichero(entradas[clave].toString()) : std::string();
    };
    return {ruta("bin"), ruta("particular"), ruta("general")};
}

QStringList ArgumentosDe(const HojaGenerada& hoja, const char* proceso) {
    const Entradas e = EntradasDe(hoja, proceso);
    QStringList argumentos{proceso};
    auto opcion = [&](const char* nombre, const std::string& ruta) {
        if (!ruta.empty()) argumentos << nombre << QString::fromStdString(ruta);
    };
    opcion("--bin", e.bin);
    opcion("--particular", e.particular);
    opcion("--general", e.general);
    for (const QJsonValue& m : Proceso(hoja, proceso)["mensajes"].toArray())
        if (m["respuesta"].toInt() == 6) argumentos << "--si";
    return argumentos;
}

std::string Sustituye(const QString& texto, const Entradas& e) {
    QString t = texto;
    t.replace("{bin}", QString::fromStdString(e.bin));
    t.replace("{particular}", QString::fromStdString(e.particular));
    t.replace("{general}", QString::fromStdString(e.general));
    return t.toStdString();
}

std::vector<QJsonObject> LeeConMotor(const std::string& bdd, const std::string& tabla) {
    auto base = engine::openDatabase(bdd);
    auto rs = base->openRecordset("Select " + tabla + ".* from " + tabla + ";",
                                  engine::OpenMode::Snapshot);
    std::vector<QJsonObject> filas;
    for (; !rs->eof(); rs->moveNext()) {
        QJsonObject fila;
        for (int i = 0; i < rs->fieldCount(); ++i)
            fila[QString::fromStdString(rs->fieldName(i)).toLower()] =
                ValorJson(rs->field(rs->fieldName(i)));
        filas.push_back(fila);
    }
    rs->close();
    return filas;
}

std::vector<QJsonObject> LeeConMdbtools(const std::string& bdd, const std::string& tabla) {
    QProcess p;
    p.start("mdb-json", {QString::fromStdString(bdd), QString::fromStdString(tabla)});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << "mdb-json " << bdd << " " << tabla << ": "
                               << p.readAllStandardError().toStdString();
    std::vector<QJsonObject> filas;
    for (const QByteArray& linea : p.readAllStandardOutput().split('\n')) {
        if (linea.trimmed().isEmpty()) continue;
        QJsonObject leida = QJsonDocument::fromJson(linea).object(), fila;
        for (const QString& campo : leida.keys()) fila[campo.toLower()] = leida[campo];
        filas.push_back(fila);
    }
    return filas;
}

Antes Fotografia(const HojaGenerada& hoja, const char* proceso, const Entradas& e) {
    Antes antes;
    antes.control = Filas(e.particular, "ControlFicherosProcesados");
    antes.errores = Filas(e.particular, "ERRORES");
    for (const QJsonValue& t : hoja.esperado["hoja"].toObject()["tablas"].toArray()) {
        std::string tabla = t["nombre"].toString().toStdString();
        antes.general[tabla] = Filas(hoja.fichero("general"), tabla);
    }
    if (!e.bin.empty()) antes.bin = LeeFichero(e.bin);
    QJsonValue errores = Proceso(hoja, proceso)["fichero_errores"].toObject()["nombre"];
    if (errores.isString()) {
        fs::path ruta = hoja.carpeta / errores.toString().toStdString();
        if (fs::exists(ruta)) antes.ficheroErrores = LeeFichero(ruta.string());
    }
    return antes;
}

void CompruebaEfectos(const HojaGenerada& hoja, const char* proceso, const Entradas& e,
                      const Antes& antes, const LectorFilas& lee) {
    CompruebaControl(hoja, proceso, antes, lee, e);
    const std::string p = proceso;
    if (p == "fusion") {
        CompruebaAnexados(hoja, antes, lee, e);
        return;
    }
    CompruebaErrores(hoja, proceso, antes, lee, e);
    CompruebaFicheroErrores(hoja, proceso, antes);
    if (p == "correlate") CompruebaMarcas(hoja, lee, e);
    if (p == "adaptacion") {
        CompruebaReescritos(hoja, antes, e);
        EXPECT_NO_THROW(lee(e.general, "ERRORES")) << "la BdD General tiene sus tablas de control";
        EXPECT_NO_THROW(lee(e.general, "ControlFicherosProcesados"));
    }
}

QStringList MensajesEsperados(const HojaGenerada& hoja, const char* proceso) {
    QStringList lineas;
    for (const QJsonValue& m : Proceso(hoja, proceso)["mensajes"].toArray())
        lineas << "MENSAJE: " + m["texto"].toString().replace("\r", "\\r");
    return lineas;
}

QStringList LineasEsperadas(const HojaGenerada& hoja, const char* proceso) {
    QStringList lineas;
    for (const QJsonValue& l : Proceso(hoja, proceso)["lineas"].toArray()) lineas << l.toString();
    return lineas;
}

}  // namespace pelmora::prueba
