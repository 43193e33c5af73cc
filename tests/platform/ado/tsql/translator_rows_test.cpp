// The system's SQL texts, written as its procedures build them, run on a database built from
// schema/: each must give the rows SQL Server gives.
#include "platform/ado/tsql/functions.h"
#include "platform/ado/tsql/translator.h"
#include "tests/support/fixtures.h"
#include "tests/support/test_database.h"

#include <QDateTime>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

using Rows = QList<QStringList>;

const char* const fixtureRows = R"sql(
INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux) VALUES ('Nombre ', 'Ferretería Ñandú', 'x')
INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('NPS_IMPRESION_FC', 'A')
INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('NPS_IMPRESION_NC', 'B')
INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('NPSXIMPRESIONXFC', 'C')
INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('NPS_IMPRESION', 'D')
INSERT INTO TA_USUARIOS (Nombre, Administrador) VALUES ('ana', 1)
INSERT INTO TA_USUARIOS (Nombre, Administrador) VALUES ('O''Brien', 0)
INSERT INTO TA_USUARIOS (Nombre, Administrador) VALUES ('Muñoz', 0)
INSERT INTO TA_TAREAS (USUARIO, TAREA) VALUES ('ANA', 'T1')
INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES ('T1', 'ZENTRIK.EXE', 'Errores del sistema')
INSERT INTO Control_Acceso (Maquina, Usuario, Ingreso) VALUES ('CAJA01', 'ANA', '05/03/24 09:00')
INSERT INTO Control_Acceso (Maquina, Usuario, Ingreso) VALUES ('CAJA02', 'LUIS', '05/03/24 10:00')
INSERT INTO V_TA_FAMILIAS (IdFamilia, Descripcion) VALUES ('1', 'Ferretería')
INSERT INTO V_TA_FAMILIAS (IdFamilia, Descripcion) VALUES ('11', 'Tornillos')
INSERT INTO V_TA_FAMILIAS (IdFamilia, Descripcion) VALUES ('2', 'Pinturas')
INSERT INTO V_TA_FAMILIAS (IdFamilia, Descripcion) VALUES ('21', 'Látex')
INSERT INTO V_TA_FAMILIAS (IdFamilia, Descripcion) VALUES ('  ', 'sin familia')
INSERT INTO TA_COTIZACION (FECHA_HORA, MONEDA2) VALUES ('2024-03-05 09:00:00', 850)
INSERT INTO TA_COTIZACION (FECHA_HORA, MONEDA2) VALUES ('2024-03-05 15:30:00', 855.5)
INSERT INTO TA_COTIZACION (FECHA_HORA, MONEDA2) VALUES ('2024-03-06 09:00:00', 860)
INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, FECHA, [NUMERO ASIENTO], MES_OPERATIVO,
    PERIODO, Cuenta, Importe, [DEBE-HABER]) VALUES ('CB', '0001', '00000001', 'A',
    '2024-03-05', 10, 3, 2024, '1.1.1', 1500, 'D')
INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, FECHA, [NUMERO ASIENTO], MES_OPERATIVO,
    PERIODO, Cuenta, Importe, [DEBE-HABER]) VALUES ('CB', '0001', '00000001', 'A',
    '2024-03-05', 10, 3, 2024, '1.1.2', 500, 'D')
INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, FECHA, [NUMERO ASIENTO], MES_OPERATIVO,
    PERIODO, Cuenta, Importe, [DEBE-HABER]) VALUES ('CB', '0001', '00000002', 'A',
    '2024-03-06', 11, 3, 2024, '1.1.1', 99, 'D')
INSERT INTO MA_CUENTAS (Codigo, Descripcion, MedioDePago) VALUES ('1.1.1', 'Caja', 'EF')
INSERT INTO MA_CUENTAS (Codigo, Descripcion, MedioDePago) VALUES ('1.1.2', 'Tarjetas', 'TJ')
INSERT INTO MA_CUENTAS (Codigo, Descripcion) VALUES ('4.1', 'Ventas')
INSERT INTO MV_APLICACION (TC, IDCOMPROBANTE, CUENTA, IMPORTE)
    VALUES ('CB', '000100000001A', 'C1', 10)
