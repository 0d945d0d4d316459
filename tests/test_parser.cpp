// The statement parser: the forms the program writes, and everything else refused
// with a message that quotes the statement.
#include <gtest/gtest.h>

#include "db/engine/Error.h"
#include "db/engine/Query.h"
#include "tests/support/Fallo.h"
#include "tests/support/ValuePrint.h"

using namespace pelmora::engine;

namespace {

std::string errorOf(const std::string& statement) {
    return pelmora::prueba::errorOf([&] { parseStatement(statement); });
}

struct Analisis {
    const char* instruccion;
    std::string tabla;
    std::vector<Condition> condiciones;
    std::optional<std::string> orden;
};

}  // namespace

// The forms the program writes (the upper-cased bare table name is NoAsignar's),
// operators, parentheses and keywords in any case, numbers past 32 bits, Null,
// quotes inside texts, and names that begin with a digit (accented names: the
// shared semantics, checkNames).
TEST(Parser, FormasQueEscribeElPrograma) {
    using C = Comparison;
    const std::vector<Analisis> casos = {
        {"Select mscatalog.* from mscatalog;", "mscatalog", {}, std::nullopt},
        {"Select T.* from T WHERE mslink<60000 ORDER BY mslink;",
         "T",
         {{"mslink", C::Less, Value::longInt(60000)}},
         "mslink"},
        {"Select T.* from T WHERE (tcomplet='V' AND clasific=7);",
         "T",
         {{"tcomplet", C::Equal, Value::text("V")}, {"clasific", C::Equal, Value::longInt(7)}},
         std::nullopt},
        {"NOASIGNAR", "NOASIGNAR", {}, std::nullopt},
        {"  sElEcT t.* FROM t where ((a=1) and b<2 AND c>3 AND (d<=4 AND e>=5) AND f<>6) "
         "order by G  ",
         "t",
         {{"a", C::Equal, Value::longInt(1)},
          {"b", C::Less, Value::longInt(2)},
          {"c", C::Greater, Value::longInt(3)},
          {"d", C::LessEqual, Value::longInt(4)},
          {"e", C::GreaterEqual, Value::longInt(5)},
          {"f", C::NotEqual, Value::longInt(6)}},
         "G"},
        {"Select T.* from T WHERE T.mslink=-12 ORDER BY T.mslink ASC;",
         "T",
         {{"mslink", C::Equal, Value::longInt(-12)}},
         "mslink"},
        {"Select T.* from T WHERE x = 3000000000 AND y = 2.5",
         "T",
         {{"x", C::Equal, Value::dbl(3e9)}, {"y", C::Equal, Value::dbl(2.5)}},
         std::nullopt},
        {"Select T.* from T WHERE a = Null AND b<>NULL AND c='Null'",
         "T",
         {{"a", C::Equal, Value()},
          {"b", C::NotEqual, Value()},
          {"c", C::Equal, Value::text("Null")}},
         std::nullopt},
        {"Select T.* from T WHERE a='O''Brien' AND b='' AND c='x = 1 AND'",
         "T",
         {{"a", C::Equal, Value::text("O'Brien")},
          {"b", C::Equal, Value::text("")},
          {"c", C::Equal, Value::text("x = 1 AND")}},
         std::nullopt},
        {"Select T.* from T WHERE a='camión ''ñ'' ;'",
         "T",
         {{"a", C::Equal, Value::text("camión 'ñ' ;")}},
         std::nullopt},
        {"Select 199etiquetas.* from 199ETIQUETAS WHERE 2campo=5;",
         "199etiquetas",
         {{"2campo", C::Equal, Value::longInt(5)}},
         std::nullopt},
        {"199ETIQUETAS", "199ETIQUETAS", {}, std::nullopt},
    };
    for (const Analisis& caso : casos) {
        SCOPED_TRACE(caso.instruccion);
        const Query q = parseStatement(caso.instruccion);
        EXPECT_EQ(q.table, caso.tabla);
        EXPECT_EQ(q.orderBy, caso.orden);
        ASSERT_EQ(q.conditions.size(), caso.condiciones.size());
        for (size_t i = 0; i < q.conditions.size(); ++i) {
            EXPECT_EQ(q.conditions[i].column, caso.condiciones[i].column) << i;
            EXPECT_EQ(q.conditions[i].op, caso.condiciones[i].op) << i;
            EXPECT_EQ(q.conditions[i].literal, caso.condiciones[i].literal) << i;
        }
    }
}

TEST(Parser, FormasRechazadasCitanLaInstruccion) {
    const char* rejected[] = {
        "",
        "Select * from T;",
        "Select T.* from U;",
        "Select T.* from T WHERE;",
        "Select T.* from T WHERE a=;",
        "Select T.* from T WHERE a==1;",
        "Select T.* from T WHERE a=b;",
        "Select T.* from T WHERE a=-Null;",
        "Select T.* from T WHERE a='sin cerrar;",
        "Select T.* from T WHERE a=1 OR b=2;",
        "Select T.* from T WHERE (a=1;",
        "Select T.* from T WHERE a=1);",
        "Select T.* from T WHERE 5=a;",
        "Select T.* from T WHERE U.a=1;",
        "Select T.* from T ORDER BY a DESC;",
        "Select T.* from T ORDER a;",
        "Select T.* from T; DROP TABLE T;",
        "Select T.* from T extra",
        "Select T.*, U.* from T",
        "DELETE FROM T",
        "T U",
    };
    for (const char* statement : rejected) {
        const std::string message = errorOf(statement);
        EXPECT_NE(message, "") << statement;
        EXPECT_NE(message.find(std::string("«") + statement + "»"), std::string::npos) << message;
        EXPECT_NE(message.find("no es válida"), std::string::npos) << message;
    }
}

TEST(Parser, ParentesisAnidadosSinAgotarLaPila) {
    auto anidada = [](int n) {
        return "Select T.* from T WHERE " + std::string(n, '(') + "a = 1" + std::string(n, ')');
    };
    EXPECT_EQ(parseStatement(anidada(100)).conditions.size(), 1u);
    const std::string error = errorOf(anidada(300000));
    EXPECT_NE(error.find("hay más de 100 paréntesis anidados"), std::string::npos)
        << error.substr(0, 200);
}
