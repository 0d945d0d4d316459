#include "tests/support/ServidorPrueba.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace pelmora::prueba {

namespace {

// The address of the server's maintenance database, from the folder CTest gave.
std::string direccionServidor() {
    const char* carpeta = std::getenv("PELMORA_POSTGRESQL");
    if (!carpeta) return "";
    std::ifstream fichero(std::string(carpeta) + "/direccion");
    std::string direccion;
    std::getline(fichero, direccion);
    return direccion;
}

void ejecutaEn(const std::string& direccion, const std::string& sql) {
    PGconn* c = PQconnectdb(direccion.c_str());
    std::string fallo;
    if (PQstatus(c) != CONNECTION_OK) {
        fallo = PQerrorMessage(c);
    } else {
        PGresult* r = PQexec(c, sql.c_str());
        if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK)
            fallo = PQresultErrorMessage(r);
        PQclear(r);
    }
    PQfinish(c);
    if (!fallo.empty()) throw std::runtime_error(sql + ": " + fallo);
}

// The address with the database name replaced.
std::string conBase(const std::string& direccion, const std::string& base) {
    const size_t barra = direccion.find('/', direccion.find("://") + 3);
    const size_t pregunta = direccion.find('?', barra);
    return direccion.substr(0, barra + 1) + base +
           (pregunta == std::string::npos ? "" : direccion.substr(pregunta));
}

}  // namespace

bool BdDServidor::hay() {
    return !direccionServidor().empty();
}

BdDServidor::BdDServidor() {
    static std::atomic<int> cuenta{0};
    nombre_ = "prueba_" + std::to_string(getpid()) + "_" + std::to_string(cuenta++);
    const std::string servidor = direccionServidor();
    ejecutaEn(servidor, "CREATE DATABASE " + nombre_);
    direccion_ = conBase(servidor, nombre_);
}

BdDServidor::~BdDServidor() {
    try {
        ejecutaEn(direccionServidor(), "DROP DATABASE IF EXISTS " + nombre_ + " WITH (FORCE)");
    } catch (const std::exception&) {
    }
}

void BdDServidor::ejecuta(const std::string& sql) const {
    ejecutaEn(direccion_, sql);
}

}  // namespace pelmora::prueba
