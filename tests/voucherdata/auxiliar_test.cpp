#include "voucherdata/auxiliar_comprobantes.h"

#include "core/globals.h"
#include "db/db_dll.h"
#include "tests/support/fixtures.h"
#include "tests/voucherdata/voucher_world.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using vdtest::VoucherWorld;

// The vouchers that got rows, as "type|identifier|complement", sorted.
QStringList comprobantes(const VoucherWorld& w) {
    QStringList out;
    for (const QStringList& r :
         w.rows("SELECT DISTINCT TC, IDCOMPROBANTE, IDCOMPLEMENTO FROM AUX_MV_CPTE"))
        out.append(r.join(u'|'));
    std::sort(out.begin(), out.end());
    return out;
}

// The kinds of the rows, in print order, joined ("3M3IN...").
QString tipos(const VoucherWorld& w, const QString& condicion = QStringLiteral("1 = 1")) {
    QString out;
    for (const QStringList& r :
         w.rows("SELECT TIPO FROM AUX_MV_CPTE WHERE " + condicion + " ORDER BY ID"))
        out += r[0];
    return out;
}

int cuenta(const VoucherWorld& w, const QString& condicion) {
    return w.rows("SELECT COUNT(*) FROM AUX_MV_CPTE WHERE " + condicion)[0][0].toInt();
}

TEST(VoucherWorkTables, WholeOutputsMatchTheirFiles) {
    for (const vdtest::Scenario& s : vdtest::scenarios()) {
        SCOPED_TRACE(s.name);
        VoucherWorld w;
        s.run(w);
        EXPECT_EQ(w.dump(), QString::fromUtf8(zxtest::readFile(vdtest::expectedFile(s.name))));
    }
}

TEST(VoucherWorkTables, SelectionByListsOrRange) {
    const struct {
        const char* name;
        const char* tc;
        const char* desde[4];  // point of sale, number, letter, complement
        const char* hasta[4];
        const char* listaId;
        const char* listaIdComprobante;
        const char* tcDespues;
        QStringList vouchers;
    } casos[] = {
        {"IdentifierListWinsOverRangeAndIds",
         "FC",
         {"0001", "00000123", "A", "0"},
         {},
         "1",
         "'000100000200B', '000900000001A'",
         "FC  ",
         {"FC  |000100000200B|0", "FC  |000900000001A|0"}},
        {"EmptyUpperBoundIsTheFirstVoucher",
         "FC",
         {"0001", "00000123", "A", "0"},
         {},
         "",
         "",
         "FC  ",
         {"FC  |000100000123A|0"}},
        {"NoBoundsTakeEveryVoucherFromTheComplement",
         "FC",
         {"", "", "", "1"},
         {},
         "",
         "",
         "FC  ",
         {"FC  |000100000124A|1"}},
        // The rows carry the type as the caller wrote it; the database compares it case aside.
        {"NoBoundsFromComplementZero",
         "fc",
         {"", "", "", "0"},
         {},
         "",
         "",
         "fc  ",
         {"fc  |000100000123A|0", "fc  |000100000124A|1", "fc  |000100000200B|0",
          "fc  |000900000001A|0"}},
        {"Range",
         "FC",
         {"0001", "00000123", "A", "0"},
         {"0001", "00000200", "B", "1"},
         "",
         "",
         "FC  ",
         {"FC  |000100000123A|0", "FC  |000100000124A|1", "FC  |000100000200B|0"}},
        {"IdsOfTheType",
         "FC",
         {},
         {},
         "1,6,2",
         "",
         "FC  ",
         {"FC  |000100000123A|0", "FC  |000100000200B|0"}},
        {"TodoTakesTheTypeOfTheListedVoucher",
         "Todo",
         {},
         {},
         "2",
         "",
         "OT",
         {"OT|000100000045X|0"}},
        // Lists reach the statement as values: they cannot widen the selection.
        {"IdListHoldsNumbersOnly",
         "FC",
         {},
         {},
         "1) OR (1=1",
         "",
         "FC  ",
         {"FC  |000100000123A|0"}},
        {"IdentifierListHoldsLiteralsOnly",
         "FC",
         {},
         {},
         "",
         "'000100000123A') OR (1=1",
         "FC  ",
         {}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.name);
        VoucherWorld w;
        QString tc = c.tc;
        auto s = [](const char* t) { return QString::fromUtf8(t ? t : ""); };
        ModGlobal::GeneraAuxiliarComprobantes(tc, s(c.desde[0]), s(c.desde[1]), s(c.desde[2]),
                                              s(c.desde[3]), 3, s(c.hasta[0]), s(c.hasta[1]),
                                              s(c.hasta[2]), s(c.hasta[3]), s(c.listaId),
                                              s(c.listaIdComprobante), {}, false);
        EXPECT_EQ(tc, s(c.tcDespues));
        EXPECT_EQ(comprobantes(w), c.vouchers);
    }
}

