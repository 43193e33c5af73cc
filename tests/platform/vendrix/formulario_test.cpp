#include "platform/vendrix/clsutil.h"

#include "platform/shell/settings.h"
#include "tests/support/fixtures.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class FormularioTest : public ::testing::Test {
protected:
    FormularioTest() : previous_(shell::setSettingsFolder(store_.path())) {
        form_.setObjectName("frmPrueba");
        form_.resize(300, 200);
    }
    ~FormularioTest() override { shell::setSettingsFolder(previous_); }

    zxtest::ProgramFolder folder_;
    QTemporaryDir store_;
    QString previous_;
    QDialog form_;
};

TEST_F(FormularioTest, PreparaFormularioCentresTheFormOnItsScreen) {
    gUtil().PreparaFormulario(form_, 0);
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((form_.frameGeometry().center() - screenCentre).manhattanLength(), 2);
}

TEST_F(FormularioTest, TheFormComesBackWhereItWasClosed) {
    form_.setGeometry(40, 60, 320, 210);
    form_.show();
    gUtil().GuardaFormulario(form_, "");
    form_.close();

    QDialog again;
    again.setObjectName("frmPrueba");
    again.setGeometry(0, 0, 100, 100);
    gUtil().RestauraFormulario(again, "");
    EXPECT_EQ(again.geometry(), QRect(40, 60, 320, 210));
}

TEST_F(FormularioTest, EachFormAndNameKeepsItsOwnPlace) {
    form_.setGeometry(40, 60, 320, 210);
    gUtil().GuardaFormulario(form_, "Alternativo");

    QDialog other;
    other.setObjectName("frmPrueba");
    other.setGeometry(10, 20, 150, 100);
    gUtil().RestauraFormulario(other, "");  // nothing kept under this name
    EXPECT_EQ(other.geometry(), QRect(10, 20, 150, 100));
    gUtil().RestauraFormulario(other, "Alternativo");
    EXPECT_EQ(other.geometry(), QRect(40, 60, 320, 210));
}

}  // namespace
