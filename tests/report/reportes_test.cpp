#include "report/reportes.h"

#include "tests/report/report_fixture.h"

#include "platform/vb/steps.h"

#include <QTemporaryDir>

#include <functional>

namespace {

using ModGlobal::CopiasReporte;
using ModGlobal::NombreReporte;
using ModGlobal::VerificaReporte;
using reporttest::ReportTest;

class NombreReporteTest : public ReportTest {
protected:
    void fila(const QString& nombre, const QString& a1, const QString& a2 = {},
              const QString& a3 = {}, const QString& a4 = {}) {
        auto v = [](const QString& s) {
            return s.isNull() ? QStringLiteral("NULL")
                              : QStringLiteral("'") + QString(s).replace("'", "''") + "'";
        };
        data.exec(QStringLiteral("INSERT INTO TA_REPORTES (NOMBRE, Archivo, Archivo2, Archivo3, "
                                 "Archivo4) VALUES (%1, %2, %3, %4, %5)")
                      .arg(v(nombre), v(a1), v(a2), v(a3), v(a4)));
    }
    void config(const QString& clave, const QString& valor) {
        data.exec(QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('%1', '%2')")
                      .arg(clave, valor));
    }
    // The message of a missing file, as the operator reads it.
    QString falta(const QString& archivo, const QString& nombre) const {
        return QStringLiteral("No se encuentra el Archivo ") + archivo + " (" + nombre +
               ") por favor verifique la configuración de Reportes\r\n Se tomara en su lugar el "
               "formulario " +
               P() + nombre + ".rpt";
    }
};

TEST_F(NombreReporteTest, TheNamesOwnFileWhenNoRowNamesOne) {
    toca("AUX_ERR.rpt");
    EXPECT_EQ(NombreReporte("AUX_ERR"), P() + "AUX_ERR.rpt");
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(NombreReporteTest, FilesAreFoundWithoutRegardToCase) {
    toca("aux_err.RPT");
    toca("Reportes/Errores.Rpt");
    EXPECT_EQ(NombreReporte("AUX_ERR"), P() + "aux_err.RPT");
    EXPECT_EQ(VerificaReporte("REPORTES\\ERRORES.rpt", "AUX_ERR"), P() + "Reportes/Errores.Rpt");
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(NombreReporteTest, TheWorkstationRowWinsAndDatoGivesTheGeneralRow) {
    toca("ERRORES.rpt");
    toca("GENERAL.rpt");
    fila("AUX_ERR", "GENERAL");
    fila("CAJA1|ANA|AUX_ERR", "ERRORES");
    EXPECT_EQ(NombreReporte("AUX_ERR"), P() + "ERRORES.rpt");
    EXPECT_EQ(NombreReporte("AUX_ERR", "CAJA1|ANA"), P() + "GENERAL.rpt");
}

TEST_F(NombreReporteTest, CandidatesGetTheExtensionAndAMissingOneTheDefaultFile) {
    toca("REPORTE.rpt");
    toca("OTRO.RPT");
    toca("X.rpt");
    EXPECT_EQ(VerificaReporte("REPORTE", "X"), P() + "REPORTE.rpt");
    EXPECT_EQ(VerificaReporte("  OTRO.RPT  ", "X"), P() + "OTRO.RPT");
    EXPECT_TRUE(op.prompts().isEmpty());

    op.answer(vb::vbOK);
    EXPECT_EQ(VerificaReporte("NADA", "X"), P() + "X.rpt");
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text, falta(P() + "NADA.rpt", "X"));
    EXPECT_EQ(op.messages()[0].title, QStringLiteral("Aviso al Operador"));
    EXPECT_EQ(op.messages()[0].style, vb::vbCritical + vb::vbOKOnly);
}

TEST_F(NombreReporteTest, VoucherFormsFallBackToTheirTypeOrThePurchaseForm) {
    data.exec("INSERT INTO V_TA_CPTE (Codigo, SISTEMA) VALUES ('FCC', 'COMPRAS')");
    data.exec("INSERT INTO V_TA_CPTE (Codigo, SISTEMA) VALUES ('OCX', 'Compras')");
    toca("FC.RPT");
    toca("NCRE.RPT");
    toca("CpteCompras.RPT");
    struct Caso {
        const char* nombre;
        QString archivo;
    };
    const QList<Caso> casos = {
        {"FC-A", P() + "FC.RPT"},
        {"NCRE-B", P() + "NCRE.RPT"},
        {"FCC-A", P() + "CpteCompras.RPT"},
        {"OCX", P() + "CpteCompras.RPT"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        EXPECT_EQ(NombreReporte(c.nombre), c.archivo);
    }
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(NombreReporteTest, NothingAtAllGivesTheDefaultPathAndOneMessagePerFile) {
    op.answer(vb::vbOK);
    EXPECT_EQ(NombreReporte("NOEXISTE"), P() + "NOEXISTE.rpt");
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text, falta(P() + ".rpt", "NOEXISTE"));

    CopiasReporte copias;
    for (int i = 0; i < 5; ++i) op.answer(vb::vbOK);
    EXPECT_EQ(NombreReporte("NOEXISTE", {}, &copias), P() + "NOEXISTE.rpt");
    EXPECT_EQ(op.messages().size(), 6);
    for (const QString& c : copias) EXPECT_EQ(c, P() + "NOEXISTE.rpt");
}

TEST_F(NombreReporteTest, CopiesOfAGeneralRowRepeatTheCopyBefore) {
    toca("A.rpt");
    toca("C.rpt");
    fila("FACTURA", "A", "", "C", QString());
    CopiasReporte copias;
    EXPECT_EQ(NombreReporte("FACTURA", {}, &copias), P() + "A.rpt");
    EXPECT_EQ(copias, (CopiasReporte{P() + "A.rpt", P() + "A.rpt", P() + "C.rpt", P() + "C.rpt"}));
}

TEST_F(NombreReporteTest, CopiesOfAWorkstationRowDefaultToTheNamesFile) {
    toca("A.rpt");
    toca("C.rpt");
    toca("FACTURA.rpt");
    fila("CAJA1|ANA|FACTURA", "A", QString(), "C", "");
    CopiasReporte copias;
    EXPECT_EQ(NombreReporte("FACTURA", {}, &copias), P() + "A.rpt");
    EXPECT_EQ(copias, (CopiasReporte{P() + "A.rpt", P() + "FACTURA.rpt", P() + "C.rpt",
                                     P() + "FACTURA.rpt"}));
}

TEST_F(NombreReporteTest, PaymentOrderSettlementUsesThePaymentOrderRow) {
    toca("ORDENPAGO.rpt");
    fila("PG-X", "ORDENPAGO", "ORDENPAGO", "ORDENPAGO", "ORDENPAGO");
    EXPECT_EQ(NombreReporte("LiqOpg"), P() + "ORDENPAGO.rpt");
    CopiasReporte copias;
    EXPECT_EQ(NombreReporte("LIQOPG", {}, &copias), P() + "ORDENPAGO.rpt");
    EXPECT_EQ(copias[3], P() + "ORDENPAGO.rpt");
}

TEST_F(NombreReporteTest, NamesReachTheDatabaseEscaped) {
    toca("Informe.rpt");
    fila("CAJA1|ANA|O'Brien", "Informe");
    EXPECT_EQ(NombreReporte("O'Brien", {}, nullptr, "0001'00000001A"), P() + "Informe.rpt");
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(NombreReporteTest, ElectronicVouchersTakeTheUnitsFormWithOrWithoutQr) {
    QTemporaryDir unidad;
    toca(unidad.filePath("eFC-A.RPT"));
    toca(unidad.filePath("eFC-A_SINQR.RPT"));
    toca("FC-A.rpt");
    data.exec(QStringLiteral("INSERT INTO V_TA_UNIDADNEGOCIO (CODIGO, PDV, ruta_reporte, usaefc) "
                             "VALUES ('   1', '0001', '%1', 1)")
                  .arg(unidad.path()));
    data.exec(
        "INSERT INTO V_MV_CPTE_ELECTRONICOS (TC, IDCOMPROBANTE, fecha_CPTE) VALUES "
        "('FC', '000100000010A', '2021-02-28'), ('FC', '000100000011A', '2021-03-01')");
    const QString u = unidad.path() + "/";
    EXPECT_EQ(NombreReporte("FC-A", {}, nullptr, "000100000010A"), u + "eFC-A_SINQR.RPT");
    CopiasReporte copias;
    EXPECT_EQ(NombreReporte("FC-A", {}, &copias, "000100000011A"), u + "eFC-A.RPT");
    EXPECT_EQ(copias[2], u + "eFC-A.RPT");
    // Not an electronic voucher, or no voucher at all: the ordinary form.
    EXPECT_EQ(NombreReporte("FC-A", {}, nullptr, "000100000012A"), P() + "FC-A.rpt");
    EXPECT_EQ(NombreReporte("FC-A"), P() + "FC-A.rpt");

    config("FechaInicioeFacQR", "01/04/2021");
    EXPECT_EQ(NombreReporte("FC-A", {}, nullptr, "000100000011A"), u + "eFC-A_SINQR.RPT");
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(NombreReporteTest, ElectronicVouchersOfAUnitWithoutItsOwnFormsUseTheConfiguredFolder) {
    QTemporaryDir general;
    toca(general.filePath("eFB-B.RPT"));
    toca("FB-B.rpt");
    data.exec(
        "INSERT INTO V_TA_UNIDADNEGOCIO (CODIGO, PDV, ruta_reporte, usaefc) "
        "VALUES ('   2', '0002', '/no/such/folder', 0)");
    data.exec(
        "INSERT INTO V_MV_CPTE_ELECTRONICOS (TC, IDCOMPROBANTE, fecha_CPTE) VALUES "
        "('FB', '000200000001B', '2024-05-02')");
    config("RUTA_FORMULARIOS_EFACTURA", general.path());
    EXPECT_EQ(NombreReporte("FB-B", {}, nullptr, "000200000001B"), general.path() + "/eFB-B.RPT");
}

TEST_F(NombreReporteTest, DeliveryNotesOfAUnitUseItsFormWhenItHasOne) {
    QTemporaryDir conForma;
    QTemporaryDir sinForma;
    toca(conForma.filePath("RM-R.rpt"));
    toca("REMITO.rpt");
    fila("RM-R", "REMITO");
    data.exec(QStringLiteral("INSERT INTO V_TA_UNIDADNEGOCIO (CODIGO, PDV, ruta_reporte) VALUES "
                             "('3', '0003', '%1'), ('4', '0004', '%2')")
                  .arg(conForma.path(), sinForma.path()));
    data.exec(
        "INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, UNEGOCIO) VALUES "
        "('RM', '000300000001R', '3'), ('RM', '000400000001R', '4')");
    CopiasReporte copias;
    EXPECT_EQ(NombreReporte("RM-R", {}, &copias, "000300000001R"), conForma.path() + "/RM-R.rpt");
    EXPECT_EQ(copias[1], conForma.path() + "/RM-R.rpt");
    EXPECT_EQ(NombreReporte("RM-R", {}, nullptr, "000400000001R"), P() + "REMITO.rpt");
}

// Values of blanks count as empty and padded ones are used without their blanks: the station
// argument, a general row's copy column, the voucher number, a unit's form folder and the
// configured folder of electronic forms.
TEST_F(NombreReporteTest, BlankAndPaddedValuesAreReadTrimmed) {
    QTemporaryDir general;
    for (const char* f : {"RM-R.rpt", "eFC-A.RPT"}) toca(general.filePath(f));
    for (const char* f :
         {"ERRORES.rpt", "GENERAL.rpt", "A.rpt", "C.rpt", "REMITO.rpt", "FC-A.rpt"})
        toca(f);
    const QString g = general.path() + "/";
    struct Case {
        const char* name;
        std::function<void()> datos;
        std::function<QString()> resuelve;
        QString esperado;
    };
    const Case cases[] = {
        {"a station argument of blanks",
         [&] {
             fila("AUX_ERR", "GENERAL");
             fila("CAJA1|ANA|AUX_ERR", "ERRORES");
         },
         [] { return NombreReporte("AUX_ERR", "   "); }, P() + "ERRORES.rpt"},
        {"a copy column of blanks", [&] { fila("FACTURA", "A", "   ", "C", " "); },
         [] {
             CopiasReporte copias;
             NombreReporte("FACTURA", {}, &copias);
             return QStringList(copias.begin(), copias.end()).join(u';');
         },
         QStringList{P() + "A.rpt", P() + "A.rpt", P() + "C.rpt", P() + "C.rpt"}.join(u';')},
        {"a voucher number with blanks in front",
         [&] {
             config("RUTA_FORMULARIOS_EFACTURA", general.path());
             data.exec(
                 "INSERT INTO V_MV_CPTE_ELECTRONICOS (TC, IDCOMPROBANTE, fecha_CPTE) VALUES "
                 "('FC', '000100000011A', '2024-05-02')");
         },
         [] { return NombreReporte("FC-A", {}, nullptr, "  000100000011A"); }, g + "eFC-A.RPT"},
        {"an electronic unit's folder of blanks",
         [&] {
             config("RUTA_FORMULARIOS_EFACTURA", general.path());
             data.exec(
                 "INSERT INTO V_TA_UNIDADNEGOCIO (CODIGO, PDV, ruta_reporte, usaefc) VALUES "
                 "('   1', '0001', '   ', 1)");
             data.exec(
                 "INSERT INTO V_MV_CPTE_ELECTRONICOS (TC, IDCOMPROBANTE, fecha_CPTE) VALUES "
                 "('FC', '000100000011A', '2024-05-02')");
         },
         [] { return NombreReporte("FC-A", {}, nullptr, "000100000011A"); }, g + "eFC-A.RPT"},
        {"a padded folder of electronic forms",
         [&] {
             config("RUTA_FORMULARIOS_EFACTURA", "  " + general.path() + "  ");
             data.exec(
                 "INSERT INTO V_MV_CPTE_ELECTRONICOS (TC, IDCOMPROBANTE, fecha_CPTE) VALUES "
                 "('FC', '000100000011A', '2024-05-02')");
         },
         [] { return NombreReporte("FC-A", {}, nullptr, "000100000011A"); }, g + "eFC-A.RPT"},
        {"a delivery-note unit's folder of blanks",
         [&] {
             fila("RM-R", "REMITO");
             config("RUTA_FORMULARIOS_EFACTURA", general.path());
             data.exec(
                 "INSERT INTO V_TA_UNIDADNEGOCIO (CODIGO, PDV, ruta_reporte) VALUES "
                 "('3   ', '0003', '   ')");
             data.exec(
                 "INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, UNEGOCIO) VALUES "
                 "('RM', '000300000001R', '3')");
         },
         [] { return NombreReporte("RM-R", {}, nullptr, "000300000001R"); }, g + "RM-R.rpt"},
        {"a padded folder of delivery-note forms",
         [&] {
             fila("RM-R", "REMITO");
             config("RUTA_FORMULARIOS_EFACTURA", " " + general.path() + "   ");
         },
         [] { return NombreReporte("RM-R", {}, nullptr, "000300000001R"); }, g + "RM-R.rpt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* t : {"TA_REPORTES", "TA_CONFIGURACION", "V_TA_UNIDADNEGOCIO", "V_MV_CPTE",
                              "V_MV_CPTE_ELECTRONICOS"})
            data.exec(QStringLiteral("DELETE FROM %1").arg(QString::fromLatin1(t)));
        c.datos();
        EXPECT_EQ(c.resuelve(), c.esperado);
    }
    EXPECT_TRUE(op.prompts().isEmpty());
}

// The lookup of a delivery note's business unit reports its database error (the statement's
// box, then the lookup's own for the recordset left closed); whatever the answers, the unit
// counts as unknown and the configured delivery-note form is used.
TEST_F(NombreReporteTest, AFailedUnitLookupOfADeliveryNoteIsToldAndTheResolutionGoesOn) {
    QTemporaryDir general;
    toca(general.filePath("RM-R.rpt"));
    toca("REMITO.rpt");
    fila("RM-R", "REMITO");
    config("RUTA_FORMULARIOS_EFACTURA", general.path());
    data.exec("DROP TABLE V_MV_CPTE");
    const struct {
        int primera, segunda;
    } respuestas[] = {
        {vb::vbIgnore, vb::vbIgnore}, {vb::vbAbort, vb::vbAbort}, {vb::vbIgnore, vb::vbAbort}};
    for (const auto& r : respuestas) {
        SCOPED_TRACE(testing::Message() << r.primera << " " << r.segunda);
        const qsizetype antes = op.messages().size();
        op.answer(r.primera).answer(r.segunda);
        CopiasReporte copias;
        EXPECT_EQ(NombreReporte("RM-R", {}, &copias, "000300000001R"),
                  general.path() + "/RM-R.rpt");
        EXPECT_EQ(copias[3], general.path() + "/RM-R.rpt");
        const auto mensajes = op.messages().mid(antes);
        ASSERT_EQ(mensajes.size(), 2);
        EXPECT_TRUE(mensajes[0].text.contains("V_MV_CPTE")) << mensajes[0].text.toStdString();
        EXPECT_FALSE(mensajes[0].title.contains("NombreReporte"))
            << mensajes[0].title.toStdString();
        EXPECT_EQ(mensajes[1].title, QString("Aviso al Operador"));
        for (const auto& m : mensajes) EXPECT_EQ(m.icon, vb::vbCritical);
    }
}

TEST_F(NombreReporteTest, AFailingQueryGoesToTheErrorDialog) {
    data.exec("DROP TABLE TA_REPORTES");
    // The database class's own box, then the error dialog of this procedure.
    op.answer(vb::vbAbort).answer(vb::vbAbort);
    EXPECT_EQ(NombreReporte("AUX_ERR"), QString());
    ASSERT_EQ(op.messages().size(), 2);
    EXPECT_TRUE(op.messages()[1].title.contains("NombreReporte$"));
}

}  // namespace
