#include "transfer/frmmsg.h"
#include "transfer/frmnotificacionrecepcioon.h"
#include "transfer/frmmainftp.h"
#include "transfer/popupqt.h"
#include "transfer/ventanasqt.h"

#include "platform/shell/settings.h"
#include "platform/vb/textfile.h"
#include "tests/support/fixtures.h"
#include "tests/support/ftp_server.h"
#include "tests/support/scripted_operator.h"
#include "transfer/modftp.h"
#include "transfer/voraro.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

using ModNotificacion::Rect;

TEST(BarraDeTareasTest, TheStripOutsideTheAvailableAreaIsTheTaskbar) {
    const QRect pantalla(0, 0, 1920, 1080);
    struct Case {
        const char* name;
        QRect disponible;
        std::optional<Rect> barra;
    } cases[] = {
        {"bottom", QRect(0, 0, 1920, 1040), Rect{0, 1040, 1920, 1080}},
        {"top", QRect(0, 40, 1920, 1040), Rect{0, 0, 1920, 40}},
        {"left", QRect(64, 0, 1856, 1080), Rect{0, 0, 64, 1080}},
        {"right", QRect(0, 0, 1856, 1080), Rect{1856, 0, 1920, 1080}},
        {"none", QRect(0, 0, 1920, 1080), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto barra = ModNotificacion::BarraDeTareas(pantalla, c.disponible);
        ASSERT_EQ(barra.has_value(), c.barra.has_value());
        if (!barra) continue;
        EXPECT_EQ(barra->left, c.barra->left);
        EXPECT_EQ(barra->top, c.barra->top);
        EXPECT_EQ(barra->right, c.barra->right);
        EXPECT_EQ(barra->bottom, c.barra->bottom);
    }
    // A second screen to the right: the same strip, measured from that screen's corner.
    const auto derecha =
        ModNotificacion::BarraDeTareas(QRect(1920, 0, 1920, 1080), QRect(1920, 0, 1920, 1040));
    ASSERT_TRUE(derecha.has_value());
    EXPECT_EQ(derecha->left, 0);
    EXPECT_EQ(derecha->top, 1040);
}

TEST(FrmNotificacionRecepcioonTest, ShowsInTheCornerOnTopTranslucentAndUnloadsWhenHidden) {
    zxtest::ScriptedOperator op;
    FrmNotificacionRecepcioon form;
    EXPECT_EQ(form.windowTitle(), QString("Recepcionando..."));
    EXPECT_EQ(form.LblTitulo->text(), QString("Recepcionando información de Puntos de Venta"));
    EXPECT_EQ(form.LblInfo->text(), QString("..."));
    const QRect pantalla = form.screen()->geometry();
    ASSERT_EQ(form.screen()->availableGeometry(), pantalla) << "offscreen screens have no taskbar";

    ModNotificacion::MuestraNotificacion(form, 0, 220, 5, 6375, 2190);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_NEAR(form.windowOpacity(), 220 / 255.0, 0.01);
    // No taskbar: the bottom-right corner, at the size it had.
    EXPECT_EQ(form.geometry().right(), pantalla.right());
    EXPECT_EQ(form.geometry().bottom(), pantalla.bottom());

    bool descargado = false;
    ModNotificacion::MuestraNotificacion(form, 1, 220, 5, 6375, 2190, [&] { descargado = true; });
    EXPECT_TRUE(descargado);
    EXPECT_EQ(form.geometry().bottom(), pantalla.bottom());
    EXPECT_LE(form.height(), 35);  // 515 twips
}

TEST(VentanasQtTest, ThePopupReloadsWithItsDesignTextsAfterItWasUnloaded) {
    zxtest::ScriptedOperator op;
    transfer::VentanasQt ventanas;
    ventanas.FrmNotificacionRecepcioon().setLblTitulo("Subiendo 1 de 1");
    ventanas.MuestraNotificacion(0, 220, 5, 6375, 2190);
    ASSERT_NE(ventanas.popup(), nullptr);
    EXPECT_TRUE(ventanas.popup()->isVisible());
    EXPECT_EQ(ventanas.popup()->LblTitulo->text(), QString("Subiendo 1 de 1"));
    ventanas.MuestraNotificacion(1, 220, 5, 6375, 2190);
    EXPECT_EQ(ventanas.popup(), nullptr);
    ventanas.FrmNotificacionRecepcioon();
    EXPECT_EQ(ventanas.popup()->LblTitulo->text(),
              QString("Recepcionando información de Puntos de Venta"));
}

TEST(VentanasQtTest, TheProgressFormShowsTheReplyWithoutBeingShown) {
    transfer::VentanasQt ventanas;
    ventanas.FrmMsg().setLabel1("550 No such file or directory.");
    ventanas.FrmMsg().pb().setMax(600);
    ventanas.FrmMsg().pb().setValue(255);
    auto& form = dynamic_cast<FrmMsg&>(ventanas.FrmMsg());
    EXPECT_EQ(form.Label1->text(), QString("550 No such file or directory."));
    EXPECT_EQ(form.pbBar->value(), 255);
    EXPECT_FALSE(form.isVisible());
}

TEST(VentanasQtTest, TheClientWindowIsShownModelessAndUnloaded) {
    zxtest::ScriptedOperator op;
    QTemporaryDir dir;
    const QString previous = shell::setSettingsFolder(dir.path());
    transfer::VentanasQt ventanas;
    ventanas.MuestraFrmMainFTP();
    ASSERT_NE(ventanas.ventana(), nullptr);
    EXPECT_TRUE(ventanas.ventana()->isVisible());
    EXPECT_FALSE(ventanas.ventana()->isModal());
    ventanas.DescargaFrmMainFTP();
    EXPECT_EQ(ventanas.ventana(), nullptr);
    ventanas.DescargaFrmMainFTP();
    shell::setSettingsFolder(previous);
}

TEST(VentanasQtTest, AJobShowsItsPopupAndLeavesNoWindowOpen) {
    zxtest::ScriptedOperator op;
    zxtest::ProgramFolder program;
    zxtest::FtpServer server;
    transfer::VentanasQt ventanas;
    const auto previous = transfer::setVentanas(&ventanas);
    ASSERT_TRUE(vb::writeTextLines(program.file("ComandosI.txt"), {"a.txt"}));
    QFile f(program.file("a.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("a");
    f.close();
    std::int16_t hayError = 99;
    VORARo::EjecutaFTP("DOWNLOAD=NO;PUERTO=" + QString::number(server.port()) +
                           ";SERVER=" + server.host() + ";USUARIO=" + server.login() +
                           ";PASSWORD=" + server.password() +
                           ";ARCHIVO=ComandosI.txt;DIRWEB=DOC;DIRDESTINO=" + program.path() + "/;",
                       hayError);
    transfer::setVentanas(previous);
    modFTP::gFTPAutomatico = false;
    EXPECT_EQ(hayError, 0);
    EXPECT_EQ(zxtest::readFile(server.file("DOC/a.txt")), QByteArray("a"));
    EXPECT_EQ(ventanas.popup(), nullptr);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty() ||
                std::none_of(QApplication::topLevelWidgets().begin(),
                             QApplication::topLevelWidgets().end(),
                             [](QWidget* w) { return w->isVisible(); }));
}

}  // namespace
