#include "transfer/frmmainftp.h"

#include "platform/shell/settings.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "tests/support/fixtures.h"
#include "tests/support/ftp_server.h"
#include "tests/support/model_check.h"
#include "tests/support/screen_fit.h"
#include "tests/support/scripted_operator.h"
#include "tests/transfer/ventanas_grabadas.h"
#include "transfer/modftp.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class FrmMainFTPTest : public ::testing::Test {
protected:
    FrmMainFTPTest() : previousSettings_(shell::setSettingsFolder(dir_.filePath("ajustes"))) {
        modFTP::gFTPAutomatico = false;
        // The central error dialog logs into the temporary folder: this test's own.
        qputenv("temp", dir_.path().toUtf8());
        qputenv("tmp", dir_.path().toUtf8());
    }
    ~FrmMainFTPTest() override {
        shell::setSettingsFolder(previousSettings_);
        qunsetenv("temp");
        qunsetenv("tmp");
    }
    // A loaded window typed with the test server's account, connected.
    std::unique_ptr<frmMainFTP> conectada() {
        auto w = std::make_unique<frmMainFTP>();
        w->PuertoFTP = server_.port();
        w->txtServer->setText(server_.host());
        w->txtUser->setText(server_.login());
        w->txtPassword->setText(server_.password());
        w->cmdConnect_Click();
        return w;
    }
    QStringList filas(const frmMainFTP& w) const {
        QStringList out;
        for (int i = 0; i < w.lv->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = w.lv->topLevelItem(i);
            out << QStringList({item->text(0), item->text(1), item->text(3)}).join('|');
        }
        return out;
    }
    void elige(frmMainFTP& w, const QString& nombre) {
        const auto items = w.lv->findItems(nombre, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << nombre.toStdString();
        w.lv->clearSelection();
        items.first()->setSelected(true);
    }
    QString local(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
    QString previousSettings_;
    zxtest::FtpServer server_;
    zxtest::ScriptedOperator operator_;
    zxtest::VentanasGrabadas ventanas_;
    zxtest::FixedClock clock_{QDateTime(QDate(2024, 3, 5), QTime(10, 0))};
    zxtest::ScopedLocale locale_{QLocale(QLocale::Spanish, QLocale::Argentina)};
};

TEST_F(FrmMainFTPTest, LoadsTheLastConnectionAndStartsUnconnected) {
    shell::SaveSetting("RUZUDCliente", "Settings", "Server", "ftp.empresa.com");
    shell::SaveSetting("RUZUDCliente", "Settings", "User", "ventas");
    shell::SaveSetting("RUZUDCliente", "Settings", "Password", "clave");
    frmMainFTP w;
    const auto tester = zxtest::checkModel(w.lv->model());
    EXPECT_EQ(w.txtServer->text(), QString("ftp.empresa.com"));
    EXPECT_EQ(w.txtUser->text(), QString("ventas"));
    EXPECT_EQ(w.txtPassword->text(), QString("clave"));
    EXPECT_EQ(w.windowTitle(), QString("No Conectado."));
    EXPECT_TRUE(w.optPassive->isChecked());
    EXPECT_TRUE(w.optBin->isChecked());
    EXPECT_FALSE(w.pb->isVisibleTo(&w));
}

TEST_F(FrmMainFTPTest, AConnectionIsRememberedAndTheRootListed) {
    QDir(server_.root()).mkdir("FOTOS");
    ASSERT_TRUE(zxtest::writeFile(server_.file("venta.txt"), "1234567"));
    auto w = conectada();
    const auto tester = zxtest::checkModel(w->lv->model());
    EXPECT_EQ(w->windowTitle(), "Conectado a " + server_.host() + " como vendrix a la hora: " +
                                    vb::CStr(vb::Variant(clock_.now())));
    EXPECT_EQ(w->TxtDir->text(), QString("/"));
    EXPECT_EQ(filas(*w), QStringList({"..||", "FOTOS|< DIRECTORIO >|",
                                      "venta.txt|7| -  -  -  -  N  -  -  -  - "}));
    frmMainFTP otra;
    EXPECT_EQ(otra.txtServer->text(), server_.host());
    EXPECT_EQ(otra.txtUser->text(), QString("vendrix"));
    EXPECT_EQ(otra.txtPassword->text(), server_.password());
}

TEST_F(FrmMainFTPTest, AFailedConnectionIsToldAndNotRemembered) {
    operator_.answer(vb::vbOK);
    frmMainFTP w;
    const auto tester = zxtest::checkModel(w.lv->model());
    w.PuertoFTP = server_.port();
    w.txtServer->setText(server_.host());
    w.txtUser->setText("vendrix");
    w.txtPassword->setText("otra");
    w.cmdConnect_Click();
    ASSERT_EQ(operator_.messages().size(), 1);
    EXPECT_EQ(operator_.messages()[0].text, QString("No se pudo conectar"));
    EXPECT_EQ(operator_.messages()[0].style, int(vb::vbCritical));
    EXPECT_EQ(operator_.messages()[0].title, QString("Aviso al Operador"));
    EXPECT_EQ(w.windowTitle(), QString("No Conectado."));
    EXPECT_EQ(shell::GetSetting("RUZUDCliente", "Settings", "Password"), QString());
}

TEST_F(FrmMainFTPTest, DoubleClicksEnterFoldersGoUpAndDownloadFiles) {
    QDir(server_.root()).mkpath("FOTOS");
    ASSERT_TRUE(zxtest::writeFile(server_.file("FOTOS/a.jpg"), "imagen"));
    auto w = conectada();
    const auto tester = zxtest::checkModel(w->lv->model());
    elige(*w, "FOTOS");
    w->lv_DblClick();
    EXPECT_EQ(w->TxtDir->text(), QString("/FOTOS"));
    EXPECT_EQ(filas(*w).size(), 2);

    operator_.saveFile(local("bajada.jpg")).answer(vb::vbOK);
    elige(*w, "a.jpg");
    w->lv_DblClick();
    EXPECT_EQ(zxtest::readFile(local("bajada.jpg")), QByteArray("imagen"));
    EXPECT_EQ(operator_.messages().last().text, QString("Bajada completada en 0,00 Segundos."));

    elige(*w, "..");
    w->lv_DblClick();
    EXPECT_EQ(w->TxtDir->text(), QString("/"));
}

TEST_F(FrmMainFTPTest, ATransfersSecondsAreTakenAcrossMidnight) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("a.bin"), QByteArray(600, 'x')));
    clock_.set(QDateTime(QDate(2024, 3, 5), QTime(23, 59, 59)));
    auto w = conectada();
    const auto tester = zxtest::checkModel(w->lv->model());
    QObject::connect(&w->mFTP, &cFTP::FileTransferProgress, [this](qint32, qint32) {
        clock_.set(QDateTime(QDate(2024, 3, 6), QTime(0, 0, 0, 250)));
    });
    operator_.saveFile(local("a.bin")).answer(vb::vbOK);
    elige(*w, "a.bin");
    w->cmdDownload_Click();
    EXPECT_EQ(operator_.messages().last().text, QString("Bajada completada en 1,25 Segundos."));
    EXPECT_FALSE(w->pb->isVisibleTo(w.get()));
}

