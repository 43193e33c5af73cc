#include "lookup/sql_texto.h"

#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

TEST(SqlTexto, KeywordsAreFoundOnlyAsOuterWholeWords) {
    const struct {
        const char* sql;
        const char* clave;
        int expected;
    } cases[] = {
        {"SELECT a FROM T ORDER BY a", "ORDER BY", 16},
        {"SELECT a FROM T order   by a", "ORDER BY", 16},
        {"SELECT ORDERS, BORDER FROM T", "ORDER BY", -1},
        {"SELECT a FROM T WHERE b IN (SELECT c FROM U ORDER BY c)", "ORDER BY", -1},
        {"SELECT a FROM T WHERE b = 'x order by y'", "ORDER BY", -1},
        {"SELECT [order by] FROM T", "ORDER BY", -1},
        {"SELECT a, (SELECT 1 FROM U WHERE u=1) FROM T", "WHERE", -1},
        {"SELECT a FROM T WHERE_X = 1", "WHERE", -1},
        {"SELECT a FROM T\nwhere b = 1", "WHERE", 16},
        {"SELECT a FROM T GROUP BY a ORDER BY a", "GROUP BY", 16},
        {"SELECT GROUP_BYTES FROM T", "GROUP BY", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(sqltexto::buscaClave(c.sql, c.clave), c.expected);
    }
}

TEST(SqlTexto, TableIsTheWordAfterTheOuterFrom) {
    const struct {
        const char* sql;
        const char* expected;
    } cases[] = {
        {" SELECT TOP 10 a FROM VT_CLIENTES  with(nolock) ", "VT_CLIENTES"},
        {"select a, (select top 1 x from U) as y from dbo.V_TA_FAMILIAS b", "dbo.V_TA_FAMILIAS"},
        {"SELECT fromage FROM Quesos", "Quesos"},
        {"SELECT 1", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(sqltexto::tablaConsultada(c.sql), c.expected);
    }
}

}  // namespace
