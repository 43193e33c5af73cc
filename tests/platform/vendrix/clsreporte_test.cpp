#include "platform/vendrix/clsreporte.h"

#include "platform/reportengine/adodatasource.h"
#include "platform/reportengine/document.h"
#include "platform/reportengine/engine.h"
#include "platform/reportengine/errors.h"
#include "platform/reportengine/previewwindow.h"
#include "platform/reportengine/printing.h"
#include "platform/vb/steps.h"
#include "tests/platform/reportengine/pdf_text.h"
#include "tests/platform/reportengine/report_services.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/test_database.h"

#include <QDir>
#include <QSet>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

namespace re = reportengine;

const QString kLogon = QStringLiteral("DSN=ZENTRIK; UID=sa; PWD=sa");

// The selection the error-log form builds for users ANA to JUAN and 1 to 9 December.
const QString kSelection = QStringLiteral(
    "TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= 'ANA'  AND "
    "TrimLeft(TrimRight({AUX_ERR.USUARIO})) <= 'JUAN'  AND {AUX_ERR.fecha} >= Date(2026,12,01)  "
    "AND {AUX_ERR.fecha} <= Date(2026,12,09) ");

class ClsReporteTest : public ::testing::Test {
protected:
    void SetUp() override {
        re::services().preview = re::showPreviewWindow;
        re::services().print = re::printOnNamedPrinter;
        db_.exec(QStringLiteral(
            "INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, sql, PC, Usuario) VALUES "
            "('Ventas', '2026-12-01 08:00:00', 100, 'Clave duplicada', 'INSERT INTO X', 'CAJA1', "
            "'ANA');"
            "INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, sql, PC, Usuario) VALUES "
            "('Compras', '2026-12-09 23:59:00', 208, 'Tabla inexistente', 'SELECT * FROM Y', "
            "'CAJA2', 'juan');"
            "INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, sql, PC, Usuario) VALUES "
            "('Stock', '2026-12-10 00:00:00', 547, 'Referencia', 'DELETE FROM Z', 'CAJA1', 'ANA');"
            "INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, sql, PC, Usuario) VALUES "
            "('Caja', '2026-12-05 10:00:00', 8152, 'Truncado', 'UPDATE W', 'ADMIN', 'PEDRO');"));
        services_.readThroughAdo([this](const re::Logon& l) {
            return QStringLiteral("Provider=SQLOLEDB;Server=sqlite:%1;Database=%2;UId=%3;Pwd=%4;")
                .arg(db_.folder(), l.database, l.user, l.password);
        });
        reporte_.CarpetaBase = QStringLiteral(ZX_BINARY_DIR "/bin/");
    }

    QString runToFile(const QString& name, const vb::Variant& type,
                      const QStringList& lista = {QString()},
                      const QStringList& formulas = {
                          QStringLiteral("Nombreempresa = 'O'Brien SA'")}) {
        const QString path = dir_.filePath(name);
        reporte_.Destino = reporte_.DestinoArchivo();
        reporte_.Propiedad(QStringLiteral("PrintFileName"), path);
        reporte_.Propiedad(QStringLiteral("PrintFileType"), type);
        reporte_.EjecutaReporte(QStringLiteral("AUX_ERR"), lista, kSelection, kLogon, formulas);
        return path;
    }

    QStringList processes(const QString& saved) {
        const re::ReportDocument doc = re::loadDocument(saved);
        QStringList out;
        const int column =
            doc.data.columnOf({QStringLiteral("AUX_ERR"), QStringLiteral("Proceso")});
        for (const auto& row : doc.data.rows) out.append(row[column].string());
        return out;
    }

    long errorOf(const std::function<void()>& action) {
        const std::optional<vb::VbError> e = zxtest::raised(action);
        if (!e) return 0;
        EXPECT_EQ(e->Source, re::errorSource());
        EXPECT_FALSE(e->Description.isEmpty());
        return e->Number;
    }

    QStringList writtenFiles() const { return QDir(dir_.path()).entryList(QDir::Files); }

    zxtest::TestDatabase db_;
    zxtest::FixedClock clock_{QDateTime(QDate(2026, 12, 9), QTime(10, 45, 12))};
    zxtest::ScopedLocale locale_{QLocale(QLocale::Spanish, QLocale::Argentina)};
    zxtest::ScopedReportServices services_;
    QTemporaryDir dir_;
    clsReporte reporte_;
};