TEST(VoucherWorkTables, EmptySelectionRemovesOnlyThisStationsRows) {
    VoucherWorld w;
    w.data.exec(
        "INSERT INTO AUX_MV_CPTE (USUARIO, TC, IDCOMPROBANTE, IDCOMPLEMENTO, TIPO) VALUES "
        "('pc-caja|ana', 'FC', '000100000001A', 0, '1'), "
        "('PC-CAJA|ANA', 'FC', '000100000001A', 0, '1'), "
        "('pc-2|beto', 'FC', '000100000001A', 0, '1')");
    w.build("FC", "999999999999Z");
    // The station key compares as SQL Server compares text: case aside.
    EXPECT_EQ(w.rows("SELECT USUARIO FROM AUX_MV_CPTE"), (QList<QStringList>{{"pc-2|beto"}}));
}

TEST(VoucherWorkTables, AgregarKeepsTheStationsRows) {
    VoucherWorld w;
    w.build("OT", "000100000045X");
    const int una = cuenta(w, "1 = 1");
    w.build("OT", "000100000045X", 3, {}, true);
    EXPECT_EQ(cuenta(w, "1 = 1"), 2 * una);
    w.build("OT", "000100000045X");
    EXPECT_EQ(cuenta(w, "1 = 1"), una);
}

TEST(VoucherWorkTables, StationsKeepTheirOwnRows) {
    VoucherWorld w;
    w.build("FC", "000100000123A");
    const QList<QStringList> primera =
        w.rows("SELECT ID, TIPO, COLUMNA1 FROM AUX_MV_CPTE WHERE USUARIO = 'pc-caja|ana'");
    w.setStation("pc-2", "beto");
    w.build("FC", "000100000123A");
    EXPECT_EQ(w.rows("SELECT ID, TIPO, COLUMNA1 FROM AUX_MV_CPTE WHERE USUARIO = 'pc-caja|ana'"),
              primera);
    EXPECT_EQ(cuenta(w, "USUARIO = 'pc-2|beto'"), primera.size());
    EXPECT_EQ(tipos(w, "USUARIO = 'pc-2|beto'"), tipos(w, "USUARIO = 'pc-caja|ana'"));
}

TEST(VoucherWorkTables, ApostropheInTheStationKey) {
    VoucherWorld w;
    w.setStation("pc-caja", "o'neil");
    w.build("FC", "000100000123A");
    const int una = cuenta(w, "USUARIO = 'pc-caja|o''neil'");
    EXPECT_EQ(una, 16);
    w.build("FC", "000100000123A");
    EXPECT_EQ(cuenta(w, "1 = 1"), una);
}

TEST(VoucherWorkTables, TitleBlockFollowsLineasTitulo) {
    const struct {
        std::int16_t lineas;
        const char* bloque;
    } casos[] = {{0, "M"},    {1, "M"},     {-1, "M"}, {2, "3M"}, {3, "3M3"},
                 {4, "33M3"}, {5, "33M33"}, {-2, "3"}, {-5, "3"}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.lineas);
        VoucherWorld w;
        w.build("FC", "000900000001A", c.lineas);
        EXPECT_EQ(tipos(w), QString("") + c.bloque + "OC");
    }
}

