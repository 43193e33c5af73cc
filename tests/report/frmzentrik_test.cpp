#include "report/ui/frmzentrik.h"

#include "tests/lookup/scripted_forms.h"
#include "tests/report/report_fixture.h"

#include "core/globals.h"
#include "lookup/datos.h"
#include "lookup/formularios_qt.h"
#include "platform/ui/qtoperator.h"
#include "platform/reportengine/document.h"
#include "platform/reportengine/engine.h"
#include "platform/reportengine/previewwindow.h"
#include "platform/reportengine/printing.h"
#include "platform/toolbar/tbarrep.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vendrix/clsreporte.h"
#include "platform/vendrix/controlarray.h"
#include "platform/ado/ado.h"
#include "report/envio.h"
#include "report/informe.h"
#include "tests/platform/reportengine/pdf_text.h"
#include "tests/platform/reportengine/report_services.h"
#include "tests/support/fixtures.h"
#include "tests/support/screen_fit.h"
#include "tests/support/print_spooler.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

using reporttest::ReportTest;

// The form shown and active, with the report form in the program folder, the report data
// read from the test database, and the send dialog played by the test.
class FrmZentrikTest : public ReportTest {
protected:
    FrmZentrikTest() {
        QFile::copy(zxtest::sourcePath("platform/reportengine/forms/AUX_ERR.rpt"),
                    folder.file("AUX_ERR.rpt"));
        ModGlobal::gConexionReporte = QStringLiteral("DSN=ZENTRIK; UID=sa; PWD=sa");
        reportengine::services().preview = reportengine::showPreviewWindow;
        reportengine::services().print = reportengine::printOnNamedPrinter;
        servicios_.readThroughAdo(
            [this](const reportengine::Logon&) { return data.connectionString(); });
        previoEnvio_ = report::envio();
        report::envio().NombreArchivoTemporal = [this](QString& nombre, QString& extension) {
            EXPECT_EQ(nombre, QString());
            EXPECT_EQ(extension, QStringLiteral(".RPT"));
            return folder.file("153000.RPT");
        };
        report::envio().MuestraEnviar = [this](const QString& adjunto, const QString& asunto) {
            envios.append({adjunto, asunto, QFileInfo(adjunto).size()});
        };
        data.exec("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('NOMBRE', 'Acme SA')");
        data.exec(
            "INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, sql, PC, Usuario) "
            "VALUES ('Ventas', '2026-12-01 10:00', 547, 'Conflicto', 'DELETE X', 'CAJA1', "
            "'ANA')");
        form.show();
        QApplication::setActiveWindow(&form);
        form.activateWindow();
    }
    ~FrmZentrikTest() override {
        report::envio() = previoEnvio_;
        gReporte() = clsReporte();
        ModGlobal::gConexionReporte.clear();
    }

    QLineEdit* campo(const char* dataField) {
        for (QWidget* w : vendrix::controlArray(form, "txtfields")) {
            if (vendrix::dataField(*w).compare(dataField, Qt::CaseInsensitive) == 0)
                return qobject_cast<QLineEdit*>(w);
        }
        ADD_FAILURE() << "no field " << dataField;
        return nullptr;
    }
    void enfoca(const char* dataField) {
        campo(dataField)->setFocus();
        QApplication::processEvents();
    }
    void enter(const char* dataField) { QTest::keyClick(campo(dataField), Qt::Key_Return); }

    struct Envio {
        QString adjunto;
        QString asunto;
        qint64 tamano;
    };
    QList<Envio> envios;
    frmZentrik form;

private:
    zxtest::ScopedReportServices servicios_;
    report::Envio previoEnvio_;
};

TEST_F(FrmZentrikTest, TheFieldsCarryTheirDataFieldsTagsLengthsAndTabOrder) {
    struct Fila {
        int indice;
        const char* dataField;
        const char* tag;
        int largo;
        const char* etiqueta;
        const char* marco;
    };
    const Fila filas[] = {
        {4, "FechaDesde", "FECHA", 10, "Fecha Desde", "Frame10"},
        {5, "FechaHasta", "FECHA", 10, "Fecha Hasta", "Frame10"},
        {1, "UsuarioDesde", "TA_USUARIOS", 50, "Usuario Desde", "Frame1"},
        {0, "UsuarioHasta", "TA_USUARIOS", 50, "Usuario Hasta", "Frame1"},
        {3, "PcDesde", "", 50, "PC Desde", "Frame2"},
        {2, "PcHasta", "", 50, "PC Hasta", "Frame2"},
        {6, "errorDesde", "", 50, "Error Desde", "Frame3"},
        {7, "errorHasta", "", 50, "Error Hasta", "Frame3"},
    };
    QWidget* anterior = nullptr;
    for (const Fila& f : filas) {
        SCOPED_TRACE(f.dataField);
        auto* caja = vendrix::controlElement<QLineEdit>(form, "txtfields", f.indice);
        ASSERT_NE(caja, nullptr);
        EXPECT_EQ(vendrix::dataField(*caja), QString::fromLatin1(f.dataField));
        EXPECT_EQ(caja->property("Tag").toString(), QString::fromLatin1(f.tag));
        EXPECT_EQ(caja->maxLength(), f.largo);
        EXPECT_EQ(caja->parentWidget()->objectName(), QString::fromLatin1(f.marco));
        auto* etiqueta = vendrix::controlElement<QLabel>(form, "Label1", f.indice);
        ASSERT_NE(etiqueta, nullptr);
        EXPECT_EQ(etiqueta->text(), QString::fromUtf8(f.etiqueta));
        if (anterior) {
            QWidget* siguiente = anterior->nextInFocusChain();
            while (!(siguiente->focusPolicy() & Qt::TabFocus))
                siguiente = siguiente->nextInFocusChain();
            EXPECT_EQ(siguiente, caja);
        }
        anterior = caja;
    }
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Informe de Errores"));
}

