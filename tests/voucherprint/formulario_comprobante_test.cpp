#include "core/globals.h"
#include "platform/reportengine/engine.h"
#include "platform/vendrix/clsreporte.h"
#include "tests/platform/reportengine/pdf_text.h"
#include "tests/support/qr_reader.h"
#include "tests/voucherprint/print_world.h"
#include "voucherdata/auxiliar_comprobantes.h"
#include "voucherprint/imprimircomprobante.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

using vptest::PrintWorld;

const QString kCompra = QStringLiteral("000200000777A");
const QString kPago = QStringLiteral("000300000020X");

// The print world with the vouchers of the voucher-data tests, a purchase invoice and the test
// forms of one folder under tests/data/voucherprint in the program folder.
class VoucherFormWorld : public PrintWorld {
public:
    explicit VoucherFormWorld(const QString& forms) {
        ModGlobal::gMaderera = false;
        ModGlobal::gCantidadDecimales = QStringLiteral("2");
        for (const char* sql : {"tests/data/voucherdata/vouchers.sql",
                                "tests/data/voucherprint/factura_compra/factura_compra.sql"})
            exec(QString::fromUtf8(zxtest::readFile(zxtest::sourcePath(QString::fromLatin1(sql)))));
        QImage afip(30, 10, QImage::Format_RGB32);
        afip.fill(Qt::blue);
        afip.save(folder.file(QStringLiteral("AFIP.PNG")));
        const QDir dir(zxtest::sourcePath(QStringLiteral("tests/data/voucherprint/") + forms));
        for (const QString& name : dir.entryList({QStringLiteral("*.rpt")}, QDir::Files))
            QFile::copy(dir.filePath(name), folder.file(name));
    }
    ~VoucherFormWorld() {
        ModGlobal::gMaderera = false;
        ModGlobal::gCantidadDecimales.clear();
    }

    // Prints a voucher as the automatic mailing does (one copy, "Todos", the mailing's
    // selection) to a saved report, exports it to PDF and returns the PDF's path.
    QString exporta(const QString& tc, const QString& id, const QString& nombre,
                    const QString& seleccionDelEnvio = QString()) {
        const QString guardado = folder.file(nombre + QStringLiteral(".rpt"));
        const QString pdf = folder.file(nombre + QStringLiteral(".pdf"));
        gReporte().Destino = gReporte().DestinoArchivo();
        gReporte().Propiedad(QStringLiteral("PrintFileName"), guardado);
        gReporte().Propiedad(QStringLiteral("PrintFileType"), reportengine::kReportFileType);
        QStringList orden{QString()}, adicionales{QString()};
        QString seleccion = seleccionDelEnvio;
        std::int16_t destino = gReporte().Destino;
        bool externa = false, contable = false, unaCopia = true;
        QString fecha, formulario = QStringLiteral("Todos");
        ModGlobal::ImprimirComprobante(tc, id, QStringLiteral("0"), tc, orden, seleccion,
                                       adicionales, destino, externa, fecha, formulario,
                                       contable, unaCopia);
        reportengine::exportReport(guardado, pdf, reportengine::kPdfFormat);
        return pdf;
    }
};

QStringList trimmed(const QList<QStringList>& rows) {
    QStringList out;
    for (const QStringList& r : rows)
        for (const QString& v : r)
            if (!v.trimmed().isEmpty()) out.append(v.trimmed());
    return out;
}

// The selection the automatic mailing passes for a purchase voucher of an account.
QString seleccionDeCuenta(const QString& cuenta) {
    return QStringLiteral("{C_MV_CPTE.CUENTA}= '") + cuenta + u'\'';
}

// The purchase invoice built and printed as the automatic mailing does for its supplier's
// account, with the series and observations subreports its type runs with: the QR on the page
// reads back as the agency's address the QR component wrote, and the text holds its lines, its
// lots, serials and dispatch notes, and its observations.
TEST(VoucherForm, APurchaseInvoicePrintsItsQrLinesSeriesAndObservations) {
    VoucherFormWorld w(QStringLiteral("factura_compra"));
    w.config("CUIT", "30-71234567/8");
    w.impresion("FCC", "A", "Pantalla");
    QString tc = QStringLiteral("FCC");
    ModGlobal::GeneraAuxiliarComprobantes(tc, kCompra.mid(0, 4), kCompra.mid(4, 8),
                                          kCompra.mid(12, 1), QStringLiteral("0"), 3, {}, {}, {},
                                          {}, {}, {}, {}, false);
    const QString pdf = w.exporta(QStringLiteral("FCC"), kCompra, QStringLiteral("compra"),
                                  seleccionDeCuenta(QStringLiteral("P0777")));

    const QList<QStringList> qr = w.rows("SELECT hex(QR_AFIP) FROM AUX_MV_CPTEQR");
    ASSERT_EQ(qr.size(), 1);
    const QString escrito = zxtest::readQrCode(QByteArray::fromHex(qr[0][0].toLatin1()));
    ASSERT_TRUE(escrito.startsWith("https://www.afip.gob.ar/fe/qr/?p=")) << escrito.toStdString();
    EXPECT_EQ(zxtest::readQrCode(zxtest::pdfPageImage(pdf, 1, 200)), escrito);

    const QString text = zxtest::pdfText(pdf);
    for (const char* s : {"Factura de compra", "La Parrilla de Lía", "000200000777A", "P0777",
                          "Tornillo 3/4", "Caño galvanizado", "Insumos - Materiales Utilizados"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(s))) << s << "\n" << text.toStdString();
    const QStringList series = trimmed(w.rows(
        "SELECT COLUMNA8, COLUMNA9 FROM AUX_MV_CPTE WHERE TIPO = 'IN' UNION ALL "
        "SELECT SECCION, '' FROM AUX_MV_CPTE WHERE TIPO = 'XX'"));
    ASSERT_GE(series.size(), 3);
    for (const QString& s : series + QStringList{"Series y lotes"})
        EXPECT_TRUE(text.contains(s)) << s.toStdString() << "\n" << text.toStdString();
    for (const char* s : {"Observaciones", "Recibido en el depósito central",
                          "Conformada por compras"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(s))) << s << "\n" << text.toStdString();
}

