#include "voucherprint/imprimircomprobante.h"

#include "platform/reportengine/document.h"
#include "platform/vb/app.h"
#include "platform/vb/steps.h"
#include "db/db_dll.h"
#include "platform/ado/errors.h"
#include "platform/ado/sqlitebackend.h"
#include "platform/vendrix/clsreporte.h"
#include "tests/support/scripted_backend.h"
#include "tests/voucherprint/print_world.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using vptest::PrintWorld;

const QString kFactura = QStringLiteral("000100000123A");
const QString kOtro = QStringLiteral("000100000099X");

// A sort field of the caller's, for the types that leave it alone.
const QString kOrden = QStringLiteral("+{AUX_MV_CPTE.COLUMNA1}");

// The station's selection term of the voucher rows (names as the system gives them).
const QString kEstacion = QStringLiteral("{Aux_MV_CPte.USUARIO} = 'pc-salon|mozo1'");

// The arguments of one call, as the automatic mailing passes them unless a test changes them.
struct Llamada {
    QString tc, id, complemento = QStringLiteral("0"), reporte;
    QStringList orden{QString()};
    QString seleccion;
    QStringList adicionales{QString()};
    std::int16_t destino = 0;
    bool externa = false;
    QString fecha;
    QString formulario = QStringLiteral("Todos");
    bool contable = false;
    bool unaCopia = true;

    Llamada(const QString& tipo, const QString& numero)
        : tc(tipo), id(numero), reporte(tipo), destino(gReporte().Destino) {}

    void imprime() {
        ModGlobal::ImprimirComprobante(tc, id, complemento, reporte, orden, seleccion, adicionales,
                                       destino, externa, fecha, formulario, contable, unaCopia);
    }
};

class ImprimirComprobanteTest : public ::testing::Test {
protected:
    ImprimirComprobanteTest() {
        for (const auto& [clave, valor] : {std::pair{"PISO", "2"},
                                           {"Departamento", "B"},
                                           {"CPOSTAL", "C1043"},
                                           {"TELEFONO", " 4444-5555 "},
                                           {"CONDIVA", "1"},
                                           {"cuit", "30-11111111-1"},
                                           {"PROVINCIA", "Buenos Aires"},
                                           {"NROINGRESOSBRUTOS", "901-123456-7"},
                                           {"INICIOACTIVIDADES", "01/01/2010"}})
            world.config(clave, valor);
        world.exec(
            "INSERT INTO TA_CONDIVA (Codigo, DESCRIPCION) VALUES ('1', 'Responsable Inscripto');"
            "INSERT INTO V_TA_UNIDADNEGOCIO (CODIGO, razon_social, Cuit) VALUES "
            "('1', 'Parrilla Norte SRL', '30-71234567-8'), ('2', 'Sin CUIT SA', NULL);"
            "INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, UNEGOCIO) VALUES "
            "('FC', '000100000123A', 0, '1'), ('FP', '000300000001X', 0, '2'),"
            "('PGFP', '000100000099X', 0, '1');"
            // The work-table rows as the voucher print data writes them: the station as the
            // system gives it.
            "INSERT INTO AUX_MV_CPTE (TC, USUARIO, TIPO, IDCOMPROBANTE, IDCOMPLEMENTO, COLUMNA1) "
            "VALUES ('FC', 'pc-salon|mozo1', 'IT', '000100000123A', 0, 'Milanesa'),"
            "('FC', 'pc-salon|mozo1', 'IT', '000100000123A', 0, 'Flan'),"
            "('FC', 'otra-pc|ana', 'IT', '000100000123A', 0, 'De otra estacion');"
            // The invoice was paid by receipt CBCT 0001-00000050X: 70.50 in cash.
            "INSERT INTO MA_CUENTAS (Codigo, Descripcion, MedioDePago) VALUES "
            "('1101', 'Caja', 'EF'), ('1105', 'Visa', 'TJ');"
            "INSERT INTO MV_APLICACION (TC, IDCOMPROBANTE, Sucursal, Numero, letra, "
            "SUCURSAL_ORIGEN, NUMERO_ORIGEN, LETRA_ORIGEN) VALUES "
            "('CBCT', '000100000050X', '0001', '00000050', 'X', '0001', '00000123', 'A');"
            "INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, Cuenta, Importe, "
            "[DEBE-HABER]) VALUES ('CBCT', '0001', '00000050', 'X', '1101', 100, 'D'),"
            "('CBCT', '0001', '00000050', 'X', '1101', 29.5, 'H');");
        world.formulario("FC-A");
    }

    // The one preview of a call.
    QString unaVista(Llamada& l) {
        world.previews.clear();
        world.expectPreviews(1);
        l.imprime();
        return world.previews.value(0);
    }

    PrintWorld world;
};

// The invoice exported as the automatic mailing does it: the header of its business unit, the
// tax status, the caller's empty formula, the "Su pago" footer, the first copy's heading and
// the rows of this station.
TEST_F(ImprimirComprobanteTest, AnInvoiceExportedAsTheMailingAsksIt) {
    world.impresion("FC", "A", "Impresora", "3", "HP | LPT1");
    const QString archivo = world.folder.file("factura.rpt");
    gReporte().Destino = gReporte().DestinoArchivo();
    gReporte().Propiedad("PrintFileName", archivo);
    gReporte().Propiedad("PrintFileType", 7);
    Llamada l("FC", kFactura);
    l.imprime();
    EXPECT_EQ(vptest::describe(reportengine::loadDocument(archivo)),
              "FC-A |  {V_MV_CPTE.TC} = 'FC  ' AND {V_MV_CPTE.IDCOMPROBANTE} = '000100000123A' "
              "AND {V_MV_CPTE.IDCOMPLEMENTO} = 0 AND " +
                  kEstacion +
                  " | NombreEmpresa=Parrilla Norte SRL, Direccion=Av. Corrientes 1234  2 B, "
                  "Localidad=CABA, CodigoPostal=C1043, Telefono=Telefono:4444-5555, "
                  "Condicion IVA=IVA:Responsable Inscripto, CUIT=CUIT:30-71234567-8, "
                  "PieDePagina=Su pago: Caja 70,5  , Encabezado=ORIGINAL | Milanesa; Flan");
    EXPECT_EQ(l.destino, gReporte().DestinoArchivo());
    EXPECT_EQ(l.orden, QStringList{QString()});
    EXPECT_FALSE(l.contable);
    // The printer texts belong to the printer destination only.
    EXPECT_EQ(gReporte().DatoImpresora1, "");
    EXPECT_TRUE(world.op.messages().isEmpty());
}