INSERT INTO MV_APLICACION (TC, IDCOMPROBANTE, CUENTA, IMPORTE)
    VALUES ('CB', '000100000002A', 'C1', 20)
INSERT INTO MV_APLICACION (TC, IDCOMPROBANTE, CUENTA, IMPORTE)
    VALUES ('FC', '000100000001A', 'C1', 30)
INSERT INTO STK_DESPACHOS (NroLote, Descripcion) VALUES ('  l1  ', 'Despacho 1')
INSERT INTO STK_DESPACHOS (NroLote, Descripcion) VALUES ('L12', 'Despacho 12')
INSERT INTO V_MV_CPTEINSUMOS (TC, IdComprobante, IDCOMPLEMENTO, IdArticulo, Descripcion,
    Cantidad) VALUES ('TK', '000100000007B', 0, 'A1', 'Café', 2)
INSERT INTO V_MV_CPTEINSUMOS (TC, IdComprobante, IDCOMPLEMENTO, IdArticulo, Descripcion,
    Cantidad) VALUES ('TK', '000100000007B', 0, 'Z9', 'Sin ficha', 1)
INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, Pesable, talledefault) VALUES ('A1',
    'Café molido', 1, 'U')
INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION) VALUES ('0100', 'Código con cero')
INSERT INTO V_TA_UNIDADNEGOCIO (CODIGO, PDV, razon_social) VALUES ('0001', ' 003', 'Central')
INSERT INTO AUX_MV_CPTE (TC, USUARIO, TIPO, IDCOMPROBANTE, IDCOMPLEMENTO, COLUMNA1)
    VALUES ('FC', 'CAJA01|ANA', 'IN', '000100000009A', 0, NULL)
)sql";

struct Case {
    const char* name;
    const char* query;
    Rows rows;
};

class TranslatedTexts : public ::testing::Test {
protected:
    void SetUp() override { db.exec(QString::fromUtf8(fixtureRows)); }
    zxtest::TestDatabase db;
};

