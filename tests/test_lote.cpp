// The batch against the single-sheet commands: a generated delivery, some sheets
// broken in known ways, taken through "pelmora lote" with 1, 2 and 8 workers and
// through the three commands sheet by sheet; every file, and the report, must
// agree. Also an interrupted batch, the list of sheets, and the HTML report as a
// real browser reads it.
#include <gtest/gtest.h>
#include <signal.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "db/engine/Database.h"
#include "db/engine/Text.h"
#include "runs/RegistroProceso.h"
#include "tests/support/Ejecucion.h"
#include "tests/support/Fallo.h"
#include "tests/support/HojaPrueba.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;
using pelmora::prueba::Ejecucion;
using pelmora::prueba::TempDir;

namespace {

const QString kPelmora = pelmora::prueba::ProgramaPelmora();

Ejecucion programa(const QStringList& argumentos) {
    return pelmora::prueba::Ejecuta(kPelmora, argumentos, 300000);
}

// A delivery of `hojas` sheets of `elementos` elements in `carpeta`.
void entrega(const fs::path& carpeta, int hojas, int elementos, const QStringList& mas = {}) {
    Ejecucion r = pelmora::prueba::Ejecuta(
        PELMORA_BIN_DIR "/pelmora-hoja",
        QStringList{"--salida", QString::fromStdString(carpeta.string()), "--hojas",
                    QString::number(hojas), "--elementos", QString::number(elementos)} +
            mas);
    ASSERT_EQ(r.codigo, 0) << r.errores.toStdString();
}

QJsonObject leeJson(const fs::path& ruta) {
    QFile f(QString::fromStdString(ruta.string()));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << ruta;
    return QJsonDocument::fromJson(f.readAll()).object();
}

// The sheets the generator wrote, by name, in the delivery's order.
std::vector<std::string> nombres(const fs::path& carpeta) {
    std::vector<std::string> r;
    for (const QJsonValue& h : leeJson(carpeta / "entrega.json")["hojas"].toArray())
        r.push_back(h["nombre"].toString().toStdString());
    return r;
}

// The text with the sheet's folder named "{carpeta}".
std::string sinCarpeta(std::string texto, const std::string& carpeta) {
    for (size_t p; (p = texto.find(carpeta)) != std::string::npos;)
        texto.replace(p, carpeta.size(), "{carpeta}");
    return texto;
}

// Every table of a database as text, the run's date and time left out.
std::string contenido(const fs::path& ruta) {
    auto bdd = pelmora::engine::openDatabase(ruta.string());
    std::string r;
    for (const std::string& tabla : bdd->tableNames()) {
        if (tabla.rfind("sqlite_", 0) == 0) continue;
        std::vector<std::string> columnas;
        for (const auto& c : bdd->schema(tabla).columns)
            if (!pelmora::engine::sameName(c.name, "Fecha") &&
                !pelmora::engine::sameName(c.name, "Hora"))
                columnas.push_back(c.name);
        r += "[" + tabla + "]\n";
        for (const auto& fila : pelmora::prueba::Textos(*bdd, tabla, columnas)) {
            for (const std::string& v : fila) r += v + "\t";
            r += "\n";
        }
    }
    return r;
}

// Every file of the folder: databases by their content, the others byte for byte,
// the folder's path named "{carpeta}" wherever they hold it.
std::map<std::string, std::string> ficheros(const fs::path& carpeta) {
    std::map<std::string, std::string> r;
    for (const auto& e : fs::directory_iterator(carpeta)) {
        const std::string nombre = e.path().filename().string();
        if (nombre == "entrega.json") continue;
        r[nombre] = sinCarpeta(e.path().extension() == ".db3"
                                   ? contenido(e.path())
                                   : pelmora::prueba::contents(e.path().string()),
                               carpeta.string());
    }
    return r;
}

// Breaks sheets 2, 5 and 7 in known ways (a truncated BIN file, no Particular
// database, a read-only Particular database); sheets 3, 6, ... carry problems that
// stop their Adaptation.
void rompe(const fs::path& carpeta) {
    fs::resize_file(carpeta / "hoja002.bin", fs::file_size(carpeta / "hoja002.bin") / 2 + 3);
    fs::remove(carpeta / "hoja005.db3");
    fs::permissions(carpeta / "hoja007.db3", fs::perms::owner_read | fs::perms::group_read);
}

struct Referencia {
    int codigo = -1;  // -1: not run
    Ejecucion salida;
};

// The three commands sheet by sheet, phase by phase, a sheet's later runs skipped
// once one of them did not end.
std::map<std::string, std::array<Referencia, 3>> aMano(const fs::path& carpeta,
                                                       const std::vector<std::string>& hojas) {
    std::map<std::string, std::array<Referencia, 3>> r;
    const QString general = QString::fromStdString((carpeta / "hoja_general.db3").string());
    const char* ordenes[3] = {"correlate", "fusion", "adaptacion"};
    for (int i = 0; i < 3; ++i)
        for (const std::string& h : hojas) {
            const fs::path particular = carpeta / (h + ".db3");
            if (!fs::exists(particular)) continue;
            if (i > 0 && r[h][i - 1].codigo != 0) continue;
            r[h][i].salida = programa({ordenes[i], "--general", general, "--particular",
                                       QString::fromStdString(particular.string()), "--bin",
                                       QString::fromStdString((carpeta / (h + ".bin")).string()),
                                       "--sin-progreso"});
            r[h][i].codigo = r[h][i].salida.codigo;
        }
    return r;
}

// The counters a single run showed on its standard output, by name.
QJsonObject contadoresMostrados(const QString& salida) {
    QJsonObject r;
    for (const QString& linea : salida.split('\n'))
        for (const pelmora::Contador& c : pelmora::kContadores)
            if (linea.startsWith(QString::fromUtf8(c.texto)))
                r[c.nombre] = linea.mid(QString::fromUtf8(c.texto).size()).toInt();
    return r;
}

size_t veces(const std::string& texto, const std::string& trozo) {
    size_t n = 0;
    for (size_t p = texto.find(trozo); p != std::string::npos; p = texto.find(trozo, p + 1)) ++n;
    return n;
}

// The page's document once Debian's Chromium has read it, without a network.
std::string domDe(const fs::path& pagina) {
    TempDir perfil;
    QProcess chromium;
    chromium.start("chromium", {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                                "--no-first-run", "--disable-background-networking",
                                "--disable-component-update", "--disable-sync",
                                "--user-data-dir=" + QString::fromStdString(perfil.root().string()),
                                "--dump-dom", "file://" + QString::fromStdString(pagina.string())});
    EXPECT_TRUE(chromium.waitForFinished(120000));
    EXPECT_EQ(chromium.exitCode(), 0) << chromium.readAllStandardError().toStdString();
    return chromium.readAllStandardOutput().toStdString();
}

}  // namespace