TEST_F(FrmZentrikTest, EnterCopiesDesdeIntoAnEmptyHastaAndMovesOn) {
    enfoca("UsuarioDesde");
    QTest::keyClicks(campo("UsuarioDesde"), "ANA");
    enter("UsuarioDesde");
    EXPECT_EQ(campo("UsuarioHasta")->text(), QStringLiteral("ANA"));
    EXPECT_EQ(QApplication::focusWidget(), campo("UsuarioHasta"));

    campo("PcHasta")->setText("CAJA9");
    enfoca("PcDesde");
    QTest::keyClicks(campo("PcDesde"), "CAJA1");
    enter("PcDesde");
    EXPECT_EQ(campo("PcHasta")->text(), QStringLiteral("CAJA9"));

    enfoca("errorDesde");
    QTest::keyClicks(campo("errorDesde"), "547");
    enter("errorDesde");
    EXPECT_EQ(campo("errorHasta")->text(), QStringLiteral("547"));
}

TEST_F(FrmZentrikTest, AnInvalidDateKeepsTheFocusWithItsMessage) {
    op.answer(vb::vbOK);
    enfoca("FechaDesde");
    QTest::keyClicks(campo("FechaDesde"), "ayer");
    enter("FechaDesde");
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text, QStringLiteral("Debe ingresar un formato de fecha válido"));
    EXPECT_EQ(op.messages()[0].title, QStringLiteral("Atención"));
    EXPECT_EQ(op.messages()[0].icon, vb::vbCritical);
    EXPECT_EQ(QApplication::focusWidget(), campo("FechaDesde"));
    EXPECT_EQ(campo("FechaHasta")->text(), QString());
    EXPECT_TRUE(form.HayErrorCampo);

    campo("FechaDesde")->setText("1/12/26");
    enter("FechaDesde");
    EXPECT_EQ(campo("FechaHasta")->text(), QStringLiteral("1/12/26"));
    EXPECT_EQ(QApplication::focusWidget(), campo("FechaHasta"));
}

TEST_F(FrmZentrikTest, TheFocusedFieldTakesTheConfiguredColours) {
    const auto fondo = ModGlobal::gColorFondo;
    const auto letra = ModGlobal::gColorLetra;
    ModGlobal::gColorFondo = 16776960;
    ModGlobal::gColorLetra = 255;
    enfoca("PcDesde");
    EXPECT_EQ(campo("PcDesde")->property("BackColor").toInt(), 16776960);
    EXPECT_EQ(campo("PcDesde")->property("ForeColor").toInt(), 255);
    EXPECT_FALSE(form.TBarRep1->HabilitaConsulta());
    enfoca("UsuarioDesde");
    EXPECT_EQ(campo("PcDesde")->property("BackColor").toInt(), 0xFFFFFF);
    EXPECT_EQ(campo("PcDesde")->property("ForeColor").toInt(), 0);
    EXPECT_TRUE(form.TBarRep1->HabilitaConsulta());
    EXPECT_EQ(form.IndiceCampo, 1);
    ModGlobal::gColorFondo = fondo;
    ModGlobal::gColorLetra = letra;
}

TEST_F(FrmZentrikTest, ARightClickOpensTheDatePickerOnDateFieldsOnly) {
    QTest::mouseClick(campo("PcDesde"), Qt::RightButton);
    EXPECT_TRUE(op.prompts().isEmpty());

    op.date(QDate(2026, 12, 1));
    QTest::mouseClick(campo("FechaDesde"), Qt::RightButton);
    EXPECT_EQ(campo("FechaDesde")->text(), QStringLiteral("01/12/2026"));
    EXPECT_EQ(campo("FechaHasta")->text(), QStringLiteral("01/12/2026"));
    EXPECT_EQ(QApplication::focusWidget(), campo("FechaHasta"));

    // A cancelled picker empties the field and still moves on.
    op.date(std::nullopt);
    form.TBarRep1_ClickBoton("CONSULTAR");
    EXPECT_EQ(campo("FechaHasta")->text(), QString());
    EXPECT_EQ(QApplication::focusWidget(), campo("UsuarioDesde"));
}

// The picker opens on the date its field holds; on today when the field is empty or holds no
// date.
TEST_F(FrmZentrikTest, TheDatePickerOpensOnTheFieldsDate) {
    zxtest::FixedClock reloj{QDateTime(QDate(2026, 12, 9), QTime(10, 0))};
    const struct {
        const char* campo;
        const char* texto;
        const char* abre;
    } casos[] = {
        {"FechaDesde", "31/08/2026", "2026-08-31"},
        {"FechaHasta", "1/2/27", "2027-02-01"},
        {"FechaDesde", "", "2026-12-09"},
        {"FechaHasta", "ayer", "2026-12-09"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.texto);
        campo(c.campo)->setText(QString::fromUtf8(c.texto));
        op.date(QDate(2026, 8, 20));
        QTest::mouseClick(campo(c.campo), Qt::RightButton);
        ASSERT_FALSE(op.prompts().isEmpty());
        EXPECT_EQ(op.prompts().last().kind, zxtest::Prompt::DatePicker);
        EXPECT_EQ(op.prompts().last().text, QString::fromLatin1(c.abre));
        EXPECT_EQ(campo(c.campo)->text(), QStringLiteral("20/08/2026"));
    }
}

