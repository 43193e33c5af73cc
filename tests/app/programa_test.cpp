// The program as main starts it, from its command line to the PDF the send dialog attaches.
#include "app/arranque.h"

#include "tests/platform/reportengine/pdf_text.h"
#include "tests/send/mail_component.h"
#include "tests/support/fixtures.h"
#include "tests/support/opened_links.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/test_database.h"

#include "core/globals.h"
#include "db/frmacceso.h"
#include "demo/demodata.h"
#include "db/db_dll.h"
#include "lookup/lib_clscons3.h"
#include "platform/ado/sqlitebackend.h"
#include "platform/toolbar/tbarrep.h"
#include "platform/vendrix/clsreporte.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/controlarray.h"
#include "report/ui/frmzentrik.h"
#include "send/frmenviar.h"
#include "transfer/frmmsgbox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

QLineEdit* campo(const QWidget& form, const char* dataField) {
    for (QWidget* w : vendrix::controlArray(form, "txtfields")) {
        if (vendrix::dataField(*w).compare(dataField, Qt::CaseInsensitive) == 0)
            return qobject_cast<QLineEdit*>(w);
    }
    return nullptr;
}

// The detail lines of the report's text, blanks collapsed.
QStringList filas(const QString& texto) {
    static const QRegularExpression fecha(QStringLiteral(R"(^\d\d/\d\d/\d\d \d\d:\d\d )"));
    QStringList out;
    for (const QString& linea : texto.split(QLatin1Char('\n'))) {
        const QString simple = linea.simplified();
        if (fecha.match(simple).hasMatch()) out << simple;
    }
    return out;
}

// A program folder with the report form, a test database, and the services main installs.
class ProgramaTest : public ::testing::Test {
protected:
    ProgramaTest() {
        qputenv("temp", folder.path().toLocal8Bit());
        qputenv("tmp", folder.path().toLocal8Bit());
        EXPECT_TRUE(QFile::copy(zxtest::sourcePath("platform/reportengine/forms/AUX_ERR.rpt"),
                                folder.file("AUX_ERR.rpt")));
        arranque::instalaServicios();
    }
    ~ProgramaTest() override {
        gReporte() = clsReporte();
        for (DB_Dll* db : {&gDB(), &gDBEstadisticas()}) {
            if (db->gCnn.State() != 0) db->gCnn.Close();
            db->gOpenFlag = false;
        }
    }
    QString lineaComando() const {
        return QStringLiteral("@Server=sqlite:%1;@DbName=ZENTRIK;@Usuario=sa;@Password=sa;")
            .arg(data.folder());
    }

    zxtest::ProgramFolder folder;
    zxtest::FixedStation station{QStringLiteral("CAJA1"), QStringLiteral("ANA")};
    zxtest::FixedClock clock{QDateTime(QDate(2026, 12, 9), QTime(15, 30, 0))};
    zxtest::ScriptedOperator op;
    zxtest::TestDatabase data;
};

TEST_F(ProgramaTest, TheStartReachesAConnectedForm) {
    frmZentrik form(lineaComando());
    form.Form_Load();
    EXPECT_TRUE(gDB().gOpenFlag);
    EXPECT_EQ(ModGlobal::gConexionReporte, QStringLiteral("DSN=ZENTRIK; UID=sa; PWD=sa"));
    EXPECT_EQ(gConsultas().gConnString, gDB().gConnString);
    EXPECT_TRUE(QFileInfo::exists(folder.file("consultas.kqv")));
    EXPECT_FALSE(form.TBarRep1->HabilitaConsulta());
    EXPECT_TRUE(op.prompts().isEmpty());
}

// What a shell makes of the argument zentrik-demo-db prints under its label.
QString lineaImpresa(const QString& salida) {
    const QStringList lineas = salida.split(u'\n');
    for (qsizetype i = 0; i + 1 < lineas.size(); ++i) {
        if (!lineas[i].startsWith(QLatin1String("Command line of zentrik"))) continue;
        QString arg = lineas[i + 1].trimmed();
        arg.replace(QLatin1String("'\\''"), QLatin1String("'"));
        if (arg.startsWith(u'\'') && arg.endsWith(u'\'')) arg = arg.mid(1, arg.size() - 2);
        return arg;
    }
    return {};
}