TEST_F(TranslatedTexts, GiveTheRowsSqlServerGives) {
    const Case cases[] = {
        {"configuration key stored with a blank, asked in capitals",
         "SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'NOMBRE'",
         {{"Ferretería Ñandú", "x"}}},
        {"LIKE with the one-character wildcard",
         "SELECT CLAVE FROM TA_CONFIGURACION WHERE CLAVE LIKE 'NPS_IMPRESION_%' ORDER BY CLAVE",
         {{"NPS_IMPRESION_FC"}, {"NPS_IMPRESION_NC"}, {"NPSXIMPRESIONXFC"}}},
        {"user names without regard to case, Ñ included",
         "Select Nombre from ta_usuarios  with(nolock)  where Nombre = 'MUÑOZ'",
         {{"Muñoz"}}},
        {"an apostrophe doubled in the literal",
         "Select Administrador from ta_usuarios where Nombre = 'o''brien'",
         {{"0"}}},
        {"task join with a blank after the user and the process as a substring",
         "SELECT TA_TAREAS.USUARIO, TA_MENU.Proceso, TA_MENU.Clave , TA_MENU.Nombre "
         " FROM TA_TAREAS  with(nolock) INNER JOIN TA_MENU ON TA_TAREAS.TAREA = TA_MENU.Clave "
         " WHERE (TA_TAREAS.USUARIO = 'ana ') AND (TA_MENU.Proceso LIKE '%Zentrik%')",
         {{"ANA", "ZENTRIK.EXE", "T1", "Errores del sistema"}}},
        {"first row of the access log",
         "Select TOP 1 * from Control_Acceso  with(nolock) ",
         {{"1", "CAJA01", "ANA", QString(), QString(), "05/03/24 09:00", QString()}}},
        {"TOP 0 gives no row", "SELECT TOP 0 * FROM AUX_MV_CPTEQR", {}},
        {"TOP 100 PERCENT and TOP 1 in a correlated ordered subquery",
         "SELECT     TOP 100 PERCENT IdFamilia, Descripcion, (SELECT     TOP 1 idfamilia FROM "
         "v_ta_familias a   Where a.IdFamilia < b.IdFamilia And "
         "(Len(LTrim(RTrim(a.IdFamilia))) < Len(LTrim(RTrim(b.IdFamilia))))  ORDER BY idfamilia "
         "DESC) AS [relative] FROM dbo.V_TA_FAMILIAS b Where IdFamilia<>'' ORDER BY IdFamilia",
         {{"1", "Ferretería", "  "},
          {"11", "Tornillos", "1"},
          {"2", "Pinturas", "  "},
          {"21", "Látex", "2"}}},
        {"outer TOP before a subquery, with the date part function",
         "SELECT top 1 * FROM TA_COTIZACION WITH(NOLOCK) WHERE "
         "DBO.FN_SOLO_FECHA(FECHA_HORA) = '2024-03-05' AND ID = (SELECT MAX(ID) AS ELID FROM "
         "TA_COTIZACION WHERE DBO.FN_SOLO_FECHA(FECHA_HORA) = '2024-03-05' )",
         {{"2", "2024-03-05 15:30:00", "855.5", QString(), QString()}}},
        {"texts joined with +",
         "SELECT FECHA,IMPORTE FROM MV_ASIENTOS WHERE TC = 'CB' AND SUCURSAL + NUMERO + LETRA = "
         "'000100000001A' ",
         {{"2024-03-05 00:00:00", "1500"}, {"2024-03-05 00:00:00", "500"}}},
        {"texts joined with + in an inequality",
         "SELECT TC, IDCOMPROBANTE FROM MV_APLICACION WHERE CUENTA = 'c1' AND "
         "(TC + IDCOMPROBANTE <> 'CB000100000001A') ORDER BY IMPORTE",
         {{"CB", "000100000002A"}, {"FC", "000100000001A"}}},
        {"trimmed expression against a literal with a trailing blank",
         " select * from stk_despachos where ltrim(rtrim(NroLote)) = 'L1 '",
         {{"  l1  ", QString(), "Despacho 1"}}},
        {"join without qualified names, bracketed column, not ... is null",
         "Select cuenta,importe, mediodepago, [DEBE-HABER], DESCRIPCION  from mv_asientos INNER "
         "JOIN ma_cuentas on cuenta = codigo where tc = 'CB' and sucursal = '0001' and numero = "
         "'00000001' and letra = 'A'  and not MedioDePago is null ORDER BY importe",
         {{"1.1.2", "500", "TJ", "D", "Tarjetas"}, {"1.1.1", "1500", "EF", "D", "Caja"}}},
        {"grouping on bracketed names",
         "SELECT TC, SUCURSAL, NUMERO, LETRA, [NUMERO ASIENTO],MES_OPERATIVO,PERIODO FROM "
         "MV_ASIENTOS with(nolock) WHERE TC='CB' GROUP BY TC, SUCURSAL, NUMERO, LETRA, [NUMERO "
         "ASIENTO],MES_OPERATIVO,PERIODO",
         {{"CB", "0001", "00000001", "A", "10", "3", "2024"},
          {"CB", "0001", "00000002", "A", "11", "3", "2024"}}},
        {"left outer join through the dbo prefix",
         "SELECT V_MV_CpteInsumos.IDARTICULO,V_MV_CpteInsumos.DESCRIPCION, v_ma_articulos.Pesable,"
         " v_ma_articulos.talledefault FROM V_MV_CPTEINSUMOS LEFT OUTER JOIN dbo.V_MA_ARTICULOS "
         "ON dbo.V_MV_CpteInsumos.IDARTICULO = dbo.V_MA_ARTICULOS.IDARTICULO WHERE TC = 'tk' AND "
         "IDCOMPROBANTE = '000100000007B' ORDER BY V_MV_CpteInsumos.ID",
         {{"A1", "Café", "1", "U"}, {"Z9", "Sin ficha", QString(), QString()}}},
        {"a single-row lookup with a trimmed column",
         "SELECT TOP 1  * FROM V_MA_ARTICULOS with(nolock)  WHERE LTRIM(RTRIM(IDARTICULO)) ='a1'",
         {{"A1", "Café molido", QString(), QString(), "1", "U", QString(), QString(), QString(),
           QString(), QString(), QString(), QString(), QString(), QString(), QString(),
           QString()}}},
        {"maximum article code that does not start with zero",
         "SELECT MAX(IDARTICULO) AS MAYOR FROM V_MA_ARTICULOS WHERE "
         "substring(ltrim(idarticulo),1,1)<>'0'",
         {{"A1"}}},
        {"leading blanks of a point of sale",
         "SELECT razon_social FROM v_ta_unidadNegocio WHERE LTRIM(PDV)='003'",
         {{"Central"}}},
        {"a quoted number against a whole-number column",
         "SELECT TC FROM AUX_MV_CPTE WHERE USUARIO = 'caja01|ana' AND IdComplemento = '0'",
         {{"FC"}}},
        {"ISNULL", "SELECT TC FROM AUX_MV_CPTE where isnull(COLUMNA1,'') = ''", {{"FC"}}},
        {"a blank code equals the empty text",
         "SELECT Descripcion FROM V_TA_FAMILIAS WHERE IdFamilia = ''",
         {{"sin familia"}}},
        {"CONVERT with style 103",
         "SELECT CONVERT(NVARCHAR, FECHA_HORA, 103) FROM TA_COTIZACION WHERE ID = 3",
         {{"06/03/2024"}}},
        {"CHARINDEX",
         "SELECT CHARINDEX('ñ', Nombre) FROM ta_usuarios WHERE Nombre = 'muñoz'",
         {{"3"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(db.rows(QString::fromUtf8(c.query)), c.rows);
    }
}

TEST_F(TranslatedTexts, ServerClockComesFromTheInjectedClock) {
    zxtest::FixedClock clock(QDateTime(QDate(2024, 3, 5), QTime(18, 45, 10)));
    EXPECT_EQ(db.rows(QStringLiteral("select  getDate() as fecha")),
              (Rows{{"2024-03-05 18:45:10"}}));
}

// The batch-dispatch note: run twice, it must be inserted once.
TEST_F(TranslatedTexts, GuardedInsertRunsTwiceAndInsertsOnce) {
    const QString note = QStringLiteral(
        "if not exists(select Usuario,TC,IdComprobante,IdComplemento,Tipo,SECCION from "
        "Aux_MV_Cpte where Usuario = 'CAJA01|ANA' and TC = 'FC' and IdComprobante = "
        "'000100000009A' and IdComplemento = '0' and Tipo = 'XX' and SECCION = 'Lote L1') "
        " INSERT INTO Aux_MV_Cpte(Usuario,TC,IdComprobante,IdComplemento,Tipo,SECCION) VALUES "
        "('CAJA01|ANA','FC','000100000009A','0','XX','Lote L1')");
    db.exec(note);
    db.exec(note);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT USUARIO, SECCION, IDCOMPLEMENTO FROM AUX_MV_CPTE "
                                     "WHERE TIPO = 'xx'")),
              (Rows{{"CAJA01|ANA", "Lote L1", "0"}}));
}

