#include "send/adjuntos.h"

#include "lookup/lib_clscons3.h"
#include "lookup/search_grid.h"
#include "platform/vendrix/clssistema.h"
#include "tests/lookup/scripted_forms.h"
#include "tests/send/send_fixture.h"
#include "tests/support/opened_links.h"

#include <QDir>
#include <QUrl>

namespace {

using sendtest::Dialog;

class AdjuntosTest : public sendtest::SendTest {
protected:
    Dialog dialog;
};

TEST_F(AdjuntosTest, ChosenFilesAreAddedToTheList) {
    op.openFiles(QStringList{"/docs/a.pdf"}).openFiles(QStringList{"/x/a.pdf", "/x/b.pdf"});
    send::AgregaAdjuntos(dialog);
    send::AgregaAdjuntos(dialog);
    EXPECT_EQ(dialog.attachments, QString("/docs/a.pdf;/x/a.pdf;/x/b.pdf"));
    ASSERT_EQ(op.prompts().size(), 2);
    EXPECT_EQ(op.prompts()[0].title, QString("Select File Attachment(s)"));
    EXPECT_EQ(op.prompts()[0].text,
              QString("All Files (*.*)|*.*|HTML Files (*.htm;*.html;*.shtml)|*.htm;*.html;"
                      "*.shtml|Images (*.bmp;*.jpg;*.gif)|*.bmp;*.jpg;*.gif"));
}

TEST_F(AdjuntosTest, ACancelIsToldAndKeepsTheList) {
    dialog.attachments = "/docs/a.pdf";
    op.openFiles(std::nullopt).answer(vb::vbOK);
    send::AgregaAdjuntos(dialog);
    EXPECT_EQ(dialog.attachments, QString("/docs/a.pdf"));
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].title, QString("Error"));
    EXPECT_EQ(op.messages()[0].icon, int(vb::vbCritical));
}

// The list as one name names no file: each attachment opens on its own.
TEST_F(AdjuntosTest, EveryAttachmentOpensWithItsProgram) {
    zxtest::OpenedLinks links;
    dialog.attachments = writeFile("con blanco.pdf", "x") + ";" + writeFile("b.txt", "y") + ";";
    send::AbreAdjuntos(dialog);
    ASSERT_EQ(links.urls().size(), 2);
    EXPECT_EQ(links.urls()[0], QUrl::fromLocalFile(tmp.file("con blanco.pdf")));
    EXPECT_EQ(links.urls()[1], QUrl::fromLocalFile(tmp.file("b.txt")));
}

class ConsultasTest : public AdjuntosTest {
protected:
    ConsultasTest() {
        data.exec(
            "INSERT INTO VT_E_MAIL (email, razonsocial) VALUES ('b@b.com', 'Beta'), "
            "('a@a.com', 'Alfa'), ('c@c.com', 'Gama');"
            "INSERT INTO MA_CONTACTOS (Nombre_y_Apellido, Telefono, CuentaRel) VALUES "
            "('Zoe', '341-555', 'O''HARA'), ('Ana', '11-444', 'O''HARA'), "
            "('Otro', '99', 'C002')");
        send::gSeleccionMultiple = QStringList{QString(), "anterior@x.com"};
    }
    zxtest::ScriptedLookupForms forms;
};