TEST_F(ImprimirComprobanteTest, TheDefaultDestinationDecidesWhenTheCallerAsksForIt) {
    for (const char* destino : {"Pantalla", "pantalla", "Ninguno", "", "Otra cosa"}) {
        SCOPED_TRACE(destino);
        world.exec("DELETE FROM TA_CONFIG_IMP_CPTE");
        world.impresion("FC", "A", destino);
        Llamada l("FC", kFactura);
        l.destino = -1;
        EXPECT_TRUE(unaVista(l).startsWith("FC-A | "));
        EXPECT_EQ(l.destino, gReporte().DestinoPantalla());
    }
    // A destination the caller gives is used as it is.
    world.exec("DELETE FROM TA_CONFIG_IMP_CPTE");
    world.impresion("FC", "A", "Impresora");
    Llamada l("FC", kFactura);
    l.destino = gReporte().DestinoPantalla();
    EXPECT_TRUE(unaVista(l).startsWith("FC-A | "));
    EXPECT_EQ(gReporte().Destino, gReporte().DestinoPantalla());
}

TEST_F(ImprimirComprobanteTest, ThePrinterTextIsSplitAtItsBarForThePrinterDestination) {
    const struct {
        const char* texto;
        const char* dato12;
        const char* dato3;
    } casos[] = {{" HP LaserJet | LPT1 | x ", "HP LaserJet", "LPT1 | x"},
                 {"", "", ""},
                 {"    ", "", ""},
                 // Without a bar the text is the printer's name alone.
                 {"HP", "HP", ""},
                 {" HP LaserJet ", "HP LaserJet", ""}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.texto);
        world.exec("DELETE FROM TA_CONFIG_IMP_CPTE");
        // "Selectivo" prints nothing: only the printer selection is left to see.
        world.impresion("FC", "A", "Selectivo", "1", c.texto);
        gReporte().DatoImpresora1 = gReporte().DatoImpresora2 = gReporte().DatoImpresora3 = "?";
        Llamada l("FC", kFactura);
        l.destino = gReporte().DestinoImpresora();
        l.imprime();
        EXPECT_EQ(gReporte().DatoImpresora1, c.dato12);
        EXPECT_EQ(gReporte().DatoImpresora2, c.dato12);
        EXPECT_EQ(gReporte().DatoImpresora3, c.dato3);
    }
}

TEST_F(ImprimirComprobanteTest, APrinterTextWithoutABarNamesThePrinterWithoutAnError) {
    world.impresion("FC", "A", "Selectivo", "1", "HP");
    gReporte().DatoImpresora3 = "?";
    Llamada l("FC", kFactura);
    l.destino = gReporte().DestinoImpresora();
    l.imprime();
    EXPECT_TRUE(world.op.messages().isEmpty());
    EXPECT_EQ(gReporte().DatoImpresora1, "HP");
    EXPECT_EQ(gReporte().DatoImpresora2, "HP");
    EXPECT_EQ(gReporte().DatoImpresora3, "");
}

TEST_F(ImprimirComprobanteTest, CopiesTakeTheirFormsAndHeadings) {
    for (const char* f : {"FC-A1", "FC-A2", "FC-A3", "FC-A4"}) world.formulario(f);
    world.exec(
        "INSERT INTO TA_REPORTES (NOMBRE, Archivo, Archivo2, Archivo3, Archivo4) VALUES "
        "('FC-A', 'FC-A1.rpt', 'FC-A2.rpt', 'FC-A3.rpt', 'FC-A4.rpt')");
    world.impresion("FC", "A", "Pantalla", "5");
    world.expectPreviews(4);
    Llamada l("FC", kFactura);
    l.unaCopia = false;
    l.imprime();
    QStringList vistas;
    for (const QString& v : world.previews)
        vistas.append(v.section(" | ", 0, 0) + u' ' +
                      v.section(" | ", 2, 2).section("Encabezado=", 1));
    // Copies 4 and 5 share the fourth form, and the screen shows it once.
    EXPECT_EQ(vistas, QStringList({"FC-A1 ORIGINAL", "FC-A2 DUPLICADO", "FC-A3 TRIPLICADO",
                                   "FC-A4 TRIPLICADO"}));
}

TEST_F(ImprimirComprobanteTest, TheScreenShowsEachFormOnceInARow) {
    for (const char* f : {"FC-A1", "FC-A2"}) world.formulario(f);
    world.impresion("FC", "A", "Pantalla", "3");
    const struct {
        const char* archivos;
        int vistas;
    } casos[] = {{"'FC-A1.rpt', NULL, NULL", 1}, {"'FC-A1.rpt', 'FC-A2.rpt', NULL", 2}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.archivos);
        world.exec("DELETE FROM TA_REPORTES");
        world.exec(QStringLiteral("INSERT INTO TA_REPORTES (NOMBRE, Archivo, Archivo2, Archivo3) "
                                  "VALUES ('FC-A', %1)")
                       .arg(QString::fromLatin1(c.archivos)));
        world.previews.clear();
        world.expectPreviews(c.vistas);
        Llamada l("FC", kFactura);
        l.unaCopia = false;
        l.imprime();
        EXPECT_EQ(world.previews.size(), c.vistas);
    }
}

