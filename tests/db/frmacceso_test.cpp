#include "db/frmacceso.h"

#include "db/bases_txt.h"
#include "db/db_dll.h"

#include "platform/vb/textfile.h"
#include "platform/vendrix/clsutil.h"
#include "tests/db/db_fixture.h"
#include "tests/support/model_check.h"
#include "tests/support/scripted_backend.h"
#include "tests/support/screen_fit.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

class FrmAccesoTest : public dbtest::DbTest {
protected:
    FrmAccesoTest() : previo_(dbhooks::hooks().MuestraAcceso) { frmAcceso::Instala(); }
    ~FrmAccesoTest() override {
        dbhooks::hooks().MuestraAcceso = previo_;
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty() ||
                    std::none_of(QApplication::topLevelWidgets().begin(),
                                 QApplication::topLevelWidgets().end(),
                                 [](QWidget* w) { return w->isVisible(); }));
    }

    QByteArray bases() const { return zxtest::readFile(folder.file("BASES.TXT")); }

    static void escribe(QLineEdit* caja, const QString& texto) {
        caja->selectAll();
        QTest::keyClicks(caja, texto);
    }
    static void elige(QListWidget* lista, int fila) {
        const QRect r = lista->visualItemRect(lista->item(fila));
        QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, r.center());
    }

private:
    std::function<void(dbhooks::DatosAcceso&)> previo_;
};

TEST_F(FrmAccesoTest, ControlsCarryTheirNamesAndTexts) {
    frmAcceso f;
    const auto tester = zxtest::checkModel(f.lstBases->model());
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Control de Acceso"));
    EXPECT_EQ(f.findChild<QPushButton*>("CmdLineaComando")->text(),
              QStringLiteral("Crear Acceso Directo"));
    EXPECT_EQ(f.findChild<QPushButton*>("CmdRegistrar")->text(), QStringLiteral("Registrar"));
    EXPECT_EQ(f.findChild<QPushButton*>("bcAceptar")->text(), QStringLiteral("Aceptar"));
    EXPECT_EQ(f.findChild<QPushButton*>("bcCancelar")->text(), QStringLiteral("Cancelar"));
    EXPECT_EQ(f.TxtPuerto->text(), QStringLiteral("1433"));
    EXPECT_EQ(f.TxtPuerto->toolTip(), QStringLiteral("Ingrese el Puerto "));
    EXPECT_EQ(f.TxtUserPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f.TxtUserPassword->toolTip(), QStringLiteral("Ingrese la contraseña"));
    EXPECT_EQ(f.TxtServidor->toolTip(),
              QStringLiteral("ingrese el nombre del servidor e instancia"));
    EXPECT_EQ(f.TxtDbName->toolTip(), QStringLiteral("ingrese el nombre de la base de datos"));
    EXPECT_EQ(f.TxtUserId->toolTip(), QStringLiteral("Ingrese el nombre de usuario"));
    ASSERT_EQ(f.CboPlataformaDB->count(), 2);
    EXPECT_EQ(f.CboPlataformaDB->itemText(0), QStringLiteral("SQL Server"));
    EXPECT_EQ(f.CboPlataformaDB->itemText(1), QStringLiteral("ORACLE"));
    // The hints show in empty boxes and are never read as values.
    EXPECT_EQ(f.TxtDbName->placeholderText(),
              QStringLiteral("ingrese el nombre de la base de datos"));
    EXPECT_EQ(f.TxtUserId->placeholderText(), QStringLiteral("Ingrese el usuario"));
    EXPECT_EQ(f.TxtDbName->text(), QString());
    EXPECT_EQ(f.lstBases->count(), 0);
}

// Shows the dialog the database class asks for, as the operator meets it: shown, active, and
// played by `play`, which leaves it some way.
void enPantalla(QDialog& d, const std::function<void(frmAcceso&)>& play) {
    d.show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
    auto& f = static_cast<frmAcceso&>(d);
    const auto tester = zxtest::checkModel(f.lstBases->model());
    play(f);
}