TEST(VoucherWorkTables, WorkOrderTimesHiddenByTheSettingWhateverItsBlanksAndCase) {
    const struct {
        const char* valor;  // nullptr: no such key
        const char* tiempo;
    } casos[] = {{nullptr, "01:30"}, {"SI", "      "}, {"si        ", "      "},
                 {" Si ", "      "}, {"NO", "01:30"},  {"", "01:30"},
                 {"SIN", "01:30"}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.valor ? c.valor : "(none)");
        VoucherWorld w;
        if (c.valor) w.config("NoMostrarImportesEnOT", c.valor);
        w.build("OT", "000100000045X");
        EXPECT_EQ(w.rows("SELECT COLUMNA4, COLUMNA5 FROM AUX_MV_CPTE WHERE TIPO = 'TA' AND "
                         "COLUMNA1 = 'T1'"),
                  (QList<QStringList>{{c.tiempo, "1000,00"}}));
    }
}

TEST(VoucherWorkTables, PointAsHourSeparatorGivesDecimalHours) {
    VoucherWorld w;
    w.config("SeparadorHora", ".");
    w.build("OT", "000100000045X");
    EXPECT_EQ(w.rows("SELECT COLUMNA4 FROM AUX_MV_CPTE WHERE TIPO = 'TA' ORDER BY ID"),
              (QList<QStringList>{{"1.50"}, {".50"}, {".25"}}));
}

TEST(VoucherWorkTables, ZeroAmountsOfOtherConceptsLeftEmptyWhenAsked) {
    const struct {
        const char* valor;
        bool vacios;
    } casos[] = {{"si", true}, {"SI        ", true}, {" Si", true}, {"NO", false}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.valor);
        VoucherWorld w;
        w.config("IgnoraImportesCeroEnOC", c.valor);
        w.build("FC", "000100000123A");
        const QStringList seguro =
            c.vacios ? QStringList{"Seguro", "", ""} : QStringList{"Seguro", "0,00", "0,00"};
        EXPECT_EQ(
            w.rows("SELECT COLUMNA2, COLUMNA6, COLUMNA7 FROM AUX_MV_CPTE WHERE TIPO = 'OC' "
                   "ORDER BY ID"),
            (QList<QStringList>{{"Flete a cargo del clientes", "100,00", "100,00"}, seguro}));
    }
}

TEST(VoucherWorkTables, PendingSuppliesFollowTheRetailSettingAndTheOrigin) {
    const QString titulo =
        "SECCION = 'Insumos - Materiales Utilizados - Productos (Sin Preparación)'";
    const struct {
        const char* name;
        const char* retail;
        const char* cambio;  // made to the delivery note first
        int pendientes;
    } casos[] = {
        {"LowerCaseSetting", "si", nullptr, 2},
        {"SettingWithTrailingBlanks", "SI ", nullptr, 2},
        {"SettingWithBlanksAround", " si  ", nullptr, 2},
        {"SettingNo", "NO", nullptr, 0},
        {"NoOrigin", "SI", "ComprobanteOrigen = NULL", 0},
        {"OriginOfAnotherType", "SI", "TcOrigen = 'FC'", 0},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.name);
        VoucherWorld w;
        w.config("RETAIL", c.retail);
        if (c.cambio)
            w.data.exec(QString("UPDATE V_MV_CPTE SET ") + c.cambio +
                        " WHERE IDCOMPROBANTE = '000200000010R'");
        w.build("RM", "000200000010R");
        EXPECT_EQ(cuenta(w, titulo), c.pendientes ? 1 : 0);
        EXPECT_EQ(cuenta(w, "TIPO = 'IN' AND COLUMNA4 = '0'"), c.pendientes);
    }
}

