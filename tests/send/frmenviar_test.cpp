#include "send/frmenviar.h"

#include "platform/vb/steps.h"

#include "platform/vendrix/clscampos.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/controlarray.h"
#include "core/config.h"
#include "platform/vb/app.h"
#include "tests/send/report_file.h"
#include "tests/send/send_fixture.h"
#include "transfer/frmimgnew.h"
#include "transfer/frmmsgbox.h"
#include "transfer/hooks.h"
#include "tests/support/child_test.h"
#include "tests/support/desktop_openers.h"
#include "tests/support/screen_fit.h"
#include "tests/support/fixtures.h"
#include "tests/support/model_check.h"
#include "tests/support/opened_links.h"
#include "tests/support/pictures.h"
#include "tests/support/scripted_operator.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTemporaryDir>
#include <QTimer>
#include <QElapsedTimer>
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

class FrmEnviarTest : public sendtest::SendTest {
protected:
    FrmEnviarTest() { clock.set(QDateTime(QDate(2024, 5, 7), QTime(15, 30, 12))); }

    QLineEdit* line(FrmEnviar& frm, const char* dataField) {
        return vendrix::controlElement<QLineEdit>(
            frm, "txtfields", gCampos().Campo(frm, QString::fromLatin1(dataField)));
    }

    QString message(FrmEnviar& frm) { return frm.Texto("Mensaje"); }

    // The dialog in WhatsApp mode pastes what the clipboard holds, then closes.
    void pegaEnWhatsapp() {
        FrmEnviar frm;
        showModal(frm, [&] {
            frm.optMetodoEnvio[1]->click();
            frm.cmdPegar->click();
            EXPECT_FALSE(frm.frmEspera->isVisible());
            frm.cmdSalir->click();
        });
    }

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
    QString pdf;
    showModal(frm, [&] {
        // A temporary name of its own: the time, then what tells this run apart.
        pdf = frm.archAdjunto;
        EXPECT_TRUE(pdf.startsWith(gSistema().CarpetaTemporal() + QStringLiteral("153012")));
        EXPECT_TRUE(pdf.endsWith(QStringLiteral(".PDF")));
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
    const QString rpt = writeFile("roto.RPT", "no es un informe");
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

TEST_F(FrmEnviarTest, TheLastMessageOrTheSignatureFillsAnEmptyMessage) {
    vb::App().EXEName = "Zentrik";
    struct Case {
        const char* name;
        QString last;     // stored last message, null for none
        QString company;  // null for no "Nombre" key
        QString typed;    // what the caller put in the field
        QString expected;
    };
    const Case cases[] = {
        {"the last message", "Buenos días\r\nadjunto", "Empresa SA", "", "Buenos días\r\nadjunto"},
        {"the signature", QString(), " Empresa SA ", "", "\r\n\r\nEmpresa SA"},
        {"no company either", QString(), QString(), "", "\r\n\r\n"},
        {"a message of the caller", "Buenos días", "Empresa SA", "Mi texto", "Mi texto"},
        {"a message of blanks", "Buenos días", "Empresa SA", "   ", "Buenos días"},
        {"blanks and no last message", QString(), "Empresa SA", "  ", "\r\n\r\nEmpresa SA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        data.exec("DELETE FROM TA_CONFIGURACION");
        if (!c.last.isNull())
            data.exec(
                QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux, Grupo) "
                               "VALUES ('UM_saZentrik', '', '%1', 'DATOS')")
                    .arg(c.last));
        if (!c.company.isNull())
            data.exec(QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES "
                                     "('Nombre', '%1')")
                          .arg(c.company));
        FrmEnviar frm;
        frm.SetTexto("Mensaje", c.typed);
        showModal(frm, [&] {
            EXPECT_EQ(message(frm), c.expected);
            frm.cmdExit->click();
        });
    }
}

TEST_F(FrmEnviarTest, TheSenderComesFromTheAccountUnlessGiven) {
    userAccount();
    FrmEnviar frm;
    showModal(frm, [&] {
        EXPECT_EQ(line(frm, "De")->text(), QString("ana@empresa.com.ar"));
        frm.cmdExit->click();
    });
    line(frm, "De")->setText("otra@empresa.com.ar");
    showModal(frm, [&] {
        EXPECT_EQ(line(frm, "De")->text(), QString("otra@empresa.com.ar"));
        frm.cmdExit->click();
    });
}

// Only a sender that is blank after trimming is replaced by the account's.
TEST_F(FrmEnviarTest, ABlankSenderIsTheAccountsAndAGivenOneStays) {
    userAccount();
    const struct {
        const char* dado;
        const char* esperado;
    } casos[] = {
        {"", "ana@empresa.com.ar"},
        {"    ", "ana@empresa.com.ar"},
        {" otra@empresa.com.ar ", " otra@empresa.com.ar "},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.dado);
        FrmEnviar frm;
        line(frm, "De")->setText(c.dado);
        showModal(frm, [&] {
            EXPECT_EQ(line(frm, "De")->text(), QString(c.esperado));
            frm.cmdExit->click();
        });
    }
}