TEST_F(FrmZentrikTest, TheUserLookupFillsTheUserField) {
    data.exec("INSERT INTO TA_USUARIOS (Nombre) VALUES ('SOFIA'), ('MARTIN')");
    zxtest::ScriptedLookupForms formas;
    formas.grilla = [](SearchGrid& g) {
        for (int i = 0; i < g.filas().size(); ++i) {
            if (g.filas()[i].celdas.contains("SOFIA")) g.seleccionaFila(i);
        }
        g.CmdAceptar_Click();
    };
    QTest::mouseClick(campo("UsuarioDesde"), Qt::RightButton);
    EXPECT_EQ(formas.shown, 1);
    EXPECT_EQ(campo("UsuarioDesde")->text(), QStringLiteral("SOFIA"));
    EXPECT_EQ(campo("UsuarioHasta")->text(), QStringLiteral("SOFIA"));
    EXPECT_EQ(QApplication::focusWidget(), campo("UsuarioHasta"));

    // Closed without a choice: the field is emptied and the focus moves on.
    formas.grilla = [](SearchGrid& g) { g.CmdCancelar_Click(); };
    form.TBarRep1_ClickBoton("CONSULTAR");
    EXPECT_EQ(campo("UsuarioHasta")->text(), QString());
    EXPECT_EQ(QApplication::focusWidget(), campo("PcDesde"));
}

// The operator's road through the real windows: the calendar and the lookup grid shown
// modally by the program's own operator service, the keys typed into them.
class FrmZentrikRealWindowsTest : public FrmZentrikTest {
protected:
    FrmZentrikRealWindowsTest() : formas_(lookup::formularios()) {
        previo_ = ui::setOperator(&qt_);
        lookup::instalaFormularios();
    }
    ~FrmZentrikRealWindowsTest() override {
        lookup::formularios() = formas_;
        ui::setOperator(previo_);
    }

    // Types `teclas` into the modal window the next key opens, once it is active.
    static void enLaVentanaQueSeAbra(QList<Qt::Key> teclas) {
        QTimer::singleShot(0, [teclas] {
            ASSERT_TRUE(QTest::qWaitFor([] {
                QWidget* modal = QApplication::activeModalWidget();
                return modal && modal->isActiveWindow() && QApplication::focusWidget();
            }));
            for (Qt::Key tecla : teclas) QTest::keyClick(QApplication::focusWidget(), tecla);
        });
    }
    // The field holding the focus once the form is active again, as the window manager makes
    // it after the modal window (offscreen, nobody does).
    QWidget* foco() {
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        return QApplication::focusWidget();
    }

    zxtest::FixedClock reloj{QDateTime(QDate(2026, 12, 9), QTime(10, 0))};

private:
    ui::QtOperator qt_;
    ui::Operator* previo_;
    lookup::Formularios formas_;
};