TEST_F(ImprimirComprobanteTest, NoCopiesIsOneAndLessThanNoneIsNoRun) {
    for (const auto& [copias, vistas] : {std::pair{"0", 1}, {"-1", 0}}) {
        SCOPED_TRACE(copias);
        world.exec("DELETE FROM TA_CONFIG_IMP_CPTE");
        world.impresion("FC", "A", "Pantalla", copias);
        world.previews.clear();
        world.expectPreviews(vistas);
        Llamada l("FC", kFactura);
        l.unaCopia = false;
        l.imprime();
        EXPECT_EQ(world.previews.size(), vistas);
    }
}

TEST_F(ImprimirComprobanteTest, SelectiveAndFiscalDestinationsPrintNothing) {
    for (const char* destino : {"Selectivo", "controlador fiscal:"}) {
        SCOPED_TRACE(destino);
        world.exec("DELETE FROM TA_CONFIG_IMP_CPTE");
        world.impresion("FC", "A", destino);
        Llamada l("FC", kFactura);
        l.imprime();
        EXPECT_TRUE(world.op.messages().isEmpty());
    }
    // The deferred-printing program prints what goes to the fiscal printer.
    vb::App().EXEName = ModGlobal::kProgramaImpresionDiferida;
    Llamada l("FC", kFactura);
    EXPECT_TRUE(unaVista(l).startsWith("FC-A | "));
}

TEST_F(ImprimirComprobanteTest, AFormPathPrintsOnceWithoutHeading) {
    const QString ruta = world.formulario("Especial");
    world.impresion("FC", "A", "Pantalla", "3");
    Llamada l("FC", kFactura);
    l.unaCopia = false;
    l.formulario = ruta;
    const QString vista = unaVista(l);
    EXPECT_TRUE(vista.startsWith("Especial | ")) << vista.toStdString();
    EXPECT_FALSE(vista.contains("Encabezado="));
}

TEST_F(ImprimirComprobanteTest, AMissingFormIsToldAndTheClosingCallStillComes) {
    world.impresion("FC", "A", "Pantalla");
    world.op.answer(vb::vbOK);
    Llamada l("FC", kFactura);
    l.formulario = world.folder.file("NoEsta.rpt");
    l.imprime();
    ASSERT_EQ(world.op.messages().size(), 1);
    const zxtest::Prompt p = world.op.messages()[0];
    EXPECT_EQ(p.text, "No se encuentra el Formulario " + world.folder.file("NoEsta.rpt"));
    EXPECT_EQ(p.title, "Atención");
    EXPECT_EQ(p.style, vb::vbOKOnly + vb::vbInformation);
}

TEST_F(ImprimirComprobanteTest, OT2ReplacesTheFormsLastFourCharacters) {
    world.formulario("OT-X2");
    world.impresion("OT", "X", "Pantalla");
    world.formulario("OT-X");
    Llamada l("OT", kOtro);
    l.reporte = " ot2 ";
    EXPECT_TRUE(unaVista(l).startsWith("OT-X2 | "));
}