// The tax goes back on a pro-forma line only for a customer whose VAT condition is "1".
TEST(VoucherWorkTables, ProformaTaxGoesBackOnlyForTheVatConditionOne) {
    const struct {
        const char* name;
        const char* condicion;  // SQL value of the voucher's condicionIVA
        const char* roba;       // RobaIvaProforma
        const char* tc;         // the voucher's and its lines' stored type
        bool conIva;
    } casos[] = {
        {"ConditionOne", "'1'", "SI", "FP", true},
        {"ConditionOneWithBlanks", "' 1 '", "si", "FP", true},
        {"CreditNoteOfAProforma", "'1'", "SI", "NCFP", true},
        {"OtherCondition", "'5'", "SI", "FP", false},
        {"ElevenIsNotOne", "'11'", "SI", "FP", false},
        {"NoCondition", "NULL", "SI", "FP", false},
        {"SettingOff", "'1'", "NO", "FP", false},
        {"NotAProforma", "'1'", "SI", "FC", false},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.name);
        VoucherWorld w;
        w.config("RobaIvaProforma", c.roba);
        w.data.exec(QStringLiteral("UPDATE V_MV_CPTE SET condicionIVA = %1 "
                                   "WHERE IDCOMPROBANTE = '000300000001X'")
                        .arg(QString::fromLatin1(c.condicion)));
        for (const char* tabla : {"V_MV_CPTE", "V_MV_CPTEINSUMOS"})
            w.data.exec(QStringLiteral("UPDATE %1 SET TC = '%2' WHERE IdComprobante = "
                                       "'000300000001X'")
                            .arg(QString::fromLatin1(tabla), QString::fromLatin1(c.tc)));
        w.build(QString::fromLatin1(c.tc), "000300000001X");
        // A1 holds no tax yet (100 of 100 without tax, 21%); B2 already holds it.
        const QList<QStringList> filas =
            c.conIva ? QList<QStringList>{{"A1", "121,00", "242,00", "100,00"},
                                          {"B2", "121,00", "121,00", "100,00"}}
                     : QList<QStringList>{{"A1", "100,00", "200,00", "100,00"},
                                          {"B2", "121,00", "121,00", "100,00"}};
        EXPECT_EQ(w.rows("SELECT COLUMNA1, COLUMNA5, COLUMNA6, COLUMNA7 FROM AUX_MV_CPTE "
                         "WHERE TIPO = 'IN' ORDER BY ID"),
                  filas);
    }
}

TEST(VoucherWorkTables, AllLinesOfTheOrderDeliveredStillGiveTheTitle) {
    VoucherWorld w;
    w.config("RETAIL", "SI");
    w.data.exec("DELETE FROM VT_V_MV_INSUMOS_NPPENDIENTE");
    w.build("RM", "000200000010R");
    EXPECT_EQ(tipos(w), "3M3IN3M3");
}

TEST(VoucherWorkTables, ForeignCurrencyAmountInWordsNamesTheCurrency) {
    VoucherWorld w;
    w.build("FC", "000100000200B");
    EXPECT_EQ(w.rows("SELECT DISTINCT IMPORTEENLETRAS FROM AUX_MV_CPTE"),
              (QList<QStringList>{{" cincuenta Dólares con 00/100"}}));
}

TEST(VoucherWorkTables, SingleTaskWritesOnlyThatTask) {
    VoucherWorld w;
    w.build("OT", "000100000045X", 3, "T2");
    // No header, footer, other concepts, supplies or header stamp for one task.
    EXPECT_EQ(tipos(w), "3M3TATA");
    EXPECT_EQ(cuenta(w, "COLUMNA1 = 'T2'"), 2);
    EXPECT_EQ(cuenta(w, "ENCABEZADO IS NOT NULL"), 0);
}

TEST(VoucherWorkTables, SingleTaskWithoutEntriesGivesOnlyTheTitle) {
    VoucherWorld w;
    w.build("OT", "000100000046X", 3, "T7");
    EXPECT_EQ(tipos(w), "3M3");
}