// Every box has a visible label beside it, and Tab goes from the top box down to the buttons.
TEST_F(FrmAccesoTest, TheBoxesAreLabelledAndTabGoesFromTheTopDown) {
    QStringList orden;
    op.form([&](QDialog& d) {
        enPantalla(d, [&](frmAcceso& f) {
            const std::pair<QWidget*, const char*> etiquetas[] = {
                {f.TxtServidor, "Servidor:"}, {f.TxtDbName, "Base de datos:"},
                {f.TxtUserId, "Usuario:"},    {f.TxtUserPassword, "Contraseña:"},
                {f.TxtPuerto, "Puerto:"},     {f.CboPlataformaDB, "Plataforma:"},
            };
            for (const auto& [caja, texto] : etiquetas) {
                SCOPED_TRACE(texto);
                QLabel* etiqueta = nullptr;
                for (QLabel* l : f.findChildren<QLabel*>()) {
                    if (l->buddy() == caja) etiqueta = l;
                }
                ASSERT_NE(etiqueta, nullptr);
                EXPECT_EQ(etiqueta->text(), QString::fromUtf8(texto));
                EXPECT_TRUE(etiqueta->isVisible());
                // On the box's left, on its line.
                const QRect e(etiqueta->mapTo(&f, QPoint()), etiqueta->size());
                const QRect c(caja->mapTo(&f, QPoint()), caja->size());
                EXPECT_LE(e.right(), c.left());
                EXPECT_TRUE(e.top() <= c.center().y() && c.center().y() <= e.bottom());
            }
            for (int i = 0; i < 12; ++i) {
                orden << QApplication::focusWidget()->objectName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            f.bcCancelar->click();
        });
        return 0;
    });
    gDB().gServidor = QStringLiteral("srv01");
    gDB().OpenServerADODB(true, ado::adUseClient, QString(), false, true);
    EXPECT_EQ(orden, (QStringList{"TxtServidor", "TxtDbName", "TxtUserId", "TxtUserPassword",
                                  "TxtPuerto", "CboPlataformaDB", "lstBases", "CmdRegistrar",
                                  "CmdLineaComando", "bcAceptar", "bcCancelar", "TxtServidor"}));
}

// With its hint and a few registered connections, on small screens: the dialog fits the
// screen and every box and button is within reach.
TEST_F(FrmAccesoTest, TheDialogFitsSmallScreens) {
    if (zxtest::ranOnSmallScreens()) return;
    for (const char* base : {"ZENTRIK", "VENTAS", "STOCK", "SUELDOS", "CONTABLE"}) {
        TXR_Common::AgregaConexionBases(QStringLiteral("%1 / SRV01").arg(base), base, base, base,
                                        QStringLiteral("SRV01"));
    }
    frmAcceso f;
    const auto tester = zxtest::checkModel(f.lstBases->model());
    f.MuestraAviso(
        QStringLiteral("La línea de comando no trae @DbName, @Usuario, @Password. Se "
                       "espera: @Server=…;@DbName=…;@Usuario=…;@Password=…;"));
    enPantalla(f, [&](frmAcceso& f) {
        EXPECT_TRUE(zxtest::fitsItsScreen(f));
        EXPECT_TRUE(zxtest::scrollsOnlyWhenCramped(f));
        for (QWidget* w : std::initializer_list<QWidget*>{
                 f.TxtServidor, f.TxtDbName, f.TxtUserId, f.TxtUserPassword, f.TxtPuerto,
                 f.CboPlataformaDB, f.CmdRegistrar, f.CmdLineaComando, f.bcAceptar,
                 f.bcCancelar}) {
            EXPECT_TRUE(zxtest::withinReach(w));
        }
        f.bcCancelar->click();
    });
}

// The embedded engine has no port and is no SQL Server; another server typed over it has both
// again.
TEST_F(FrmAccesoTest, AnEmbeddedServerShowsNoPortAndItsOwnEngine) {
    TXR_Common::AgregaConexionBases("ZENTRIK / SQLITE", "ZENTRIK", "ZENTRIK", "ZENTRIK",
                                    servidor());
    op.form([&](QDialog& d) {
        enPantalla(d, [&](frmAcceso& f) {
            auto embebida = [&] {
                EXPECT_EQ(f.TxtPuerto->text(), QString());
                EXPECT_FALSE(f.TxtPuerto->isEnabled());
                EXPECT_FALSE(f.CboPlataformaDB->isEnabled());
                EXPECT_EQ(f.CboPlataformaDB->currentIndex(), -1);
                EXPECT_EQ(f.CboPlataformaDB->placeholderText(),
                          QStringLiteral("SQLite (embebida)"));
            };
            {
                SCOPED_TRACE("shown with it");
                embebida();
            }
            escribe(f.TxtServidor, "srv01");
            EXPECT_EQ(f.TxtPuerto->text(), QStringLiteral("1433"));
            EXPECT_TRUE(f.TxtPuerto->isEnabled());
            EXPECT_TRUE(f.CboPlataformaDB->isEnabled());
            EXPECT_EQ(f.CboPlataformaDB->currentText(), QStringLiteral("SQL Server"));
            {
                SCOPED_TRACE("typed");
                escribe(f.TxtServidor, servidor());
                embebida();
            }
            {
                SCOPED_TRACE("chosen from the list");
                escribe(f.TxtServidor, "srv01");
                elige(f.lstBases, 0);
                embebida();
            }
            escribe(f.TxtUserId, "sa");
            escribe(f.TxtUserPassword, "sa");
            QTest::keyClick(f.TxtUserPassword, Qt::Key_Return);
        });
        return d.result();
    });
    gDB().gServidor = servidor();
    gDB().OpenServerADODB(true, ado::adUseClient, QString(), false, true);
    EXPECT_TRUE(gDB().gOpenFlag);
    EXPECT_EQ(gDB().gServidor, servidor());
}

TEST_F(FrmAccesoTest, PickingARegisteredEntryFillsTheBoxesAndAcceptConnects) {
    TXR_Common::AgregaConexionBases("EMPRESA / SRV01", "empresa", "empresa", "empresa",
                                    "srv01:1500");
    TXR_Common::AgregaConexionBases("ZENTRIK / SQLITE", "ZENTRIK", "ZENTRIK", "ZENTRIK",
                                    servidor());
    op.form([&](QDialog& d) {
        auto& f = static_cast<frmAcceso&>(d);
        const auto tester = zxtest::checkModel(f.lstBases->model());
        EXPECT_EQ(f.lstBases->count(), 2);
        elige(f.lstBases, 0);
        EXPECT_EQ(f.TxtServidor->text(), QStringLiteral("SRV01"));
        EXPECT_EQ(f.TxtPuerto->text(), QStringLiteral("1500"));
        EXPECT_EQ(f.TxtDbName->text(), QStringLiteral("empresa"));
        EXPECT_EQ(f.TxtUserId->text(), QString());
        EXPECT_EQ(f.TxtUserPassword->text(), QString());
        elige(f.lstBases, 1);
        EXPECT_EQ(f.TxtServidor->text(), servidor());
        EXPECT_EQ(f.TxtPuerto->text(), QString());  // no port carried over
        escribe(f.TxtUserId, "sa");
        escribe(f.TxtUserPassword, "sa");
        QTest::mouseClick(f.bcAceptar, Qt::LeftButton);
        return f.result();
    });
    DB_Dll& db = gDB();
    db.gServidor = "otro";
    db.OpenServerADODB(true, ado::adUseClient, QString(), true, true);
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gServidor, servidor());
    EXPECT_EQ(db.gDBName, QStringLiteral("ZENTRIK"));
    EXPECT_EQ(db.gUsuario, QStringLiteral("sa"));
}