TEST_F(ConsultasTest, CheckedAddressesGoToTheRecipient) {
    struct Case {
        const char* name;
        QList<int> checked;  // rows, in grid order (by razonsocial)
        QString para;
        QStringList lista;
    };
    const Case cases[] = {
        {"one", {1}, "b@b.com", {"", "b@b.com"}},
        {"three", {0, 1, 2}, "Seleccion Multiple", {"", "a@a.com", "b@b.com", "c@c.com"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        forms.grilla = [&](SearchGrid& g) {
            EXPECT_TRUE(g.CheckBoxes);
            for (int fila : c.checked) g.ListView1_ItemCheck(fila, true);
            g.CmdAceptar_Click();
        };
        send::ConsultaDirecciones(dialog);
        EXPECT_EQ(dialog.fields["Para"], c.para);
        EXPECT_EQ(send::gSeleccionMultiple, c.lista);
    }
}

TEST_F(ConsultasTest, ACancelledAddressLookupEmptiesTheRecipientAndKeepsTheList) {
    dialog.fields["Para"] = "x@x.com";
    forms.grilla = [](SearchGrid& g) { g.CmdCancelar_Click(); };
    send::ConsultaDirecciones(dialog);
    EXPECT_EQ(dialog.fields["Para"], QString());
    EXPECT_EQ(send::gSeleccionMultiple, (QStringList{"", "anterior@x.com"}));
}

TEST_F(ConsultasTest, TheContactsOfTheAccountGiveThePhone) {
    dialog.Cuenta = "O'HARA";
    forms.grilla = [](SearchGrid& g) {
        EXPECT_FALSE(g.CheckBoxes);
        ASSERT_EQ(g.filas().size(), 2);
        EXPECT_EQ(g.filas()[0].celdas, (QStringList{"Ana", "11-444"}));
        g.seleccionaFila(1);
        g.CmdAceptar_Click();
    };
    send::ConsultaContacto(dialog);
    EXPECT_EQ(dialog.whatsappTo, QString("341-555"));

    forms.grilla = [](SearchGrid& g) { g.CmdCancelar_Click(); };
    send::ConsultaContacto(dialog);
    EXPECT_EQ(dialog.whatsappTo, QString());
}

class EnviarMailEspecialTest : public AdjuntosTest {
protected:
    EnviarMailEspecialTest() {
        data.exec(
            "INSERT INTO MA_CUENTASADIC (Codigo, mail) VALUES ('C001', 'cliente@c001.com');"
            "INSERT INTO TA_USUARIOS (Nombre, email_usuario) VALUES ('sa', 'sa@empresa.com');"
            "INSERT INTO TA_CLASIFICACIONES (Codigo, Color) VALUES ('A', '255')");
    }
};

TEST_F(EnviarMailEspecialTest, ThePageBecomesTheMessageAndTheAttachment) {
    const QString pagina = writeFile("estado.htm", "<HTML>\r\n<BODY>Saldo</BODY>\r\n</HTML>\r\n");
    send::EnviarMail_Especial(dialog, "C001", pagina);
    EXPECT_TRUE(dialog.MostrarAntes);
    EXPECT_EQ(dialog.ArchivoWeb, pagina);
    EXPECT_EQ(dialog.fields["De"], QString("sa@empresa.com"));
    EXPECT_EQ(dialog.fields["Para"], QString("cliente@c001.com"));
    EXPECT_EQ(dialog.fields["Mensaje"], QString("<HTML><BODY>Saldo</BODY></HTML>"));
    EXPECT_EQ(dialog.attachments, pagina + ";");
    EXPECT_EQ(dialog.shows, 1);
    const QString hoja = gSistema().CarpetaTemporal() + "Style_Quastel.css";
    EXPECT_TRUE(zxtest::readFile(hoja).contains(".TableRowClasificacionA{ background: #FF0000;"));
}

TEST_F(EnviarMailEspecialTest, AnUnknownAccountLeavesNoRecipientAndNoPageShowsNothing) {
    const QString pagina = writeFile("estado.htm", "<HTML></HTML>");
    send::EnviarMail_Especial(dialog, "C999", pagina);
    EXPECT_EQ(dialog.fields["Para"], QString());
    EXPECT_EQ(dialog.shows, 1);

    Dialog otro;
    send::EnviarMail_Especial(otro, "C001", QString());
    EXPECT_EQ(otro.shows, 0);
    EXPECT_EQ(otro.fields["Mensaje"], QString());
    EXPECT_TRUE(otro.MostrarAntes);
}

TEST_F(EnviarMailEspecialTest, AMissingPageReachesTheCaller) {
    EXPECT_THROW(send::EnviarMail_Especial(dialog, "C001", tmp.file("no-existe.htm")),
                 vb::VbError);
    EXPECT_EQ(dialog.shows, 0);
}

TEST(ColorARGBTest, BlueGreenRedBecomesAnHtmlColour) {
    const std::pair<const char*, const char*> cases[] = {
        {"255", "#FF0000"}, {"16711680", "#0000FF"}, {"0", "#000000"}, {"65280", "#00FF00"}};
    for (const auto& [color, html] : cases) {
        SCOPED_TRACE(color);
        EXPECT_EQ(send::ColorARGB(color), QString(html));
    }
}

}  // namespace