// The receipt copy names no columns: its nineteen values go to the columns after the identity,
// the third one into TIPO.
TEST_F(TranslatedTexts, InsertSelectWithoutColumnListFillsTheColumnsAfterTheIdentity) {
    db.exec(QStringLiteral(
        "DELETE AUX_MV_CPTE WHERE USUARIO = 'CAJA01|ANA'\n"
        "INSERT INTO AUX_MV_CPTE (TC, USUARIO, TIPO, SECCION, IDCOMPROBANTE, IDCOMPLEMENTO, "
        "COLUMNA1, COLUMNA2, COLUMNA3, COLUMNA4, COLUMNA5, COLUMNA6, COLUMNA7, COLUMNA8, "
        "ENCABEZADO, PIEDEPAGINA, COLUMNA9, COLUMNA10, COLUMNA11, COLUMNA12) VALUES ('CB', "
        "'CAJA01|ANA', '1', 'S', '000100000001A', 0, 'c1', 'c2', 'c3', 'c4', 'c5', NULL, 'c7', "
        "'c8', 'E', 'P', 'c9', '   1', 'c11', 'no se copia')"));
    db.exec(QStringLiteral(
        " INSERT INTO AUX_MV_CPTE SELECT TC, USUARIO, '2', Seccion, IDCOMPROBANTE,"
        " IDCOMPLEMENTO, COLUMNA1, COLUMNA2, COLUMNA3, "
        " COLUMNA4, COLUMNA5, COLUMNA6, COLUMNA7, "
        " COLUMNA8, Encabezado, PieDePagina, COLUMNA9, "
        " COLUMNA10, COLUMNA11 FROM AUX_MV_CPTE WHERE IDCOMPROBANTE = '000100000001A' AND "
        "TC = 'CB' AND USUARIO = 'CAJA01|ANA'"));
    EXPECT_EQ(db.rows(QStringLiteral(
                  "SELECT TIPO, SECCION, COLUMNA1, COLUMNA6, COLUMNA8, ENCABEZADO, PIEDEPAGINA, "
                  "COLUMNA10, COLUMNA11, COLUMNA12 FROM AUX_MV_CPTE WHERE TC = 'CB' ORDER BY ID")),
              (Rows{{"1", "S", "c1", QString(), "c8", "E", "P", "   1", "c11", "no se copia"},
                    {"2", "S", "c1", QString(), "c8", "E", "P", "   1", "c11", QString()}}));
}

