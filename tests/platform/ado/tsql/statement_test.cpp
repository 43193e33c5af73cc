#include "platform/ado/tsql/statement.h"

#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

using Kind = tsql::Statement::Kind;

QStringList sources(const QList<tsql::Statement>& statements) {
    QStringList out;
    for (const auto& s : statements) out.append(s.source);
    return out;
}

TEST(SplitBatch, SplitsTheTransactionScriptAtLineBreaks) {
    // The error-table writer's form: carriage returns only, no semicolons.
    const QString script = QStringLiteral(
        "BEGIN TRANSACTION \r\r\rINSERT INTO Control_Acceso (Maquina,Usuario) VALUES "
        "('PC1','ANA')\rUPDATE TA_MENU SET Nombre = 'x'\r\nDELETE TA_TAREAS WHERE USUARIO = "
        "'A'\r");
    const auto statements = tsql::splitBatch(script);
    ASSERT_EQ(statements.size(), 4);
    EXPECT_EQ(statements[0].kind, Kind::BeginTransaction);
    EXPECT_EQ(statements[0].sql, QStringLiteral("BEGIN"));
    EXPECT_EQ(statements[1].kind, Kind::Plain);
    EXPECT_EQ(statements[1].source,
              QStringLiteral("INSERT INTO Control_Acceso (Maquina,Usuario) VALUES ('PC1','ANA')"));
    EXPECT_EQ(statements[2].source, QStringLiteral("UPDATE TA_MENU SET Nombre = 'x'"));
    EXPECT_EQ(statements[3].source, QStringLiteral("DELETE TA_TAREAS WHERE USUARIO = 'A'"));
}

