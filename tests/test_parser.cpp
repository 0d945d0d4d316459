// The statement parser: the forms the program writes, and everything else refused
// with a message that quotes the statement.
#include <gtest/gtest.h>

#include "db/engine/Error.h"
#include "db/engine/Query.h"
#include "tests/support/ValuePrint.h"

using namespace pelmora::engine;

namespace {

std::string errorOf(const std::string& statement) {
    try {
        parseStatement(statement);
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(Parser, FormasQueEscribeElPrograma) {
    Query q = parseStatement("Select mscatalog.* from mscatalog;");
    EXPECT_EQ(q.table, "mscatalog");
    EXPECT_TRUE(q.conditions.empty());
    EXPECT_FALSE(q.orderBy);

    q = parseStatement("Select T.* from T WHERE mslink<60000 ORDER BY mslink;");
    EXPECT_EQ(q.table, "T");
    ASSERT_EQ(q.conditions.size(), 1u);
    EXPECT_EQ(q.conditions[0].column, "mslink");
    EXPECT_EQ(q.conditions[0].op, Comparison::Less);
    EXPECT_EQ(q.conditions[0].literal, Value::longInt(60000));
    EXPECT_EQ(q.orderBy, "mslink");

    q = parseStatement("Select T.* from T WHERE (tcomplet='V' AND clasific=7);");
    ASSERT_EQ(q.conditions.size(), 2u);
    EXPECT_EQ(q.conditions[0].literal, Value::text("V"));
    EXPECT_EQ(q.conditions[1].column, "clasific");
    EXPECT_EQ(q.conditions[1].literal, Value::longInt(7));

    // The upper-cased bare table name of NoAsignar.
    q = parseStatement("NOASIGNAR");
    EXPECT_EQ(q.table, "NOASIGNAR");
    EXPECT_TRUE(q.conditions.empty());
}

TEST(Parser, OperadoresParentesisYPalabrasClaveEnCualquierCaja) {
    Query q = parseStatement(
        "  sElEcT t.* FROM t where ((a=1) and b<2 AND c>3 AND (d<=4 AND e>=5) AND f<>6) "
        "order by G  ");
    ASSERT_EQ(q.conditions.size(), 6u);
    const Comparison ops[] = {Comparison::Equal,        Comparison::Less,
                              Comparison::Greater,      Comparison::LessEqual,
                              Comparison::GreaterEqual, Comparison::NotEqual};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(q.conditions[i].op, ops[i]) << i;
        EXPECT_EQ(q.conditions[i].literal, Value::longInt(static_cast<int32_t>(i + 1)));
    }
    EXPECT_EQ(q.orderBy, "G");

    q = parseStatement("Select T.* from T WHERE T.mslink=-12 ORDER BY T.mslink ASC;");
    ASSERT_GE(q.conditions.size(), 1u);
    EXPECT_EQ(q.conditions[0].column, "mslink");
    EXPECT_EQ(q.conditions[0].literal, Value::longInt(-12));
    EXPECT_EQ(q.orderBy, "mslink");

    q = parseStatement("Select T.* from T WHERE x = 3000000000 AND y = 2.5");
    ASSERT_GE(q.conditions.size(), 2u);
    EXPECT_EQ(q.conditions[0].literal, Value::dbl(3e9));
    EXPECT_EQ(q.conditions[1].literal, Value::dbl(2.5));

    q = parseStatement("Select T.* from T WHERE a = Null AND b<>NULL AND c='Null'");
    ASSERT_GE(q.conditions.size(), 3u);
    EXPECT_TRUE(q.conditions[0].literal.isNull());
    EXPECT_TRUE(q.conditions[1].literal.isNull());
    EXPECT_EQ(q.conditions[2].literal, Value::text("Null"));
}

TEST(Parser, ComillasYTextos) {
    Query q = parseStatement("Select T.* from T WHERE a='O''Brien' AND b='' AND c='x = 1 AND'");
    ASSERT_GE(q.conditions.size(), 3u);
    EXPECT_EQ(q.conditions[0].literal, Value::text("O'Brien"));
    EXPECT_EQ(q.conditions[1].literal, Value::text(""));
    EXPECT_EQ(q.conditions[2].literal, Value::text("x = 1 AND"));
    q = parseStatement("Select T.* from T WHERE a='camión ''ñ'' ;'");
    ASSERT_GE(q.conditions.size(), 1u);
    EXPECT_EQ(q.conditions[0].literal, Value::text("camión 'ñ' ;"));
}

TEST(Parser, NombresQueEmpiezanPorCifraYConAcentos) {
    Query q = parseStatement(
        "Select 199ETIQUETAS.* from 199ETIQUETAS WHERE (tcomplet='V' AND tmapa='K');");
    EXPECT_EQ(q.table, "199ETIQUETAS");
    ASSERT_GE(q.conditions.size(), 2u);
    EXPECT_EQ(q.conditions[1].column, "tmapa");
    q = parseStatement("Select 199etiquetas.* from 199ETIQUETAS WHERE 2campo=5;");
    EXPECT_EQ(q.table, "199etiquetas");
    ASSERT_GE(q.conditions.size(), 1u);
    EXPECT_EQ(q.conditions[0].column, "2campo");
    q = parseStatement("Select Camión.* from CAMIÓN WHERE Año=2024;");
    EXPECT_EQ(q.table, "Camión");
    ASSERT_GE(q.conditions.size(), 1u);
    EXPECT_EQ(q.conditions[0].column, "Año");
    EXPECT_EQ(parseStatement("199ETIQUETAS").table, "199ETIQUETAS");
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