TEST_F(TranslatedTexts, IdentityOfTheLastInsertAndDeleteWithoutFrom) {
    db.exec(QStringLiteral(
        "INSERT INTO AUX_MV_CPTE (TC, USUARIO) VALUES ('OT', 'CAJA02|LUIS')\n"
        "INSERT INTO AUX_MV_CPTE (TC, USUARIO) VALUES ('OT', 'CAJA02|LUIS')\n"
        "UPDATE AUX_MV_CPTE SET COLUMNA1 = CONVERT(VARCHAR, @@IDENTITY) WHERE USUARIO = "
        "'caja02|luis'\n"
        "DELETE AUX_MV_CPTE WHERE USUARIO = 'CAJA01|ANA' "));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT ID, COLUMNA1 FROM AUX_MV_CPTE ORDER BY ID")),
              (Rows{{"2", "3"}, {"3", "3"}}));
}

// The schema-change builder's statement, and a text column added later comparing like the rest.
TEST_F(TranslatedTexts, AddedColumnsTakeTheirDefaultAndTheCollation) {
    db.exec(QStringLiteral(
        "ALTER TABLE dbo.TA_USUARIOS ADD COD int Not Null  CONSTRAINT DF_TA_USUARIOS_COD "
        "DEFAULT (0)\nALTER TABLE dbo.TA_USUARIOS ADD Nota varchar(20) Null\n"
        "UPDATE TA_USUARIOS SET Nota = 'Cajera ' WHERE Nombre = 'ANA'"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT Nombre, COD FROM TA_USUARIOS WHERE Nota = 'CAJERA'")),
              (Rows{{"ana", "0"}}));
}

}  // namespace