// A choice moves the focus on as Enter does, although no window is active the moment the
// modal one closes.
TEST_F(FrmZentrikRealWindowsTest, AChoiceInTheLookupOrTheCalendarMovesTheFocusOn) {
    data.exec("INSERT INTO TA_USUARIOS (Nombre) VALUES ('ANA'), ('BETO'), ('CARLA')");
    enfoca("UsuarioDesde");
    enLaVentanaQueSeAbra({Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
    QTest::keyClick(campo("UsuarioDesde"), Qt::Key_F2);
    EXPECT_FALSE(campo("UsuarioDesde")->text().isEmpty());
    EXPECT_EQ(campo("UsuarioHasta")->text(), campo("UsuarioDesde")->text());
    EXPECT_EQ(foco(), campo("UsuarioHasta"));

    // The calendar opens on today: a week later, chosen with Enter.
    enfoca("FechaDesde");
    enLaVentanaQueSeAbra({Qt::Key_Down, Qt::Key_Return});
    QTest::keyClick(campo("FechaDesde"), Qt::Key_F2);
    EXPECT_EQ(campo("FechaDesde")->text(), QStringLiteral("16/12/2026"));
    EXPECT_EQ(campo("FechaHasta")->text(), QStringLiteral("16/12/2026"));
    EXPECT_EQ(foco(), campo("FechaHasta"));

    // Escape closes the calendar without a choice: the field is emptied and the focus moves on.
    enLaVentanaQueSeAbra({Qt::Key_Escape});
    QTest::keyClick(campo("FechaHasta"), Qt::Key_F2);
    EXPECT_EQ(campo("FechaHasta")->text(), QString());
    EXPECT_EQ(foco(), campo("UsuarioDesde"));

    // The last field with a lookup: the choice replaces the copy and the focus leaves the pair.
    enfoca("UsuarioHasta");
    enLaVentanaQueSeAbra({Qt::Key_End, Qt::Key_Return});
    QTest::keyClick(campo("UsuarioHasta"), Qt::Key_F2);
    EXPECT_EQ(campo("UsuarioHasta")->text(), QStringLiteral("CARLA"));
    EXPECT_EQ(foco(), campo("PcDesde"));
}

// On small screens the window fits the screen, and every field and button is within reach.
TEST_F(FrmZentrikTest, TheFormFitsSmallScreens) {
    if (zxtest::ranOnSmallScreens()) return;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(zxtest::fitsItsScreen(form));
    EXPECT_TRUE(zxtest::scrollsOnlyWhenCramped(form));
    for (QLineEdit* caja : form.txtfields) EXPECT_TRUE(zxtest::withinReach(caja));
    for (const char* clave : {"PANTALLA", "IMPRESORA", "MENSAJE", "CONSULTAR", "CERRAR"})
        EXPECT_TRUE(zxtest::withinReach(form.TBarRep1->Boton(QString::fromLatin1(clave))));
}

// From each field with a calendar or a lookup, Desde and Hasta alike, a choice moves the focus
// where Enter moves it from that field holding the value chosen; Escape empties the field and
// moves on as Enter does from the empty field.
TEST_F(FrmZentrikRealWindowsTest, AChoiceMovesTheFocusWhereEnterDoes) {
    data.exec("INSERT INTO TA_USUARIOS (Nombre) VALUES ('ANA'), ('BETO'), ('CARLA')");
    const std::tuple<const char*, QList<Qt::Key>, bool> casos[] = {
        {"FechaDesde", {Qt::Key_Down, Qt::Key_Return}, true},
        {"FechaHasta", {Qt::Key_Right, Qt::Key_Return}, true},
        {"UsuarioDesde", {Qt::Key_Down, Qt::Key_Return}, true},
        {"UsuarioHasta", {Qt::Key_End, Qt::Key_Return}, true},
        {"UsuarioDesde", {Qt::Key_Escape}, false},
        {"UsuarioHasta", {Qt::Key_Escape}, false},
    };
    auto vacia = [&] {
        for (QLineEdit* caja : form.txtfields) caja->clear();
    };
    for (const auto& [nombre, teclas, elige] : casos) {
        SCOPED_TRACE(nombre);
        SCOPED_TRACE(teclas.size());
        vacia();
        enfoca(nombre);
        campo(nombre)->setText(QStringLiteral("X"));
        enLaVentanaQueSeAbra(teclas);
        QTest::keyClick(campo(nombre), Qt::Key_F2);
        const QString elegido = campo(nombre)->text();
        EXPECT_EQ(elegido.isEmpty(), !elige);
        QWidget* trasElegir = foco();

        vacia();
        campo(nombre)->setText(elegido);
        enfoca(nombre);
        enter(nombre);
        EXPECT_NE(QApplication::focusWidget(), campo(nombre));
        EXPECT_EQ(trasElegir, QApplication::focusWidget());
    }
}

TEST_F(FrmZentrikTest, ScreenAndPrinterNeverOpenTheSendDialog) {
    op.form([](QDialog& d) {
        auto* vista = qobject_cast<reportengine::PreviewWindow*>(&d);
        EXPECT_NE(vista, nullptr);
        if (vista) {
            EXPECT_GE(vista->pageCount(), 1);
        }
        return 0;
    });
    form.TBarRep1_ClickBoton("pantalla");
    EXPECT_EQ(gReporte().Destino, gReporte().DestinoPantalla());
    EXPECT_EQ(gReporte().CodigoFinal, 20);
    EXPECT_TRUE(gReporte().Opcion2 && gReporte().Opcion3 && !gReporte().Opcion1);

    // No printer by that name: the failure goes to the error dialog.
    gReporte().DatoImpresora2 = QStringLiteral("ZX-NO-SUCH-PRINTER");
    op.answer(vb::vbAbort);
    form.TBarRep1_ClickBoton("IMPRESORA");
    EXPECT_EQ(gReporte().Destino, gReporte().DestinoImpresora());
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_TRUE(op.messages()[0].title.contains("GeneraInforme"));
    EXPECT_TRUE(envios.isEmpty());

    form.TBarRep1_ClickBoton("OTRA");
    EXPECT_EQ(op.prompts().size(), 2);
}

TEST_F(FrmZentrikTest, MailWritesTheReportFileAndHandsItToTheSendDialog) {
    form.TBarRep1_ClickBoton("MENSAJE");
    EXPECT_EQ(gReporte().Destino, gReporte().DestinoArchivo());
    EXPECT_EQ(gReporte().PrintFileName(), folder.file("153000.RPT"));
    EXPECT_EQ(gReporte().PrintFileType(), 7);
    EXPECT_EQ(ModGlobal::gArchivoInformeMail, folder.file("153000.RPT"));
    ASSERT_EQ(envios.size(), 1);
    EXPECT_EQ(envios[0].adjunto, folder.file("153000.RPT"));
    EXPECT_EQ(envios[0].asunto, QStringLiteral("Informe de Errores"));
    EXPECT_GT(envios[0].tamano, 0);
    // The temporary report goes once the dialog is closed.
    EXPECT_FALSE(QFileInfo::exists(folder.file("153000.RPT")));
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(FrmZentrikTest, AFailedMailRunOpensNoSendDialog) {
    QFile::remove(folder.file("AUX_ERR.rpt"));
    // The missing form is told, then the run's failure goes to the error dialog.
    op.answer(vb::vbOK).answer(vb::vbIgnore);
    form.TBarRep1_ClickBoton("MENSAJE");
    ASSERT_EQ(op.messages().size(), 2);
    EXPECT_TRUE(op.messages()[0].text.startsWith("No se encuentra el Archivo "));
    EXPECT_TRUE(op.messages()[1].title.contains("GeneraInforme"));
    EXPECT_TRUE(envios.isEmpty());
}

TEST_F(FrmZentrikTest, AnInvalidRangeRunsNoReport) {
    campo("UsuarioDesde")->setText("JUAN");
    campo("UsuarioHasta")->setText("ANA");
    op.answer(vb::vbOK);
    form.TBarRep1_ClickBoton("MENSAJE");
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text,
              QStringLiteral("Desde Mayor que Hasta, Campo : {AUX_ERR.USUARIO}"));
    EXPECT_EQ(op.messages()[0].title, QStringLiteral("Atención"));
    EXPECT_TRUE(envios.isEmpty());
}

// The four ranges as an operator types them, through the form and the real engine: the
// selection formula the report ran with, and the rows it listed.
TEST_F(FrmZentrikTest, TheRangesTypedGiveTheirFormulaAndTheirRows) {
    data.exec(
        "INSERT INTO AUX_ERR (fecha, Error, Descripcion, PC, Usuario) VALUES "
        "('2026-12-02 23:59', 100, 'r2', 'Ñoño-PC', 'Ángel'),"
        "('2026-12-03 00:00', 150, 'r3', 'CAJA2', 'beto'),"
        "('2026-12-05 12:00', 200, 'r4', 'CAJA10', 'JUAN'),"
        "('2026-12-10 09:00', 1500, 'r5', 'ADMIN', 'Óscar'),"
        "('2026-11-30 18:00', 99, 'r6', 'CAJA1', 'zoe'),"
        "('2026-12-02', 120, 'r7', 'CAJA3 ', NULL),"
        "('2026-12-04', 201, 'r8', NULL, 'O''Brien')");
    data.exec("UPDATE AUX_ERR SET Descripcion = 'r1' WHERE Descripcion = 'Conflicto'");
    const QStringList todas = {"r1", "r2", "r3", "r4", "r5", "r6", "r7", "r8"};
    struct Caso {
        const char* nombre;
        QList<std::pair<const char*, const char*>> campos;
        const char* formula;
        QStringList filas;
    };
    const Caso casos[] = {
        {"nothing typed", {}, "", todas},
        {"error range compared as numbers",
         {{"errorDesde", "100"}, {"errorHasta", "200"}},
         "tonumber({AUX_ERR.ERROR}) >= 100  AND tonumber({AUX_ERR.ERROR}) <= 200 ",
         {"r2", "r3", "r4", "r7"}},
        {"workstation range",
         {{"PcDesde", "CAJA1"}, {"PcHasta", "CAJA2"}},
         "TrimLeft(TrimRight({AUX_ERR.PC})) >= 'CAJA1'  AND "
         "TrimLeft(TrimRight({AUX_ERR.PC})) <= 'CAJA2' ",
         {"r1", "r3", "r4", "r6"}},
        {"accented user range",
         {{"UsuarioDesde", "Ángel"}, {"UsuarioHasta", "Óscar"}},
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= 'Ángel'  AND "
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) <= 'Óscar' ",
         {"r2", "r3", "r4", "r5", "r8"}},
        {"date range holds the whole last day",
         {{"FechaDesde", "01/12/2026"}, {"FechaHasta", "02/12/2026"}},
         "{AUX_ERR.fecha} >= Date(2026,12,01)  AND {AUX_ERR.fecha} <= Date(2026,12,02) ",
         {"r1", "r2", "r7"}},
        {"workstation pattern",
         {{"PcDesde", "caja*"}},
         " (TrimLeft(TrimRight({AUX_ERR.PC})) LIKE 'caja*' )",
         {"r1", "r3", "r4", "r6", "r7"}},
        {"four ranges at once",
         {{"FechaDesde", "1/12/26"},
          {"FechaHasta", "31/12/26"},
          {"UsuarioDesde", "a"},
          {"UsuarioHasta", "p"},
          {"PcDesde", "A"},
          {"PcHasta", "CAJA9"},
          {"errorDesde", "100"},
          {"errorHasta", "1500"}},
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= 'a'  AND "
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) <= 'p'  AND "
         "{AUX_ERR.fecha} >= Date(2026,12,01)  AND {AUX_ERR.fecha} <= Date(2026,12,31)  AND "
         "TrimLeft(TrimRight({AUX_ERR.PC})) >= 'A'  AND "
         "TrimLeft(TrimRight({AUX_ERR.PC})) <= 'CAJA9'  AND "
         "tonumber({AUX_ERR.ERROR}) >= 100  AND tonumber({AUX_ERR.ERROR}) <= 1500 ",
         {"r1", "r3", "r4", "r5"}},
    };
    QString formula;
    QStringList filas;
    report::envio().MuestraEnviar = [&](const QString& adjunto, const QString&) {
        const auto documento = reportengine::loadDocument(adjunto);
        formula = documento.selection;
        const int columna =
            documento.data.columnOf(reportengine::FieldRef{"AUX_ERR", "Descripcion"});
        ASSERT_GE(columna, 0);
        for (const auto& fila : documento.data.rows) filas.append(fila[columna].string());
        filas.sort();
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        for (QLineEdit* caja : {campo("FechaDesde"), campo("FechaHasta"), campo("UsuarioDesde"),
                                campo("UsuarioHasta"), campo("PcDesde"), campo("PcHasta"),
                                campo("errorDesde"), campo("errorHasta")})
            caja->clear();
        for (const auto& [dataField, texto] : c.campos) {
            enfoca(dataField);
            QTest::keyClicks(campo(dataField), QString::fromUtf8(texto));
        }
        formula = QStringLiteral("sin correr");
        filas.clear();
        form.TBarRep1_ClickBoton("MENSAJE");
        EXPECT_EQ(formula, QString::fromUtf8(c.formula));
        EXPECT_EQ(filas, c.filas);
    }
    EXPECT_TRUE(op.prompts().isEmpty());
}