// Mailed for another account (another supplier, or a blank account, which the mailing turns
// into the voucher number), the invoice prints none of its rows, images or subreports.
TEST(VoucherForm, APurchaseInvoiceMailedForAnotherAccountPrintsNothingOfIt) {
    for (const QString& cuenta : {QStringLiteral("P0001"), kCompra}) {
        SCOPED_TRACE(cuenta.toStdString());
        VoucherFormWorld w(QStringLiteral("factura_compra"));
        w.impresion("FCC", "A", "Pantalla");
        QString tc = QStringLiteral("FCC");
        ModGlobal::GeneraAuxiliarComprobantes(tc, kCompra.mid(0, 4), kCompra.mid(4, 8),
                                              kCompra.mid(12, 1), QStringLiteral("0"), 3, {}, {},
                                              {}, {}, {}, {}, {}, false);
        const QString pdf = w.exporta(QStringLiteral("FCC"), kCompra, QStringLiteral("otra"),
                                      seleccionDeCuenta(cuenta));
        const QString text = zxtest::pdfText(pdf);
        EXPECT_TRUE(text.contains("Factura de compra")) << text.toStdString();
        for (const char* s :
             {"000200000777A", "P0777", "Tornillo 3/4", "Caño galvanizado", "Series y lotes",
              "L1 L3", "Observaciones", "Recibido en el depósito central"})
            EXPECT_FALSE(text.contains(QString::fromUtf8(s))) << s << "\n" << text.toStdString();
        EXPECT_EQ(zxtest::readQrCode(zxtest::pdfPageImage(pdf, 1, 200)), "<unreadable>");
    }
}

// The same form run with empty subreport names: the invoice without either subreport's rows.
TEST(VoucherForm, EmptySubreportNamesPrintNeitherSubreport) {
    VoucherFormWorld w(QStringLiteral("factura_compra"));
    QString tc = QStringLiteral("FCC");
    ModGlobal::GeneraAuxiliarComprobantes(tc, kCompra.mid(0, 4), kCompra.mid(4, 8),
                                          kCompra.mid(12, 1), QStringLiteral("0"), 3, {}, {}, {},
                                          {}, {}, {}, {}, false);
    const QString guardado = w.folder.file(QStringLiteral("sin.rpt"));
    const QString pdf = w.folder.file(QStringLiteral("sin.pdf"));
    gReporte().Destino = gReporte().DestinoArchivo();
    gReporte().Propiedad(QStringLiteral("PrintFileName"), guardado);
    gReporte().Propiedad(QStringLiteral("PrintFileType"), reportengine::kReportFileType);
    gReporte().EjecutaReporte(w.folder.file(QStringLiteral("FCC-A.rpt")), {QString()},
                              QStringLiteral("{C_MV_CPTE.IDCOMPROBANTE} = '") + kCompra +
                                  QStringLiteral("' AND {C_MV_CPTE.TC} = 'FCC'"),
                              ModGlobal::gConexionReporte, {}, {}, {}, {});
    reportengine::exportReport(guardado, pdf, reportengine::kPdfFormat);
    const QString text = zxtest::pdfText(pdf);
    EXPECT_TRUE(text.contains("Tornillo 3/4")) << text.toStdString();
    for (const char* s : {"Series y lotes", "L1 L3", "502", "Orig.China", "Observaciones",
                          "Recibido en el depósito central", "Conformada por compras"})
        EXPECT_FALSE(text.contains(QString::fromUtf8(s))) << s << "\n" << text.toStdString();
}

// A payment order prints its "OPGSR" subreport only when the configuration asks for it.
TEST(VoucherForm, APaymentOrderPrintsItsSubreportWhenConfigured) {
    for (const char* valor : {"SI", "si", "NO", ""}) {
        SCOPED_TRACE(valor);
        VoucherFormWorld w(QStringLiteral("orden_de_pago"));
        w.config("ImpresionPagosConSubReporte", valor);
        w.impresion("OPG", "X", "Pantalla");
        w.exec("INSERT INTO AUX_MV_CPTE (TC, USUARIO, TIPO, IDCOMPROBANTE, IDCOMPLEMENTO, "
               "COLUMNA1, COLUMNA3) VALUES "
               "('OPG ', 'PC-SALON|MOZO1', '1', '000300000020X', 0, 'FCC 0002-00000777', "
               "'Cheque 4455 Banco Nación'),"
               "('OPG ', 'OTRA|PC', '1', '000300000020X', 0, 'De otra estación', "
               "'Cheque de otra estación')");
        const QString text =
            zxtest::pdfText(w.exporta(QStringLiteral("OPG"), kPago, QStringLiteral("pago")));
        EXPECT_TRUE(text.contains("FCC 0002-00000777")) << text.toStdString();
        EXPECT_FALSE(text.contains(QString::fromUtf8("otra estación"))) << text.toStdString();
        const bool conSubreporte = QString::fromLatin1(valor).compare("SI", Qt::CaseInsensitive) == 0;
        EXPECT_EQ(text.contains("Valores entregados"), conSubreporte) << text.toStdString();
        EXPECT_EQ(text.contains(QString::fromUtf8("Cheque 4455 Banco Nación")), conSubreporte)
            << text.toStdString();
    }
}

}  // namespace