TEST(VoucherWorkTables, RejectedSupplyRowIsShownAndTheBuildGoesOn) {
    VoucherWorld w;
    w.execRaw(
        "CREATE TRIGGER rechaza BEFORE INSERT ON AUX_MV_CPTE WHEN NEW.COLUMNA1 = 'C3' "
        "BEGIN SELECT RAISE(ABORT, 'fila rechazada'); END");
    w.op.answer(vb::vbOK);
    w.build("FC", "000100000123A");
    ASSERT_EQ(w.op.messages().size(), 1);
    EXPECT_TRUE(w.op.messages()[0].text.contains("fila rechazada"));
    EXPECT_EQ(w.op.messages()[0].buttons, vb::vbOKOnly);
    EXPECT_EQ(cuenta(w, "TIPO = 'IN'"), 3);
    EXPECT_EQ(cuenta(w, "TIPO = 'XX'"), 1);
}

// Guards against reporting an error left on the connection by an earlier statement.
TEST(VoucherWorkTables, EarlierConnectionErrorIsNotReported) {
    VoucherWorld w;
    gDB().EjecutaConsultaSQL("INSERT INTO NO_EXISTE (A) VALUES (1)");
    ASSERT_GT(gDB().gCnn.errors().Count(), 0);
    w.build("FC", "000100000123A");
    EXPECT_TRUE(w.op.messages().isEmpty());
}

TEST(VoucherWorkTables, SameDispatchedBatchOnAnotherVoucherGetsItsOwnNote) {
    VoucherWorld w;
    w.data.exec(
        "INSERT INTO V_MV_CPTEINSUMOS (TC, IdComprobante, IDCOMPLEMENTO, IdArticulo, Nro_Lote) "
        "VALUES ('FC', '000100000200B', 0, 'Z9', 'D7')");
    w.build("FC", "000100000123A");
    w.build("FC", "000100000200B", 3, {}, true);
    EXPECT_EQ(
        w.rows("SELECT IDCOMPROBANTE, SECCION FROM AUX_MV_CPTE WHERE TIPO = 'XX' ORDER BY ID"),
        (QList<QStringList>{{"000100000123A", "D7 - C Orig.China"},
                            {"000100000200B", "D7 - C Orig.China"}}));
}

// Batch texts that are blank, or only a bar, once trimmed name no batch: no dispatch suffix, no
// note and no batch-list row, even where a dispatch record has a blank or a bar for its batch.
TEST(VoucherWorkTables, BlankBatchesGetNoDispatchNote) {
    const struct {
        const char* name;
        const char* lote;
        const char* serie;  // null for NULL
        const char* columna8;
    } casos[] = {
        {"blanks", "   ", nullptr, ""},
        {"a bar", "|", "", "|"},
        {"a bar between blanks", " | ", "1|1", "|"},
        {"only a blank batch selected", "L5| |", "0|1|", "L5| |"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.name);
        VoucherWorld w;
        w.data.exec(
            "INSERT INTO STK_DESPACHOS (NroLote, ControladoPor, Descripcion) VALUES "
            "('', 'X', 'Blanco'), ('|', 'B', 'Barra')");
        w.data.exec(QStringLiteral("INSERT INTO V_MV_CPTEINSUMOS (TC, IdComprobante, "
                                   "IDCOMPLEMENTO, IdArticulo, Nro_Lote, Nro_Serie) VALUES ('FC', "
                                   "'000100000200B', 0, 'Z9', '%1', %2)")
                        .arg(QString::fromLatin1(c.lote),
                             c.serie ? QStringLiteral("'%1'").arg(QString::fromLatin1(c.serie))
                                     : QStringLiteral("NULL")));
        w.build("FC", "000100000200B");
        const QList<QStringList> filas =
            w.rows("SELECT COLUMNA8 FROM AUX_MV_CPTE WHERE TIPO = 'IN'");
        ASSERT_EQ(filas.size(), 1);
        EXPECT_EQ(filas[0][0].trimmed(), QString::fromLatin1(c.columna8));
        EXPECT_EQ(cuenta(w, "TIPO IN ('XX', 'ZZ')"), 0);
        EXPECT_TRUE(w.op.messages().isEmpty());
    }
}