// On a screen with room for the dialog made 1200 pixels tall, in a process of its own: the
// dialog is kept within its screen.
TEST_F(FrmEnviarTest, APageIsPreviewedAboveAShortMessage) {
    if (!zxtest::inChildTest()) {
        QString output;
        EXPECT_TRUE(zxtest::runTestInChild(
            zxtest::offscreenScreen(dir.path(), QSize(1600, 1400), 1.0), &output))
            << output.toStdString();
        return;
    }
    const QString pagina =
        writeFile("FA.htm", "<html><body><p>Factura FA 0001-00001234</p></body></html>");
    struct Case {
        const char* name;
        QString archivoWeb;
        bool mostrarAntes, envioManual;
        bool preview;
    };
    const Case cases[] = {
        {"page shown before sending", pagina, true, false, true},
        {"page of a manual send", pagina, true, true, false},
        {"no page", QString(), true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FrmEnviar frm;
        frm.ArchivoWeb = c.archivoWeb;
        frm.MostrarAntes = c.mostrarAntes;
        frm.EnvioManual = c.envioManual;
        showModal(frm, [&] {
            EXPECT_EQ(frm.WebBrowser1->isVisible(), c.preview);
            if (c.preview) {
                EXPECT_TRUE(frm.WebBrowser1->toPlainText().contains("Factura FA 0001-00001234"));
            }
            // Under a page the message is 1260 twips tall; alone it takes the room the
            // dialog leaves, up to 5460 twips.
            const int alto = frm.txtfields[3]->height();
            if (c.preview) {
                EXPECT_EQ(alto, 84);
            } else {
                EXPECT_GT(alto, 84);
                frm.resize(frm.width(), 1200);
                QApplication::processEvents();
                EXPECT_EQ(frm.txtfields[3]->height(), 364);
            }
            EXPECT_FALSE(frm.WebBrowser1->acceptDrops());
            frm.cmdExit->click();
        });
    }
}

TEST_F(FrmEnviarTest, F2SendsTheReportAndTheDialogClosesAfterTheNotice) {
    userAccount();
    transfer::instalaEnEnvio();
    zxtest::SmtpServer server;
    sendtest::ComponentOnServer component(server);
    // A second of its own: test processes share the private folder of the names by time.
    clock.set(QDateTime(QDate(2024, 5, 7), QTime(15, 30, 13)));
    const QString rpt = dir.filePath("153013.RPT");
    sendtest::writeSavedReport(rpt);

    FrmEnviar frm;
    frm.archAdjunto = rpt;
    line(frm, "Asunto")->setText("Informe de Errores");
    frm.MostrarAntes = true;
    op.form([](QDialog& box) {
        auto& aviso = dynamic_cast<FrmMsgBox&>(box);
        EXPECT_EQ(aviso.Titulo, QString("Aviso del mail"));
        EXPECT_EQ(aviso.Mensaje, QString("Mensaje Enviado correctamente"));
        EXPECT_EQ(aviso.Espera, 3);
        return 0;
    });
    QByteArray pdf;
    showModal(frm, [&] {
        pdf = zxtest::readFile(frm.txtAttach->text());
        line(frm, "Para")->setText("soporte@vendrix.com.ar");
        pressKey(line(frm, "Para"), Qt::Key_F2);
    });
    ASSERT_EQ(server.messages().size(), 1);
    const zxtest::ReceivedMail mail = server.messages()[0];
    EXPECT_EQ(mail.header("Subject"), QString("Informe de Errores"));
    ASSERT_EQ(mail.parts.size(), 3);
    EXPECT_TRUE(mail.parts[2].fileName.startsWith("153013_"));
    EXPECT_TRUE(mail.parts[2].fileName.endsWith(".PDF"));
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(mail.parts[2].content, pdf);
    EXPECT_EQ(sendLog().size(), 1);
    EXPECT_TRUE(frm.pSalir);
    EXPECT_FALSE(frm.isVisible());
    EXPECT_TRUE(op.exhausted());
}

// A send starts from an empty status area; the status list keeps Qt's rules for item models
// while it is filled, emptied by the send and emptied again when the dialog goes.
TEST_F(FrmEnviarTest, ASendStartsFromAnEmptyStatusArea) {
    userAccount();
    zxtest::SmtpServer server;
    sendtest::ComponentOnServer component(server);
    FrmEnviar frm;
    const auto tester = zxtest::checkModel(frm.lstStatus->model());
    showModal(frm, [&] {
        frm.lstStatus->addItems({"Conectando con el servidor", "Mensaje enviado"});
        frm.lblProgress->setText("100 %");
        line(frm, "Para")->setText("soporte@vendrix.com.ar");
        line(frm, "Asunto")->setText("Informe de Errores");
        pressKey(line(frm, "Para"), Qt::Key_F2);
        EXPECT_EQ(frm.lstStatus->count(), 0);
        EXPECT_EQ(frm.lblProgress->text(), QString());
        // Not opened for the operator: the dialog stays after the send.
        EXPECT_TRUE(frm.isVisible());
        frm.cmdExit->click();
    });
    EXPECT_EQ(server.messages().size(), 1);
    EXPECT_EQ(notices.size(), 1);
}

// The operator presses F2 and, while the server keeps its greeting back, presses `again` on
// the dialog; the server answers once the press is done, unless `release` is false.
void pressWhileTheServerIsSlow(FrmEnviar& frm, zxtest::SmtpServer& server,
                               const std::function<void()>& again, bool release = true) {
    QLineEdit* para = vendrix::controlElement<QLineEdit>(frm, "txtfields", 1);
    bool held = false;
    QElapsedTimer waited;
    waited.start();
    // Looks again on the send's next events: the send goes on between the looks, so the
    // server can reach the reply it keeps back.
    std::function<void()> look = [&] {
        held = server.holding();
        if (!held && waited.elapsed() < 10000) {
            QTimer::singleShot(5, &frm, look);
            return;
        }
        again();
        if (release) server.release();
    };
    QTimer::singleShot(0, &frm, look);
    pressKey(para, Qt::Key_F2);
    EXPECT_TRUE(held) << "the send did not wait for the server";
}

class SlowServerTest : public FrmEnviarTest {
protected:
    explicit SlowServerTest(zxtest::SmtpServer::Hold hold = zxtest::SmtpServer::Hold::Greeting)
        : server(options(hold)), component(server) {
        userAccount();
        frm.MostrarAntes = true;
    }
    static zxtest::SmtpServer::Options options(zxtest::SmtpServer::Hold hold) {
        zxtest::SmtpServer::Options o;
        o.hold = hold;
        return o;
    }
    void fill() {
        line(frm, "Para")->setText("soporte@vendrix.com.ar");
        line(frm, "Asunto")->setText("Informe de Errores");
    }

    zxtest::SmtpServer server;
    sendtest::ComponentOnServer component;
    FrmEnviar frm;
};

TEST_F(SlowServerTest, ASecondF2WhileTheServerIsSlowSendsOnce) {
    showModal(frm, [&] {
        fill();
        pressWhileTheServerIsSlow(frm, server, [&] { pressKey(line(frm, "Para"), Qt::Key_F2); });
    });
    EXPECT_EQ(server.messages().size(), 1);
    ASSERT_EQ(sendLog().size(), 1);
    EXPECT_EQ(sendLog()[0][8], QString("OK"));
    EXPECT_EQ(notices.size(), 1);
    EXPECT_TRUE(op.prompts().isEmpty());
    EXPECT_FALSE(frm.isVisible());
    EXPECT_TRUE(frm.pSalir);
}

TEST_F(SlowServerTest, EscapeWhileTheServerIsSlowCancelsTheSendCleanly) {
    bool openDuringTheSend = false;
    showModal(frm, [&] {
        fill();
        // The server never answers: only the cancel ends the wait.
        pressWhileTheServerIsSlow(
            frm, server,
            [&] {
                pressKey(line(frm, "Para"), Qt::Key_Escape);
                openDuringTheSend = frm.isVisible();
            },
            false);
    });
    EXPECT_TRUE(openDuringTheSend);
    EXPECT_TRUE(server.messages().isEmpty());
    const QList<QStringList> log = sendLog();
    ASSERT_EQ(log.size(), 1);
    EXPECT_EQ(log[0][1], QString("soporte@vendrix.com.ar"));
    EXPECT_EQ(log[0][2], QString("Informe de Errores"));
    EXPECT_EQ(log[0][8], QString("Envío cancelado por el operador"));
    EXPECT_TRUE(notices.isEmpty());
    EXPECT_TRUE(op.prompts().isEmpty());
    EXPECT_FALSE(frm.isVisible());
    EXPECT_TRUE(frm.pSalir);
    EXPECT_FALSE(frm.EnvioEnCurso);
}

class SlowAnswerTest : public SlowServerTest {
protected:
    SlowAnswerTest() : SlowServerTest(zxtest::SmtpServer::Hold::Data) {}
};

// Escape while the server keeps back its answer to the whole message ends the send there:
// the mail is the server's to keep, but the server never said it took it, so it is logged as
// cancelled and never told as sent.
TEST_F(SlowAnswerTest, EscapeWhileTheAnswerToTheMailIsAwaitedCancelsTheSend) {
    showModal(frm, [&] {
        fill();
        pressWhileTheServerIsSlow(frm, server,
                                  [&] { pressKey(line(frm, "Para"), Qt::Key_Escape); });
    });
    EXPECT_EQ(server.messages().size(), 1);
    ASSERT_EQ(sendLog().size(), 1);
    EXPECT_EQ(sendLog()[0][8], QString("Envío cancelado por el operador"));
    EXPECT_TRUE(notices.isEmpty());
    EXPECT_TRUE(op.prompts().isEmpty());
    EXPECT_FALSE(frm.isVisible());
    EXPECT_TRUE(frm.pSalir);
    EXPECT_FALSE(frm.EnvioEnCurso);
}

// Whether all of `w` is in sight in its window.
bool aLaVista(QWidget* w) {
    return w->isVisible() && w->visibleRegion().boundingRect() == w->rect();
}

// The dialog on a 1366 x 768 laptop screen at 100% and at 200% (2732 x 1536 pixels), and at
// 200% on a 1366 x 768 and an 800 x 600 screen, too small for it: each screen in a process of
// its own.
TEST_F(FrmEnviarTest, TheDialogIsAsTallAsItsFormWithinTheScreenAndCanBeMadeShorter) {
    if (zxtest::ranOnSmallScreens()) return;
    FrmEnviar frm;
    showModal(frm, [&] {
        // Under a window manager, once it has framed the dialog.
        ASSERT_TRUE(zxtest::settled(frm));
        const QRect pantalla = frm.screen()->availableGeometry();
        const int marco = zxtest::outerGeometry(frm).height() - frm.height();
        // 10635 twips; a screen shorter than that gets all the dialog its room allows.
        const int alto = std::min(709, pantalla.height() - marco);
        for (int modo : {0, 1}) {
            SCOPED_TRACE(modo);
            frm.optMetodoEnvio[modo]->click();
            EXPECT_EQ(frm.height(), alto);
            EXPECT_TRUE(zxtest::fitsItsScreen(frm));
            EXPECT_TRUE(zxtest::scrollsOnlyWhenCramped(frm));
            const QList<QWidget*> abajo =
                modo == 0 ? QList<QWidget*>{frm.Frame4, frm.cmdSend, frm.cmdExit}
                          : QList<QWidget*>{frm.cmdEnviarWhatsapp, frm.cmdSalir};
            // At its full height everything is in sight; on a shorter screen, within reach.
            for (QWidget* w : abajo) {
                EXPECT_TRUE(alto < 709 ? zxtest::withinReach(w) : aLaVista(w))
                    << w->objectName().toStdString();
            }
            // Shorter by a third, and all of it still within reach.
            frm.resize(frm.width(), alto * 2 / 3);
            // Once the window system has answered the sizes asked for before this one.
            EXPECT_TRUE(zxtest::becomes([&] { return frm.height() == alto * 2 / 3; }))
                << frm.height() << " pixels high, not " << alto * 2 / 3;
            for (QWidget* w : abajo)
                EXPECT_TRUE(zxtest::withinReach(w)) << w->objectName().toStdString();
        }
        frm.cmdSalir->click();
    });
}

// The lines of `box` the operator sees at once.
int linesInSight(QPlainTextEdit* box) {
    const int shown = box->viewport()->visibleRegion().boundingRect().height() -
                      2 * int(box->document()->documentMargin());
    return shown / box->fontMetrics().lineSpacing();
}

// The message typed in the e-mail and in the WhatsApp mode shows at least five lines at once on
// every small screen, each in a process of its own.
TEST_F(FrmEnviarTest, TheMessageBoxShowsFiveLinesOnSmallScreens) {
    if (zxtest::ranOnSmallScreens()) return;
    FrmEnviar frm;
    showModal(frm, [&] {
        ASSERT_TRUE(zxtest::settled(frm));
        for (int modo : {0, 1}) {
            SCOPED_TRACE(modo);
            frm.optMetodoEnvio[modo]->click();
            auto* caja = modo == 0 ? vendrix::controlElement<QPlainTextEdit>(
                                         frm, "txtfields", gCampos().Campo(frm, "Mensaje"))
                                   : frm.txtMensajeWhatsapp;
            caja->clear();
            caja->setFocus();
            for (int linea = 1; linea <= 8; ++linea) {
                QTest::keyClicks(caja, QStringLiteral("linea %1").arg(linea));
                if (linea < 8) QTest::keyClick(caja, Qt::Key_Return);
            }
            QTest::keyClick(caja, Qt::Key_Home, Qt::ControlModifier);
            // Brought into sight whole: the dialog never scrolls sideways for it.
            EXPECT_TRUE(zxtest::withinReach(caja));
            EXPECT_LE(caja->width(), frm.width());
            EXPECT_FALSE(
                frm.findChild<QScrollArea*>("scrollingBody")->horizontalScrollBar()->isVisible());
            EXPECT_GE(linesInSight(caja), 5) << caja->viewport()->height() << " pixels of "
                                             << caja->fontMetrics().lineSpacing();
        }
        frm.cmdSalir->click();
    });
}

// The wait panel shown while a file goes up lies within the dialog on every small screen, each
// in a process of its own, its texts whole.
TEST_F(FrmEnviarTest, TheWaitPanelLiesWithinTheDialogOnSmallScreens) {
    if (zxtest::ranOnSmallScreens()) return;
    FrmEnviar frm;
    showModal(frm, [&] {
        ASSERT_TRUE(zxtest::settled(frm));
        frm.optMetodoEnvio[1]->click();
        frm.MuestraEspera(true);
        EXPECT_TRUE(frm.rect().contains(frm.frmEspera->geometry()))
            << frm.frmEspera->width() << " pixels wide in " << frm.width();
        for (QLabel* etiqueta : {frm.Label4, frm.Label3, frm.Label6}) {
            const QRect lugar = etiqueta->contentsRect();
            const QRect texto = etiqueta->fontMetrics().boundingRect(
                QRect(0, 0, lugar.width(), lugar.height()), Qt::TextWordWrap, etiqueta->text());
            EXPECT_LE(texto.width(), lugar.width()) << etiqueta->objectName().toStdString();
            EXPECT_LE(texto.height(), lugar.height()) << etiqueta->objectName().toStdString();
        }
        frm.MuestraEspera(false);
        frm.cmdSalir->click();
    });
}

TEST_F(FrmEnviarTest, TheWhatsappModeTakesTheEmailFramesPlace) {
    FrmEnviar frm;
    frm.LinkDocumento = "http://docs/Clientes/C1/202405/a.pdf";
    showModal(frm, [&] {
        line(frm, "Asunto")->setText("Informe de Errores");
        frm.optMetodoEnvio[1]->click();
        EXPECT_EQ(frm.windowTitle(), QString("Formulario Envio de Whatsapp"));
        EXPECT_TRUE(frm.frameWhatsapp->isVisible());
        EXPECT_FALSE(frm.Frame5->isVisible());
        EXPECT_FALSE(frm.Frame4->isVisible());
        EXPECT_FALSE(frm.frmEspera->isVisible());
        // Nothing to upload: the subject and the link of the last upload.
        EXPECT_EQ(frm.MensajeWhatsapp(), QString("Informe de Errores\r\nLink del documento : "
                                                 "http://docs/Clientes/C1/202405/a.pdf"));
        frm.optMetodoEnvio[0]->click();
        EXPECT_EQ(frm.windowTitle(), QString("Formulario Envio de eMail"));
        EXPECT_FALSE(frm.frameWhatsapp->isVisible());
        EXPECT_TRUE(frm.Frame5->isVisible());
        frm.optMetodoEnvio[1]->click();
        // Escape leaves through the WhatsApp frame's exit.
        pressKey(frm.txtParaWhatsapp, Qt::Key_Escape);
    });
    EXPECT_TRUE(frm.pSalir);
    // A new load is in the e-mail mode again.
    EXPECT_TRUE(frm.optMetodoEnvio[0]->isChecked());
    EXPECT_EQ(frm.windowTitle(), QString("Formulario Envio de eMail"));
    EXPECT_EQ(frm.LinkDocumento, QString());
}

TEST_F(FrmEnviarTest, F2InTheWhatsappModeOpensTheChatAndKeepsTheDialog) {
    zxtest::OpenedLinks links;
    FrmEnviar frm;
    showModal(frm, [&] {
        frm.optMetodoEnvio[1]->click();
        frm.txtParaWhatsapp->setText("341 555-5555");
        frm.txtMensajeWhatsapp->setPlainText("Hola\nChau");
        pressKey(frm.txtMensajeWhatsapp, Qt::Key_F2);
        EXPECT_TRUE(frm.isVisible());
        EXPECT_TRUE(frm.pSalir);
        frm.cmdSalir->click();
    });
    ASSERT_EQ(links.urls().size(), 1);
    EXPECT_EQ(links.urls()[0].toString(QUrl::FullyEncoded),
              QString("https://web.whatsapp.com/send?phone=%2B5493415555555&text=Hola%0AChau"));
    ASSERT_EQ(sendLog().size(), 1);
    EXPECT_EQ(sendLog()[0][1], QString("3415555555"));
}

// On a desktop with no browser the opener fails: nothing was sent, so the operator is told,
// no row says otherwise and the dialog stays as it was. An opener that succeeds or keeps
// running (a browser in the foreground) is a send, and the dialog does not wait for it.
TEST_F(FrmEnviarTest, F2InTheWhatsappModeLogsOnlyWhatTheDesktopOpened) {
    if (zxtest::ranOnXServer()) return;
    using zxtest::StandInOpener;
    struct Case {
        const char* name;
        StandInOpener::Kind kind;
        bool sent;
    };
    const Case cases[] = {
        {"no browser", StandInOpener::Fails, false},
        {"a browser that takes the link", StandInOpener::Succeeds, true},
        {"a browser started in the foreground", StandInOpener::KeepsRunning, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StandInOpener opener(c.kind);
        const qsizetype rows = sendLog().size();
        const qsizetype prompts = op.prompts().size();
        if (!c.sent) op.answer(vb::vbOK);
        FrmEnviar frm;
        showModal(frm, [&] {
            frm.optMetodoEnvio[1]->click();
            frm.txtParaWhatsapp->setText("341 555-5555");
            frm.txtMensajeWhatsapp->setPlainText("Hola\nChau");
            const QString mensaje = frm.MensajeWhatsapp();
            pressKey(frm.txtMensajeWhatsapp, Qt::Key_F2);
            EXPECT_TRUE(frm.isVisible());
            EXPECT_EQ(frm.pSalir, c.sent);
            EXPECT_TRUE(frm.frameWhatsapp->isVisible());
            EXPECT_EQ(frm.txtParaWhatsapp->text(), QString("341 555-5555"));
            EXPECT_EQ(frm.MensajeWhatsapp(), mensaje);
            EXPECT_EQ(opener.running(), c.kind == StandInOpener::KeepsRunning);
            frm.cmdSalir->click();
        });
        ASSERT_EQ(opener.calls().size(), 1);
        const QString link =
            "https://web.whatsapp.com/send?phone=%2B5493415555555&text=Hola%0AChau";
        EXPECT_EQ(opener.calls()[0], QStringList{link});
        const QList<QStringList> log = sendLog();
        ASSERT_EQ(log.size(), rows + (c.sent ? 1 : 0));
        if (c.sent) {
            EXPECT_EQ(log.last()[8], QString("OK"));
            EXPECT_EQ(op.prompts().size(), prompts);
        } else {
            ASSERT_EQ(op.prompts().size(), prompts + 1);
            EXPECT_EQ(op.prompts().last().text,
                      QString("No se pudo abrir WhatsApp Web en el navegador predeterminado."));
            EXPECT_EQ(op.prompts().last().title, QString("Aviso"));
        }
    }
}

TEST_F(FrmEnviarTest, AttachmentsAreAddedAndOpened) {
    zxtest::OpenedLinks links;
    const QString a = writeFile("a.pdf", "%PDF");
    const QString b = writeFile("b.pdf", "%PDF");
    op.openFiles(QStringList{a, b});
    FrmEnviar frm;
    showModal(frm, [&] {
        frm.cmdBrowse->click();
        EXPECT_EQ(frm.txtAttach->text(), a + ";" + b);
        frm.CmdAbrir->click();
        frm.cmdExit->click();
    });
    EXPECT_EQ(links.urls(), (QList<QUrl>{QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)}));
}

TEST_F(FrmEnviarTest, PastingWithoutAPictureIsTold) {
    QGuiApplication::clipboard()->setText("no es una imagen");
    op.answer(vb::vbOK);
    pegaEnWhatsapp();
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text, QString("Imagen no válida"));
    EXPECT_EQ(op.messages()[0].title, QString("Aviso"));
    EXPECT_EQ(op.messages()[0].icon, int(vb::vbCritical));
    EXPECT_TRUE(QDir(folder.file("IMAGENES")).entryList(QDir::Files).isEmpty());
}