namespace {

// A date-time compares, orders and converts as on SQL Server whatever shape it was written
// in: ISO with or without the time, unseparated, day first, or the server clock.
class DatesInEveryShape : public TranslatedTexts {
protected:
    void SetUp() override {
        zxtest::FixedClock clock(QDateTime(QDate(2021, 3, 20), QTime(9, 15, 42)));
        db.exec(QStringLiteral(
            "INSERT INTO AUX_ERR (fecha, Descripcion) VALUES ('2021-03-05', 'iso')\n"
            "INSERT INTO AUX_ERR (fecha, Descripcion) VALUES ('2021-03-05 10:30', 'minuto')\n"
            "INSERT INTO AUX_ERR (fecha, Descripcion) VALUES ('20210306', 'junto')\n"
            "INSERT INTO AUX_ERR (fecha, Descripcion) VALUES ('07/03/2021 08:00', 'dia primero')\n"
            "INSERT INTO AUX_ERR (fecha, Descripcion) VALUES ('2021-01-31T23:59:59', 'con T')\n"
            "INSERT INTO AUX_ERR (fecha, Descripcion) VALUES (getdate(), 'reloj')\n"
            "INSERT INTO AUX_ERR (fecha, Descripcion) VALUES (NULL, 'nula')\n"
            "UPDATE AUX_ERR SET fecha = '2021-02-18' WHERE Descripcion = 'nula'\n"
            "INSERT INTO AUX_ERR (fecha, Descripcion) VALUES (NULL, 'nula')"));
    }
    QStringList descripciones(const QString& condicion) const {
        QStringList out;
        for (const QStringList& r :
             db.rows("SELECT Descripcion FROM AUX_ERR WHERE " + condicion + " ORDER BY ID"))
            out.append(r[0]);
        return out;
    }
};

TEST_F(DatesInEveryShape, EqualityRangesAndOrderBehaveAsOnSqlServer) {
    zxtest::FixedClock clock(QDateTime(QDate(2021, 3, 20), QTime(9, 15, 42)));
    const struct {
        const char* condicion;
        QStringList filas;
    } casos[] = {
        {"fecha = '2021-03-05'", {"iso"}},
        {"fecha = '20210305'", {"iso"}},
        {"fecha = '05/03/2021'", {"iso"}},
        {"'2021-03-05 10:30:00' = fecha", {"minuto"}},
        {"fecha = '2021-03-06 00:00:00.000'", {"junto"}},
        {"fecha >= '2021-03-05' AND fecha < '2021-03-06'", {"iso", "minuto"}},
        {"fecha BETWEEN '2021-03-05' AND '2021-03-07'", {"iso", "minuto", "junto"}},
        {"fecha > '2021-03-07'", {"dia primero", "reloj"}},
        {"fecha <> '2021-01-31 23:59:59'", {"iso", "minuto", "junto", "dia primero", "reloj",
                                            "nula"}},
        {"fecha = getdate()", {"reloj"}},
        // A date less a number of days is a date.
        {"fecha > getdate() - 30", {"iso", "minuto", "junto", "dia primero", "reloj"}},
        {"fecha > getdate() - 30.5", {"iso", "minuto", "junto", "dia primero", "reloj", "nula"}},
        {"fecha + 1 = '2021-03-06'", {"iso"}},
        {"fecha - 1 < '2021-02-01'", {"con T"}},
        {"fecha IN ('2021-03-06', '2021-02-18')", {"junto", "nula"}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.condicion);
        EXPECT_EQ(descripciones(QString::fromUtf8(c.condicion)), c.filas);
    }
    EXPECT_EQ(db.rows("SELECT Descripcion FROM AUX_ERR WHERE fecha IS NOT NULL ORDER BY fecha"),
              (Rows{{"con T"}, {"nula"}, {"iso"}, {"minuto"}, {"junto"}, {"dia primero"},
                    {"reloj"}}));
    EXPECT_EQ(db.rows("SELECT MAX(fecha), MIN(fecha) FROM AUX_ERR"),
              (Rows{{"2021-03-20 09:15:42", "2021-01-31 23:59:59"}}));
    EXPECT_EQ(db.rows("SELECT fecha + 1, fecha - 0.5 FROM AUX_ERR WHERE Descripcion = 'iso'"),
              (Rows{{"2021-03-06 00:00:00", "2021-03-04 12:00:00"}}));
}

// The first and the last day a datetime holds compare as any other: the last one has no next
// day, and the ranges that end there hold it whole.
TEST_F(DatesInEveryShape, TheFirstAndLastDaysADatetimeHoldsCompareAsAnyOther) {
    db.exec(QStringLiteral(
        "DELETE FROM AUX_ERR\n"
        "INSERT INTO AUX_ERR (fecha, Descripcion) VALUES ('1753-01-01', 'primero')\n"
        "INSERT INTO AUX_ERR (fecha, Descripcion) VALUES ('1753-01-01 12:00', 'primero tarde')\n"
        "INSERT INTO AUX_ERR (fecha, Descripcion) VALUES ('2021-03-05 10:30', 'medio')\n"
        "INSERT INTO AUX_ERR (fecha, Descripcion) VALUES ('9999-12-31', 'ultimo')\n"
        "INSERT INTO AUX_ERR (fecha, Descripcion) VALUES ('9999-12-31T23:59:59.997', 'ultimo "
        "tarde')\n"
        "INSERT INTO AUX_ERR (fecha, Descripcion) VALUES (NULL, 'nula')"));
    const QStringList todas = {"primero", "primero tarde", "medio", "ultimo", "ultimo tarde"};
    const struct {
        const char* condicion;
        QStringList filas;
    } casos[] = {
        {"fecha <= '9999-12-31'", {"primero", "primero tarde", "medio", "ultimo"}},
        {"fecha < '9999-12-31 23:59:59.997'", {"primero", "primero tarde", "medio", "ultimo"}},
        {"fecha <= '9999-12-31 23:59:59.997'", todas},
        {"fecha >= '9999-12-31'", {"ultimo", "ultimo tarde"}},
        {"fecha > '9999-12-31'", {"ultimo tarde"}},
        {"fecha = '9999-12-31'", {"ultimo"}},
        {"fecha >= '1753-01-01'", todas},
        {"fecha < '1753-01-01'", {}},
        {"fecha = '1753-01-01'", {"primero"}},
        {"fecha BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.997'", todas},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.condicion);
        EXPECT_EQ(descripciones(QString::fromUtf8(c.condicion)), c.filas);
    }
}