TEST_F(FrmMainFTPTest, TheBarFollowsATransferAndSoDoesTheProgressFormWithNoJobRunning) {
    ASSERT_TRUE(zxtest::writeFile(local("a.bin"), QByteArray(600, 'x')));
    auto w = conectada();
    const auto tester = zxtest::checkModel(w->lv->model());
    QList<int> valores;
    QObject::connect(w->pb, &QProgressBar::valueChanged, [&](int v) { valores << v; });
    operator_.openFile(local("a.bin")).answer(vb::vbOK);
    w->cmdUpload_Click();
    EXPECT_EQ(w->pb->maximum(), 600);
    EXPECT_EQ(valores, QList<int>({255, 510}));
    EXPECT_EQ(ventanas_.msg.barra.max, 600);
    EXPECT_EQ(zxtest::readFile(server_.file("a.bin")), QByteArray(600, 'x'));
    EXPECT_EQ(operator_.messages().last().text,
              QString("Subida de archivos completa en 0,00 segundos."));

    modFTP::gFTPAutomatico = true;
    ventanas_.msg.barra.values.clear();
    operator_.openFile(local("a.bin")).answer(vb::vbOK);
    w->cmdUpload_Click();
    modFTP::gFTPAutomatico = false;
    // Only the class's own bar moves then (the popup's); the window mirrors nothing.
    EXPECT_TRUE(ventanas_.msg.barra.values.isEmpty());
}

TEST_F(FrmMainFTPTest, AFailedTransferShowsTheClientsErrorText) {
    auto w = conectada();
    const auto tester = zxtest::checkModel(w->lv->model());
    operator_.openFile(local("no-hay.bin")).answer(vb::vbOK);
    w->cmdUpload_Click();
    EXPECT_EQ(operator_.messages().last().text, QString("CreateFile error code: 2 Message: "));
    EXPECT_EQ(operator_.messages().last().style, int(vb::vbOKOnly));
}

TEST_F(FrmMainFTPTest, RenameAndDownloadIgnoreTheParentRowAndFolders) {
    QDir(server_.root()).mkdir("FOTOS");
    auto w = conectada();
    const auto tester = zxtest::checkModel(w->lv->model());
    for (const QString fila : {"..", "FOTOS"}) {
        elige(*w, fila);
        w->cmdRename_Click();
        w->cmdDownload_Click();
    }
    EXPECT_TRUE(operator_.prompts().isEmpty());
}

TEST_F(FrmMainFTPTest, AFileIsRenamed) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("viejo.txt"), "x"));
    auto w = conectada();
    const auto tester = zxtest::checkModel(w->lv->model());
    elige(*w, "viejo.txt");
    operator_.input("  nuevo.txt ").answer(vb::vbOK);
    w->cmdRename_Click();
    EXPECT_EQ(operator_.prompts()[0].text,
              QString("Por favor ingrese un nuevo nombre para este archivo:"));
    EXPECT_EQ(operator_.messages().last().text,
              QString("Se ha renombrado al archivo correctamente"));
    EXPECT_TRUE(QFile::exists(server_.file("nuevo.txt")));
    EXPECT_EQ(w->lv->findItems("nuevo.txt", Qt::MatchExactly).size(), 1);
}