// ---- Dates in every time zone -------------------------------------------------------------
// CTest runs these tests once under each zone of the table below. The error log holds
// wall-clock readings, as SQL Server's datetime does: whatever the machine's zone, a day
// selects the rows written on it, and every row shows the reading it was written with.

struct Zona {
    const char* nombre;
    int desfasajeEnero;              // seconds from UTC on 15 January 2026 at noon
    QList<QDateTime> horasSaltadas;  // local times of 2026 the zone's clock skips
};

const QList<Zona>& zonas() {
    static const QList<Zona> z = {
        {"America/Argentina/Buenos_Aires", -3 * 3600, {}},
        {"UTC", 0, {}},
        {"Europe/Madrid", 3600, {QDateTime(QDate(2026, 3, 29), QTime(2, 30))}},
        {"America/Santiago", -3 * 3600, {QDateTime(QDate(2026, 9, 6), QTime(0, 30))}},
        {"Asia/Beirut", 2 * 3600, {QDateTime(QDate(2026, 3, 29), QTime(0, 30))}},
        {"Atlantic/Azores", -3600, {QDateTime(QDate(2026, 3, 29), QTime(0, 30))}},
        {"America/Havana", -5 * 3600, {QDateTime(QDate(2026, 3, 8), QTime(0, 30))}},
        {"America/Asuncion", -3 * 3600, {QDateTime(QDate(2024, 10, 6), QTime(0, 30))}},
        {"America/Sao_Paulo", -3 * 3600, {QDateTime(QDate(2018, 11, 4), QTime(0, 30))}},
        {"Australia/Lord_Howe", 11 * 3600, {QDateTime(QDate(2026, 10, 4), QTime(2, 15))}},
        {"Pacific/Apia", 13 * 3600, {QDateTime(QDate(2011, 12, 30), QTime(12, 0))}},
        {"Pacific/Kiritimati", 14 * 3600, {QDateTime(QDate(1994, 12, 31), QTime(12, 0))}},
        {"Pacific/Pago_Pago", -11 * 3600, {}},
    };
    return z;
}