// A dispatch record's padded origin reaches the suffix and the note without its blanks.
TEST(VoucherWorkTables, DispatchTextsAreTrimmedInTheSuffixAndTheNote) {
    VoucherWorld w;
    w.data.exec(
        "INSERT INTO STK_DESPACHOS (NroLote, ControladoPor, Descripcion) VALUES "
        "(' P7 ', 'C', '  Perú  ');"
        "INSERT INTO V_MV_CPTEINSUMOS (TC, IdComprobante, IDCOMPLEMENTO, IdArticulo, Nro_Lote, "
        "Nro_Serie) VALUES ('FC', '000100000200B', 0, 'Z8', 'P7', '1'),"
        "('FC', '000100000200B', 0, 'Z9', 'P7', NULL)");
    w.build("FC", "000100000200B");
    EXPECT_EQ(
        w.rows("SELECT TIPO, TRIM(COALESCE(COLUMNA8, SECCION)) FROM AUX_MV_CPTE "
               "WHERE TIPO IN ('IN', 'XX', 'ZZ') ORDER BY ID"),
        (QList<QStringList>{
            {"IN", "P7 /C/Orig.Perú"}, {"IN", "P7"}, {"XX", "P7 - C Orig.Perú"}, {"ZZ", "P7"}}));
}

TEST(VoucherWorkTables, LumberYardRowsEndWithUnitPriceData) {
    VoucherWorld w;
    ModGlobal::gMaderera = true;
    w.build("FC", "000100000123A");
    EXPECT_EQ(w.rows("SELECT COLUMNA1, COLUMNA16, COLUMNA17, PIEDEPAGINA FROM AUX_MV_CPTE "
                     "WHERE TIPO = 'IN' ORDER BY ID"),
              (QList<QStringList>{{"A1", "", "0", QString()},
                                  {"B2", "", "0", QString()},
                                  {"C3", "", "0", QString()},
                                  {"D4", "CJ", "0.25", QString()}}));
}

// The receipt print data copies rows with an insert that names no columns: its nineteen
// values land in the table's columns in their physical order.
TEST(VoucherWorkTables, ReceiptCopyPutsEachValueInItsColumn) {
    VoucherWorld w;
    w.data.exec(
        "INSERT INTO AUX_MV_CPTE (TC, USUARIO, TIPO, Seccion, IDCOMPROBANTE, IDCOMPLEMENTO, "
        "COLUMNA1, COLUMNA2, COLUMNA3, COLUMNA4, COLUMNA5, COLUMNA6, COLUMNA7, COLUMNA8, "
        "Encabezado, PieDePagina, COLUMNA9, COLUMNA10, COLUMNA11) VALUES ('CB', 'PC|U', '1', "
        "'s', '000100000001X', 0, 'c1', 'c2', 'c3', 'c4', 'c5', 'c6', 'c7', 'c8', 'e', 'p', "
        "'c9', 'c10', 'c11')");
    w.data.exec(
        " INSERT INTO AUX_MV_CPTE SELECT TC, USUARIO, '2', Seccion, IDCOMPROBANTE, "
        " IDCOMPLEMENTO, COLUMNA1, COLUMNA2, COLUMNA3,  COLUMNA4, COLUMNA5, COLUMNA6, COLUMNA7, "
        " COLUMNA8, Encabezado, PieDePagina, COLUMNA9,  COLUMNA10, COLUMNA11 FROM AUX_MV_CPTE "
        "WHERE IDCOMPROBANTE = '000100000001X'");
    EXPECT_EQ(w.rows("SELECT TC, USUARIO, TIPO, SECCION, IDCOMPROBANTE, IDCOMPLEMENTO, COLUMNA1, "
                     "COLUMNA2, COLUMNA3, COLUMNA4, COLUMNA5, COLUMNA6, COLUMNA7, COLUMNA8, "
                     "ENCABEZADO, PIEDEPAGINA, COLUMNA9, COLUMNA10, COLUMNA11 FROM AUX_MV_CPTE "
                     "WHERE TIPO = '2'"),
              (QList<QStringList>{{"CB", "PC|U", "2", "s", "000100000001X", "0", "c1", "c2", "c3",
                                   "c4", "c5", "c6", "c7", "c8", "e", "p", "c9", "c10", "c11"}}));
}