// The clipboard's picture is measured before it is decoded: one too large is told and nothing
// is saved.
TEST_F(FrmEnviarTest, PastingAPictureTooLargeIsToldAndSavesNothing) {
    auto* datos = new QMimeData;
    datos->setData(QStringLiteral("image/gif"), zxtest::gifAnnouncing({65535, 480}, {1, 1}));
    QGuiApplication::clipboard()->setMimeData(datos);
    op.answer(vb::vbOK);
    pegaEnWhatsapp();
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text,
              QString("La imagen del portapapeles es demasiado grande: 65535 × 480 píxeles (se "
                      "admiten hasta 24 millones)"));
    EXPECT_EQ(op.messages()[0].icon, int(vb::vbCritical));
    EXPECT_TRUE(QDir(folder.file("IMAGENES")).entryList(QDir::Files).isEmpty());
    QGuiApplication::clipboard()->clear();
}

TEST_F(FrmEnviarTest, ASmallPictureIsPaintedCentredAtItsOwnSize) {
    FrmEnviar frm;
    QImage rojo(20, 10, QImage::Format_RGB32);
    rojo.fill(Qt::red);
    frm.Escalar_Imagen(rojo, frm.PicLogo);
    const QImage pintado = frm.PicLogo->pixmap().toImage();
    ASSERT_EQ(pintado.size(), frm.PicLogo->size());
    const QPoint centro(pintado.width() / 2, pintado.height() / 2);
    EXPECT_EQ(QColor(pintado.pixel(centro)), QColor(Qt::red));
    EXPECT_EQ(QColor(pintado.pixel(centro + QPoint(9, 4))), QColor(Qt::red));
    EXPECT_NE(QColor(pintado.pixel(centro + QPoint(11, 0))), QColor(Qt::red));
    EXPECT_NE(QColor(pintado.pixel(centro + QPoint(0, 6))), QColor(Qt::red));
}

