#include "tests/voucherprint/print_world.h"

#include "core/globals.h"
#include "db/origen_reportes.h"
#include "platform/reportengine/engine.h"
#include "platform/reportengine/previewwindow.h"
#include "platform/reportengine/printing.h"
#include "platform/vendrix/clsreporte.h"
#include "platform/vendrix/clsutil.h"
#include "voucherprint/comandera.h"
#include "voucherprint/comanderas.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace vptest {

QStringList Comandera::campos() const {
    return {equipo,
            nombre,
            puerto,
            {},
            imprimeEncabezado1,
            encabezado1,
            imprimeEncabezado2,
            encabezado2,
            imprimeNumero,
            imprimeCliente,
            imprimePie,
            pie,
            {},
            {},
            {},
            detalleRenglon,
            {}};
}

PrintWorld::PrintWorld()
    : WorkTableWorld(QStringLiteral("pc-salon"), QStringLiteral("mozo1")),
      clock_(QDateTime(QDate(2024, 3, 5), QTime(21, 7, 42))) {
    ModGlobal::gConexionReporte = QStringLiteral("DSN=ZENTRIK; UID=sa; PWD=sa");
    config(QStringLiteral("NOMBRE"), QStringLiteral("La Parrilla de Lía"));
    config(QStringLiteral("CALLE"), QStringLiteral("Av. Corrientes"));
    config(QStringLiteral("NUMERO"), QStringLiteral("1234"));
    config(QStringLiteral("LOCALIDAD"), QStringLiteral("CABA"));
    const QDir forms(zxtest::sourcePath(QStringLiteral("tests/data/voucherprint/forms")));
    for (const QString& name : forms.entryList({QStringLiteral("*.rpt")}, QDir::Files))
        QFile::copy(forms.filePath(name), folder.file(name));
    openDatabase();
    reportengine::services() = {dbreportes::abreDatos, reportengine::showPreviewWindow,
                                reportengine::printOnNamedPrinter};
}

PrintWorld::~PrintWorld() {
    gReporte() = clsReporte();
    ModGlobal::gConexionReporte.clear();
}

void PrintWorld::expectPreviews(int n) {
    for (int i = 0; i < n; ++i) {
        op.form([this](QDialog& d) {
            auto* preview = qobject_cast<reportengine::PreviewWindow*>(&d);
            if (!preview) {
                ADD_FAILURE() << "a form other than the report preview was shown";
                return 0;
            }
            previews.append(describe(preview->document()));
            return 0;
        });
    }
}

QString PrintWorld::formulario(const QString& nombre) {
    static const char* const formulas[] = {
        "NombreEmpresa", "Direccion", "Localidad",   "CodigoPostal", "Telefono", "Condicion IVA",
        "CUIT",          "Prm_Extra", "PieDePagina", "Encabezado",   "Empresa"};
    QString objetos;
    int y = 0;
    for (const char* f : formulas) {
        objetos += QStringLiteral(
                       "<formula x=\"0\" y=\"%1\" width=\"190\" height=\"4\" "
                       "source=\"{@%2}\"/>\n")
                       .arg(y)
                       .arg(QString::fromLatin1(f));
        y += 4;
    }
    const QString xml =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<report version=\"1\" title=\"%1\">\n"
            "<page size=\"A4\" left=\"10\" top=\"10\" right=\"10\" bottom=\"10\"/>\n"
            "<data table=\"AUX_MV_CPTE\" "
            "aliases=\"V_MV_CPTE C_MV_CPTE V_MV_STOCK V_MV_CPTEINSUMOS\"/>\n"
            "<reportHeader height=\"%2\">\n%3</reportHeader>\n"
            "<detail height=\"4\"><field x=\"0\" y=\"0\" width=\"190\" height=\"4\" "
            "source=\"{AUX_MV_CPTE.COLUMNA1}\"/></detail>\n"
            "</report>\n")
            .arg(nombre)
            .arg(y)
            .arg(objetos);
    const QString ruta = folder.file(nombre + QStringLiteral(".rpt"));
    QFile file(ruta);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(xml.toUtf8()) < 0)
        ADD_FAILURE() << "the form " << nombre.toStdString() << " was not written";
    return ruta;
}

void PrintWorld::impresion(const QString& tc, const QString& letra, const QString& destinoDefault,
                           const QString& copias, const QString& impresora) {
    const auto texto = [](QString v) { return v.replace(u'\'', QStringLiteral("''")); };
    data.exec(
        QStringLiteral("INSERT INTO TA_CONFIG_IMP_CPTE (TC, LETRA, USUARIO, impresora, "
                       "CantCopias, CantLineas, DestinoDefault) VALUES ('%1', '%2', NULL, "
                       "'%3', '%4', '60', '%5')")
            .arg(texto(tc), texto(letra), texto(impresora), texto(copias), texto(destinoDefault)));
}

QString describe(const reportengine::ReportDocument& document) {
    QStringList formulas;
    for (const reportengine::Assignment& a : document.formulas)
        if (!a.value.isEmpty()) formulas.append(a.name + u'=' + a.value);
    QStringList rows;
    for (const QList<vb::Variant>& row : document.data.rows) {
        QStringList values;
        for (const vb::Variant& v : row) values.append(gUtil().NuloAVacio(v));
        rows.append(values.join(u' '));
    }
    return document.form.title + QStringLiteral(" | ") + document.selection +
           QStringLiteral(" | ") + formulas.join(QStringLiteral(", ")) + QStringLiteral(" | ") +
           rows.join(QStringLiteral("; "));
}

TicketWorld::TicketWorld() {
    data.exec(QString::fromUtf8(zxtest::readFile(
        zxtest::sourcePath(QStringLiteral("tests/data/voucherprint/orders.sql")))));
}