TEST_F(ImprimirComprobanteTest, EachTypeChoosesItsFormSelectionAndSortField) {
    const QString id = QStringLiteral("{V_MV_CPTE.IDCOMPROBANTE} = '000100000099X'");
    const struct {
        const char* tc;
        const char* reporte;
        bool externa;
        const char* seleccionInicial;
        const char* formulario;
        QString seleccion;
        QString orden;
    } casos[] = {
        {"OP", "OP", false, "", "OP-X", " {V_MV_CPTE.TC} = 'OP  ' AND " + id + " ",
         "+{V_Mv_CpteInsumos.Id}"},
        {"PE", "PE", false, "{V_MV_CPTE.TC} = 'PE'", "ParteConsumoPE", "{V_MV_CPTE.TC} = 'PE'",
         ""},
        {"IR", "IR", false, "", "IR-OC",
         " {V_MV_STOCK.TC} = 'IR' AND {V_MV_STOCK.IDCOMPROBANTE} = '000100000099X' ", ""},
        {"PEC", "PEC", true, "", "COMANDA", id + " AND {V_MV_CPTE.TC} = 'PE'", kOrden},
        {"PEBR", "PEBR", true, "", "COMANDA_BAR2", id + " AND {V_MV_CPTE.TC} = 'PE'", kOrden},
        {"T3", "T3", false, "{V_MV_CPTE.TC} = 'T3'", "RP_MV_3ros",
         "({v_mv_cpte.tc} = 'OT') and (" + id + " )", kOrden},
        {"LQ", "LQ", true, "{V_MV_CPTE.TC} = 'LQ'", "RP_Liq_Com",
         id + " AND {V_MV_CPTE.TC} = 'OT'", kOrden},
        {"OPG", "OPG", false, "{V_MV_CPTE.TC} = 'X'", "OPG-X",
         "{V_MV_CPTE.TC} = 'OPG ' AND  " + id + " and {AUX_MV_CPTE.USUARIO} = 'PC-SALON|MOZO1'",
         kOrden},
        {"PGFP", "PGFP", false, "{V_MV_CPTE.TC} = 'X'", "LiqOPG",
         "{AUX_MV_CPTE.TC} = 'PGFP' AND {AUX_MV_CPTE.USUARIO} = 'PC-SALON|MOZO1' AND  "
         "{AUX_MV_CPTE.IDCOMPROBANTE} = '000100000099X' AND {AUX_MV_CPTE.IDCOMPLEMENTO} = 0",
         kOrden},
        {"PG", "RETIGAN", true, "", "RETIGAN", "{V_MV_CPTE.TC} = 'PG  '", kOrden},
        {"CBCT", "CBCT", true, "", "CBCT-X",
         " {AUX_MV_CPTE.TC} = 'CBCT' AND  {AUX_MV_CPTE.IDCOMPROBANTE} = '000100000099X' AND "
         "{AUX_MV_CPTE.IDCOMPLEMENTO} = 0 AND  {AUX_MV_CPTE.USUARIO} = 'PC-SALON|MOZO1'",
         ""},
        {"AutOt", "AutOt", false, "", "AutOT",
         " {V_MV_CPTE.TC} = 'OT  ' AND " + id + " AND {V_MV_CPTE.IDCOMPLEMENTO} = 0 AND " +
             kEstacion,
         "+{Aux_Mv_Cpte.ID}"},
        {"LQCO", "LQCO", true, "  ", "LQCO-X",
         "  {C_MV_CPTE.IDCOMPROBANTE} = '000100000099X' AND {C_MV_CPTE.TC} = 'LQCO'", kOrden},
        // A type in lower case is the same type; the caller's selection stays in front.
        {"op", "op", true, "{V_MV_CPTE.TC} <> ''", "OP-X",
         "{V_MV_CPTE.TC} <> '' AND  {V_MV_CPTE.TC} = 'op  '", "+{V_Mv_CpteInsumos.Id}"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.tc);
        world.formulario(QString::fromLatin1(c.formulario));
        world.impresion(c.tc, "X", "Pantalla");
        Llamada l(QString::fromLatin1(c.tc), kOtro);
        l.reporte = QString::fromLatin1(c.reporte);
        l.externa = c.externa;
        l.seleccion = QString::fromLatin1(c.seleccionInicial);
        l.orden = {kOrden};
        const QString vista = unaVista(l);
        EXPECT_EQ(vista.section(" | ", 0, 1),
                  QString::fromLatin1(c.formulario) + " | " + c.seleccion);
        EXPECT_EQ(l.seleccion, c.seleccion);
        EXPECT_EQ(l.orden, QStringList{c.orden});
        EXPECT_TRUE(world.op.messages().isEmpty());
    }
}