TEST_F(FrmEnviarTest, ALargePictureIsFittedIntoItsBoxAndEnlargedOnADoubleClick) {
    transfer::instalaEnEnvio();
    FrmEnviar frm;
    // Wider than the box (2:1 against 4:3), so there is a margin above and below to look at.
    QImage azul(1600, 800, QImage::Format_RGB32);
    azul.fill(Qt::blue);
    frm.Escalar_Imagen(azul, frm.PicLogo);
    const QImage pintado = frm.PicLogo->pixmap().toImage();
    // The box's width is the bound: the picture fills it and is centred in its height.
    const QSize caja = frm.PicLogo->size();
    const int alto = caja.width() / 2;
    const int arriba = (caja.height() - alto) / 2;
    ASSERT_GE(arriba, 2);
    EXPECT_EQ(QColor(pintado.pixel(0, arriba + 1)), QColor(Qt::blue));
    EXPECT_EQ(QColor(pintado.pixel(caja.width() - 1, arriba + alto - 2)), QColor(Qt::blue));
    EXPECT_NE(QColor(pintado.pixel(caja.width() / 2, arriba - 2)), QColor(Qt::blue));

    // Nothing to enlarge without a picture path.
    QTest::mouseDClick(frm.PicLogo, Qt::LeftButton);
    frm.SetTexto("RutaImagen", folder.file("IMAGENES/thumbs5/20240507153012.bmp"));
    QString visto;
    op.form([&](QDialog& visor) {
        visto = dynamic_cast<FrmImgNew&>(visor).pImagen;
        return 0;
    });
    QTest::mouseDClick(frm.PicLogo, Qt::LeftButton);
    EXPECT_EQ(visto, folder.file("IMAGENES/thumbs5/20240507153012.bmp"));
    EXPECT_TRUE(op.exhausted());
}

}  // namespace