TEST_F(ProgramaTest, TheLineTheDemoToolPrintsStartsTheProgramConnected) {
    const QString carpeta = folder.file("demo data");
    QString error;
    ASSERT_TRUE(demo::createDatabases(carpeta, QDate(2026, 12, 1), &error)) << error.toStdString();
    const QString linea = lineaImpresa(demo::report(carpeta));
    ASSERT_FALSE(linea.isEmpty()) << demo::report(carpeta).toStdString();

    frmZentrik form(linea);
    form.Form_Load();
    EXPECT_TRUE(gDB().gOpenFlag);
    EXPECT_EQ(gDB().gDBName, QStringLiteral("DEMO"));
    EXPECT_EQ(ModGlobal::gConexionReporte, QStringLiteral("DSN=DEMO; UID=demo; PWD=demo"));
    EXPECT_TRUE(op.prompts().isEmpty());
}

// A line the program cannot read opens the connection dialog saying what it lacks, instead
// of an empty form with no hint.
TEST_F(ProgramaTest, AMalformedCommandLineNamesTheMissingKeysInTheDialog) {
    struct Caso {
        QString linea;
        QStringList faltan;
        QStringList presentes;
    };
    const QString sqlite = QStringLiteral("sqlite:") + data.folder();
    const QList<Caso> casos{
        {QStringLiteral("Provider=SQLOLEDB;Server=%1;Database=ZENTRIK;UId=sa;Pwd=sa;").arg(sqlite),
         {"@Server", "@DbName", "@Usuario", "@Password"},
         {}},
        {QStringLiteral("@Server=%1;@DbName=ZENTRIK;@Password=sa;").arg(sqlite),
         {"@Usuario"},
         {"@Server", "@DbName", "@Password"}},
        {QStringLiteral("@DbName=ZENTRIK;@Usuario=sa;@Password=sa;"),
         {"@Server"},
         {"@Usuario", "@DbName", "@Password"}},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.linea.toStdString());
        QString aviso;
        bool visible = false;
        op.form([&](QDialog& d) {
            auto& dialogo = dynamic_cast<frmAcceso&>(d);
            auto* etiqueta = dialogo.findChild<QLabel*>(QStringLiteral("lblAviso"));
            EXPECT_NE(etiqueta, nullptr);
            if (etiqueta) {
                aviso = etiqueta->text();
                visible = !etiqueta->isHidden();
            }
            return 0;  // closed without connecting
        });
        frmZentrik form(caso.linea);
        EXPECT_THROW(form.Form_Load(), vb::ProgramEnded);
        EXPECT_TRUE(visible);
        for (const QString& clave : caso.faltan)
            EXPECT_TRUE(aviso.contains(clave))
                << aviso.toStdString() << " " << clave.toStdString();
        const QString faltantes = aviso.section(u'.', 0, 0);
        for (const QString& clave : caso.presentes)
            EXPECT_FALSE(faltantes.contains(clave))
                << aviso.toStdString() << " " << clave.toStdString();
    }
}

// The dialog opens with the focus in the first box its hint names as missing, so the operator
// types there at once; with no hint, in the server's. The demo database lets in only its
// own login, so a line without a password fails to connect first.
TEST_F(ProgramaTest, TheConnectionDialogOpensOnTheFirstBoxItLacks) {
    const QString carpeta = folder.file("demo");
    QString error;
    ASSERT_TRUE(demo::createDatabases(carpeta, QDate(2026, 12, 1), &error)) << error.toStdString();
    const QString servidor = QStringLiteral("@Server=sqlite:") + carpeta + u';';
    struct Caso {
        QString linea;
        bool fallaAntes;
        const char* foco;
    };
    const Caso casos[] = {
        {servidor + "@DbName=DEMO;@Password=demo;", false, "TxtUserId"},
        {servidor + "@Password=demo;", false, "TxtDbName"},
        {"@DbName=DEMO;@Usuario=demo;@Password=demo;", false, "TxtServidor"},
        {servidor + "@DbName=DEMO;@Usuario=demo;", true, "TxtUserPassword"},
        {" ", false, "TxtServidor"},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.linea.toStdString());
        if (caso.fallaAntes) op.answer(vb::vbYes);  // try again through the dialog
        QString foco;
        op.form([&](QDialog& d) {
            d.show();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
            if (QApplication::focusWidget()) foco = QApplication::focusWidget()->objectName();
            d.hide();
            return 0;  // closed without connecting
        });
        frmZentrik form(caso.linea);
        EXPECT_THROW(form.Form_Load(), vb::ProgramEnded);
        EXPECT_EQ(foco, QString::fromLatin1(caso.foco));
        EXPECT_TRUE(op.exhausted());
    }
}