TEST_F(ImprimirComprobanteTest, PaymentsSubreportTypesAndCertificatesGetNoCopyHeading) {
    const struct {
        const char* tc;
        const char* reporte;
        const char* formulario;
    } casos[] = {
        {"OPG", "OPG", "OPG-X"},    {"PG", "PG", "LiqOPG"},     {"OP", "OP", "OP-X"},
        {"FCC", "FCC", "FCC-X"},    {"PG", "RETIBR", "RETIBR"}, {"T3", "T3", "RP_MV_3ros"},
        {"LQ", "LQ", "RP_Liq_Com"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(std::string(c.tc) + " " + c.reporte);
        world.formulario(QString::fromLatin1(c.formulario));
        world.exec("DELETE FROM TA_CONFIG_IMP_CPTE");
        world.impresion(c.tc, "X", "Pantalla");
        Llamada l(QString::fromLatin1(c.tc), kOtro);
        l.reporte = QString::fromLatin1(c.reporte);
        const QString vista = unaVista(l);
        EXPECT_TRUE(vista.startsWith(QString::fromLatin1(c.formulario) + " | "));
        EXPECT_FALSE(vista.contains("Encabezado=")) << vista.toStdString();
    }
    // T3 and LQ carry the company's name and address texts of their own.
    world.formulario("RP_Liq_Com");
    Llamada l("LQ", kOtro);
    EXPECT_TRUE(unaVista(l).contains(
        "Direccion=Av. Corrientes 1234  2 B, Localidad=CABA, CodigoPostal=C1043, "
        "Telefono=Telefono:4444-5555, Condicion IVA=IVA:Responsable Inscripto, "
        "CUIT=CUIT:30-11111111-1, Empresa=La Parrilla de Lía"));
}

TEST_F(ImprimirComprobanteTest, TheBusinessUnitNamesTheCompanyOnlyWithItsTaxNumber) {
    const struct {
        const char* tc;
        const char* id;
        const char* empresa;
        const char* cuit;
    } casos[] = {
        {"FC", "000100000123A", "Parrilla Norte SRL", "30-71234567-8"},
        // A unit without a tax number, and a type outside the list: the company's own.
        {"FP", "000300000001X", "La Parrilla de Lía", "30-11111111-1"},
        {"PGFP", "000100000099X", "La Parrilla de Lía", "30-11111111-1"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.tc);
        const QString id = QString::fromLatin1(c.id);
        world.formulario(QString::fromLatin1(c.tc) + u'-' + id.right(1));
        world.formulario("LiqOPG");
        world.impresion(c.tc, id.right(1), "Pantalla");
        Llamada l(QString::fromLatin1(c.tc), id);
        const QString vista = unaVista(l);
        EXPECT_TRUE(vista.contains(QStringLiteral("NombreEmpresa=%1,").arg(c.empresa)))
            << vista.toStdString();
        EXPECT_TRUE(vista.contains(QStringLiteral("CUIT=CUIT:%1").arg(c.cuit)));
    }
}

TEST_F(ImprimirComprobanteTest, AccountingVouchersPrintTheirEntriesInstead) {
    world.exec(
        "INSERT INTO V_TA_CPTE (Codigo, SISTEMA) VALUES ('AS', 'CONTABLE');"
        "INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, FECHA, [NUMERO ASIENTO], "
        "MES_OPERATIVO, PERIODO, Cuenta, Importe, [DEBE-HABER]) VALUES "
        "('AS', '0001', '00000099', 'X', '2024-03-05', 7, 3, 2024, '1101', 5, 'D'),"
        "('NCPE', '0001', '00000099', 'X', '2024-03-05', 8, 3, 2024, '1101', 6, 'D'),"
        "('RN', '0001', '00000099', 'X', '2024-03-05', 9, 3, 2024, '1101', 7, 'D'),"
        "('FC', '0001', '00000099', 'X', '2024-03-05', 10, 3, 2024, '1101', 8, 'D')");
    const struct {
        const char* tc;
        bool contable;
        const char* selector;
        const char* formulario;
    } casos[] = {
        {"AS", false, "Todos", "Asientos"},
        {"ncpe", false, "Todos", "Asientos"},
        {"RN", false, "asientos con centro de costo", "AsientoCCosto"},
        {"FC", true, "", "Asientos"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.tc);
        Llamada l(QString::fromLatin1(c.tc), kOtro);
        l.contable = c.contable;
        l.fecha = "2024-03-05";
        l.formulario = QString::fromLatin1(c.selector);
        const QString vista = unaVista(l);
        EXPECT_TRUE(vista.startsWith(QString::fromLatin1(c.formulario) + " | "))
            << vista.toStdString();
        EXPECT_TRUE(l.contable);
    }
}

TEST_F(ImprimirComprobanteTest, StockVouchersGetNoHeaderAndNoCallersFormulas) {
    world.exec("INSERT INTO V_TA_CPTE (Codigo, SISTEMA) VALUES ('STK5', 'STOCK')");
    world.formulario("STK5");
    world.formulario("STK5-X");
    world.impresion("STK5", "X", "Pantalla");
    Llamada l("STK5", kOtro);
    l.adicionales = {"Prm_Extra = 'x'", QString()};
    l.orden = {"+{V_Mv_CpteInsumos.Id}"};
    EXPECT_EQ(unaVista(l),
              "STK5-X |  {V_MV_STOCK.TC} = 'STK5' AND "
              "{V_MV_STOCK.IDCOMPROBANTE} = '000100000099X'  | "
              "Encabezado=ORIGINAL | ");
    EXPECT_EQ(l.orden, QStringList{QString()});
    // Asked for as "STK5CLIENTE", the form prints as it is, without a copy heading.
    Llamada cliente("STK5", kOtro);
    cliente.reporte = "STK5CLIENTE";
    const QString vista = unaVista(cliente);
    EXPECT_TRUE(vista.startsWith("STK5-X | "));
    EXPECT_FALSE(vista.contains("Encabezado="));
}

TEST_F(ImprimirComprobanteTest, InternalReceiptsGetTheCallersFormulasButNoHeader) {
    world.formulario("IR-OC");
    world.impresion("IR", "X", "Pantalla");
    Llamada l("IR", kOtro);
    l.adicionales = {"Prm_Extra = 'x'", QString()};
    EXPECT_EQ(unaVista(l).section(" | ", 2, 2), "Prm_Extra=x, Encabezado=ORIGINAL");
}

TEST_F(ImprimirComprobanteTest, ElectronicVouchersCarryTheirHeaderInFiveFormulas) {
    world.exec(
        "INSERT INTO V_MV_CPTE_ELECTRONICOS (TC, IDCOMPROBANTE) "
        "VALUES ('FC', '000100000123A')");
    world.impresion("FC", "A", "Pantalla", "3");
    Llamada l("FC", kFactura);
    l.unaCopia = false;
    // No "copias_efactura": one copy.
    EXPECT_EQ(unaVista(l).section(" | ", 2, 2),
              "NombreEmpresa=Parrilla Norte SRL, Direccion=Inicio de Actividades: 01/01/2010, "
              "Localidad=Ingresos Brutos: 901-123456-7, CodigoPostal=ORIGINAL, "
              "Telefono=Telefono:4444-5555, Condicion IVA=IVA:Responsable Inscripto, "
              "CUIT=CUIT:30-71234567-8, PieDePagina=Su pago: Caja 70,5  , "
              "Encabezado=Av. Corrientes 1234 (C1043) CABA - Buenos Aires Tel:4444-5555");
}

// The number of copies: the type's printer settings, replaced for an electronic voucher by
// "copias_efactura" (rounded half to even, 0 as 1), and one whenever the caller asks for one.
// Each copy has its own form, so each copy is one preview.
TEST_F(ImprimirComprobanteTest, CopiesComeFromThePrinterTheElectronicKeyOrTheSingleCopyFlag) {
    for (const char* f : {"FC-A1", "FC-A2", "FC-A3", "FC-A4"}) world.formulario(f);
    world.exec(
        "INSERT INTO TA_REPORTES (NOMBRE, Archivo, Archivo2, Archivo3, Archivo4) VALUES "
        "('FC-A', 'FC-A1.rpt', 'FC-A2.rpt', 'FC-A3.rpt', 'FC-A4.rpt')");
    struct Case {
        const char* name;
        const char* impresora;  // CantCopias of the printer settings
        const char* efactura;   // "copias_efactura"; null for a voucher that is not electronic
        bool unaCopia;
        int vistas;
    };
    const Case cases[] = {
        {"printer copies", "3", nullptr, false, 3},
        {"printer copies, one asked", "3", nullptr, true, 1},
        {"electronic copies replace the printer's", "3", "2", false, 2},
        {"electronic copies, one asked", "1", "3", true, 1},
        {"electronic and printer copies, one asked", "4", "4", true, 1},
        {"electronic zero is one", "3", "0", false, 1},
        {"electronic half down to even", "1", "2.5", false, 2},
        {"electronic half up to even", "1", "3.5", false, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        world.exec("DELETE FROM TA_CONFIG_IMP_CPTE");
        world.exec("DELETE FROM TA_CONFIGURACION WHERE CLAVE = 'copias_efactura'");
        world.exec("DELETE FROM V_MV_CPTE_ELECTRONICOS");
        world.impresion("FC", "A", "Pantalla", c.impresora);
        if (c.efactura) {
            world.config("copias_efactura", c.efactura);
            world.exec(
                "INSERT INTO V_MV_CPTE_ELECTRONICOS (TC, IDCOMPROBANTE) "
                "VALUES ('FC', '000100000123A')");
        }
        world.previews.clear();
        world.expectPreviews(c.vistas);
        Llamada l("FC", kFactura);
        l.unaCopia = c.unaCopia;
        l.imprime();
        ASSERT_EQ(world.previews.size(), c.vistas);
        EXPECT_TRUE(world.previews[0].startsWith("FC-A1 | ")) << world.previews[0].toStdString();
        EXPECT_TRUE(world.previews.last().startsWith(QStringLiteral("FC-A%1 | ").arg(c.vistas)));
        EXPECT_TRUE(world.op.messages().isEmpty());
    }
}

// The report names that take the tax-status formulas away are compared without their blanks;
// any other name keeps them.
TEST_F(ImprimirComprobanteTest, ReportNamesWithoutTaxStatusAreComparedTrimmed) {
    world.impresion("FC", "A", "Pantalla");
    const struct {
        const char* reporte;
        bool conIva;
    } casos[] = {
        {"STK5", false},          {" stk5 ", false}, {"STK7  ", false}, {"  rmc", false},
        {" STK5CLIENTE ", false}, {"FC", true},      {"STK", true},     {"STK55", true},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.reporte);
        Llamada l("FC", kFactura);
        l.reporte = c.reporte;
        const QString formulas = unaVista(l).section(" | ", 2, 2);
        EXPECT_EQ(formulas.contains("Condicion IVA=IVA:Responsable Inscripto, "
                                    "CUIT=CUIT:30-71234567-8"),
                  c.conIva)
            << formulas.toStdString();
        // The company header is there either way.
        EXPECT_TRUE(formulas.startsWith("NombreEmpresa=Parrilla Norte SRL, "))
            << formulas.toStdString();
    }
}

// A form selector of blanks or a padded "Todos" asks for the voucher's own forms, copy by copy;
// a voucher number with blanks after it names the voucher without them.
TEST_F(ImprimirComprobanteTest, PaddedSelectorAndNumberAreReadTrimmed) {
    world.impresion("FC", "A", "Pantalla");
    const struct {
        const char* name;
        const char* formulario;
        QString id;
    } casos[] = {
        {"selector of blanks", "   ", kFactura},
        {"padded selector", " todos ", kFactura},
        {"padded number", "Todos", kFactura + "   "},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.name);
        Llamada l("FC", c.id);
        l.formulario = c.formulario;
        const QString vista = unaVista(l);
        EXPECT_TRUE(
            vista.startsWith("FC-A |  {V_MV_CPTE.TC} = 'FC  ' AND "
                             "{V_MV_CPTE.IDCOMPROBANTE} = '000100000123A' AND "))
            << vista.toStdString();
        EXPECT_TRUE(vista.contains("Encabezado=ORIGINAL")) << vista.toStdString();
        EXPECT_TRUE(vista.endsWith("| Milanesa; Flan")) << vista.toStdString();
        EXPECT_TRUE(world.op.messages().isEmpty());
    }
}