TEST_F(FrmAccesoTest, DoubleClickAcceptsAndCancelDoesNot) {
    data.addLogin("ZENTRIK", "ZENTRIK");
    TXR_Common::AgregaConexionBases("ZENTRIK / SQLITE", "ZENTRIK", "ZENTRIK", "ZENTRIK",
                                    servidor());
    op.form([&](QDialog& d) {
        auto& f = static_cast<frmAcceso&>(d);
        const auto tester = zxtest::checkModel(f.lstBases->model());
        const QRect r = f.lstBases->visualItemRect(f.lstBases->item(0));
        QTest::mouseClick(f.lstBases->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(f.lstBases->viewport(), Qt::LeftButton, {}, r.center());
        EXPECT_TRUE(f.Aceptar);
        return f.result();
    });
    // The chosen entry leaves the login empty, which the database refuses as SQL Server
    // would; the operator tries again with the login typed in.
    op.answer(vb::vbYes);
    op.form([&](QDialog& d) {
        auto& f = static_cast<frmAcceso&>(d);
        EXPECT_EQ(f.TxtDbName->text(), "ZENTRIK");
        escribe(f.TxtUserId, "ZENTRIK");
        escribe(f.TxtUserPassword, "ZENTRIK");
        QTest::mouseClick(f.bcAceptar, Qt::LeftButton);
        return f.result();
    });
    DB_Dll& db = gDB();
    db.OpenServerADODB(true, ado::adUseClient, QString(), false, true);
    EXPECT_TRUE(db.gOpenFlag);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_TRUE(op.messages()[0].text.contains("Login failed for user ''."))
        << op.messages()[0].text.toStdString();

    op.form([&](QDialog& d) {
        auto& f = static_cast<frmAcceso&>(d);
        const auto tester = zxtest::checkModel(f.lstBases->model());
        QTest::mouseClick(f.bcCancelar, Qt::LeftButton);
        EXPECT_FALSE(f.Aceptar);
        return f.result();
    });
    db.OpenServerADODB(true, ado::adUseClient, QString(), false, true);
    EXPECT_FALSE(db.gOpenFlag);
}

TEST_F(FrmAccesoTest, APortTypedInThePortBoxReachesTheConnection) {
    op.form([&](QDialog& d) {
        auto& f = static_cast<frmAcceso&>(d);
        const auto tester = zxtest::checkModel(f.lstBases->model());
        escribe(f.TxtServidor, "srv02");
        escribe(f.TxtPuerto, "1500");
        QTest::mouseClick(f.bcCancelar, Qt::LeftButton);
        return f.result();
    });
    gDB().OpenServerADODB(true, ado::adUseClient, QString(), false, true);
    EXPECT_EQ(gDB().gServidor, QString());  // cancelled: nothing taken back

    frmAcceso f;
    const auto tester = zxtest::checkModel(f.lstBases->model());
    const struct {
        const char* servidor;
        const char* puerto;
        int plataforma;
        const char* expected;
    } cases[] = {{"srv02", "1500", 0, "srv02:1500"},
                 {"srv02", "1433", 0, "srv02"},
                 {"srv02", "", 0, "srv02"},
                 {"srv02:1600", "1500", 0, "srv02:1600"},
                 {"srv02\\SQL", "1500", 0, "srv02\\SQL:1500"},
                 {"ora", "1500", 1, "ora"},
                 {"sqlite:/tmp/x", "1500", 0, "sqlite:/tmp/x"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.servidor);
        f.TxtServidor->setText(c.servidor);
        f.TxtPuerto->setText(c.puerto);
        f.CboPlataformaDB->setCurrentIndex(c.plataforma);
        EXPECT_EQ(f.ServidorConPuerto(), QString::fromUtf8(c.expected));
    }
}

class RegistrarTest : public FrmAccesoTest {};

// No SQL Server can be had here: a scripted engine that takes any login stands in for
// "srv01\sql" on port 1500.
TEST_F(RegistrarTest, ARegisteredConnectionIsWrittenAndReadsBack) {
    gDB().gCnn.attachBackend(std::make_unique<zxtest::ScriptedBackend>());
    frmAcceso f;
    const auto tester = zxtest::checkModel(f.lstBases->model());
    f.TxtServidor->setText(" srv01\\sql:1500 ");
    f.TxtDbName->setText(" empresa ");
    f.CmdRegistrar_Click();
    EXPECT_EQ(bases(), "EMPRESA / SRV01\\SQL,empresa,empresa," +
                           vb::toCp1252(gUtil().Codifica("empresa")) + ",srv01\\sql:1500\r\n");
    EXPECT_EQ(gDB().gCnn.State(), ado::adStateClosed);
    ASSERT_EQ(f.lstBases->count(), 1);
    EXPECT_EQ(f.lstBases->item(0)->text(), QStringLiteral("EMPRESA / SRV01\\SQL"));
    EXPECT_EQ(f.TxtServidor->text(), QStringLiteral("SRV01\\SQL"));
    EXPECT_EQ(f.TxtPuerto->text(), QStringLiteral("1500"));
    EXPECT_TRUE(op.prompts().isEmpty());

    // The same name again, whatever the other fields: refused, the file unchanged.
    f.TxtServidor->setText("srv01\\sql:1700");
    f.TxtDbName->setText("EMPRESA");
    op.answer(vb::vbOK);
    f.CmdRegistrar_Click();
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages().first().text,
              QStringLiteral("La conexion que intenta registrar ya existe "));
    EXPECT_EQ(op.messages().first().title, QStringLiteral("Atencion"));
    EXPECT_EQ(op.messages().first().icon, vb::vbInformation);
    EXPECT_EQ(bases().count('\n'), 1);
}