// A well-formed line that only fails to connect says nothing about the command line.
TEST_F(ProgramaTest, TheConnectionDialogWithoutACommandLineShowsNoHint) {
    bool visible = true;
    op.form([&](QDialog& d) {
        auto* etiqueta = d.findChild<QLabel*>(QStringLiteral("lblAviso"));
        visible = etiqueta && !etiqueta->isHidden();
        return 0;
    });
    frmZentrik form(QStringLiteral(" "));
    EXPECT_THROW(form.Form_Load(), vb::ProgramEnded);
    EXPECT_FALSE(visible);
}

TEST_F(ProgramaTest, TheMailOutputOfTheRangesGivesAPdfOfExactlyTheSelectedRows) {
    data.exec("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('NOMBRE', 'Acme SA')");
    data.exec(
        "INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, sql, PC, Usuario) VALUES "
        "('Ventas', '2026-12-01 10:00', 547, 'Clave duplicada', 'DELETE FROM A', 'CAJA1', 'ANA'),"
        "('Compras', '2026-12-05 18:30', 208, 'Sin tabla', 'SELECT B', 'CAJA2', 'ANA'),"
        "('Stock', '2026-12-03 09:15', 300, 'Otro', 'UPDATE C', 'CAJA1', 'ana'),"
        "('Caja', '2026-12-04 12:00', 100, 'Limite', 'INSERT D', 'CAJA3', 'ANA'),"
        "('Ventas', '2026-12-06 09:00', 547, 'Fuera', 'X', 'CAJA1', 'ANA'),"
        "('Ventas', '2026-11-30 23:59', 547, 'Fuera', 'X', 'CAJA1', 'ANA'),"
        "('Ventas', '2026-12-02 08:00', 547, 'Fuera', 'X', 'CAJA1', 'ANAHI'),"
        "('Ventas', '2026-12-02 08:00', 547, 'Fuera', 'X', 'CAJA1', 'JUAN'),"
        "('Ventas', '2026-12-03 08:00', 2627, 'Fuera', 'X', 'CAJA1', 'ANA'),"
        "('Ventas', '2026-12-04 08:00', 99, 'Fuera', 'X', 'CAJA1', 'ANA')");

    const QString pdf = folder.file("informe.pdf");
    QString asunto;
    bool mostrarAntes = false;
    op.form([&](QDialog& d) {
        auto& dialogo = dynamic_cast<FrmEnviar&>(d);
        asunto = dialogo.Texto(QStringLiteral("Asunto"));
        mostrarAntes = dialogo.MostrarAntes;
        // Loading the dialog turns the report file into the PDF it attaches.
        dialogo.show();
        QApplication::processEvents();
        EXPECT_TRUE(QFile::copy(dialogo.archAdjunto, pdf)) << dialogo.archAdjunto.toStdString();
        dialogo.close();
        return 0;
    });
    {
        frmZentrik form(lineaComando());
        form.Form_Load();
        form.show();
        QApplication::setActiveWindow(&form);
        for (const auto& [dataField, texto] :
             {std::pair{"UsuarioDesde", "ANA"}, std::pair{"FechaDesde", "01/12/2026"},
              std::pair{"FechaHasta", "05/12/2026"}, std::pair{"errorDesde", "100"},
              std::pair{"errorHasta", "600"}}) {
            QLineEdit* caja = campo(form, dataField);
            ASSERT_NE(caja, nullptr) << dataField;
            caja->setFocus();
            QTest::keyClicks(caja, texto);
            QTest::keyClick(caja, Qt::Key_Return);
        }
        EXPECT_EQ(campo(form, "UsuarioHasta")->text(), QStringLiteral("ANA"));
        QTest::mouseClick(form.TBarRep1->Boton("MENSAJE"), Qt::LeftButton);
    }
    EXPECT_EQ(asunto, QStringLiteral("Informe de Errores"));
    EXPECT_TRUE(mostrarAntes);
    EXPECT_FALSE(QFileInfo::exists(folder.file("153000.RPT")));

    const QString texto = zxtest::pdfText(pdf);
    EXPECT_TRUE(texto.contains("Acme SA"));
    EXPECT_EQ(filas(texto),
              (QStringList{"01/12/26 10:00 ANA CAJA1 Ventas 547 Clave duplicada DELETE FROM A",
                           "03/12/26 09:15 ana CAJA1 Stock 300 Otro UPDATE C",
                           "04/12/26 12:00 ANA CAJA3 Caja 100 Limite INSERT D",
                           "05/12/26 18:30 ANA CAJA2 Compras 208 Sin tabla SELECT B"}));
    EXPECT_TRUE(op.messages().isEmpty());
}