TEST_F(ImprimirComprobanteTest, AnApostropheInTheNumberIsDoubledInStatementsAndSelection) {
    world.formulario("OP-X");
    world.impresion("OP", "X", "Pantalla");
    Llamada l("OP", "0001000'0099X");
    EXPECT_EQ(unaVista(l).section(" | ", 1, 1),
              " {V_MV_CPTE.TC} = 'OP  ' AND {V_MV_CPTE.IDCOMPROBANTE} = '0001000''0099X' ");
    EXPECT_TRUE(world.op.messages().isEmpty());
}

TEST_F(ImprimirComprobanteTest, AnInvoiceTypeInLowerCaseIsAnInvoiceButALeadingBlankIsNot) {
    world.exec("INSERT INTO TA_REPORTES (NOMBRE, Archivo) VALUES ('FC-A', 'FC-A.rpt')");
    world.impresion("FC", "A", "Pantalla");
    Llamada minusculas("fc", kFactura);
    const QString factura = unaVista(minusculas);
    EXPECT_TRUE(factura.contains("NombreEmpresa=Parrilla Norte SRL,")) << factura.toStdString();
    EXPECT_TRUE(factura.contains("PieDePagina=Su pago: Caja 70,5  ,"));
    // The form row is found, but the unit list and the footer rule compare the type as it is.
    Llamada blanco(" FC", kFactura);
    const QString otra = unaVista(blanco);
    EXPECT_TRUE(otra.startsWith("FC-A |  {V_MV_CPTE.TC} = ' FC ' AND ")) << otra.toStdString();
    EXPECT_TRUE(otra.contains("NombreEmpresa=La Parrilla de Lía,"));
    EXPECT_FALSE(otra.contains("PieDePagina="));
}