// A database name with a line break would write a stray entry and never be found again:
// refused before anything is tried or written.
TEST_F(RegistrarTest, ADatabaseNameWithALineBreakIsRefused) {
    gDB().gCnn.attachBackend(std::make_unique<zxtest::ScriptedBackend>());
    frmAcceso f;
    const auto tester = zxtest::checkModel(f.lstBases->model());
    f.TxtServidor->setText("srv01");
    f.TxtDbName->setText("empresa\r\nOTRA");
    op.answer(vb::vbOK);
    f.CmdRegistrar_Click();
    EXPECT_FALSE(QFile::exists(folder.file("BASES.TXT")));
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_TRUE(op.messages().first().text.endsWith("contiene un salto de línea."))
        << op.messages().first().text.toStdString();
    EXPECT_EQ(op.messages().first().title, QStringLiteral("Atención"));
    EXPECT_EQ(gDB().gCnn.State(), ado::adStateClosed);
}

TEST_F(RegistrarTest, TheEmbeddedDatabaseRegistersWhenItsTestConnectionOpens) {
    data.addLogin("ZENTRIK", "ZENTRIK");
    frmAcceso f;
    const auto tester = zxtest::checkModel(f.lstBases->model());
    f.TxtServidor->setText(servidor());
    f.TxtDbName->setText("ZENTRIK");
    f.CmdRegistrar_Click();
    const auto entrada = bases::busca("ZENTRIK / SQLITE");
    ASSERT_TRUE(entrada.has_value());
    EXPECT_EQ(entrada->Servidor, servidor());
    EXPECT_EQ(entrada->Password, QStringLiteral("ZENTRIK"));
}