TEST_F(ProgramaTest, TheMailOutputReachesTheServerAsAPdfOfTheSelectedRows) {
    // A second of its own: test processes share the private folder of the names by time.
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(15, 31, 7)));
    const zxtest::SmtpServer::Options cuenta;
    data.exec(QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES "
                             "('NOMBRE', 'Acme SA'), ('email_server', 'Otro'), "
                             "('email_usuario', '%1'), ('email_password', '%2'), "
                             "('eMail_OtroServer', 'mail.acme.com.ar'), "
                             "('eMail_De', 'errores@acme.com.ar')")
                  .arg(cuenta.login, cuenta.password));
    data.exec(
        "INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, sql, PC, Usuario) VALUES "
        "('Ventas', '2026-12-01 10:00', 547, 'Clave duplicada', 'DELETE FROM A', 'CAJA1', 'ANA'),"
        "('Compras', '2026-12-05 18:30', 208, 'Sin tabla', 'SELECT B', 'CAJA2', 'ANA'),"
        "('Ventas', '2026-12-02 08:00', 547, 'Fuera', 'X', 'CAJA1', 'JUAN')");
    zxtest::SmtpServer server;
    sendtest::ComponentOnServer component(server);

    // The operator types the recipient into the send dialog and presses F2; the notice that
    // the mail went is shown and closed.
    op.form([&](QDialog& d) {
        auto& dialogo = dynamic_cast<FrmEnviar&>(d);
        QMetaObject::invokeMethod(
            &dialogo,
            [&dialogo] {
                QLineEdit* para = vendrix::controlElement<QLineEdit>(dialogo, "txtfields", 1);
                para->setFocus();
                QTest::keyClicks(para, "soporte@vendrix.com.ar");
                QTest::keyClick(para, Qt::Key_F2);
            },
            Qt::QueuedConnection);
        return dialogo.exec();
    });
    op.form([](QDialog& d) {
        EXPECT_EQ(dynamic_cast<FrmMsgBox&>(d).Mensaje, QString("Mensaje Enviado correctamente"));
        return 0;
    });
    {
        frmZentrik form(lineaComando());
        form.Form_Load();
        form.show();
        QApplication::setActiveWindow(&form);
        QLineEdit* caja = campo(form, "UsuarioDesde");
        caja->setFocus();
        QTest::keyClicks(caja, "ANA");
        QTest::keyClick(caja, Qt::Key_Return);
        QTest::mouseClick(form.TBarRep1->Boton("MENSAJE"), Qt::LeftButton);
    }

    ASSERT_EQ(server.messages().size(), 1);
    const zxtest::ReceivedMail mail = server.messages()[0];
    EXPECT_EQ(mail.recipients, QStringList{"soporte@vendrix.com.ar"});
    EXPECT_EQ(mail.header("From"), QString("errores@acme.com.ar"));
    EXPECT_EQ(mail.header("Subject"), QString("Informe de Errores"));
    EXPECT_EQ(component.log().host, QString("mail.acme.com.ar"));
    ASSERT_EQ(mail.parts.size(), 3);
    EXPECT_EQ(mail.parts[2].contentType, QString("application/pdf"));
    const QString pdf = folder.file("recibido.pdf");
    QFile archivo(pdf);
    ASSERT_TRUE(archivo.open(QIODevice::WriteOnly));
    archivo.write(mail.parts[2].content);
    archivo.close();
    const QString texto = zxtest::pdfText(pdf);
    EXPECT_TRUE(texto.contains("Acme SA"));
    EXPECT_EQ(filas(texto),
              (QStringList{"01/12/26 10:00 ANA CAJA1 Ventas 547 Clave duplicada DELETE FROM A",
                           "05/12/26 18:30 ANA CAJA2 Compras 208 Sin tabla SELECT B"}));
    // One row of the send log; the report file and the PDF are gone, the dialog is closed.
    EXPECT_EQ(data.rows("SELECT Para, Status FROM V_MA_EMAILMOV"),
              (QList<QStringList>{{"soporte@vendrix.com.ar", "OK"}}));
    EXPECT_FALSE(FrmEnviar::Default().isVisible());
    EXPECT_TRUE(QDir(gSistema().CarpetaTemporal()).entryList({"153107.*"}).isEmpty());
    EXPECT_TRUE(op.messages().isEmpty());
}