// The complement stands bare in the selection, so only a whole number may go there; anything
// else is told, naming the value, and nothing is printed.
TEST_F(ImprimirComprobanteTest, AComplementThatIsNotANumberIsAnErrorAndPrintsNothing) {
    world.impresion("FC", "A", "Pantalla");
    for (const char* complemento : {"0 OR 1=1", "", "  ", "1.5", "0)", "x"}) {
        SCOPED_TRACE(complemento);
        const qsizetype antes = world.op.messages().size();
        world.previews.clear();
        world.op.answer(vb::vbIgnore);
        Llamada l("FC", kFactura);
        l.complemento = QString::fromLatin1(complemento);
        l.imprime();
        EXPECT_TRUE(world.previews.isEmpty());
        const QList<zxtest::Prompt> mensajes = world.op.messages().mid(antes);
        ASSERT_EQ(mensajes.size(), 1);
        EXPECT_TRUE(mensajes[0].title.contains("ImprimirComprobante"));
        EXPECT_TRUE(mensajes[0].text.contains(
            QStringLiteral("'%1'").arg(QString::fromLatin1(complemento))))
            << mensajes[0].text.toStdString();
        EXPECT_FALSE(l.seleccion.contains("IDCOMPLEMENTO")) << l.seleccion.toStdString();
    }
    // A whole number, blanks around it or not, selects that complement.
    const qsizetype antes = world.op.messages().size();
    for (const auto& [complemento, termino] : {std::pair{"7", "{V_MV_CPTE.IDCOMPLEMENTO} = 7 AND"},
                                               {" 0 ", "{V_MV_CPTE.IDCOMPLEMENTO} = 0 AND"}}) {
        SCOPED_TRACE(complemento);
        Llamada l("FC", kFactura);
        l.complemento = QString::fromLatin1(complemento);
        EXPECT_TRUE(unaVista(l).contains(QString::fromLatin1(termino)));
    }
    EXPECT_EQ(world.op.messages().size(), antes);
}

TEST(ImprimirComprobanteComanderaTest, AKitchenPrinterDestinationPrintsTheTicketAndNoReport) {
    const struct {
        const char* tc;
        const char* formulario;
        bool cocina, barra;
    } casos[] = {
        {"PECO", "COMANDA_COCINA", true, false},
        {"peba", "COMANDA_BAR", false, true},
        {"PE", "ParteConsumoPE", false, false},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.tc);
        vptest::TicketWorld world;
        world.comanderas({vptest::Comandera{}});
        world.formulario(QString::fromLatin1(c.formulario));
        world.impresion(c.tc, "X", "Comandera :COCINA");
        Llamada l(QString::fromLatin1(c.tc), "000100000001X");
        l.imprime();
        EXPECT_TRUE(world.op.prompts().isEmpty());
        const QByteArray ticket = world.ticket();
        EXPECT_EQ(ticket.contains("** COCINA **"), c.cocina);
        EXPECT_EQ(ticket.contains("** BARRA **"), c.barra);
        EXPECT_EQ(ticket.contains("TOTAL $"), !c.cocina && !c.barra);
    }
}

// An order ("NP") prints its copy, then one run per family setting with the work-table rows of
// the articles of those families, on the printer the setting names.
class DivisionPedidoTest : public ImprimirComprobanteTest {
protected:
    DivisionPedidoTest() {
        world.formulario("NP-X");
        world.impresion("NP", "X", "Pantalla");
        world.exec(
            "INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, UNEGOCIO) VALUES "
            "('NP', '000100000077X', 0, '1');"
            "INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, idrubro) VALUES "
            "('A1', 'Bife', '10'), ('A2', 'Vino', '20'), ('A3', 'Pan', '30');"
            "INSERT INTO V_MV_CPTEINSUMOS (TC, IdComprobante, IDCOMPLEMENTO, IdArticulo) VALUES "
            "('NP', '000100000077X', 0, 'A1'), ('NP', '000100000077X', 0, 'A2'),"
            "('NP', '000100000077X', 0, 'A3');"
            "INSERT INTO AUX_MV_CPTE (TC, USUARIO, IDCOMPROBANTE, IDCOMPLEMENTO, COLUMNA1, "
            "IDARTICULO) VALUES "
            "('NP', 'pc-salon|mozo1', '000100000077X', 0, 'Bife', 'A1'),"
            "('NP', 'pc-salon|mozo1', '000100000077X', 0, 'Vino', 'A2'),"
            "('NP', 'pc-salon|mozo1', '000100000077X', 0, 'Pan', 'A3');");
    }
    void division(const QString& clave, const QString& valor, const QString& valorAux) {
        world.exec(QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux) VALUES "
                                  "('NPS_IMPRESION_%1', '%2', '%3')")
                       .arg(clave, valor, valorAux));
    }
    QStringList corridas(int n) {
        world.previews.clear();
        world.expectPreviews(n);
        Llamada l("NP", "000100000077X");
        l.imprime();
        QStringList filas;
        for (const QString& v : world.previews) filas.append(v.section(" | ", 3, 3));
        return filas;
    }
};

TEST_F(DivisionPedidoTest, EachFamilySettingRunsWithItsArticles) {
    division("COCINA", "Cocina | COM1", "10, 30|");
    division("BARRA", "Barra|COM2", "|1");
    division("NADA", "Otra|COM3", "|");
    division("SINBARRA", "Otra|COM3", "20");
    division("OTRAUNIDAD", "Otra|COM3", "20|9");
    EXPECT_EQ(corridas(3), QStringList({"Bife; Vino; Pan", "Bife; Pan", "Bife; Vino; Pan"}));
    // The last run's printer stays.
    EXPECT_EQ(gReporte().DatoImpresora2, "Barra");
    EXPECT_EQ(gReporte().DatoImpresora3, "COM2");
}

