#include "core/EstiloMensaje.h"

#include "core/Pantalla.h"

namespace pelmora {

FormaMensaje formaMensaje(int estilo) {
    using namespace respuesta;
    static const std::vector<int> conjuntos[] = {
        {Aceptar}, {Aceptar, Cancelar},    {Anular, Reintentar, Omitir}, {Si, No, Cancelar},
        {Si, No},  {Reintentar, Cancelar},
    };
    static const IconoMensaje iconos[] = {
        IconoMensaje::Ninguno,     IconoMensaje::Critico,     IconoMensaje::Pregunta,
        IconoMensaje::Exclamacion, IconoMensaje::Informacion,
    };
    FormaMensaje forma;
    int botones = estilo & 0x7;
    forma.botones = botones < 6 ? conjuntos[botones] : conjuntos[0];
    int icono = (estilo >> 4) & 0x7;
    forma.icono = icono < 5 ? iconos[icono] : IconoMensaje::Ninguno;
    int porDefecto = (estilo >> 8) & 0x3;
    forma.porDefecto = porDefecto < static_cast<int>(forma.botones.size()) ? porDefecto : 0;
    return forma;
}

const char* textoBoton(int codigo) {
    switch (codigo) {
        case respuesta::Aceptar:
            return "Aceptar";
        case respuesta::Cancelar:
            return "Cancelar";
        case respuesta::Anular:
            return "Anular";
        case respuesta::Reintentar:
            return "Reintentar";
        case respuesta::Omitir:
            return "Omitir";
        case respuesta::Si:
            return "Sí";
        case respuesta::No:
            return "No";
    }
    return "";
}

}  // namespace pelmora