TEST_F(ClsReporteTest, TheErrorLogReportToAFileExportsToAPdfOfTheSelectedRows) {
    reporte_.Opcion3 = true;
    reporte_.Opcion1 = false;
    reporte_.Opcion2 = true;
    const QString saved = runToFile(QStringLiteral("104512.RPT"), std::int16_t(7));
    reporte_.CodigoFinal = 20;

    const QString pdf = dir_.filePath(QStringLiteral("104512.PDF"));
    re::exportReport(saved, pdf, re::kPdfFormat);
    const QString text = zxtest::pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Informe de Errores")));
    EXPECT_TRUE(text.contains(QStringLiteral("O'Brien SA")));
    EXPECT_TRUE(text.contains(QStringLiteral("01/12/26 08:00")));
    EXPECT_TRUE(text.contains(QStringLiteral("09/12/26 23:59")));  // the whole last day
    EXPECT_TRUE(text.contains(QStringLiteral("Clave duplicada")));
    EXPECT_FALSE(text.contains(QStringLiteral("Referencia")));  // 10 December
    EXPECT_FALSE(text.contains(QStringLiteral("Truncado")));    // PEDRO
    EXPECT_EQ(processes(saved), (QStringList{"Ventas", "Compras"}));
}

TEST_F(ClsReporteTest, SortFieldsOfTheListReplaceTheFormsOrder) {
    const QString saved =
        runToFile(QStringLiteral("orden.RPT"), 7, {QStringLiteral("-{AUX_ERR.fecha}"), QString()});
    EXPECT_EQ(processes(saved), (QStringList{"Compras", "Ventas"}));
}

TEST_F(ClsReporteTest, LaterFormulaAssignmentsWin) {
    reporte_.AsignaFormulas({QStringLiteral("Nombreempresa = 'De la lista'"), QString()}, 0);
    const QString first = runToFile(QStringLiteral("a.RPT"), 7, {QString()}, {});
    EXPECT_EQ(re::loadDocument(first).formula(QStringLiteral("Nombreempresa")),
              QStringLiteral("De la lista"));

    const QString second = runToFile(QStringLiteral("b.RPT"), 7,
                                     {QStringLiteral("NOMBREEMPRESA='Del argumento'")}, {});
    EXPECT_EQ(re::loadDocument(second).formula(QStringLiteral("Nombreempresa")),
              QStringLiteral("Del argumento"));

    const QString third =
        runToFile(QStringLiteral("c.RPT"), 7, {QStringLiteral("Nombreempresa='Del argumento'")},
                  {QString(), QStringLiteral("nombreempresa = 'O'Brien SA'"), QString()});
    EXPECT_EQ(re::loadDocument(third).formula(QStringLiteral("Nombreempresa")),
              QStringLiteral("O'Brien SA"));
}

TEST_F(ClsReporteTest, FileTypeMayComeAsNumericTextAndOthersAreRefused) {
    const QString html = runToFile(QStringLiteral("Cuenta.htm"), QStringLiteral("22"));
    EXPECT_TRUE(QString::fromUtf8(zxtest::readFile(html)).contains(QStringLiteral(">Compras<")));

    EXPECT_EQ(errorOf([&] { runToFile(QStringLiteral("x.rtf"), 15); }), re::err::NotSupported);
    EXPECT_EQ(writtenFiles(), QStringList{QStringLiteral("Cuenta.htm")});
    EXPECT_EQ(errorOf([&] {
                  reporte_.Propiedad(QStringLiteral("PrintFileType"), QStringLiteral("PDF"));
              }),
              vb::err::TypeMismatch);
    EXPECT_EQ(errorOf([&] { reporte_.Propiedad(QStringLiteral("Copias"), 2); }), 438);
}

TEST_F(ClsReporteTest, AFailedRunRaisesAndWritesNoFile) {
    struct {
        const char* name;
        QString form;
        QString selection;
        QString logon;
        long error;
    } const cases[] = {
        {"missing form", QStringLiteral("NOEXISTE"), kSelection, kLogon, re::err::FormNotFound},
        {"formula error", QStringLiteral("AUX_ERR"), QStringLiteral("{AUX_ERR.USUARIO} >="),
         kLogon, re::err::Formula},
        {"unknown field", QStringLiteral("AUX_ERR"), QStringLiteral("{AUX_ERR.NADA} = 1"), kLogon,
         re::err::Field},
        {"missing database", QStringLiteral("AUX_ERR"), kSelection,
         QStringLiteral("DSN=NOEXISTE; UID=sa; PWD=sa"), re::err::Data},
    };
    reporte_.Destino = reporte_.DestinoArchivo();
    reporte_.Propiedad(QStringLiteral("printfilename"), dir_.filePath(QStringLiteral("x.RPT")));
    reporte_.Propiedad(QStringLiteral("PRINTFILETYPE"), 7);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(
            errorOf([&] { reporte_.EjecutaReporte(c.form, {QString()}, c.selection, c.logon); }),
            c.error);
    }
    EXPECT_EQ(writtenFiles(), QStringList{});
}

