#include "tests/platform/reportengine/report_cases.h"

#include "platform/ado/ado.h"
#include "tests/platform/reportengine/pdf_text.h"

#include <QBuffer>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

namespace retest {

namespace {

QString quoted(QString text) {
    return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\'';
}

// Inserts rows of `columns` in batches, each row its values already written as SQL.
void insertRows(const zxtest::TestDatabase& db, const QString& table, const QString& columns,
                const QStringList& rows) {
    for (qsizetype i = 0; i < rows.size(); i += 200) {
        db.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                    .arg(table, columns, rows.mid(i, 200).join(QStringLiteral(", "))));
    }
}

QByteArray png(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// 2,500 errors of November 2026, seven minutes apart, with the texts an error log holds: short
// and long processes, users and workstations, descriptions that wrap or hold line breaks,
// statements that wrap after their commas, and one statement longer than a page.
void fillErrorLog(const zxtest::TestDatabase& db, const QString&) {
    const QStringList processes = {"Ventas", "Compras", "FacturacionElectronicaMasiva", "Stock",
                                   "Caja"};
    const QList<long long> errors = {208, 547, 2627, 8152, -2147467259LL};
    QStringList rows;
    for (int i = 1; i <= 2500; ++i) {
        const QDateTime when = QDateTime(QDate(2026, 11, 1), QTime(8, 0)).addSecs(420LL * i);
        QString description = QStringLiteral("Descripción del error número %1").arg(i);
        if (i % 7 == 0)
            description = QStringLiteral(
                              "Violación de la restricción PRIMARY KEY 'PK_MV_CPTE'. No se puede "
                              "insertar una clave duplicada en el objeto 'dbo.MV_CPTE' (%1).")
                              .arg(i);
        if (i % 50 == 0)
            description =
                QStringLiteral("Error de conversión\r\nen la línea %1\r\nde la consulta").arg(i);
        QString sql =
            QStringLiteral("UPDATE MA_CUENTAS SET SALDO = SALDO + %1 WHERE CODIGO = '%1'").arg(i);
        if (i % 3 == 0) {
            QStringList ids;
            for (int k = 0; k < 30; ++k) ids.append(QString::number(i + k));
            sql = QStringLiteral("DELETE FROM MV_ASIENTOS WHERE ID IN (%1)").arg(ids.join(u','));
        }
        if (i == 1234) {
            QStringList ids;
            for (int k = 1; k <= 1500; ++k) ids.append(QString::number(k));
            sql =
                QStringLiteral("UPDATE STOCK SET CANTIDAD = CANTIDAD - 1 WHERE IDARTICULO IN (%1)")
                    .arg(ids.join(u','));
        }
        const QString pc = i % 11 == 0 ? QStringLiteral("ADMINISTRACION|VENDEDOR")
                                       : QStringLiteral("CAJA%1").arg(i % 9);
        const QString user = i % 17 == 0
                                 ? QStringLiteral("ADMINISTRADOR_DEL_SISTEMA_CENTRAL_DE_VENTAS_%1")
                                       .arg(i, 5, 10, QLatin1Char('0'))
                                 : QStringLiteral("USR%1").arg(i % 13);
        rows.append(QStringLiteral("(%1, %2, %3, %4, %5, %6, %7)")
                        .arg(quoted(processes[i % processes.size()]),
                             quoted(when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))))
                        .arg(errors[i % errors.size()] + (i % 4))
                        .arg(quoted(description), quoted(sql), quoted(pc), quoted(user)));
    }
    insertRows(db, QStringLiteral("AUX_ERR"),
               QStringLiteral("Proceso, fecha, Error, Descripcion, sql, PC, Usuario"), rows);
}