TEST(Lote, IgualQueLasOrdenesHojaPorHojaConUnoDosYOchoProcesos) {
    TempDir tmp;
    const fs::path original = tmp.root() / "original";
    entrega(original, 12, 400);
    rompe(original);
    const std::vector<std::string> hojas = nombres(original);
    const QJsonArray generadas = leeJson(original / "entrega.json")["hojas"].toArray();

    const fs::path manual = tmp.root() / "manual";
    fs::copy(original, manual);
    const auto referencia = aMano(manual, hojas);
    const auto esperado = ficheros(manual);

    for (int paralelo : {1, 2, 8}) {
        SCOPED_TRACE("paralelo " + std::to_string(paralelo));
        const fs::path carpeta = tmp.root() / ("lote" + std::to_string(paralelo));
        fs::copy(original, carpeta);
        const fs::path json = tmp.root() / ("informe" + std::to_string(paralelo) + ".json");
        Ejecucion r = programa(
            {"lote", "--general", QString::fromStdString((carpeta / "hoja_general.db3").string()),
             "--carpeta", QString::fromStdString(carpeta.string()), "--paralelo",
             QString::number(paralelo), "--informe", QString::fromStdString(json.string()),
             "--informe", QString::fromStdString((tmp.root() / "informe.html").string())});
        EXPECT_EQ(r.codigo, 1) << r.errores.toStdString();
        const auto hechos = ficheros(carpeta);
        for (const auto& [nombre, texto] : esperado)
            EXPECT_TRUE(hechos.count(nombre) && hechos.at(nombre) == texto) << nombre;
        EXPECT_EQ(hechos.size(), esperado.size());

        const QJsonObject inf = leeJson(json);
        EXPECT_FALSE(inf["interrumpido"].toBool());
        const QJsonArray lista = inf["hojas"].toArray();
        ASSERT_EQ(lista.size(), static_cast<int>(hojas.size()));
        for (int i = 0; i < lista.size(); ++i) {
            const QJsonObject h = lista[i].toObject();
            const std::string nombre = hojas[static_cast<size_t>(i)];
            SCOPED_TRACE(nombre);
            EXPECT_EQ(h["nombre"].toString().toStdString(), nombre);
            if (nombre == "hoja005") {
                EXPECT_EQ(h["estado"].toString(), "fallida");
                EXPECT_TRUE(h["problema"].toString().contains("hoja005.bin"));
                continue;
            }
            const char* ordenes[3] = {"correlate", "fusion", "adaptacion"};
            for (int k = 0; k < 3; ++k) {
                const Referencia& ref = referencia.at(nombre)[static_cast<size_t>(k)];
                const QJsonObject p = h["procesos"][ordenes[k]].toObject();
                const QString final = p["final"].toString();
                const std::map<int, QString> finales = {
                    {-1, "omitido"}, {0, "terminado"}, {1, "error"}, {3, "detenido"}};
                EXPECT_EQ(final, finales.at(ref.codigo)) << ordenes[k];
                if (ref.codigo == 1) {
                    const QString ultimo = ref.salida.errores.trimmed().section('\n', -1);
                    const QString mensaje = p["mensaje"].toString().replace("\r", "\\r");
                    EXPECT_EQ(sinCarpeta(ultimo.toStdString(), manual.string()),
                              sinCarpeta("MENSAJE: " + mensaje.toStdString(), carpeta.string()));
                }
                if (ref.codigo == 0 && k != 1) {
                    EXPECT_EQ(p["contadores"].toObject(), contadoresMostrados(ref.salida.salida))
                        << ordenes[k];
                }
                if (ref.codigo == 0 && k == 0) {  // as the generator planned the sheet
                    EXPECT_EQ(p["contadores"].toObject(), generadas[i]["contadores_correlate"]);
                }
            }
        }
    }

    // The HTML page as a browser reads it: every sheet in the table, the failed ones
    // first, and a column of each chart per sheet.
    const std::string dom = domDe(tmp.root() / "informe.html");
    EXPECT_EQ(veces(dom, "<tr class=\""), hojas.size());
    EXPECT_LT(dom.find("data-hoja=\"hoja002\""), dom.find("data-hoja=\"hoja001\""));
    for (const char* grafico : {"grafico-correlate", "grafico-adaptacion"}) {
        const size_t desde = dom.find(grafico);
        ASSERT_NE(desde, std::string::npos) << grafico;
        const std::string svg = dom.substr(desde, dom.find("</svg>", desde) - desde);
        EXPECT_EQ(veces(svg, "<g class=\"barra\""), hojas.size()) << grafico;
    }
    EXPECT_GT(veces(dom, "<rect "), 0u);  // the sheets with problems count errors
}