// The schema's definition of the work table, its column sizes changed.
QString workTableWith(const QMap<QString, QString>& tamanos) {
    const QString schema =
        QString::fromUtf8(zxtest::readFile(zxtest::sourcePath("schema/main.sql")));
    const qsizetype from = schema.indexOf("CREATE TABLE dbo.AUX_MV_CPTE (");
    QString tabla = schema.mid(from, schema.indexOf("\n)", from) + 2 - from);
    for (auto it = tamanos.begin(); it != tamanos.end(); ++it)
        tabla.replace(it.key() + " varchar(255)", it.key() + " varchar(" + it.value() + ")");
    return tabla;
}

// A task or daily-log text longer than its column: the row is written with the text cut to
// the column's defined size, and the section goes on.
TEST(VoucherWorkTables, LongTaskAndDailyLogTextsAreCutToTheirColumns) {
    const QString descripcion = "Reparación general " + QString(180, u'd');
    const QString adicional = "{\\rtf1 " + QString(850, u'a') + "}";
    const QString rtf = "{\\rtf1\\ansi\\deff0 " + descripcion + "\r\n " + adicional;
    const struct {
        const char* name;
        QMap<QString, QString> tamanos;  // empty keeps the schema's table
        int columna1, columna2;
    } cases[] = {
        {"schema", {}, 255, 255},
        {"other sizes", {{"COLUMNA1", "3"}, {"COLUMNA2", "90"}}, 3, 90},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VoucherWorld w;
        if (!c.tamanos.isEmpty()) {
            w.data.exec("DROP TABLE AUX_MV_CPTE");
            w.data.exec(workTableWith(c.tamanos));
        }
        w.data.exec(QString("INSERT INTO V_MV_CPTETAREAS (TC, IDCOMPROBANTE, IDCOMPLEMENTO, "
                            "IDTAREA, Descripcion, descripcionadicional, Horas, ValorHora, Total, "
                            "valorHora_S_Iva) VALUES ('OT', '000100000045X', 0, 'T355', '%1', "
                            "'%2', 60, 1000, 1000, 826.4463)")
                        .arg(descripcion, adicional));
        w.data.exec(QString("INSERT INTO V_MV_DIARIOS (TC, IDCOMPROBANTE, IDCOMPLEMENTO, IDTAREA, "
                            "Descripcion, Observaciones, Minutos) VALUES ('OT', '000100000046X', "
                            "0, 'T366', '%1', '%2', 45)")
                        .arg(descripcion, adicional));
        w.build("OT", "000100000045X", 3, "T355");
        w.build("OT", "000100000046X", 3, "T366", true);
        EXPECT_EQ(w.rows("SELECT IDCOMPROBANTE, COLUMNA1, COLUMNA2 FROM AUX_MV_CPTE WHERE "
                         "TIPO = 'TA' ORDER BY ID"),
                  (QList<QStringList>{
                      {"000100000045X", QString("T355").left(c.columna1), rtf.left(c.columna2)},
                      {"000100000046X", QString("T366").left(c.columna1), rtf.left(c.columna2)}}));
        EXPECT_TRUE(w.op.prompts().isEmpty());
    }
}

}  // namespace