// Three vouchers of 70, 160 and 25 lines. A line shows its description (some wrap) and the
// series of its article, a subreport; the page header shows the voucher of the page's first
// line, the page footer the QR and the observations of its last line's voucher (the second
// voucher has no QR); the report header a logo from the form's folder.
const char* const kVoucherForm = R"(<?xml version="1.0" encoding="UTF-8"?>
<report version="1" title="Comprobantes">
  <page size="A4" left="10" top="10" right="10" bottom="10"/>
  <data table="AUX_MV_CPTE">
    <link table="AUX_MV_CPTEQR" keys="TC IdComprobante"/>
    <sort field="{AUX_MV_CPTE.ID}"/>
  </data>
  <font family="DejaVu Sans" size="9"/>
  <reportHeader height="22">
    <picture x="0" y="0" width="60" height="20" src="logo.png"/>
    <formula x="70" y="4" width="120" height="8" size="14" bold="true" source="{@Empresa}"/>
  </reportHeader>
  <pageHeader height="12">
    <text x="0" y="2" width="30" height="6" bold="true">Comprobante</text>
    <field x="30" y="2" width="60" height="6" bold="true" source="{AUX_MV_CPTE.IDCOMPROBANTE}"/>
    <line x1="0" y1="10" x2="190" y2="10" thickness="0.3"/>
  </pageHeader>
  <detail height="6" when="{AUX_MV_CPTE.TIPO} = 'IN'">
    <field x="0" y="0.5" width="120" height="5" wrap="true" source="{AUX_MV_CPTE.COLUMNA1}"/>
    <field x="125" y="0.5" width="25" height="5" align="right" source="{AUX_MV_CPTE.COLUMNA2}"/>
    <field x="155" y="0.5" width="35" height="5" source="{AUX_MV_CPTE.IDARTICULO}"/>
    <subreport name="SERIES" x="155" y="5.5" width="35" height="4" links="NroViaje=IDARTICULO">
      <report version="1" title="Series">
        <data table="V_MV_CPTE_OBSERV"><sort field="{V_MV_CPTE_OBSERV.ID}"/></data>
        <detail height="4">
          <field x="0" y="0" width="35" height="4" italic="true"
                 source="{V_MV_CPTE_OBSERV.Observacion}"/>
        </detail>
      </report>
    </subreport>
  </detail>
  <pageFooter height="32">
    <line x1="0" y1="1" x2="190" y2="1" thickness="0.2"/>
    <picture x="160" y="2" width="28" height="28" source="{AUX_MV_CPTEQR.QR_AFIP}"/>
    <subreport name="OBS" x="0" y="3" width="150" height="4" links="TC IdComprobante">
      <report version="1" title="Observaciones">
        <data table="V_MV_CPTE_OBSERV"><sort field="{V_MV_CPTE_OBSERV.ID}"/></data>
        <detail height="4">
          <field x="0" y="0" width="150" height="4" source="{V_MV_CPTE_OBSERV.Observacion}"/>
        </detail>
      </report>
    </subreport>
    <pagenumber x="0" y="25" width="150" height="5">Página {page} de {pages}</pagenumber>
  </pageFooter>
  <reportFooter height="10">
    <text x="0" y="2" width="190" height="6" bold="true">Fin de los comprobantes</text>
  </reportFooter>
</report>
)";

void fillVouchers(const zxtest::TestDatabase& db, const QString& folder) {
    zxtest::writeFile(folder + QStringLiteral("/comprobantes.rpt"), kVoucherForm);
    zxtest::writeFile(folder + QStringLiteral("/logo.png"), png(300, 100, Qt::darkGreen));
    const QList<QPair<QString, int>> vouchers = {
        {"000100000011A", 70}, {"000100000012A", 160}, {"000100000013A", 25}};
    QStringList lines, observations;
    for (const auto& [voucher, count] : vouchers) {
        for (int n = 1; n <= count; ++n) {
            QString description =
                QStringLiteral("Artículo %1 del comprobante %2").arg(n).arg(voucher);
            if (n % 9 == 0)
                description += QStringLiteral(
                    ", con una descripción larga que ocupa más de un renglón de la columna "
                    "porque detalla medidas, colores y terminaciones");
            lines.append(QStringLiteral("('FC  ', 'PC|ANA', 'IN', %1, 0, %2, %3, %4)")
                             .arg(quoted(voucher), quoted(description),
                                  quoted(QString::number(n * 3) + QStringLiteral(",00")),
                                  quoted(QStringLiteral("ART%1").arg(n % 17))));
        }
        lines.append(QStringLiteral("('FC  ', 'PC|ANA', 'XX', %1, 0, 'Oculta', '', '')")
                         .arg(quoted(voucher)));
        const int notes = voucher.endsWith(QLatin1String("12A")) ? 3 : 1;
        for (int k = 1; k <= notes; ++k)
            observations.append(QStringLiteral("('FC', %1, 0, %2, NULL)")
                                    .arg(quoted(voucher),
                                         quoted(QStringLiteral("Observación %1 del comprobante %2")
                                                    .arg(k)
                                                    .arg(voucher))));
    }
    for (int a = 0; a < 17; a += 3)
        for (int k = 1; k <= 2; ++k)
            observations.append(QStringLiteral("('SE', '', 0, %1, %2)")
                                    .arg(quoted(QStringLiteral("Serie %1-%2").arg(a).arg(k)),
                                         quoted(QStringLiteral("ART%1").arg(a))));
    insertRows(db, QStringLiteral("AUX_MV_CPTE"),
               QStringLiteral("TC, USUARIO, TIPO, IDCOMPROBANTE, IDCOMPLEMENTO, COLUMNA1, "
                              "COLUMNA2, IDARTICULO"),
               lines);
    insertRows(db, QStringLiteral("V_MV_CPTE_OBSERV"),
               QStringLiteral("TC, IdComprobante, IDCOMPLEMENTO, Observacion, NroViaje"),
               observations);
    db.exec(
        QStringLiteral("INSERT INTO AUX_MV_CPTEQR (TC, IdComprobante) VALUES "
                       "('FC  ', '000100000011A'), ('FC  ', '000100000013A')"));
    ado::Connection c;
    c.Open(db.connectionString());
    c.Execute("UPDATE AUX_MV_CPTEQR SET QR_AFIP = ? WHERE IdComprobante = '000100000011A'",
              {vb::Variant(png(120, 120, Qt::blue))});
    c.Execute("UPDATE AUX_MV_CPTEQR SET QR_AFIP = ? WHERE IdComprobante = '000100000013A'",
              {vb::Variant(png(90, 60, Qt::red))});
    c.Close();
}

