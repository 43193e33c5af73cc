#include "send/subidaweb.h"

#include "platform/vb/app.h"
#include "platform/vb/textfile.h"
#include "send/hooks.h"
#include "send/imagenes.h"
#include "send/whatsapp.h"
#include "tests/send/send_fixture.h"
#include "tests/support/ftp_server.h"
#include "tests/support/pictures.h"
#include "transfer/rt_imgthumbs.h"
#include "transfer/voraro.h"

#include <QDir>
#include <QImage>

namespace {

using sendtest::Dialog;

// The web upload on a real FTP server: the client code in the statistics database, the
// deployment's document server in the INI file, and the unattended FTP job installed.
class SubidaWebTest : public sendtest::SendTest {
protected:
    SubidaWebTest() {
        abreEstadisticas();
        data.exec("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('FTP_CODIGOCTA', 'C123')",
                  zxtest::TestDatabase::statisticsName);
        servidor();
        previous_ = std::exchange(sendhooks::servicios().EjecutaFTP, VORARo::EjecutaFTP);
        clock.set(QDateTime(QDate(2021, 6, 22), QTime(9, 5, 7)));
    }
    ~SubidaWebTest() override { sendhooks::servicios().EjecutaFTP = std::move(previous_); }

    // The INI section of the document server; `extra` lines go at its end.
    void servidor(const QString& publico = "127.0.0.1", const QStringList& extra = {}) {
        ASSERT_TRUE(vb::writeTextLines(
            folder.file("ZX900pr.INI"),
            QStringList{"[ServidorDocumentos]", "Servidor=" + publico,
                        "Puerto=" + QString::number(ftp.port()), "Usuario=" + ftp.login(),
                        "Password=" + ftp.password()} +
                extra));
    }
    QString sube(const QString& origen, QString nombre, QString ext, bool mantener = false) {
        send::uploadAdjuntoWeb(dialog, origen, nombre, ext, mantener);
        return nombre + "|" + ext;
    }
    QStringList programFiles() const {
        return QDir(folder.path()).entryList({"*.pdf", "*.bmp", "*.PDF", "*.HTML"}, QDir::Files);
    }