namespace {

// A batch started on `carpeta` with `opciones`, interrupted by `veces` Ctrl-C as
// soon as `listo` holds of what it has written on its error output; its report.
QJsonObject interrumpe(const fs::path& carpeta, const QStringList& opciones,
                       const std::function<bool(const QByteArray&)>& listo, int veces,
                       const fs::path& informe) {
    QProcess lote;
    lote.start(kPelmora,
               QStringList{"lote", "--general",
                           QString::fromStdString((carpeta / "hoja_general.db3").string()),
                           "--carpeta", QString::fromStdString(carpeta.string()), "--informe",
                           QString::fromStdString(informe.string())} +
                   opciones);
    QByteArray errores;
    while (!listo(errores) && !lote.waitForFinished(10)) errores += lote.readAllStandardError();
    EXPECT_EQ(lote.state(), QProcess::Running) << "the batch ended before its interruption";
    // Apart, as a user's keystrokes are: two signals sent at once would be one.
    for (int i = 0; i < veces && lote.state() == QProcess::Running; ++i) {
        if (i > 0) lote.waitForFinished(100);
        if (lote.state() == QProcess::Running) ::kill(static_cast<pid_t>(lote.processId()), SIGINT);
    }
    EXPECT_TRUE(lote.waitForFinished(120000));
    EXPECT_EQ(lote.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(lote.exitCode(), 1) << errores.toStdString();
    return leeJson(informe);
}

// Compared without printing them: they are large.
bool igualesFicheros(const fs::path& a, const fs::path& b) {
    return pelmora::prueba::contents(a.string()) == pelmora::prueba::contents(b.string());
}

std::string finalDe(const QJsonObject& informe, int hoja, const char* proceso) {
    return informe["hojas"][hoja]["procesos"][proceso]["final"].toString().toStdString();
}

}  // namespace

TEST(Lote, InterrumpidoDejaCadaFicheroSanoYElInformeDiceLaVerdad) {
    TempDir tmp;

    // Once: the run under way ends and no other starts; the merges that ended are
    // those of the first sheets, each after its Correlate.
    const fs::path una = tmp.root() / "una";
    entrega(una, 20, 2000);
    const fs::path original = tmp.root() / "original";
    fs::copy(una, original);
    std::vector<std::string> hojas = nombres(una);
    QJsonObject inf = interrumpe(
        una, {"--paralelo", "1", "--procesos", "correlate,fusion"},
        [](const QByteArray& errores) { return errores.contains("CORRELATE: terminado"); }, 1,
        tmp.root() / "1.json");
    EXPECT_TRUE(inf["interrumpido"].toBool());
    size_t terminadas = 0, fundidas = 0;
    for (size_t i = 0; i < hojas.size(); ++i) {
        const std::string c = finalDe(inf, static_cast<int>(i), "correlate");
        const std::string f = finalDe(inf, static_cast<int>(i), "fusion");
        EXPECT_TRUE(c == "terminado" || c == "pendiente") << hojas[i] << " " << c;
        EXPECT_TRUE(f == "pendiente" || (f == "terminado" && c == "terminado" && fundidas == i))
            << hojas[i] << " " << f;
        fundidas += f == "terminado";
        const std::string db = hojas[i] + ".db3";
        if (c == "pendiente") {
            EXPECT_TRUE(igualesFicheros(una / db, original / db)) << db;
        }
        terminadas += c == "terminado";
    }
    EXPECT_GE(terminadas, 1u);
    EXPECT_LT(terminadas, hojas.size());

    // Twice during Adaptation: the runs under way give up, each BIN file adapted
    // whole or exactly as it was, each database sound; a new batch on the sheets
    // left then ends them as an uninterrupted batch does.
    const fs::path dos = tmp.root() / "dos";
    entrega(dos, 3, 100000, {"--sin-problemas", "--tablas", "8"});
    hojas = nombres(dos);
    Ejecucion previa =
        programa({"lote", "--general", QString::fromStdString((dos / "hoja_general.db3").string()),
                  "--carpeta", QString::fromStdString(dos.string()), "--procesos",
                  "correlate,fusion", "--silencio"});
    ASSERT_EQ(previa.codigo, 0) << previa.errores.toStdString();
    const fs::path limpia = tmp.root() / "limpia";
    fs::copy(dos, limpia);
    // The note an Adaptation writes just before its walk says it is under way.
    inf = interrumpe(
        dos, {"--paralelo", "2", "--procesos", "adaptacion"},
        [&](const QByteArray&) { return fs::exists(dos / ".hoja001.db3.adaptacion"); }, 2,
        tmp.root() / "2.json");
    std::ofstream quedan(tmp.root() / "quedan.txt");
    size_t abandonadas = 0;
    for (size_t i = 0; i < hojas.size(); ++i) {
        const std::string a = finalDe(inf, static_cast<int>(i), "adaptacion");
        abandonadas += a == "abandonado";
        const std::string bin = hojas[i] + ".bin";
        EXPECT_EQ(igualesFicheros(dos / bin, limpia / bin), a != "terminado") << bin << " " << a;
        auto bdd = pelmora::engine::openDatabase((dos / (hojas[i] + ".db3")).string());
        EXPECT_TRUE(bdd->verify().empty()) << hojas[i];
        if (a != "terminado") quedan << (dos / bin).string() << "\n";
    }
    quedan.close();
    EXPECT_GE(abandonadas, 1u);
    for (const auto& [carpeta, hojasDe] :
         {std::pair{dos, "--lista"}, std::pair{limpia, "--carpeta"}}) {
        const fs::path cuales = carpeta == dos ? tmp.root() / "quedan.txt" : limpia;
        Ejecucion fin = programa({"lote", "--general",
                                  QString::fromStdString((carpeta / "hoja_general.db3").string()),
                                  hojasDe, QString::fromStdString(cuales.string()), "--procesos",
                                  "adaptacion", "--silencio"});
        EXPECT_EQ(fin.codigo, 0) << fin.errores.toStdString();
    }
    for (const std::string& h : hojas)
        EXPECT_TRUE(igualesFicheros(dos / (h + ".bin"), limpia / (h + ".bin"))) << h;
}

TEST(Lote, ListaDeHojasYErroresDeUso) {
    TempDir tmp;
    const fs::path d = tmp.root() / "d";
    entrega(d, 3, 100);
    fs::rename(d / "hoja002.db3", d / "otra.db3");
    fs::create_directories(tmp.root() / "l");
    std::ofstream(tmp.root() / "l" / "lista.txt")
        << "# la entrega\n\n../d/hoja001.bin\n../d/hoja002.bin\t../d/otra.db3\r\n"
        << "../d/hoja003.bin\n../d/hoja003.bin\n";
    const QString general = QString::fromStdString((d / "hoja_general.db3").string());
    const QString lista = QString::fromStdString((tmp.root() / "l" / "lista.txt").string());
    const fs::path json = tmp.root() / "r.json";
    for (bool si : {false, true}) {
        QStringList argumentos = {"lote",      "--general", general,
                                  "--lista",   lista,       "--procesos",
                                  "correlate", "--informe", QString::fromStdString(json.string())};
        if (si) argumentos << "--si";
        EXPECT_EQ(programa(argumentos).codigo, 1);
        const QJsonObject inf = leeJson(json);
        ASSERT_EQ(inf["hojas"].toArray().size(), 4);
        EXPECT_EQ(finalDe(inf, 0, "correlate"), "terminado");
        EXPECT_EQ(finalDe(inf, 1, "correlate"), si ? "terminado" : "detenido");
        if (!si) {
            EXPECT_TRUE(inf["hojas"][1]["procesos"]["correlate"]["mensaje"].toString().startsWith(
                "No coinciden los nombres"));
        }
        EXPECT_EQ(finalDe(inf, 2, "correlate"), "terminado");
        EXPECT_TRUE(inf["hojas"][3]["problema"].toString().contains("más de una vez"));
    }

    // Wrong usage: exit 2, the option named, nothing run.
    const QString carpeta = QString::fromStdString(d.string());
    const std::vector<std::pair<QStringList, QString>> usos = {
        {{"lote", "--carpeta", carpeta}, "--general"},
        {{"lote", "--general", general, "--carpeta", carpeta, "--lista", lista}, "--lista"},
        {{"lote", "--general", general, "--carpeta", carpeta, "--procesos", "correlate,ajuste"},
         "ajuste"},
        {{"lote", "--general", general, "--carpeta", carpeta, "--paralelo", "0"}, "--paralelo"},
        {{"lote", "--general", general, "--carpeta", carpeta, "--informe", "r.txt"}, "r.txt"},
        {{"lote", "--general", general, "--carpeta", QString::fromStdString(tmp.path("l"))},
         "ninguna hoja"},
    };
    const std::string antes = pelmora::prueba::contents((d / "hoja001.db3").string());
    for (const auto& [argumentos, nombrado] : usos) {
        Ejecucion r = programa(argumentos);
        EXPECT_EQ(r.codigo, 2) << argumentos.join(' ').toStdString();
        EXPECT_TRUE(r.errores.section('\n', 0, 0).contains(nombrado)) << r.errores.toStdString();
    }
    EXPECT_EQ(pelmora::prueba::contents((d / "hoja001.db3").string()), antes);
}