TEST_F(FrmMainFTPTest, AnEmptyAnswerCancelsWithoutAMessage) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("viejo.txt"), "x"));
    auto w = conectada();
    const auto tester = zxtest::checkModel(w->lv->model());
    elige(*w, "viejo.txt");
    operator_.input("   ").input(std::nullopt);
    w->cmdRename_Click();
    w->cmdCreateDir_Click();
    EXPECT_TRUE(operator_.messages().isEmpty());
    EXPECT_TRUE(QFile::exists(server_.file("viejo.txt")));
}

TEST_F(FrmMainFTPTest, FoldersAreMadeAndFilesAndFoldersDeleted) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("x.txt"), "x"));
    auto w = conectada();
    const auto tester = zxtest::checkModel(w->lv->model());
    operator_.input("nueva").answer(vb::vbOK);
    w->cmdCreateDir_Click();
    EXPECT_EQ(operator_.messages().last().text,
              QString("El Directorio nueva fue creado correctamente"));
    EXPECT_EQ(operator_.messages().last().style, int(vb::vbInformation));
    EXPECT_TRUE(QFileInfo(server_.file("nueva")).isDir());

    elige(*w, "x.txt");
    operator_.answer(vb::vbYes).answer(vb::vbOK);
    w->cmdDelete_Click();
    const auto pregunta = operator_.messages()[operator_.messages().size() - 2];
    EXPECT_EQ(pregunta.text, QString("Esta usted seguro que desea eliminarx.txt?"));
    EXPECT_EQ(pregunta.style, int(vb::vbYesNo + vb::vbQuestion));
    EXPECT_EQ(pregunta.title, QString("Delete?"));
    EXPECT_EQ(operator_.messages().last().text,
              QString("El Archivo x.txt fue eliminado correctamente."));
    EXPECT_FALSE(QFile::exists(server_.file("x.txt")));

    elige(*w, "nueva");
    operator_.answer(vb::vbYes).answer(vb::vbOK);
    w->cmdDelete_Click();
    EXPECT_EQ(operator_.messages().last().text,
              QString("El directorio nueva fue eliminado correctamente"));
    EXPECT_FALSE(QFileInfo::exists(server_.file("nueva")));

    elige(*w, "..");
    w->cmdDelete_Click();
    EXPECT_EQ(operator_.messages().size(), 5);
}

TEST_F(FrmMainFTPTest, AFolderTheServerRefusesLeavesTheListAsItWas) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("a.txt"), "x"));
    auto w = conectada();
    const auto tester = zxtest::checkModel(w->lv->model());
    const QStringList antes = filas(*w);
    w->TxtDir->setText("no-hay");
    QTest::keyClick(w->TxtDir, Qt::Key_Return);
    EXPECT_EQ(filas(*w), antes);
    EXPECT_TRUE(operator_.prompts().isEmpty());
}

TEST_F(FrmMainFTPTest, DisconnectingClearsTheList) {
    auto w = conectada();
    const auto tester = zxtest::checkModel(w->lv->model());
    w->cmdDisconnect_Click();
    EXPECT_EQ(w->lv->topLevelItemCount(), 0);
    EXPECT_EQ(w->windowTitle(), QString("No Conectado"));
}

// Two remote names differing only in case cannot both be listed: the error goes to the
// central error dialog, not out of the window.
TEST_F(FrmMainFTPTest, AListingErrorGoesToTheErrorDialog) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("a.txt"), "x"));
    ASSERT_TRUE(zxtest::writeFile(server_.file("A.TXT"), "y"));
    operator_.answer(vb::vbAbort);
    auto w = conectada();
    const auto tester = zxtest::checkModel(w->lv->model());
    ASSERT_EQ(operator_.messages().size(), 1);
    EXPECT_TRUE(operator_.messages()[0].text.startsWith("Ha ocurrido el Siguiente Error (457)"));
    EXPECT_EQ(shell::GetSetting("RUZUDCliente", "Settings", "Server"), QString());
}

// The window on small screens, each in a process of its own, offscreen and under a window
// manager: it fits the screen's free area, frame included, and every button is within reach.
TEST_F(FrmMainFTPTest, TheWindowFitsSmallScreens) {
    if (zxtest::ranOnSmallScreens()) return;
    auto w = conectada();
    w->show();
    EXPECT_TRUE(zxtest::fitsItsScreen(*w));
    for (QPushButton* b : {w->cmdConnect, w->cmdDisconnect, w->cmdRefresh, w->cmdUpload,
                           w->cmdDownload, w->cmdRename, w->cmdCreateDir, w->cmdDelete})
        EXPECT_TRUE(zxtest::withinReach(b)) << b->text().toStdString();
    w->close();
}

}  // namespace