TEST_F(RegistrarTest, AFailedTypedLoginWritesNothing) {
    frmAcceso f;
    const auto tester = zxtest::checkModel(f.lstBases->model());
    f.TxtServidor->setText(servidor());
    f.TxtDbName->setText("NOPE");
    f.TxtUserId->setText("ana");
    f.TxtUserPassword->setText("secreta");
    op.answer(vb::vbOK);
    f.CmdRegistrar_Click();
    EXPECT_FALSE(QFile::exists(folder.file("BASES.TXT")));
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages().first().text,
              "NO SE PUDO CONECTAR AL SERVIDOR " + servidor() +
                  " VERIFIQUE EL NOMBRE DE USUARIO Y PASSWORD INGRESADO");
    EXPECT_EQ(op.messages().first().title, QStringLiteral("AVISO AL OPERADOR"));
    // gDB() keeps the typed values.
    EXPECT_EQ(gDB().gUsuario, QStringLiteral("ana"));
    EXPECT_EQ(gDB().gDBName, QStringLiteral("NOPE"));
    EXPECT_FALSE(gDB().gOpenFlag);
}

// The test login (the database name as user and password) is refused; the operator's own
// login opens, so the connection is registered all the same.
TEST_F(RegistrarTest, WhenTheTestLoginFailsTheTypedLoginCanStillRegister) {
    auto motor = std::make_unique<zxtest::ScriptedBackend>();
    ado::Error rechazo;
    rechazo.Number = -2147217843;
    rechazo.Description = "Login failed for user 'EMPRESA'.";
    rechazo.SQLState = "28000";
    rechazo.NativeError = 18456;
    motor->failNext(zxtest::ScriptedBackend::Call::Open, {rechazo});
    gDB().gCnn.attachBackend(std::move(motor));
    frmAcceso f;
    const auto tester = zxtest::checkModel(f.lstBases->model());
    f.TxtServidor->setText("srv01");
    f.TxtDbName->setText("empresa");
    f.TxtUserId->setText("ana");
    f.TxtUserPassword->setText("secreta");
    f.CmdRegistrar_Click();
    const auto entrada = bases::busca("EMPRESA / SRV01");
    ASSERT_TRUE(entrada.has_value());
    EXPECT_EQ(entrada->Servidor, QStringLiteral("srv01"));
    EXPECT_EQ(gDB().gUsuario, QStringLiteral("ana"));
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(FrmAccesoTest, TheShortcutOnTheDesktopStartsThisProgram) {
    QTemporaryDir casa;
    const QByteArray home = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", casa.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", casa.filePath(".config").toLocal8Bit());
    frmAcceso f;
    const auto tester = zxtest::checkModel(f.lstBases->model());
    QTest::mouseClick(f.CmdLineaComando, Qt::LeftButton);
    qputenv("HOME", home);
    if (config.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", config);
    const QByteArray lanzador = zxtest::readFile(casa.filePath("Desktop/Zentrik.desktop"));
    EXPECT_TRUE(lanzador.contains("Exec=" + folder.file("Zentrik").toLocal8Bit() + "\n"));
}

TEST_F(FrmAccesoTest, EjecutarCmdRegDBWaitsForTheProgram) {
    frmAcceso f;
    const auto tester = zxtest::checkModel(f.lstBases->model());
    QString error;
    EXPECT_TRUE(f.EjecutarCmdRegDB("/bin/sh -c 'exit 3'", error));
    EXPECT_EQ(error, QString());
    EXPECT_FALSE(f.EjecutarCmdRegDB(folder.file("no-such-program"), error));
    EXPECT_EQ(error, QStringLiteral("Error al ejecutar el comando"));
}

}  // namespace