    zxtest::FtpServer ftp;
    Dialog dialog;

private:
    std::function<void(const QString&, std::int16_t&)> previous_;
};

TEST_F(SubidaWebTest, TheFileGoesUpUnderTheClientsMonthAndItsLinkIsKept) {
    const QString pdf = writeFile("informe.pdf", "%PDF-1.4 informe");
    EXPECT_EQ(sube(pdf, "", ".pdf"), QString("DOCUMENTO_TMP|pdf"));
    const QString nombre = "DOCUMENTO_TMP_20210622090507.pdf";
    EXPECT_EQ(zxtest::readFile(ftp.file("DOC_ONLINE/C123/202106/" + nombre)),
              QByteArray("%PDF-1.4 informe"));
    EXPECT_EQ(dialog.LinkDocumento, "http://127.0.0.1/Clientes/C123/202106/" + nombre);
    // The list the job read holds the one name; the local copy is gone.
    EXPECT_EQ(zxtest::readFile(folder.file("ComandosI.txt")), (nombre + "\r\n").toLatin1());
    EXPECT_EQ(programFiles(), QStringList());
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(SubidaWebTest, KeepingTheNameUploadsItAsGiven) {
    const QString bmp = writeFile("foto.bmp", "BM");
    sube(bmp, "DOCUMENTO_IMAGEN", "bmp", true);
    EXPECT_EQ(zxtest::readFile(ftp.file("DOC_ONLINE/C123/202106/DOCUMENTO_IMAGEN.bmp")),
              QByteArray("BM"));
    EXPECT_EQ(dialog.LinkDocumento,
              QString("http://127.0.0.1/Clientes/C123/202106/DOCUMENTO_IMAGEN.bmp"));
}

TEST_F(SubidaWebTest, TheInHouseComputersUseTheInHouseServerAndLinkThePublicOne) {
    servidor("docs.vendrix.invalid",
             {"ServidorInterno=127.0.0.1", "EquiposInternos=SERVER1,Caja-01"});
    sube(writeFile("a.pdf", "a"), "A", "pdf", true);
    EXPECT_EQ(zxtest::readFile(ftp.file("DOC_ONLINE/C123/202106/A.pdf")), QByteArray("a"));
    EXPECT_EQ(dialog.LinkDocumento,
              QString("http://docs.vendrix.invalid/Clientes/C123/202106/A.pdf"));
}

TEST_F(SubidaWebTest, AFailedTransferLeavesNoLinkAndNoCopy) {
    ASSERT_TRUE(vb::writeTextLines(
        folder.file("ZX900pr.INI"),
        {"[ServidorDocumentos]", "Servidor=127.0.0.1", "Puerto=" + QString::number(ftp.port()),
         "Usuario=nadie", "Password=mala"}));
    dialog.LinkDocumento = "http://127.0.0.1/Clientes/C123/202106/anterior.pdf";
    sube(writeFile("a.pdf", "a"), "", "pdf");
    EXPECT_EQ(dialog.LinkDocumento, QString());
    EXPECT_EQ(programFiles(), QStringList());
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(SubidaWebTest, WithoutTheFtpClientOrItsServerTheOperatorIsToldAndTheLinkKept) {
    const QString aviso =
        "No se encuentra el cliente FTP KqFTP, comuniquelo a su proveedor de sistemas.";
    struct Case {
        const char* name;
        bool job;
        QString server;
    };
    const Case cases[] = {{"no FTP job", false, "127.0.0.1"}, {"no server", true, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto job = sendhooks::servicios().EjecutaFTP;
        if (!c.job) sendhooks::servicios().EjecutaFTP = nullptr;
        servidor(c.server);
        dialog.LinkDocumento = "http://127.0.0.1/anterior.pdf";
        op.answer(vb::vbOK);
        sube(writeFile("a.pdf", "a"), "", "pdf");
        sendhooks::servicios().EjecutaFTP = job;
        EXPECT_EQ(op.messages().last().text, aviso);
        EXPECT_EQ(op.messages().last().title, QString("Aviso"));
        EXPECT_EQ(dialog.LinkDocumento, QString("http://127.0.0.1/anterior.pdf"));
        EXPECT_EQ(programFiles(), QStringList());
    }
    EXPECT_TRUE(ftp.commands({"STOR"}).isEmpty());
}

TEST_F(SubidaWebTest, TheWhatsappModeNamesTheUploadAfterTheVoucherOrTheDay) {
    struct Case {
        const char* name;
        QString tc, attachment, uploaded, kept;
    };
    const QString pdf = writeFile("informe.pdf", "%PDF");
    const QString a = writeFile("a.htm", "<html>a</html>");
    const QString b = writeFile("b.htm", "<html>b</html>");
    const Case cases[] = {
        {"a voucher", "FCA", pdf, "FCA0001000001234_20210622090507.PDF", pdf},
        {"a PDF", "", pdf, "20210622_20210622090507.PDF", pdf},
        // Of several pages only the first goes up, and only it stays attached.
        {"pages", "", a + ";" + b, "20210622_20210622090507.HTML", a},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialog.TC = c.tc;
        dialog.IdComprobante = "0001000001234";
        dialog.archAdjunto = c.attachment;
        dialog.fields["Asunto"] = "Factura";
        send::PreparaWhatsapp(dialog);
        EXPECT_TRUE(QFile::exists(ftp.file("DOC_ONLINE/C123/202106/" + c.uploaded)));
        EXPECT_EQ(dialog.archAdjunto, c.kept);
        EXPECT_EQ(dialog.whatsappText,
                  "Factura\r\nLink del documento : "
                  "http://127.0.0.1/Clientes/C123/202106/" +
                      c.uploaded);
    }
}

// The message's picture: the thumbnails of the file-transfer subsystem and the upload above.
class ImagenTest : public SubidaWebTest {
protected:
    ImagenTest() {
        previous_ =
            std::exchange(sendhooks::servicios().GeneraThumbnail, Rt_ImgThumbs::GeneraThumbnail);
    }
    ~ImagenTest() override { sendhooks::servicios().GeneraThumbnail = std::move(previous_); }

    static QImage picture(int width, int height, QColor color = Qt::darkCyan) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(color);
        return image;
    }
    QString link(const QString& name) const {
        return "http://127.0.0.1/Clientes/C123/202106/" + name;
    }

private:
    decltype(sendhooks::Servicios::GeneraThumbnail) previous_;
};

TEST_F(ImagenTest, APastedPictureGoesUpAsAThumbnailAndItsLinkIsAdded) {
    dialog.whatsappText = "Factura";
    send::PegaImagen(dialog, picture(1600, 1200));
    clock.set(clock.instant().addSecs(1));
    send::PegaImagen(dialog, picture(40, 30, Qt::red));
    for (const char* stamp : {"20210622090507", "20210622090508"}) {
        SCOPED_TRACE(stamp);
        const QString thumb = folder.file(QString("IMAGENES/thumbs5/%1.bmp").arg(stamp));
        EXPECT_TRUE(QFile::exists(thumb));
        EXPECT_EQ(zxtest::readFile(ftp.file(
                      QString("DOC_ONLINE/C123/202106/DOCUMENTO_IMAGEN_%1.bmp").arg(stamp))),
                  zxtest::readFile(thumb));
        // The temporary picture goes; the copy in the picture folder stays.
        EXPECT_FALSE(QFile::exists(folder.file(QString("IMAGENES/TMP_%1.jpg").arg(stamp))));
        EXPECT_TRUE(QFile::exists(folder.file(QString("IMAGENES/%1.jpg").arg(stamp))));
    }
    EXPECT_EQ(QImage(folder.file("IMAGENES/thumbs5/20210622090507.bmp")).size(), QSize(1100, 825));
    EXPECT_EQ(dialog.whatsappText,
              "Factura\r\nLink del documento : " + link("DOCUMENTO_IMAGEN_20210622090507.bmp") +
                  "\r\nLink del documento : " + link("DOCUMENTO_IMAGEN_20210622090508.bmp"));
    EXPECT_EQ(dialog.fields["RutaImagen"], folder.file("IMAGENES/thumbs5/20210622090508.bmp"));
    EXPECT_EQ(dialog.picture.size(), QSize(40, 30));
    EXPECT_EQ(dialog.waitPanel, (QList<bool>{true, true, false, false, true, true, false, false}));
    EXPECT_TRUE(op.prompts().isEmpty());
}

// A pasted picture that does not fit on the disk is told as the write failure it is, and no
// empty temporary picture is left behind.
TEST_F(ImagenTest, APastedPictureOnAFullDiskIsToldAndLeavesNothing) {
    op.setStrictAtEnd(false);  // the answer is taken in the child
    op.answer(vb::vbAbort);
    const auto run = zxtest::onSmallDisk([&](const QString& disk) {
        vb::App().Path = disk;
        QDir(disk).mkpath("IMAGENES");
        if (!zxtest::fillDisk(disk)) return false;
        send::PegaImagen(dialog, picture(40, 30));
        return op.messages().size() == 1 && op.messages()[0].text.startsWith("Error 75\r\n");
    });
    ASSERT_TRUE(run.has_value());
    EXPECT_TRUE(run->answer);
    EXPECT_EQ(run->files.keys(), QStringList{"relleno"});
}

TEST_F(ImagenTest, AClipboardWithoutAPictureIsTold) {
    op.answer(vb::vbOK);
    send::PegaImagen(dialog, std::nullopt);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text, QString("Imagen no válida"));
    EXPECT_EQ(op.messages()[0].title, QString("Aviso"));
    EXPECT_EQ(op.messages()[0].icon, int(vb::vbCritical));
    EXPECT_EQ(dialog.waitPanel, (QList<bool>{true, false}));
    EXPECT_FALSE(QDir(folder.file("IMAGENES")).exists());
}

TEST_F(ImagenTest, AThumbnailThatCannotBeMadeIsToldAndKeepsTheLastLink) {
    dialog.LinkDocumento = link("anterior.bmp");
    QString tmp = folder.file("IMAGENES/TMP_1.jpg");
    op.answer(vb::vbOK).answer(vb::vbOK);
    send::GeneraThumb(dialog, tmp, "1");
    ASSERT_EQ(op.messages().size(), 2);
    EXPECT_TRUE(op.messages()[0].text.startsWith("No se pudo cargar la imagen "));
    EXPECT_EQ(op.messages()[1].text, QString("Error al subir la imagen. Intente nuevamente."));
    EXPECT_EQ(op.messages()[1].title, QString("Aviso"));
    EXPECT_EQ(dialog.LinkDocumento, link("anterior.bmp"));
    EXPECT_EQ(dialog.waitPanel, (QList<bool>{true, false}));
}

// The last picture's link is not this picture's: a paste without a thumbnail adds none.
TEST_F(ImagenTest, APasteWithoutAThumbnailAddsNoLink) {
    dialog.whatsappText = "Factura";
    dialog.LinkDocumento = link("anterior.bmp");
    // A folder in the way of the picture's copy.
    ASSERT_TRUE(QDir().mkpath(folder.file("IMAGENES/20210622090507.jpg")));
    op.answer(vb::vbOK).answer(vb::vbOK);
    send::PegaImagen(dialog, picture(40, 30));
    ASSERT_EQ(op.messages().size(), 2);
    EXPECT_EQ(op.messages()[1].text, QString("Error al subir la imagen. Intente nuevamente."));
    EXPECT_EQ(dialog.whatsappText, QString("Factura"));
    EXPECT_EQ(dialog.LinkDocumento, link("anterior.bmp"));
    EXPECT_TRUE(ftp.commands({"STOR"}).isEmpty());
}

TEST_F(ImagenTest, AChosenPictureFileGoesUpAndStaysShown) {
    const QString elegida = tmp.file("logo.png");
    ASSERT_TRUE(picture(300, 200).save(elegida));
    op.openFile(elegida);
    send::BuscaImagen(dialog);
    EXPECT_EQ(op.prompts()[0].title, QString("Buscar Archivos"));
    EXPECT_EQ(op.prompts()[0].text, QString("Archivos de Imagenes|*.Bmp;*.Wmf;*.Jpg;*.Gif;*.ico"));
    EXPECT_TRUE(
        QFile::exists(ftp.file("DOC_ONLINE/C123/202106/DOCUMENTO_IMAGEN_20210622090507.bmp")));
    EXPECT_EQ(dialog.fields["RutaImagen"], folder.file("IMAGENES/thumbs5/20210622090507.bmp"));
    EXPECT_EQ(dialog.pictureTip, elegida);
    EXPECT_EQ(dialog.picture.size(), QSize(300, 200));
    EXPECT_EQ(dialog.whatsappText,
              "\r\nLink del documento : " + link("DOCUMENTO_IMAGEN_20210622090507.bmp"));
}

TEST_F(ImagenTest, ACancelledChoiceChangesNothing) {
    dialog.picture = picture(5, 5);
    op.openFile(std::nullopt);
    send::BuscaImagen(dialog);
    EXPECT_EQ(dialog.picture.size(), QSize(5, 5));
    EXPECT_TRUE(dialog.waitPanel.isEmpty());
    EXPECT_EQ(dialog.fields.value("RutaImagen"), QString());
}

TEST_F(ImagenTest, AsignarFotoTellsAMissingFileAndABrokenPicture) {
    dialog.picture = picture(5, 5);
    send::AsignarFoto(dialog, tmp.file("no-existe.jpg"));
    EXPECT_EQ(dialog.pictureTip, QString("No existe el archivo..."));
    EXPECT_EQ(dialog.picture.size(), QSize(5, 5));

    op.answer(vb::vbOK);
    send::AsignarFoto(dialog, writeFile("roto.jpg", "no es una imagen"));
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].title, QString("Aviso al operador!!!"));
    EXPECT_TRUE(dialog.picture.isNull());

    // Too large to decode: refused by its header, named.
    dialog.picture = picture(5, 5);
    const QString enorme = tmp.file("enorme.gif");
    ASSERT_TRUE(zxtest::writeFile(enorme, zxtest::gifAnnouncing({65535, 480}, {1, 1})));
    op.answer(vb::vbOK);
    send::AsignarFoto(dialog, enorme);
    ASSERT_EQ(op.messages().size(), 2);
    EXPECT_EQ(op.messages()[1].text,
              "La imagen " + enorme +
                  " es demasiado grande: 65535 × 480 píxeles (se admiten hasta 24 millones)");
    EXPECT_TRUE(dialog.picture.isNull());
}

}  // namespace