// One row of the error log: its description names it, its date is a wall-clock reading.
struct FilaFechada {
    QString id;
    QDate dia;
    QTime hora;
    QString enInforme() const {  // as the form's "dd/mm/yy hh:mm" shows it
        return dia.toString(QStringLiteral("dd/MM/yy")) + u' ' +
               hora.toString(QStringLiteral("HH:mm"));
    }
};

// Rows on the days of every zone's clock changes of 2026, the day before and the day after:
// at noon, at midnight and at the times some zone skips or repeats.
QList<FilaFechada> filasDeLosCambios() {
    const QList<QDate> cambios = zxtest::clockChangeDays();
    const struct {
        int dias;
        QTime hora;
    } momentos[] = {{-1, QTime(12, 0)}, {-1, QTime(23, 30)}, {0, QTime(0, 0)},  {0, QTime(0, 30)},
                    {0, QTime(2, 15)},  {0, QTime(2, 30)},   {0, QTime(12, 0)}, {1, QTime(0, 0)}};
    QList<FilaFechada> filas;
    for (const QDate& cambio : cambios) {
        for (const auto& m : momentos) {
            filas.append({QStringLiteral("z%1").arg(filas.size() + 1, 3, 10, QLatin1Char('0')),
                          cambio.addDays(m.dias), m.hora});
        }
    }
    return filas;
}

class ZonasTest : public FrmZentrikTest {
protected:
    ZonasTest() {
        data.exec("DELETE FROM AUX_ERR");
        // Written four ways: by the layer as a literal, as a bound date value, as a date
        // alone through CONVERT, and by another program that writes the file with shapes of
        // its own.
        ado::Connection cn;
        cn.Open(data.connectionString());
        const QString insert = QStringLiteral(
            "INSERT INTO AUX_ERR (fecha, Error, Descripcion, PC, Usuario, Proceso) "
            "VALUES (%1, 547, '%2', 'CAJA1', 'ANA', 'Ventas')");
        for (int i = 0; i < filas.size(); ++i) {
            const FilaFechada& f = filas[i];
            const QString iso = f.dia.toString(Qt::ISODate);
            const bool medianoche = f.hora == QTime(0, 0);
            switch (i % 4) {
                case 0:
                    cn.Execute(insert.arg(u'\'' + iso + u' ' + f.hora.toString("HH:mm:ss") + u'\'',
                                          f.id));
                    break;
                case 1:
                    cn.Execute(insert.arg(QStringLiteral("?"), f.id),
                               {vb::Variant(vb::wallClock(f.dia, f.hora))});
                    break;
                case 2:
                    cn.Execute(insert.arg(
                        medianoche ? QStringLiteral("CONVERT(datetime, '%1', 23)").arg(iso)
                                   : u'\'' + iso + u'T' + f.hora.toString("HH:mm:ss") + u'\'',
                        f.id));
                    break;
                default: {
                    // Its own shapes: the date alone, no seconds, a "T", an hour of one digit.
                    const QString texto = medianoche
                                              ? (i % 8 == 3 ? iso : iso + QStringLiteral(" 00:00"))
                                          : i % 8 == 3 ? iso + u'T' + f.hora.toString("HH:mm:ss")
                                                       : iso + u' ' + f.hora.toString("H:mm");
                    data.writeAsAnotherProgram(
                        QStringLiteral("INSERT INTO AUX_ERR (fecha, Error, Descripcion, PC, "
                                       "Usuario, Proceso) VALUES ('%1', 547, '%2', 'CAJA1', "
                                       "'ANA', 'Ventas')")
                            .arg(texto, f.id));
                }
            }
        }
        cn.Close();
    }

    // The report mailed with these ranges: the saved report's rows, by description.
    reportengine::ReportDocument porCorreo(const QString& desde, const QString& hasta) {
        for (QLineEdit* caja : {campo("FechaDesde"), campo("FechaHasta")}) caja->clear();
        campo("FechaDesde")->setText(desde);
        campo("FechaHasta")->setText(hasta);
        return porCorreo();
    }

    // The report mailed with the ranges the fields hold.
    reportengine::ReportDocument porCorreo() {
        reportengine::ReportDocument documento;
        report::envio().MuestraEnviar = [&](const QString& adjunto, const QString&) {
            documento = reportengine::loadDocument(adjunto);
            if (!pdf.isEmpty()) reportengine::exportReport(adjunto, pdf, reportengine::kPdfFormat);
        };
        form.TBarRep1_ClickBoton("MENSAJE");
        return documento;
    }

    static QStringList ids(const reportengine::ReportDocument& documento) {
        const int columna =
            documento.data.columnOf(reportengine::FieldRef{"AUX_ERR", "Descripcion"});
        QStringList out;
        for (const auto& fila : documento.data.rows) out.append(vb::CStr(fila[columna]));
        out.sort();
        return out;
    }

    QStringList idsEntre(const QDate& desde, const QDate& hasta) const {
        QStringList out;
        for (const FilaFechada& f : filas) {
            if (f.dia >= desde && f.dia <= hasta) out.append(f.id);
        }
        out.sort();
        return out;
    }