TEST_F(DatesInEveryShape, ConvertWritesEachStyle) {
    const struct {
        const char* expresion;
        const char* texto;
    } casos[] = {
        {"CONVERT(VARCHAR(10), fecha, 101)", "03/05/2021"},
        {"CONVERT(VARCHAR(10), fecha, 103)", "05/03/2021"},
        {"CONVERT(VARCHAR(10), fecha, 104)", "05.03.2021"},
        {"CONVERT(VARCHAR(10), fecha, 105)", "05-03-2021"},
        {"CONVERT(VARCHAR(8), fecha, 108)", "10:30:00"},
        {"CONVERT(VARCHAR(8), fecha, 112)", "20210305"},
        {"CONVERT(VARCHAR(19), fecha, 120)", "2021-03-05 10:30:00"},
        {"CONVERT(VARCHAR(23), fecha, 121)", "2021-03-05 10:30:00.000"},
        {"CONVERT(VARCHAR(10), fecha, 120)", "2021-03-05"},
        {"CONVERT(NVARCHAR, fecha, 112)", "20210305"},
        {"CONVERT(DATETIME, '05/03/2021', 103)", "2021-03-05 00:00:00"},
        {"CONVERT(DATETIME, '03/05/2021', 101)", "2021-03-05 00:00:00"},
        {"CONVERT(DATETIME, '20210305', 112)", "2021-03-05 00:00:00"},
        {"CONVERT(DATETIME, '2021-03-05T10:30:00', 126)", "2021-03-05 10:30:00"},
        {"CONVERT(VARCHAR(30), fecha, 126)", "2021-03-05T10:30:00"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.expresion);
        EXPECT_EQ(db.rows(QStringLiteral("SELECT ") + c.expresion +
                          " FROM AUX_ERR WHERE Descripcion = 'minuto'"),
                  (Rows{{QString::fromUtf8(c.texto)}}));
    }
}

TEST_F(DatesInEveryShape, AStyleNotSupportedIsAnErrorThatNamesIt) {
    const QString sql = tsql::Translator().translate(
        "SELECT CONVERT(VARCHAR(8), fecha, 7) FROM AUX_ERR WHERE Descripcion = 'minuto'");
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(db.file().toUtf8().constData(), &handle), SQLITE_OK);
    tsql::registerFunctions(handle);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(handle, sql.toUtf8().constData(), -1, &stmt, nullptr),
              SQLITE_OK);
    EXPECT_EQ(sqlite3_step(stmt), SQLITE_ERROR);
    EXPECT_TRUE(QString::fromUtf8(sqlite3_errmsg(handle)).contains(u'7'))
        << sqlite3_errmsg(handle);
    sqlite3_finalize(stmt);
    sqlite3_close(handle);
}

}  // namespace