QString run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString() << " (poppler-utils)";
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

QList<ReportCase> reportCases() {
    return {
        {QStringLiteral("errores"),
         QStringLiteral(ZX_BINARY_DIR "/bin/AUX_ERR.rpt"),
         QStringLiteral("{AUX_ERR.fecha} >= Date(2026,11,01)  AND {AUX_ERR.fecha} <= "
                        "Date(2026,11,30)  AND tonumber({AUX_ERR.ERROR}) >= 0 "),
         {QStringLiteral("Nombreempresa = 'O'Brien SA'")},
         {},
         fillErrorLog},
        {QStringLiteral("comprobantes"),
         QStringLiteral("comprobantes.rpt"),
         QStringLiteral("{AUX_MV_CPTE.USUARIO} = 'PC|ANA'"),
         {QStringLiteral("Empresa = 'La Parrilla de Lía'")},
         {QStringLiteral("SERIES"), QStringLiteral("OBS")},
         fillVouchers},
    };
}

QString expectedFile(const QString& name) {
    return zxtest::sourcePath(QStringLiteral("tests/data/reportengine/%1/pdf.txt").arg(name));
}

QString pdfContents(const QString& pdf) {
    QString out = zxtest::pdfText(pdf);
    out += QStringLiteral("\n-- pictures: page, width, height, x-ppi, y-ppi\n");
    const QStringList lines = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf})
                                  .split(u'\n', Qt::SkipEmptyParts);
    // Two heading lines, then: page num type width height color comp bpc enc interp object ID
    // x-ppi y-ppi size ratio.
    for (const QString& line : lines.mid(2)) {
        const QStringList f = line.simplified().split(u' ');
        if (f.size() < 14) continue;
        out += QStringList{f[0], f[3], f[4], f[12], f[13]}.join(u' ') + u'\n';
    }
    return out;
}

CaseWorld::CaseWorld(const ReportCase& c) : case_(c) {
    case_.prepare(db_, dir_.path());
    services_.readThroughAdo([this](const reportengine::Logon& l) {
        return QStringLiteral("Provider=SQLOLEDB;Server=sqlite:%1;Database=%2;UId=%3;Pwd=%4;")
            .arg(db_.folder(), l.database, l.user, l.password);
    });
    reporter_.CarpetaBase = dir_.path() + u'/';
}

CaseWorld::~CaseWorld() = default;

void CaseWorld::run() {
    QStringList subreports = case_.subreports;
    while (subreports.size() < 3) subreports.append(QString());
    reporter_.EjecutaReporte(case_.form, {QString()}, case_.selection,
                             QStringLiteral("DSN=ZENTRIK; UID=sa; PWD=sa"), case_.formulas,
                             subreports[0], subreports[1], subreports[2]);
}

QString CaseWorld::exportedPdf() {
    const QString saved = file(QStringLiteral("104512.RPT"));
    const QString pdf = file(QStringLiteral("104512.PDF"));
    reporter_.Destino = reporter_.DestinoArchivo();
    reporter_.Propiedad(QStringLiteral("PrintFileName"), saved);
    reporter_.Propiedad(QStringLiteral("PrintFileType"), reportengine::kReportFileType);
    run();
    reportengine::exportReport(saved, pdf, reportengine::kPdfFormat);
    return pdf;
}

}  // namespace retest