// F7 on a database the demo tool made, then Right onto "Whatsapp" in the send dialog: the
// upload finds no client code and says so once, the message is the subject, and F2 opens the
// chat's link with it; the program goes on. `refusedStatistics` gives the statistics database
// a login other than the one the program logs in with, so that its connection never opens.
class WhatsappDemoTest : public ProgramaTest {
protected:
    void run(bool refusedStatistics) {
        const QString carpeta = folder.file("demo");
        QString error;
        ASSERT_TRUE(demo::createDatabases(carpeta, QDate(2026, 12, 1), &error))
            << error.toStdString();
        if (refusedStatistics) {
            ASSERT_TRUE(ado::recordEmbeddedLogin(
                QDir(carpeta).filePath(QString::fromUtf8(demo::statisticsName) + ".db"), "demo",
                "demo", &error))
                << error.toStdString();
        }
        zxtest::OpenedLinks links;
        QString mensaje;
        QString titulo;
        op.form([&](QDialog& d) {
            auto& dialogo = dynamic_cast<FrmEnviar&>(d);
            QMetaObject::invokeMethod(
                &dialogo,
                [&] {
                    QApplication::setActiveWindow(&dialogo);
                    QRadioButton* email = dialogo.optMetodoEnvio[0];
                    email->setFocus();
                    QTest::keyClick(email, Qt::Key_Right);
                    titulo = dialogo.windowTitle();
                    mensaje = dialogo.MensajeWhatsapp();
                    dialogo.txtParaWhatsapp->setFocus();
                    QTest::keyClicks(dialogo.txtParaWhatsapp, "341 555-5555");
                    QTest::keyClick(dialogo.txtParaWhatsapp, Qt::Key_F2);
                    QTest::keyClick(dialogo.txtParaWhatsapp, Qt::Key_Escape);
                },
                Qt::QueuedConnection);
            return dialogo.exec();
        });
        op.answer(vb::vbOK);  // the upload's notice that no client code is configured
        {
            frmZentrik form(lineaImpresa(demo::report(carpeta)));
            form.Form_Load();
            EXPECT_EQ(gDBEstadisticas().gOpenFlag, !refusedStatistics);
            form.show();
            QApplication::setActiveWindow(&form);
            QLineEdit* caja = campo(form, "FechaDesde");
            caja->setFocus();
            QTest::keyClick(caja, Qt::Key_F7);
        }
        EXPECT_EQ(folder.endCount(), 0);
        EXPECT_FALSE(FrmEnviar::Default().isVisible());
        EXPECT_EQ(titulo, QStringLiteral("Formulario Envio de Whatsapp"));
        ASSERT_EQ(op.messages().size(), 1);
        EXPECT_EQ(op.messages()[0].text,
                  QStringLiteral(
                      "Debe configurar el codigo de cliente!\r\nComuniquese con Vendrix Plus."));
        EXPECT_EQ(mensaje, QStringLiteral("Informe de Errores"));
        ASSERT_EQ(links.urls().size(), 1);
        const QUrlQuery query(links.urls()[0]);
        EXPECT_EQ(links.urls()[0].host(), QStringLiteral("web.whatsapp.com"));
        EXPECT_EQ(query.queryItemValue("phone", QUrl::FullyDecoded),
                  QStringLiteral("+5493415555555"));
        EXPECT_EQ(query.queryItemValue("text", QUrl::FullyDecoded),
                  QStringLiteral("Informe de Errores"));
        // The send is in the demo's send log.
        ado::Recordset rs;
        gDB().AbrirRecordset("SELECT Para FROM V_MA_EMAILMOV", rs);
        ASSERT_EQ(rs.State(), ado::adStateOpen);
        ASSERT_FALSE(rs.Eof());
        EXPECT_EQ(rs["Para"], vb::Variant("3415555555"));
        gDB().CierraRecordset(rs);
        EXPECT_TRUE(op.exhausted());
    }
};

TEST_F(WhatsappDemoTest, GoesAsFarAsTheLinkOnTheDemoAsTheToolMakesIt) {
    run(false);
}

// A statistics connection that never opened is not a lost one: no question to reconnect,
// no end of the program.
TEST_F(WhatsappDemoTest, GoesAsFarAsTheLinkWhenTheStatisticsLoginIsRefused) {
    run(true);
}

}  // namespace