TEST_F(ClsReporteTest, MailAndUnknownDestinationsAndMissingPrintersRaise) {
    reporte_.Destino = reporte_.DestinoCorreo();
    EXPECT_EQ(errorOf([&] { reporte_.EjecutaReporte("AUX_ERR", {}, {}, kLogon); }),
              re::err::NotSupported);
    reporte_.Destino = 9;
    EXPECT_EQ(errorOf([&] { reporte_.EjecutaReporte("AUX_ERR", {}, {}, kLogon); }),
              re::err::NotSupported);
    reporte_.Destino = reporte_.DestinoImpresora();
    reporte_.DatoImpresora1 = reporte_.DatoImpresora2 = QStringLiteral("Impresora que no existe");
    reporte_.DatoImpresora3 = QStringLiteral("LPT1:");
    EXPECT_EQ(errorOf([&] { reporte_.EjecutaReporte("AUX_ERR", {}, {}, kLogon); }),
              re::err::Printer);
    const QList<int> codes = {reporte_.DestinoPantalla(), reporte_.DestinoImpresora(),
                              reporte_.DestinoArchivo(), reporte_.DestinoCorreo()};
    EXPECT_EQ(QSet<int>(codes.begin(), codes.end()).size(), 4);
}

TEST_F(ClsReporteTest, TheScreenShowsThePreviewModally) {
    zxtest::ScriptedOperator op;
    op.form([](QDialog& form) {
        auto& preview = dynamic_cast<re::PreviewWindow&>(form);
        EXPECT_EQ(preview.pageCount(), 1);
        EXPECT_EQ(preview.windowTitle(), QStringLiteral("Informe de Errores"));
        form.findChild<QPushButton*>(QStringLiteral("closeButton"))->click();
        return form.result();
    });
    reporte_.Destino = reporte_.DestinoPantalla();
    reporte_.IndicadorPrevio = true;
    reporte_.EjecutaReporte(QStringLiteral("aux_err.RPT"), {QString()}, kSelection, kLogon,
                            {QStringLiteral("Nombreempresa = 'ACME'")}, QString(), QString(),
                            QString());
    reporte_.FinReporte(30);
    ASSERT_EQ(op.prompts().size(), 1);
    EXPECT_EQ(op.prompts()[0].kind, zxtest::Prompt::Form);
}

// The hourglass covers reading the report's rows on every destination, and the printing; the
// preview itself is the operator's to use, without it.
TEST_F(ClsReporteTest, TheHourglassCoversTheLongWorkButNotThePreview) {
    // The rows are read through the database of the test, noting the pointer as they are.
    struct Noting : re::DataSource {
        Noting(const QString& connection, zxtest::ScriptedOperator& op, QList<int>& seen)
            : inner(connection), op(op), seen(seen) {}
        QList<re::Column> describe(const QString& table) override { return inner.describe(table); }
        void select(const QString& sql, const QList<vb::Variant>& parameters,
                    const std::function<void(const QList<vb::Variant>&)>& onRow) override {
            seen.append(op.busyDepth());
            inner.select(sql, parameters, onRow);
        }
        re::AdoDataSource inner;
        zxtest::ScriptedOperator& op;
        QList<int>& seen;
    };
    zxtest::ScriptedOperator op;
    QList<int> reading, printing, previewing;
    const re::Services previous = re::services();
    re::services().openData = [&](const re::Logon&) -> std::unique_ptr<re::DataSource> {
        return std::make_unique<Noting>(db_.connectionString(), op, reading);
    };
    re::services().print = [&](re::PagedReport&, const QString&) {
        printing.append(op.busyDepth());
    };
    op.form([&](QDialog& form) {
        previewing.append(op.busyDepth());
        return form.result();
    });
    for (const std::int16_t destino :
         {reporte_.DestinoPantalla(), reporte_.DestinoImpresora(), reporte_.DestinoArchivo()}) {
        reporte_.Destino = destino;
        reporte_.Propiedad(QStringLiteral("PrintFileName"),
                           dir_.filePath(QStringLiteral("x.RPT")));
        reporte_.Propiedad(QStringLiteral("PrintFileType"), 7);
        reporte_.EjecutaReporte(QStringLiteral("AUX_ERR"), {QString()}, kSelection, kLogon);
        EXPECT_EQ(op.busyDepth(), 0);
    }
    re::services() = previous;
    EXPECT_EQ(reading, (QList<int>{1, 1, 1}));
    EXPECT_EQ(printing, QList<int>{1});
    EXPECT_EQ(previewing, QList<int>{0});
}

TEST(GReporteTest, IsOneProgramWideInstance) {
    EXPECT_EQ(&gReporte(), &gReporte());
}

}  // namespace