TEST_F(DivisionPedidoTest, TheArticleClauseFollowsTheCallersSelection) {
    division("COCINA", "Cocina|COM1", "20|1");
    world.expectPreviews(2);
    Llamada l("NP", "000100000077X");
    l.imprime();
    ASSERT_EQ(world.previews.size(), 2);
    EXPECT_EQ(world.previews[1].section(" | ", 1, 1),
              " {V_MV_CPTE.TC} = 'NP  ' AND {V_MV_CPTE.IDCOMPROBANTE} = '000100000077X' AND "
              "{V_MV_CPTE.IDCOMPLEMENTO} = 0 AND " +
                  kEstacion + " AND ( {AUX_MV_CPTE.IDARTICULO}='A2' )");
}

// A file gets the whole order in one document: the family runs would each export again onto
// the same file and leave only the last family in it.
TEST_F(DivisionPedidoTest, AnOrderExportedToAFileIsWholeAndNotSplit) {
    division("COCINA", "Cocina|COM1", "10|");
    division("BAR", "Bar|COM2", "20|");
    const QString archivo = world.folder.file("pedido.rpt");
    gReporte().Destino = gReporte().DestinoArchivo();
    gReporte().Propiedad("PrintFileName", archivo);
    gReporte().Propiedad("PrintFileType", 7);
    gReporte().DatoImpresora2 = "";
    Llamada l("NP", "000100000077X");
    l.imprime();
    EXPECT_EQ(vptest::describe(reportengine::loadDocument(archivo)).section(" | ", 3, 3),
              "Bife; Vino; Pan");
    // No family run chose its printer.
    EXPECT_EQ(gReporte().DatoImpresora2, "");
    EXPECT_TRUE(world.op.messages().isEmpty());
}

TEST_F(DivisionPedidoTest, AFamilyPrinterWithoutABarIsThePrintersName) {
    division("COCINA", "Cocina", "10|");
    EXPECT_EQ(corridas(2), QStringList({"Bife; Vino; Pan", "Bife"}));
    EXPECT_TRUE(world.op.messages().isEmpty());
    EXPECT_EQ(gReporte().DatoImpresora1, "Cocina");
    EXPECT_EQ(gReporte().DatoImpresora2, "Cocina");
    EXPECT_EQ(gReporte().DatoImpresora3, "");
}

// The database fails the read of the order-split settings and nothing else; gDB() is reopened
// on it for the life of the object.
class SinDivision : public zxtest::ScriptedBackend {
public:
    SinDivision() : ScriptedBackend(std::make_unique<ado::SqliteBackend>()) {}
    ado::ResultSet query(const QString& text, bool editable) override {
        if (text.contains(QLatin1String("NPS_IMPRESION_")))
            throw ado::ProviderFailure{
                {ado::sqlServerError(1205, QStringLiteral("Transaction was deadlocked"))}};
        return ScriptedBackend::query(text, editable);
    }
};

struct ConexionSinDivision {
    ConexionSinDivision() {
        if (gDB().gCnn.State() != ado::adStateClosed) gDB().gCnn.Close();
        gDB().gCnn.attachBackend(std::make_unique<SinDivision>());
        gDB().gCnn.Open(gDB().gConnString);
    }
    ~ConexionSinDivision() {
        gDB().gCnn.Close();
        gDB().gCnn.attachBackend(nullptr);
        gDB().gCnn.Open(gDB().gConnString);
    }
};

// A failed read of the settings is told (the database's box, then the procedure's dialog);
// Ignore goes on without a split, to the next copy; another answer leaves the procedure.
TEST_F(DivisionPedidoTest, AFailedReadOfTheSettingsIsToldAndIgnoreGoesOn) {
    division("COCINA", "Cocina|COM1", "10|");
    world.formulario("NP-X2");
    world.exec(
        "INSERT INTO TA_REPORTES (NOMBRE, Archivo, Archivo2) VALUES "
        "('NP-X', 'NP-X.rpt', 'NP-X2.rpt')");
    world.exec("DELETE FROM TA_CONFIG_IMP_CPTE");
    world.impresion("NP", "X", "Pantalla", "2");
    const struct {
        const char* name;
        int respuesta;  // the answer in the procedure's dialog
        QStringList formularios;
        int mensajes;
    } casos[] = {
        {"ignore", vb::vbIgnore, {"NP-X", "NP-X2"}, 4},
        {"abort", vb::vbAbort, {"NP-X"}, 2},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.name);
        ConexionSinDivision conexion;
        const qsizetype antes = world.op.messages().size();
        world.previews.clear();
        // Each copy: its preview, then the database's box and the procedure's dialog.
        for (int i = 0; i < c.formularios.size(); ++i) {
            world.expectPreviews(1);
            world.op.answer(vb::vbIgnore).answer(c.respuesta);
        }
        Llamada l("NP", "000100000077X");
        l.unaCopia = false;
        l.imprime();
        QStringList formularios;
        for (const QString& v : world.previews) formularios.append(v.section(" | ", 0, 0));
        // No split run: each copy shows all its rows once.
        EXPECT_EQ(formularios, c.formularios);
        for (const QString& v : world.previews)
            EXPECT_EQ(v.section(" | ", 3, 3), "Bife; Vino; Pan");
        const auto mensajes = world.op.messages().mid(antes);
        ASSERT_EQ(mensajes.size(), c.mensajes);
        EXPECT_TRUE(mensajes[0].text.contains("Transaction was deadlocked"))
            << mensajes[0].text.toStdString();
        EXPECT_TRUE(mensajes[1].title.contains("ImprimirComprobante"))
            << mensajes[1].title.toStdString();
    }
}

TEST_F(DivisionPedidoTest, AnElectronicOrderIsNotSplit) {
    division("COCINA", "Cocina|COM1", "10|");
    world.exec(
        "INSERT INTO V_MV_CPTE_ELECTRONICOS (TC, IDCOMPROBANTE) "
        "VALUES ('NP', '000100000077X')");
    EXPECT_EQ(corridas(1).size(), 1);
}

}  // namespace