    // The rows of a report's PDF, in the order it lists them: each line's date and description.
    static QStringList lineasDelPdf(const QString& archivo) {
        static const QRegularExpression linea(
            QStringLiteral("^\\s*(\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d)\\b.*\\b(z\\d{3})\\b"),
            QRegularExpression::MultilineOption);
        QStringList out;
        auto it = linea.globalMatch(zxtest::pdfText(archivo));
        while (it.hasNext()) {
            const auto m = it.next();
            out.append(m.captured(1) + u' ' + m.captured(2));
        }
        return out;
    }

    // The report shown on the screen: the preview's own PDF of the pages it shows.
    QString enPantalla() {
        const QString vistaPdf = folder.file("vista.pdf");
        QFile::remove(vistaPdf);
        op.form([&](QDialog& d) {
            auto* vista = qobject_cast<reportengine::PreviewWindow*>(&d);
            EXPECT_NE(vista, nullptr);
            if (vista) {
                op.saveFile(vistaPdf);
                vista->exportPdf();
            }
            return 0;
        });
        form.TBarRep1_ClickBoton("PANTALLA");
        return vistaPdf;
    }

    // The rows a report's PDF lists, by description.
    static QStringList idsDelPdf(const QString& archivo) {
        QStringList out;
        for (const QString& linea : lineasDelPdf(archivo)) out.append(linea.section(u' ', -1));
        out.sort();
        return out;
    }

    // What every output of the whole report must list: each row with its reading, in time order.
    QStringList lineasEsperadas() const {
        QList<FilaFechada> orden = filas;
        std::sort(orden.begin(), orden.end(), [](const FilaFechada& a, const FilaFechada& b) {
            return std::pair(a.dia, a.hora) < std::pair(b.dia, b.hora);
        });
        QStringList out;
        for (const FilaFechada& f : orden) out.append(f.enInforme() + u' ' + f.id);
        return out;
    }

    const QList<FilaFechada> filas = filasDeLosCambios();
    QString pdf;
};

TEST_F(ZonasTest, TheZoneUnderTestIsInForce) {
    const QString tz = QString::fromLocal8Bit(qgetenv("TZ"));
    const auto zona = std::find_if(zonas().begin(), zonas().end(),
                                   [&](const Zona& z) { return tz == QLatin1String(z.nombre); });
    ASSERT_NE(zona, zonas().end()) << "TZ=" << tz.toStdString() << " is not in the table";
    EXPECT_EQ(QDateTime(QDate(2026, 1, 15), QTime(12, 0)).offsetFromUtc(), zona->desfasajeEnero);
    for (const QDateTime& saltada : zona->horasSaltadas) {
        EXPECT_FALSE(saltada.isValid()) << saltada.toString().toStdString();
    }
}

TEST_F(ZonasTest, EachDaySelectsTheRowsWrittenOnIt) {
    QList<QDate> dias;
    for (const FilaFechada& f : filas) {
        if (!dias.contains(f.dia)) dias.append(f.dia);
    }
    for (const QDate& dia : dias) {
        const QString texto = dia.toString(QStringLiteral("dd/MM/yyyy"));
        SCOPED_TRACE(texto.toStdString());
        EXPECT_EQ(ids(porCorreo(texto, texto)), idsEntre(dia, dia));
        EXPECT_EQ(ids(porCorreo(texto, dia.addDays(1).toString(QStringLiteral("dd/MM/yyyy")))),
                  idsEntre(dia, dia.addDays(1)));
    }
    EXPECT_TRUE(op.prompts().isEmpty());
}

// On a day of a clock change the calendar opens on that day, and the day chosen there selects
// the rows written on it.
TEST_F(ZonasTest, TheCalendarOnAChangeDayOpensOnItAndItsChoiceSelectsItsRows) {
    for (const QDate& cambio : zxtest::clockChangeDays()) {
        SCOPED_TRACE(cambio.toString(Qt::ISODate).toStdString());
        // The first minute the local clock shows on that day, whether or not it shows midnight.
        QDateTime primero;
        for (int minuto = 0; minuto < 24 * 60 && !primero.isValid(); ++minuto) {
            const QDateTime t(cambio, QTime(0, 0).addSecs(60 * minuto));
            if (t.isValid() && t.date() == cambio) primero = t;
        }
        if (!primero.isValid()) continue;  // a day the zone's clock skipped whole
        zxtest::FixedClock reloj(primero);
        for (QLineEdit* caja : {campo("FechaDesde"), campo("FechaHasta")}) caja->clear();
        op.date(cambio);
        QTest::mouseClick(campo("FechaDesde"), Qt::RightButton);
        ASSERT_FALSE(op.prompts().isEmpty());
        EXPECT_EQ(op.prompts().last().text, cambio.toString(Qt::ISODate));
        EXPECT_EQ(campo("FechaHasta")->text(), cambio.toString(QStringLiteral("dd/MM/yyyy")));
        EXPECT_EQ(ids(porCorreo(campo("FechaDesde")->text(), campo("FechaHasta")->text())),
                  idsEntre(cambio, cambio));
    }
}