TEST(SplitBatch, ClassifiesTransactionStatementsInEverySpelling) {
    const struct {
        const char* text;
        Kind kind;
        const char* sql;
    } cases[] = {
        {"BEGIN TRAN", Kind::BeginTransaction, "BEGIN"},
        {"begin trans", Kind::BeginTransaction, "BEGIN"},
        {"BEGIN TRANSACTION", Kind::BeginTransaction, "BEGIN"},
        {"COMMIT", Kind::CommitTransaction, "COMMIT"},
        {"COMMIT TRAN", Kind::CommitTransaction, "COMMIT"},
        {"commit transaction", Kind::CommitTransaction, "COMMIT"},
        {"ROLLBACK TRANS", Kind::RollbackTransaction, "ROLLBACK"},
        {"ROLLBACK TRANSACTION", Kind::RollbackTransaction, "ROLLBACK"},
        {"SELECT 1", Kind::Plain, "SELECT 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto statements = tsql::splitBatch(QString::fromUtf8(c.text));
        ASSERT_EQ(statements.size(), 1);
        EXPECT_EQ(statements[0].kind, c.kind);
        EXPECT_EQ(statements[0].sql, QString::fromUtf8(c.sql));
    }
}

TEST(SplitBatch, KeepsWhatBelongsToOneStatement) {
    const struct {
        const char* text;
        qsizetype count;
    } cases[] = {
        // a separator inside a literal or a name is text
        {"INSERT INTO t (a) VALUES ('x;\nSELECT y')", 1},
        {"SELECT [a;\nSELECT] FROM t", 1},
        // a line break inside parentheses
        {"SELECT a FROM t WHERE a IN (\nSELECT b FROM u)", 1},
        // INSERT ... SELECT over two lines, and the guarded insert
        {"INSERT INTO t (a)\nSELECT b FROM u", 1},
        {"if not exists(select a from t where a = 'x')\n INSERT INTO t(a) VALUES ('x')", 1},
        {"CREATE VIEW v AS\nSELECT * FROM t", 1},
        {"SELECT a FROM t\nUNION\nSELECT b FROM u", 1},
        {"ALTER TABLE t\nDROP COLUMN c", 1},
        {"WITH c AS (SELECT a FROM t)\nSELECT a FROM c", 1},
        {"WITH c AS (SELECT a FROM t),\nd AS (SELECT a FROM c)\nDELETE FROM t WHERE a IN (SELECT "
         "a FROM d)",
         1},
        {"WITH c AS (SELECT a FROM t)\nSELECT a FROM c\nSELECT b FROM u", 2},
        {"UPDATE t\nSET a = 1\nWHERE b = 2", 1},
        // a separator inside parentheses ends no statement: the text is one, and a wrong one
        {"SELECT a FROM t WHERE a IN (1; DELETE FROM t; SELECT 1)", 1},
        {"SELECT (1;\nDELETE FROM t", 1},
        // statements apart
        {"SELECT 1;SELECT 2", 2},
        {"DELETE FROM t\nINSERT INTO t VALUES (1)\nSELECT * FROM t", 3},
        {"BEGIN TRANSACTION INSERT INTO t VALUES (1)", 2},
        {"CREATE TABLE a (x INT)\nCREATE TABLE b (y INT)", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(tsql::splitBatch(QString::fromUtf8(c.text)).size(), c.count);
    }
}

TEST(SplitBatch, DropsGoLinesAndNocount) {
    const auto statements =
        tsql::splitBatch(QStringLiteral("SET NOCOUNT ON\nCREATE TABLE a (x INT)\nGO\n  go  "
                                        "\nSELECT * FROM a -- go\nset nocount off"));
    EXPECT_EQ(sources(statements), (QStringList{QStringLiteral("CREATE TABLE a (x INT)"),
                                                QStringLiteral("SELECT * FROM a -- go")}));
}

TEST(SplitBatch, GivesNothingForBlankText) {
    EXPECT_TRUE(tsql::splitBatch(QStringLiteral(" \r\n ;; ")).isEmpty());
}

TEST(IsSingleRead, OneReadingStatementOnly) {
    const struct {
        const char* text;
        bool read;
    } cases[] = {
        {"SELECT TOP 10 * FROM T with(nolock) WHERE A = 'x;y' ORDER BY A", true},
        {"SELECT A FROM T;", true},
        {"SELECT A FROM T WHERE B IN (SELECT B FROM U) UNION ALL SELECT A FROM V", true},
        {"WITH C AS (SELECT A FROM T) SELECT A FROM C", true},
        {"SELECT REPLACE(A, 'x', 'y'), [DELETE] FROM T -- DELETE FROM T", true},
        {"SELECT A FROM T WHERE N = 'DELETE FROM T'", true},
        {"SELECT A FROM T; DELETE FROM T", false},
        {"SELECT A FROM T WHERE 1=1 DELETE FROM T", false},
        {"SELECT A FROM T WHERE 1=1\r\nUPDATE T SET A = 1", false},
        {"SELECT A FROM T SELECT B FROM U", false},
        {"SELECT A INTO COPIA FROM T", false},
        {"SELECT A FROM T EXEC xp_cmdshell 'dir'", false},
        {"SELECT A FROM T WHERE 1=1 DROP TABLE T", false},
        {"DELETE FROM T", false},
        {"", false},
        {"-- nothing", false},
        // Statements whose first word no list of forbidden words holds.
        {"SELECT A FROM T WHERE A=1 DISABLE TRIGGER ALL ON T --", false},
        {"SELECT A FROM T WHERE A=1 ENABLE TRIGGER ALL ON T", false},
        {"SELECT A FROM T WHERE A=1 RECEIVE TOP(1) * FROM Q", false},
        {"SELECT A FROM T X RECEIVE * FROM Q", false},
        {"SELECT A FROM T SETUSER", false},
        {"SELECT A FROM T WHERE 1=1 SETUSER 'sa'", false},
        {"SELECT A FROM OPENQUERY(LNK, 'DELETE FROM T')", false},
        {"SELECT A FROM T WHERE B IN (SELECT B FROM OPENROWSET('x', 'y', 'z'))", false},
        {"WITH C AS (SELECT A FROM T) SELECT A FROM C SELECT B FROM U", false},
        {"WITH C AS (SELECT A FROM T) SELECT A FROM C WHERE A IN (1) SELECT B FROM U", false},
        {"WITH C AS (SELECT A FROM T) SELECT A FROM (SELECT A FROM C) D\nSELECT B INTO X FROM U",
         false},
        {"WITH C AS (SELECT A FROM T) SELECT A FROM C; SELECT 1", false},
        {"SELECT A FROM T WHERE B IN (SELECT B FROM U WHERE 1=1 DELETE FROM T)", false},
        // A ";" inside parentheses ends a statement as well as one outside them.
        {"SELECT A FROM T WHERE B IN (1; DELETE FROM T)", false},
        {"SELECT A FROM T WHERE B IN (1; DELETE FROM T; SELECT 1)", false},
        {"SELECT A FROM T WHERE (B = 1;) OR 1=1", false},
        {"SELECT A FROM T WHERE B IN (SELECT B FROM U; DELETE FROM T)", false},
        {"SELECT (SELECT 1; DELETE FROM T)", false},
        {"SELECT A FROM T WHERE (1=1) DELETE FROM T", false},
        {"SELECT A FROM T WHERE 1=1) DELETE FROM T --", false},
        {"SELECT A FROM T WHERE (1=1", false},
        {"SELECT A FROM T WHERE 1=1\nGO\nDELETE FROM T", false},
        {"SELECT A FROM T WHERE 1=1 /* x */ THROW 50000, 'x', 1", false},
        {"SELECT A, B INTO [COPIA] FROM T", false},
        {"SELECT A FROM T WHERE 1=1 AND [B] = 'x' MOVE CONVERSATION", false},
        {"SELECT A FROM T ORDER BY A WHERE 1=1", false},
        // A join word that no JOIN follows, a reserved word for an alias, a clause twice.
        {"SELECT * FROM Clientes INNER; VACUUM", false},
        {"SELECT * FROM Clientes LEFT; VACUUM", false},
        {"SELECT * FROM Clientes RIGHT OUTER; VACUUM", false},
        {"SELECT * FROM Clientes FULL OUTER VACUUM", false},
        {"SELECT * FROM Clientes INNER VACUUM JOIN Zonas ON 1=1", false},
        {"SELECT * FROM Clientes INNER HASH; VACUUM", false},
        {"SELECT * FROM Clientes CROSS HASH JOIN Zonas", false},
        {"SELECT * FROM Clientes INNER HASH LOOP JOIN Zonas ON 1=1", false},
        {"SELECT Nombre AS DELETE FROM Clientes", false},
        {"SELECT Nombre FROM Clientes WHERE Zona = 1 WHERE Zona = 2", false},
        {"SELECT Nombre FROM Clientes WHERE Zona IN (SELECT Zona FROM Zonas WHERE 1=1 WHERE 2=2)",
         false},
        // A join with a hint for the server is a read as any other.
        {"SELECT c.Nombre FROM Clientes c INNER HASH JOIN Zonas z ON z.Zona = c.Zona", true},
        {"SELECT c.Nombre FROM Clientes c INNER LOOP JOIN Zonas z ON z.Zona = c.Zona", true},
        {"SELECT c.Nombre FROM Clientes c LEFT OUTER MERGE JOIN Zonas z ON z.Zona = c.Zona", true},
        {"SELECT c.Nombre FROM Clientes c RIGHT REMOTE JOIN Zonas z ON z.Zona = c.Zona", true},
        {"SELECT c.Nombre FROM Clientes c full outer hash join Zonas z ON z.Zona = c.Zona", true},
        // A literal SQL Server reads shorter than a name would be, then a statement.
        {"SELECT A FROM T WHERE B = 0xSHUTDOWN", false},
        {"SELECT A FROM T WHERE B = 0x1FSHUTDOWN", false},
        {"SELECT 1eSHUTDOWN", false},
        {"SELECT A FROM T WHERE B = 1.eSHUTDOWN", false},
        // A line comment that a lone carriage return may or may not end.
        {"SELECT A FROM T -- x\r/*\n; DELETE FROM T; -- */", false},
        {"SELECT A FROM T -- x\rDELETE FROM T", false},
        // The lookups' own shapes.
        {"SELECT TOP 1000 NOMBRE,IDVENDEDOR FROM V_TA_VENDEDORES  with(nolock)  WHERE "
         "Dada_De_Baja = 0 ORDER BY NOMBRE",
         true},
        {"SELECT TOP 1000  *  FROM TA_USUARIOS WHERE  (NOMBRE LIKE 'A%')  ORDER BY NOMBRE", true},
        {"select nombre_y_apellido,telefono From ma_contactos where cuentarel='C1' "
         "order by nombre_y_apellido ",
         true},
        {"SELECT t.A AS [Código], u.B 'Nombre', LEFT(t.C, 3) D, COUNT(*) AS N "
         "FROM dbo.T t WITH (NOLOCK) LEFT OUTER JOIN U AS u ON u.ID = t.ID "
         "WHERE t.A IS NOT NULL AND t.B NOT LIKE N'x%' AND t.D BETWEEN 1 AND -2 "
         "AND EXISTS (SELECT 1 FROM V WHERE V.ID = t.ID) "
         "GROUP BY t.A, u.B, t.C HAVING COUNT(*) > 1 ORDER BY 1 DESC, [Código] ASC",
         true},
        {"SELECT DISTINCT TOP (10) CASE WHEN A = 1 THEN 'x' ELSE ISNULL(B, '') END AS K, "
         "CONVERT(VARCHAR(10), F, 103) FROM T",
         true},
        {"WITH C (A) AS (SELECT A FROM T), D AS (SELECT A FROM C) SELECT A FROM D "
         "UNION SELECT A FROM C",
         true},
        {"SELECT A FROM T WHERE B = 0x1F AND C = 1e5 AND D = 2.5E-3 -- nota\r\nORDER BY A", true},
        {"SELECT A FROM T /* nota /* dentro */ */ WHERE B = 1 -- fin", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(tsql::isSingleRead(QString::fromUtf8(c.text)), c.read);
    }
}

}  // namespace
