#include "lote/Hojas.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>

#include "db/engine/Files.h"
#include "db/engine/Text.h"
#include "ficherobin/Modulo_Bin.h"

namespace pelmora::lote {

namespace fs = std::filesystem;

namespace {

std::string extensionMinuscula(const fs::path& p) {
    std::string e = p.extension().string();
    std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return std::tolower(c); });
    return e;
}

bool esBin(const fs::path& p) {
    return extensionMinuscula(p) == ".bin" && p.filename().string().front() != '.';
}

// The files of a folder, by name; a folder that cannot be read is an error.
std::vector<fs::path> ficherosDe(const fs::path& carpeta) {
    std::error_code error;
    fs::directory_iterator it(carpeta, error);
    if (error)
        throw std::runtime_error("No se puede leer la carpeta «" + carpeta.string() +
                                 "»: " + engine::systemReason(error.value()));
    std::vector<fs::path> ficheros;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) break;
        if (it->is_regular_file(error)) ficheros.push_back(it->path());
    }
    std::sort(ficheros.begin(), ficheros.end());
    return ficheros;
}

// The databases beside `bin` that share its name (letter case aside).
std::vector<fs::path> particularesDe(const fs::path& bin, const std::vector<fs::path>& vecinos) {
    const std::string nombre = engine::upperCase(bin.stem().string());
    const auto& extensiones = extensionesParticular();
    std::vector<fs::path> halladas;
    for (const fs::path& p : vecinos) {
        if (std::find(extensiones.begin(), extensiones.end(), extensionMinuscula(p)) ==
            extensiones.end())
            continue;
        if (engine::upperCase(p.stem().string()) == nombre) halladas.push_back(p);
    }
    return halladas;
}

// The sheet of `bin`, its Particular database found among `vecinos`.
Hoja hojaDe(const fs::path& bin, const std::vector<fs::path>& vecinos) {
    Hoja hoja{bin.stem().string(), bin.string(), "", ""};
    const std::vector<fs::path> halladas = particularesDe(bin, vecinos);
    if (halladas.size() == 1) {
        hoja.particular = halladas.front().string();
    } else if (halladas.empty()) {
        hoja.problema = "No se encuentra la BdD Particular de la hoja «" + hoja.bin +
                        "» (el mismo nombre con extensión .mdb, .accdb o .db3)";
    } else {
        hoja.problema = "Hay más de una BdD Particular con el nombre de la hoja «" + hoja.bin +
                        "»: «" + halladas[0].filename().string() + "» y «" +
                        halladas[1].filename().string() + "»";
    }
    return hoja;
}

void ordena(std::vector<Hoja>& hojas) {
    std::stable_sort(hojas.begin(), hojas.end(), [](const Hoja& a, const Hoja& b) {
        return std::tie(a.nombre, a.bin) < std::tie(b.nombre, b.bin);
    });
}

fs::path absoluta(const fs::path& p) {
    return fs::absolute(p).lexically_normal();
}

}  // namespace

const std::vector<std::string>& extensionesParticular() {
    static const std::vector<std::string> lista = {".mdb", ".accdb", ".db3"};
    return lista;
}

std::vector<Hoja> hojasDeCarpeta(const std::string& carpeta) {
    const std::vector<fs::path> ficheros = ficherosDe(absoluta(carpeta));
    std::set<std::string> deErrores;
    for (const fs::path& p : ficheros)
        if (esBin(p)) deErrores.insert(NombreFicheroErrorBin(p.string()));
    std::vector<Hoja> hojas;
    for (const fs::path& p : ficheros)
        if (esBin(p) && !deErrores.count(p.string())) hojas.push_back(hojaDe(p, ficheros));
    ordena(hojas);
    return hojas;
}

std::vector<Hoja> hojasDeLista(const std::string& lista) {
    std::ifstream entrada(lista);
    if (!entrada) throw std::runtime_error("No se puede leer la lista de hojas «" + lista + "»");
    const fs::path base = absoluta(lista).parent_path();
    std::map<fs::path, std::vector<fs::path>> carpetas;  // each folder read once
    std::set<std::string> vistas;
    std::vector<Hoja> hojas;
    std::string linea;
    while (std::getline(entrada, linea)) {
        if (!linea.empty() && linea.back() == '\r') linea.pop_back();
        if (linea.empty() || linea.front() == '#') continue;
        const size_t tab = linea.find('\t');
        const fs::path bin = absoluta(base / linea.substr(0, tab));
        Hoja hoja;
        if (tab != std::string::npos) {
            hoja = {bin.stem().string(), bin.string(),
                    absoluta(base / linea.substr(tab + 1)).string(), ""};
        } else {
            try {
                auto [it, nueva] = carpetas.try_emplace(bin.parent_path());
                if (nueva) it->second = ficherosDe(bin.parent_path());
                hoja = hojaDe(bin, it->second);
            } catch (const std::runtime_error& e) {
                hoja = {bin.stem().string(), bin.string(), "", e.what()};
            }
        }
        if (!vistas.insert(hoja.bin).second && hoja.problema.empty())
            hoja.problema = "La hoja «" + hoja.bin + "» aparece más de una vez en la lista";
        hojas.push_back(std::move(hoja));
    }
    if (entrada.bad())
        throw std::runtime_error("No se puede leer la lista de hojas «" + lista + "»");
    ordena(hojas);
    return hojas;
}

}  // namespace pelmora::lote