TEST_F(ZonasTest, EveryOutputShowsEachRowWithItsReading) {
    pdf = folder.file("informe.pdf");
    const reportengine::ReportDocument documento = porCorreo({}, {});
    const int fecha = documento.data.columnOf(reportengine::FieldRef{"AUX_ERR", "fecha"});
    const int id = documento.data.columnOf(reportengine::FieldRef{"AUX_ERR", "Descripcion"});
    ASSERT_EQ(documento.data.rows.size(), filas.size());
    for (const auto& fila : documento.data.rows) {
        const auto f = std::find_if(filas.begin(), filas.end(), [&](const FilaFechada& x) {
            return x.id == vb::CStr(fila[id]);
        });
        ASSERT_NE(f, filas.end());
        SCOPED_TRACE(f->id.toStdString());
        ASSERT_TRUE(fila[fecha].isDate()) << zxtest::debugString(fila[fecha]).toStdString();
        EXPECT_EQ(fila[fecha].date().date(), f->dia);
        EXPECT_EQ(fila[fecha].date().time(), f->hora);
    }
    const QStringList esperadas = lineasEsperadas();
    EXPECT_EQ(lineasDelPdf(pdf), esperadas) << "mailed PDF";

    // The screen: the preview's own PDF of the pages it shows.
    EXPECT_EQ(lineasDelPdf(enPantalla()), esperadas) << "preview";

    // The printer: what the spooler's queue received.
    zxtest::PrintSpooler spooler;
    gReporte().DatoImpresora2.clear();
    form.TBarRep1_ClickBoton("IMPRESORA");
    const QList<zxtest::PrintedJob> trabajos =
        spooler.waitForJobs(zxtest::PrintSpooler::defaultQueue(), 1);
    ASSERT_EQ(trabajos.size(), 1) << spooler.log().toStdString();
    EXPECT_EQ(lineasDelPdf(trabajos[0].pdf), esperadas) << "printer";
    EXPECT_TRUE(op.messages().isEmpty());
}

// The first and the last day a datetime holds are bounds like any other, alone or together,
// typed or chosen in the calendar, on every output, here and in a zone far from UTC: the day
// after the last one is no datetime, and no query may be built on it.
TEST_F(ZonasTest, TheFirstAndLastDaysADatetimeHoldsAreBoundsLikeAnyOther) {
    const QDate primero(1753, 1, 1), ultimo(9999, 12, 31);
    const QList<FilaFechada> extremas = {{"z901", primero, QTime(0, 0)},
                                         {"z902", primero, QTime(12, 0)},
                                         {"z903", ultimo, QTime(0, 0)},
                                         {"z904", ultimo, QTime(23, 59, 59, 997)}};
    for (const FilaFechada& f : extremas) {
        data.exec(QStringLiteral("INSERT INTO AUX_ERR (fecha, Error, Descripcion, PC, Usuario, "
                                 "Proceso) VALUES ('%1 %2', 547, '%3', 'CAJA1', 'ANA', 'Ventas')")
                      .arg(f.dia.toString(Qt::ISODate), f.hora.toString("HH:mm:ss.zzz"), f.id));
    }
    const QList<FilaFechada> todas = filas + extremas;
    const auto entre = [&](const QDate& desde, const QDate& hasta) {
        QStringList out;
        for (const FilaFechada& f : todas)
            if (f.dia >= desde && f.dia <= hasta) out.append(f.id);
        out.sort();
        return out;
    };
    const auto tipea = [&](const char* dataField, const char* texto) {
        campo(dataField)->clear();
        if (!*texto) return;
        enfoca(dataField);
        QTest::keyClicks(campo(dataField), QString::fromLatin1(texto));
    };
    const struct {
        const char* desde;
        const char* hasta;
        QDate de, a;
        bool todaSalida;  // also on the screen and the printer
    } casos[] = {
        {"", "31/12/9999", primero, ultimo, true},
        {"01/01/2026", "31/12/9999", QDate(2026, 1, 1), ultimo, false},
        {"31/12/9999", "31/12/9999", ultimo, ultimo, true},
        {"31/12/9999", "", ultimo, ultimo, false},
        {"01/01/1753", "", primero, ultimo, false},
        {"01/01/1753", "01/01/1753", primero, primero, true},
        {"", "01/01/1753", primero, primero, false},
        {"01/01/1753", "31/12/9999", primero, ultimo, false},
        // A day before the first a datetime holds starts the range there.
        {"31/12/1752", "01/01/1753", primero, primero, false},
    };
    zxtest::PrintSpooler spooler;
    gReporte().DatoImpresora2.clear();
    int impresos = 0;
    const auto corre = [&] {
        for (const auto& c : casos) {
            SCOPED_TRACE(QStringLiteral("%1 a %2").arg(c.desde, c.hasta).toStdString());
            tipea("FechaDesde", c.desde);
            tipea("FechaHasta", c.hasta);
            EXPECT_EQ(ids(porCorreo()), entre(c.de, c.a)) << "mail";
            if (!c.todaSalida) continue;

            EXPECT_EQ(idsDelPdf(enPantalla()), entre(c.de, c.a)) << "preview";

            form.TBarRep1_ClickBoton("IMPRESORA");
            const QList<zxtest::PrintedJob> trabajos =
                spooler.waitForJobs(zxtest::PrintSpooler::defaultQueue(), ++impresos);
            ASSERT_EQ(trabajos.size(), impresos) << spooler.log().toStdString();
            EXPECT_EQ(idsDelPdf(trabajos.last().pdf), entre(c.de, c.a)) << "printer";
        }
        // Enter copies the last day into an empty "Fecha Hasta"; the calendar offers it too.
        tipea("FechaHasta", "");
        tipea("FechaDesde", "31/12/9999");
        enter("FechaDesde");
        EXPECT_EQ(campo("FechaHasta")->text(), QStringLiteral("31/12/9999"));
        EXPECT_EQ(ids(porCorreo()), entre(ultimo, ultimo));
        tipea("FechaDesde", "01/01/2026");
        op.date(ultimo);
        QTest::mouseClick(campo("FechaHasta"), Qt::RightButton);
        EXPECT_EQ(campo("FechaHasta")->text(), QStringLiteral("31/12/9999"));
        EXPECT_EQ(ids(porCorreo()), entre(QDate(2026, 1, 1), ultimo));
        EXPECT_TRUE(op.messages().isEmpty()) << op.messages().first().text.toStdString();
    };
    corre();
    const zxtest::ScopedTimeZone teheran("Asia/Tehran");
    corre();
}

TEST_F(FrmZentrikTest, CloseEndsTheProgram) {
    EXPECT_THROW(form.TBarRep1_ClickBoton("Cerrar"), vb::ProgramEnded);
    EXPECT_EQ(folder.endCount(), 1);
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
