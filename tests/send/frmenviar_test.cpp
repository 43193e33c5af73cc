#include "send/frmenviar.h"

#include "platform/vb/steps.h"

#include "platform/vendrix/clscampos.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/controlarray.h"
#include "tests/send/report_file.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Shows the dialog modally, as its callers do, and plays the operator once it is on screen.
// The play must leave the dialog some way; a dialog still open afterwards fails the test.
void showModal(FrmEnviar& frm, std::function<void()> play) {
    QMetaObject::invokeMethod(
        &frm,
        [&frm, play] {
            play();
            if (frm.isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                frm.done(0);
            }
        },
        Qt::QueuedConnection);
    frm.exec();
}

void pressKey(QWidget* w, Qt::Key key) {
    QTest::keyClick(w, key);
}

class FrmEnviarTest : public ::testing::Test {
protected:
    QLineEdit* line(FrmEnviar& frm, const char* dataField) {
        return vendrix::controlElement<QLineEdit>(
            frm, "txtfields", gCampos().Campo(frm, QString::fromLatin1(dataField)));
    }

    zxtest::ScriptedOperator op;
    zxtest::FixedClock clock{QDateTime(QDate(2024, 5, 7), QTime(15, 30, 12))};
    QTemporaryDir dir;
};

TEST_F(FrmEnviarTest, FieldsAreFoundByTheirDataField) {
    FrmEnviar frm;
    const std::pair<const char*, int> cases[] = {
        {"De", 0}, {"Para", 1}, {"Asunto", 2}, {"Mensaje", 3}, {"RutaImagen", 74}};
    for (const auto& [field, index] : cases) {
        SCOPED_TRACE(field);
        EXPECT_EQ(gCampos().Campo(frm, QString::fromLatin1(field)), index);
    }
    EXPECT_EQ(frm.windowTitle(), QString("Formulario Envio de eMail"));
    EXPECT_EQ(line(frm, "Asunto")->maxLength(), 150);
    EXPECT_TRUE(frm.optMetodoEnvio[0]->isChecked());
    EXPECT_EQ(frm.cmdSend->text(), QString("[F2] Enviar Email"));
    EXPECT_EQ(frm.cmdExit->text(), QString("[ESC] Salir"));
}

TEST_F(FrmEnviarTest, AReportAttachmentIsExportedToPdfOnLoad) {
    // The extension in lower case is a report file all the same.
    const QString rpt = dir.filePath("153012.rpt");
    sendtest::writeSavedReport(rpt);
    FrmEnviar frm;
    frm.archAdjunto = rpt;
    const QString pdf = gSistema().CarpetaTemporal() + QStringLiteral("153012.PDF");
    showModal(frm, [&] {
        EXPECT_EQ(frm.archAdjunto, pdf);
        EXPECT_EQ(frm.txtAttach->text(), pdf);
        EXPECT_TRUE(zxtest::readFile(pdf).startsWith("%PDF"));
        EXPECT_FALSE(QFile::exists(rpt));
        frm.cmdExit->click();
    });
    // The PDF the dialog made goes with it.
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(FrmEnviarTest, AnotherAttachmentIsLeftAsItIs) {
    FrmEnviar frm;
    frm.archAdjunto = dir.filePath("lista.pdf");
    frm.txtAttach->setText("otro.txt");
    showModal(frm, [&] {
        EXPECT_EQ(frm.archAdjunto, dir.filePath("lista.pdf"));
        EXPECT_EQ(frm.txtAttach->text(), QString("otro.txt"));
        frm.cmdExit->click();
    });
}

TEST_F(FrmEnviarTest, AFailedExportLeavesNoAttachmentAndTellsTheOperator) {
    const QString rpt = dir.filePath("roto.RPT");
    QFile f(rpt);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("no es un informe");
    f.close();
    FrmEnviar frm;
    frm.archAdjunto = rpt;
    op.answer(vb::vbOK);
    showModal(frm, [&] {
        EXPECT_EQ(frm.archAdjunto, QString());
        EXPECT_EQ(frm.txtAttach->text(), QString());
        frm.cmdExit->click();
    });
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_TRUE(op.messages()[0].text.startsWith("No se pudo convertir el reporte en PDF."));
    EXPECT_EQ(op.messages()[0].title, QString("Aviso al Operador"));
}

TEST_F(FrmEnviarTest, AMissingReportIsToldOnce) {
    FrmEnviar frm;
    frm.archAdjunto = dir.filePath("no-existe.RPT");
    op.answer(vb::vbOK);
    showModal(frm, [&] {
        EXPECT_EQ(frm.archAdjunto, QString());
        frm.cmdExit->click();
    });
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].title, QString("Aviso al Operador!!!"));
}

TEST_F(FrmEnviarTest, EveryWayOutLeavesTheDialogDone) {
    const std::pair<const char*, std::function<void(FrmEnviar&)>> ways[] = {
        {"exit button", [](FrmEnviar& f) { f.cmdExit->click(); }},
        {"escape", [](FrmEnviar& f) { pressKey(f.txtfields[1], Qt::Key_Escape); }},
        {"close box", [](FrmEnviar& f) { f.close(); }},
    };
    for (const auto& [name, leave] : ways) {
        SCOPED_TRACE(name);
        FrmEnviar frm;
        frm.EnvioManual = true;
        showModal(frm, [&, leave = leave] { leave(frm); });
        EXPECT_FALSE(frm.isVisible());
        EXPECT_TRUE(frm.pSalir);
        EXPECT_FALSE(frm.EnvioManual);
    }
}

TEST_F(FrmEnviarTest, F5NeverLeavesTheDialog) {
    FrmEnviar frm;
    showModal(frm, [&] {
        pressKey(frm.txtfields[1], Qt::Key_F5);
        EXPECT_TRUE(frm.isVisible());
        EXPECT_FALSE(frm.pSalir);
        frm.cmdExit->click();
    });
}

TEST_F(FrmEnviarTest, UnloadingForgetsTheDocumentAndTheTexts) {
    FrmEnviar frm;
    frm.TC = "FA";
    frm.IdComprobante = "0001000001234";
    frm.Cuenta = "C001";
    frm.IdEvento = "7";
    showModal(frm, [&] {
        line(frm, "Asunto")->setText("Informe de errores");
        frm.txtAttach->setText("a.pdf");
        frm.cmdExit->click();
    });
    EXPECT_EQ(frm.TC, QString());
    EXPECT_EQ(frm.IdComprobante, QString());
    EXPECT_EQ(frm.Cuenta, QString());
    EXPECT_EQ(frm.IdEvento, QString());
    EXPECT_EQ(line(frm, "Asunto")->text(), QString());
    EXPECT_EQ(frm.txtAttach->text(), QString());
    EXPECT_TRUE(frm.pSalir);
}

TEST_F(FrmEnviarTest, TheDefaultInstanceIsOneForTheProgram) {
    FrmEnviar& a = FrmEnviar::Default();
    EXPECT_EQ(&a, &FrmEnviar::Default());
    a.Unload();
    EXPECT_EQ(&a, &FrmEnviar::Default());
}

}  // namespace