TicketWorld::~TicketWorld() {
    if (FrmMvVentas::Default().MSComm1.PortOpen())
        ADD_FAILURE() << "the ticket left the serial port open";
    FrmMvVentas::Default().MSComm1.setPortOpen(false);
    ModGlobal::gComandera = {};
}

void TicketWorld::comanderas(const QList<Comandera>& registros) {
    QByteArray bytes;
    for (const Comandera& c : registros)
        bytes += ModGlobal::RegistroComandera::Formato().encode(c.campos());
    QFile file(folder.file(QStringLiteral("Comanderas.cfg")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) < 0)
        ADD_FAILURE() << "Comanderas.cfg was not written";
}

QString visible(const QByteArray& bytes) {
    QString out;
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '\\')
            out += QStringLiteral("\\\\");
        else if (b >= 0x20 && b < 0x7f)
            out += QChar(b);
        else
            out += QStringLiteral("\\x%1").arg(b, 2, 16, QChar(u'0'));
        if (b == 0x0a) out += u'\n';
    }
    return out;
}

const QString kPedidoConControles = QStringLiteral("000100000004X");

void pedidoConControles(TicketWorld& world) {
    const QString patada = QChar(0x1b) + QStringLiteral("p0") + QChar(0x19);
    const QString corte = QChar(0x1d) + QStringLiteral("V");
    world.exec(QStringLiteral("INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, Importe, "
                              "transporte, IdVendedor, Nombre) VALUES ('PE', '%1', 0, 10, '7', "
                              "'V1', 'Ana%2 Paz')")
                   .arg(kPedidoConControles, patada));
    world.exec(QStringLiteral("INSERT INTO V_MV_CPTEINSUMOS (TC, IdComprobante, IDCOMPLEMENTO, "
                              "IdArticulo, Descripcion, Cantidad, Importe, Importe_S_IVA, "
                              "Cantidadpreparada, CANTIDADAFACTURAR) VALUES ('PE', '%1', 0, "
                              "'MILA', 'Mila%2%3 con\r\npapas%4A', 1, 10, 8, 0, 0)")
                   .arg(kPedidoConControles, patada, QString(QChar(0x7f)), corte));
    Comandera c;
    c.encabezado1 = QStringLiteral("PARRILLA") + QChar(0x07);
    c.pie = QStringLiteral("Gracias") + corte + QChar(0x01);
    c.detalleRenglon = QStringLiteral("S");
    world.comanderas({c});
}

namespace {

void imprime(const QString& idComprobante, const QString& destino, bool cocina, bool barra) {
    ModGlobal::ImprimeEnComandera(QStringLiteral("PE"), idComprobante, destino, cocina, barra);
}

const QString kPedido = QStringLiteral("000100000001X");
const QString kDestino = QStringLiteral("Comandera :COCINA");

}  // namespace

const QList<Scenario>& scenarios() {
    static const QList<Scenario> list = {
        // Company name and address for the blank headers, number, customer, prices with the
        // bracket text inside the 24 characters, halves to the even cent, total, footer.
        {"completo",
         [](TicketWorld& w) {
             w.comanderas({Comandera{}});
             imprime(kPedido, kDestino, false, false);
         }},
        // Headers of their own (an accented letter goes out as one byte), items in two lines,
        // no number and no customer.
        {"completo_dos_lineas",
         [](TicketWorld& w) {
             Comandera c;
             c.encabezado1 = QStringLiteral("  PARRILLA LÍA  ");
             c.encabezado2 = QStringLiteral("Sucursal Centro");
             c.imprimeNumero = QStringLiteral("N");
             c.imprimeCliente = QStringLiteral(" ");
             c.detalleRenglon = QStringLiteral("s");
             w.comanderas({c});
             imprime(kPedido, kDestino, false, false);
         }},
        // What the kitchen still has to prepare: "C" rows with a pending quantity (negative
        // included), descriptions of 27, 28 and 97 characters, the weighed article by its
        // weight, no total and no footer.
        {"cocina",
         [](TicketWorld& w) {
             w.comanderas({Comandera{}});
             imprime(kPedido, kDestino, true, false);
         }},
        // What the bar still has to serve, in the two-line layout's mode.
        {"barra",
         [](TicketWorld& w) {
             Comandera c;
             c.detalleRenglon = QStringLiteral("S");
             w.comanderas({c});
             imprime(kPedido, kDestino, false, true);
         }},
        // Both flags: a row passes both filters and prints the bar quantity.
        {"cocina_y_barra",
         [](TicketWorld& w) {
             w.comanderas({Comandera{}});
             imprime(kPedido, kDestino, true, true);
         }},
        // An order without items and with empty header values; every switch off.
        {"sin_items",
         [](TicketWorld& w) {
             Comandera c;
             c.imprimeEncabezado1 = c.imprimeEncabezado2 = c.imprimeNumero = c.imprimeCliente =
                 c.imprimePie = QStringLiteral("N");
             w.comanderas({c});
             imprime(QStringLiteral("000100000002X"), kDestino, false, false);
         }},
        // Control bytes in the data go out as blanks, the ticket's own commands as they are.
        {"controles",
         [](TicketWorld& w) {
             pedidoConControles(w);
             imprime(kPedidoConControles, kDestino, false, false);
         }},
        // A voucher number with an apostrophe, the waiter's code with blanks around it.
        {"apostrofo",
         [](TicketWorld& w) {
             w.comanderas({Comandera{}});
             imprime(QStringLiteral("00010000'003X"), kDestino, false, false);
         }},
    };
    return list;
}

QString expectedFile(const char* name) {
    return zxtest::sourcePath(
        QStringLiteral("tests/data/voucherprint/%1/ticket.txt").arg(QString::fromLatin1(name)));
}

}  // namespace vptest
