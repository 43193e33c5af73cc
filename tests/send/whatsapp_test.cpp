#include "send/whatsapp.h"

#include "platform/vb/vberror.h"
#include "tests/send/send_fixture.h"
#include "tests/support/opened_links.h"

#include <QUrlQuery>

namespace {

using sendtest::Dialog;

TEST(NumeroWhatsappTest, TheNumberGetsTheCountryPrefixOnce) {
    const std::pair<const char*, const char*> cases[] = {
        {"011 15-1234/5678", "+5490111512345678"},
        {"+54 9 341 555-5555", "+5493415555555"},
        {"549 11 4444 3333", "+5491144443333"},
        // The country code written without the mobile digit gets the digit, not a second code.
        {"+54 341 555 5555", "+5493415555555"},
        {"54 341 555 5555", "+5493415555555"},
        {"0054 341 555-5555", "+5493415555555"},
        {"+54 9 11 4444-3333", "+5491144443333"},
        // Another country's code stays as it was written.
        {"+598 99 123 456", "+59899123456"},
        // Only digits reach the link.
        {"(0341) 155-5555", "+54903411555555"},
        {"341.555.5555", "+5493415555555"},
    };
    for (const auto& [numero, esperado] : cases) {
        SCOPED_TRACE(numero);
        EXPECT_EQ(send::NumeroWhatsapp(numero), QString(esperado));
    }
}

TEST(LinkWhatsappTest, TheNumberAndTheTextAreQueryValues) {
    const QString link = send::LinkWhatsapp("+5493415555555", "Hola mundo\r\nChau");
    EXPECT_EQ(link, QString("https://web.whatsapp.com/send?phone=%2B5493415555555&text="
                            "Hola%20mundo%0AChau"));
}

TEST(LinkWhatsappTest, EveryCharacterOfTheTextReachesTheMessage) {
    const QString texto = "Pagá 50% & 20 + IVA #3? sí\rfin\nya";
    const QUrl link(send::LinkWhatsapp("+549111", texto));
    EXPECT_EQ(link.host(), QString("web.whatsapp.com"));
    EXPECT_EQ(link.path(), QString("/send"));
    const QUrlQuery query(link);
    EXPECT_EQ(query.queryItemValue("phone", QUrl::FullyDecoded), QString("+549111"));
    EXPECT_EQ(query.queryItemValue("text", QUrl::FullyDecoded),
              QString("Pagá 50% & 20 + IVA #3? sí\nfin\nya"));
    EXPECT_EQ(link.fragment(), QString());
}

class EnviarWhatsappTest : public sendtest::SendTest {
protected:
    EnviarWhatsappTest() {
        dialog.whatsappTo = "011 15-1234/5678";
        dialog.whatsappText = "Hola mundo\r\nChau";
        dialog.TC = "FA";
        dialog.IdComprobante = "0001000001234";
    }
    Dialog dialog;
};

TEST_F(EnviarWhatsappTest, TheLinkIsOpenedAndTheSendLogged) {
    zxtest::OpenedLinks links;
    send::EnviarWhatsapp(dialog);
    ASSERT_EQ(links.urls().size(), 1);
    const QUrlQuery query(links.urls()[0]);
    EXPECT_EQ(query.queryItemValue("phone", QUrl::FullyDecoded), QString("+5490111512345678"));
    EXPECT_EQ(query.queryItemValue("text", QUrl::FullyDecoded), QString("Hola mundo\nChau"));
    const QList<QStringList> log = sendLog();
    ASSERT_EQ(log.size(), 1);
    EXPECT_EQ(log[0][1], QString("0111512345678"));
    EXPECT_EQ(log[0][2], QString("Enviado Via Whatsapp"));
    EXPECT_EQ(log[0][8], QString("OK"));
    EXPECT_EQ(log[0][10], QString("Whatsapp"));
    // The dialog stays open for another message.
    EXPECT_TRUE(dialog.pSalir);
    EXPECT_EQ(dialog.unloads, 0);
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(EnviarWhatsappTest, ANumberAndATextAreRequired) {
    struct Case {
        const char* name;
        QString numero, texto, aviso;
    };
    const Case cases[] = {
        {"no number", "  ", "Hola", "Debe informar el número de contacto"},
        {"no text", "3415555555", "   ", "Debe informar el mensaje a enviar"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zxtest::OpenedLinks links;
        dialog.whatsappTo = c.numero;
        dialog.whatsappText = c.texto;
        op.answer(vb::vbOK);
        send::EnviarWhatsapp(dialog);
        ASSERT_FALSE(op.messages().isEmpty());
        EXPECT_EQ(op.messages().last().text, c.aviso);
        EXPECT_EQ(op.messages().last().title, QString("Aviso"));
        EXPECT_EQ(op.messages().last().icon, int(vb::vbInformation));
        EXPECT_TRUE(links.urls().isEmpty());
        EXPECT_FALSE(dialog.pSalir);
    }
    EXPECT_TRUE(sendLog().isEmpty());
}

// Without a desktop to open the link nothing was sent, and the log does not say it was.
TEST_F(EnviarWhatsappTest, ALinkTheDesktopRefusesIsNeitherSentNorLogged) {
    op.answer(vb::vbOK);
    send::EnviarWhatsapp(dialog);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].title, QString("Aviso"));
    EXPECT_TRUE(sendLog().isEmpty());
    EXPECT_FALSE(dialog.pSalir);
}

class PreparaWhatsappTest : public sendtest::SendTest {
protected:
    PreparaWhatsappTest() {
        abreEstadisticas();
        dialog.fields["Asunto"] = "  Informe de Errores  ";
    }
    Dialog dialog;
};

TEST_F(PreparaWhatsappTest, WithoutAttachmentTheTextIsTheSubjectAndTheLastLink) {
    const std::pair<QString, QString> cases[] = {
        {"", "Informe de Errores"},
        {"http://docs/Clientes/C1/202405/a.pdf",
         "Informe de Errores\r\nLink del documento : http://docs/Clientes/C1/202405/a.pdf"},
    };
    for (const auto& [link, texto] : cases) {
        SCOPED_TRACE(link.toStdString());
        dialog.LinkDocumento = link;
        dialog.whatsappText = "lo que había";
        send::PreparaWhatsapp(dialog);
        EXPECT_EQ(dialog.whatsappText, texto);
    }
    EXPECT_EQ(dialog.waitPanel, (QList<bool>{true, false, true, false}));
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(PreparaWhatsappTest, WithoutAClientCodeTheOperatorIsToldAndTheLinkKept) {
    dialog.archAdjunto = writeFile("informe.pdf", "%PDF-1.4");
    dialog.LinkDocumento = "http://docs/anterior.pdf";
    op.answer(vb::vbOK);
    send::PreparaWhatsapp(dialog);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text,
              QString("Debe configurar el codigo de cliente!\r\nComuniquese con Vendrix Plus."));
    EXPECT_EQ(op.messages()[0].title, QString("Aviso"));
    EXPECT_EQ(dialog.whatsappText,
              QString("Informe de Errores\r\nLink del documento : http://docs/anterior.pdf"));
    EXPECT_EQ(dialog.waitPanel, (QList<bool>{true, false}));
    // Nothing was copied into the program folder.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList());
}

TEST(GetStringFileTest, DecodesALinkIntoAFileName) {
    struct Case {
        QString value;
        bool force;
        QString result, kept;
    };
    const Case cases[] = {
        {"a+b%2Fc%25d", true, "a_b\\c%d", "a b\\c%d"},
        {"a+b%2fc", false, "a+b\\c", "a+b\\c"},
        {"Informe%20Mayo%2Epdf", false, "Informe_Mayo.pdf", "Informe Mayo.pdf"},
        {"100%2541", false, "100%41", "100%41"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        QString value = c.value;
        EXPECT_EQ(send::GetStringFile(value, c.force), c.result);
        EXPECT_EQ(value, c.kept);
    }
}

TEST(GetStringFileTest, APercentWithoutTwoHexadecimalDigitsIsATypeMismatch) {
    for (const char* text : {"50%", "a%zzb", "%4"}) {
        SCOPED_TRACE(text);
        QString value = text;
        try {
            send::GetStringFile(value, false);
            ADD_FAILURE() << "no error";
        } catch (const vb::VbError& e) {
            EXPECT_EQ(e.Number, vb::err::TypeMismatch);
        }
    }
}

}  // namespace
