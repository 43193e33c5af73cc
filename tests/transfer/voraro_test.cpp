#include "transfer/voraro.h"

#include "platform/vb/textfile.h"
#include "platform/vb/vberror.h"
#include "tests/support/fixtures.h"
#include "tests/support/ftp_server.h"
#include "tests/support/scripted_operator.h"
#include "tests/transfer/ventanas_grabadas.h"
#include "transfer/modftp.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

namespace {

using Popup = zxtest::VentanasGrabadas::LlamadaPopup;
const Popup kMuestra{0, 220, 5, 6375, 2190};
const Popup kOculta{1, 220, 5, 6375, 2190};

class EjecutaFTPTest : public ::testing::Test {
protected:
    void SetUp() override {
        modFTP::gFTPAutomatico = false;
        VORARo::gServidorFTPAlternativo.clear();
        QDir(program_.path()).mkdir("t");
    }
    void TearDown() override {
        modFTP::gFTPAutomatico = false;
        VORARo::gServidorFTPAlternativo.clear();
    }
    // The local folder, written with its trailing separator as the send dialog writes it.
    QString destino() const { return program_.file("t/"); }
    // The parameter string as the web upload of the send dialog writes it.
    QString parametros(const QString& archivo = "ComandosI.txt", const QString& download = "NO",
                       const QString& extra = "DIRWEB=DOC;") const {
        return "DOWNLOAD=" + download + ";PUERTO=" + QString::number(server_.port()) +
               ";SERVER=" + server_.host() + ";USUARIO=" + server_.login() +
               ";PASSWORD=" + server_.password() + ";ARCHIVO=" + archivo + ";" + extra +
               "DIRDESTINO=" + destino() + ";";
    }
    void lista(const QStringList& lineas) {
        ASSERT_TRUE(vb::writeTextLines(program_.file("ComandosI.txt"), lineas));
    }
    std::int16_t corre(const QString& p) {
        std::int16_t hayError = 99;
        VORARo::EjecutaFTP(p, hayError);
        return hayError;
    }

    zxtest::ProgramFolder program_;
    zxtest::FtpServer server_;
    zxtest::VentanasGrabadas ventanas_;
    zxtest::ScriptedOperator operator_;
};

TEST_F(EjecutaFTPTest, AListJobUploadsEveryListedFileIntoTheRemoteFolder) {
    ASSERT_TRUE(zxtest::writeFile(destino() + "factura 1.pdf", "uno"));
    ASSERT_TRUE(zxtest::writeFile(destino() + "foto.bmp", "dos"));
    lista({"factura 1.pdf", "foto.bmp"});
    EXPECT_EQ(corre(parametros()), 0);
    EXPECT_EQ(zxtest::readFile(server_.file("DOC/factura 1.pdf")), QByteArray("uno"));
    EXPECT_EQ(zxtest::readFile(server_.file("DOC/foto.bmp")), QByteArray("dos"));
    EXPECT_EQ(ventanas_.notificacion.titulos, QStringList({"Subiendo 1 de 2", "Subiendo 2 de 2"}));
    EXPECT_EQ(ventanas_.notificacion.infos,
              QStringList({"Subiendo factura 1.pdf", "Subiendo foto.bmp"}));
    EXPECT_EQ(ventanas_.notificacion.caption, QString("||FTP Subiendo||"));
    EXPECT_EQ(ventanas_.popups, QList<Popup>({kMuestra, kMuestra, kOculta}));
    EXPECT_EQ(ventanas_.ventanaDescargada, 1);
    EXPECT_TRUE(modFTP::gFTPAutomatico);
    EXPECT_EQ(server_.commands({"MKD"}), QStringList({"MKD /DOC"}));
}

TEST_F(EjecutaFTPTest, AnEmptyLineIsSkippedButCounted) {
    ASSERT_TRUE(zxtest::writeFile(destino() + "b.txt", "b"));
    lista({"", "b.txt"});
    EXPECT_EQ(corre(parametros()), 0);
    EXPECT_EQ(ventanas_.notificacion.titulos, QStringList({"Subiendo 2 de 2"}));
}

TEST_F(EjecutaFTPTest, UploadsThatFailAlsoAtTheirRetryLeaveTheErrorFlag) {
    lista({"a.txt", "b.txt"});
    EXPECT_EQ(corre(parametros()), -1);
    EXPECT_EQ(ventanas_.notificacion.infos,
              QStringList({"Subiendo a.txt", "** FALLO  a.txt", "** REINTENTANDO  a.txt",
                           "Subiendo b.txt", "** FALLO  b.txt", "** REINTENTANDO  b.txt"}));
    // Each retry logs in again.
    EXPECT_EQ(server_.commands({"USER"}).size(), 3) << server_.commands().join("|").toStdString();
    EXPECT_EQ(ventanas_.popups, QList<Popup>({kMuestra, kMuestra, kMuestra, kMuestra, kOculta}));
}

TEST_F(EjecutaFTPTest, AFileThatGoesUpAtItsRetryClearsTheErrorFlag) {
    lista({"a.txt", "b.txt"});
    // The file appears while the popup tells of the first failure.
    ventanas_.notificacion.alEscribirInfo = [this](const QString& info) {
        if (info == "** FALLO  b.txt") {
            ASSERT_TRUE(zxtest::writeFile(destino() + "b.txt", "tarde"));
        }
    };
    EXPECT_EQ(corre(parametros()), 0);
    EXPECT_EQ(ventanas_.notificacion.infos.mid(3),
              QStringList({"Subiendo b.txt", "** FALLO  b.txt", "** REINTENTANDO  b.txt",
                           "** OK  b.txt"}));
    EXPECT_EQ(zxtest::readFile(server_.file("DOC/b.txt")), QByteArray("tarde"));
}

TEST_F(EjecutaFTPTest, ABlankStringOnlyOpensTheClientWindow) {
    modFTP::gFTPAutomatico = true;
    EXPECT_EQ(corre("   "), -1);
    EXPECT_EQ(ventanas_.ventanaMostrada, 1);
    EXPECT_FALSE(modFTP::gFTPAutomatico);
    EXPECT_TRUE(ventanas_.popups.isEmpty());
    EXPECT_TRUE(server_.commands().isEmpty());
}

TEST_F(EjecutaFTPTest, TheFallbackServerTakesTheJobWhenTheServerRefuses) {
    VORARo::gServidorFTPAlternativo = server_.host();
    ASSERT_TRUE(zxtest::writeFile(destino() + "a.txt", "a"));
    lista({"a.txt", "no-hay.txt"});
    QString p = parametros();
    // Nothing listens on this other local address.
    p.replace("SERVER=" + server_.host(), "SERVER=127.0.0.2");
    EXPECT_EQ(corre(p), 0);
    EXPECT_EQ(zxtest::readFile(server_.file("DOC/a.txt")), QByteArray("a"));
    // The first login and the one of the retry, both on the fallback server.
    EXPECT_EQ(server_.commands({"USER"}).size(), 2);
}

TEST_F(EjecutaFTPTest, WithoutDirwebTheJobWorksInTheRootFolder) {
    ASSERT_TRUE(zxtest::writeFile(destino() + "a.txt", "a"));
    lista({"a.txt"});
    EXPECT_EQ(corre(parametros("ComandosI.txt", "NO", "")), 0);
    EXPECT_EQ(zxtest::readFile(server_.file("a.txt")), QByteArray("a"));
    EXPECT_TRUE(server_.commands({"MKD"}).isEmpty());
}

TEST_F(EjecutaFTPTest, AValueWithoutItsSemicolonAsksAndIgnoreLeavesItEmpty) {
    ASSERT_TRUE(zxtest::writeFile(destino() + "a.txt", "a"));
    lista({"a.txt"});
    QString p = parametros();
    p.chop(1);
    operator_.answer(vb::vbIgnore);
    EXPECT_EQ(corre(p), -1);
    ASSERT_EQ(operator_.messages().size(), 1);
    const auto box = operator_.messages().first();
    EXPECT_EQ(box.title, QString("Atencion"));
    EXPECT_EQ(box.style, int(vb::vbAbortRetryIgnore));
    EXPECT_EQ(box.text, QString("Error Invalid procedure call or argument\r\nArchivo:ComandosI.txt"
                                "\r\nDest: \r\nimagen: \r\nDirWeb DOC"));
    // It went on without a local folder: the file was not found, and the job ended.
    EXPECT_EQ(ventanas_.notificacion.infos.first(), QString("Subiendo a.txt"));
    EXPECT_EQ(ventanas_.popups.last(), kOculta);
}

TEST_F(EjecutaFTPTest, AbortLeavesTheJobAtOnce) {
    EXPECT_FALSE(QFile::exists(program_.file("ComandosI.txt")));
    operator_.answer(vb::vbAbort);
    EXPECT_EQ(corre(parametros()), -1);
    ASSERT_EQ(operator_.messages().size(), 1);
    EXPECT_TRUE(operator_.messages().first().text.contains(
        "Archivo:" + program_.file("ComandosI.txt") + "\r\n"));
    EXPECT_TRUE(ventanas_.popups.isEmpty());
    EXPECT_EQ(ventanas_.ventanaDescargada, 0);
}

TEST_F(EjecutaFTPTest, AllFilesAreDownloadedWithoutRegardToCaseAndWithoutThePopup) {
    QDir(server_.root()).mkpath("DOC/sub");
    ASSERT_TRUE(zxtest::writeFile(server_.file("DOC/uno.txt"), "1"));
    ASSERT_TRUE(zxtest::writeFile(server_.file("DOC/dos.txt"), "22"));
    EXPECT_EQ(corre(parametros("todos", "si")), -1);
    EXPECT_EQ(zxtest::readFile(destino() + "uno.txt"), QByteArray("1"));
    EXPECT_EQ(zxtest::readFile(destino() + "dos.txt"), QByteArray("22"));
    EXPECT_FALSE(QFileInfo::exists(destino() + "sub"));
    EXPECT_EQ(ventanas_.popups, QList<Popup>({kOculta}));
}

TEST_F(EjecutaFTPTest, AMissingLocalFolderIsMadeBeforeAnyTransfer) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("uno.txt"), "1"));
    QString p = parametros("TODOS", "SI", "");
    p.replace("DIRDESTINO=" + destino(), "DIRDESTINO=" + program_.file("nueva/"));
    corre(p);
    EXPECT_EQ(zxtest::readFile(program_.file("nueva/uno.txt")), QByteArray("1"));
}

TEST_F(EjecutaFTPTest, AllFilesOfTheLocalFolderAreUploaded) {
    ASSERT_TRUE(zxtest::writeFile(destino() + "a.txt", "a"));
    ASSERT_TRUE(zxtest::writeFile(destino() + "b.txt", "b"));
    QDir(destino()).mkdir("sub");
    EXPECT_EQ(corre(parametros("TODOS", "NO")), -1);
    EXPECT_EQ(zxtest::readFile(server_.file("DOC/a.txt")), QByteArray("a"));
    EXPECT_EQ(zxtest::readFile(server_.file("DOC/b.txt")), QByteArray("b"));
    EXPECT_FALSE(QFileInfo::exists(server_.file("DOC/sub")));
    EXPECT_EQ(ventanas_.notificacion.titulos,
              QStringList({"Subiendo Información", "Subiendo Información"}));
    EXPECT_EQ(ventanas_.notificacion.infos, QStringList({"Subiendo a.txt", "Subiendo b.txt"}));
}

TEST_F(EjecutaFTPTest, OneFileIsDownloadedUploadedOrDeleted) {
    QDir(server_.root()).mkdir("DOC");
    ASSERT_TRUE(zxtest::writeFile(server_.file("DOC/remoto.txt"), "r"));
    ASSERT_TRUE(zxtest::writeFile(server_.file("DOC/borrar.txt"), "x"));
    ASSERT_TRUE(zxtest::writeFile(destino() + "local.txt", "l"));
    struct Case {
        QString archivo, download, titulo;
    } cases[] = {
        {"remoto.txt", "SI", "Descargando Información"},
        {"local.txt", "no", "Subiendo Información"},
        {"borrar.txt", "BORRAR", ""},
        {"otro.txt", "QUIZAS", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.download.toStdString());
        ventanas_.notificacion.titulo.clear();
        EXPECT_EQ(corre(parametros(c.archivo, c.download)), -1);
        EXPECT_EQ(ventanas_.notificacion.titulo, c.titulo);
    }
    EXPECT_EQ(zxtest::readFile(destino() + "remoto.txt"), QByteArray("r"));
    EXPECT_EQ(zxtest::readFile(server_.file("DOC/local.txt")), QByteArray("l"));
    EXPECT_FALSE(QFile::exists(server_.file("DOC/borrar.txt")));
    EXPECT_EQ(server_.commands({"DELE"}), QStringList({"DELE /DOC/borrar.txt"}));
}

TEST_F(EjecutaFTPTest, ARefusedLoginTransfersNothing) {
    ASSERT_TRUE(zxtest::writeFile(destino() + "a.txt", "a"));
    lista({"a.txt"});
    QString p = parametros();
    p.replace("PASSWORD=" + server_.password(), "PASSWORD=otra");
    EXPECT_EQ(corre(p), -1);
    EXPECT_TRUE(server_.commands({"STOR", "MKD"}).isEmpty());
    EXPECT_EQ(ventanas_.popups, QList<Popup>({kOculta}));
    EXPECT_EQ(ventanas_.ventanaDescargada, 1);
}

// Every file below the program folder, relative to it.
QStringList archivosBajo(const QString& carpeta) {
    QStringList out;
    QDirIterator it(carpeta, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) out << QDir(carpeta).relativeFilePath(it.next());
    out.sort();
    return out;
}

TEST_F(EjecutaFTPTest, AHostileListingWritesNothingOutsideTheDestination) {
    // A server whose listing names files above, beside and below the folder, and one name
    // twice in different case.
    const QByteArray nombres[] = {
        "../../bueno.txt",
        "..",
        ".",
        "/absoluto.txt",
        "sub/dentro.txt",
        "barra\\invertida.txt",
        "C:fuera.txt",
        "control\x01.txt",
        "bueno.txt",
        "A.TXT",
        "a.txt",
    };
    QByteArray listado = "type=cdir;modify=20240301120000; .\r\n";
    for (const QByteArray& n : nombres)
        listado += "type=file;size=5;modify=20240301120000; " + n + "\r\n";
    zxtest::FtpServer::Options opciones;
    opciones.listing = listado;
    zxtest::FtpServer hostil(opciones);
    QDir(hostil.root()).mkpath("DOC/sub");
    for (const char* n : {"DOC/A.TXT", "DOC/a.txt", "DOC/sub/dentro.txt", "absoluto.txt"})
        ASSERT_TRUE(zxtest::writeFile(hostil.file(n), QByteArray(n).right(5)));
    ASSERT_TRUE(zxtest::writeFile(hostil.file("DOC/bueno.txt"), "bueno"));
    ASSERT_TRUE(zxtest::writeFile(hostil.file("bueno.txt"), "fuera"));

    QDir(program_.path()).mkpath("uno/dos/t");
    QString p = parametros("TODOS", "SI");
    p.replace(";PUERTO=" + QString::number(server_.port()) + ";",
              ";PUERTO=" + QString::number(hostil.port()) + ";");
    p.replace("DIRDESTINO=" + destino(), "DIRDESTINO=" + program_.file("uno/dos/t/"));
    // Each refused name and the second spelling of the repeated one are told, and the
    // operator goes on.
    for (int i = 0; i < 9; ++i) operator_.answer(vb::vbIgnore);
    EXPECT_EQ(corre(p), -1);

    EXPECT_EQ(archivosBajo(program_.path()),
              QStringList({"uno/dos/t/A.TXT", "uno/dos/t/bueno.txt"}));
    EXPECT_EQ(zxtest::readFile(program_.file("uno/dos/t/bueno.txt")), QByteArray("bueno"));
    EXPECT_EQ(zxtest::readFile(program_.file("uno/dos/t/A.TXT")), QByteArray("A.TXT"));
    QStringList contados;
    for (const zxtest::Prompt& m : operator_.messages()) {
        EXPECT_EQ(m.title, QString("Atencion"));
        const qsizetype desde = m.text.indexOf("\r\nimagen: ") + 10;
        contados << m.text.mid(desde, m.text.indexOf("\r\n", desde) - desde);
    }
    contados.sort();
    EXPECT_EQ(contados,
              QStringList({".", "..", "../../bueno.txt", "/absoluto.txt", "C:fuera.txt", "a.txt",
                           "barra\\invertida.txt", "control?.txt", "sub/dentro.txt"}));
    EXPECT_EQ(ventanas_.popups.last(), kOculta);
    EXPECT_EQ(hostil.commands({"RETR"}), QStringList({"RETR /DOC/bueno.txt", "RETR /DOC/A.TXT"}));
}

TEST_F(EjecutaFTPTest, ADownloadCutPartWayLeavesTheOldLocalFile) {
    zxtest::FtpServer::Options opciones;
    opciones.cutFile = "grande.bin";
    opciones.cutAfter = 1000;
    zxtest::FtpServer cortado(opciones);
    QDir(cortado.root()).mkdir("DOC");
    ASSERT_TRUE(zxtest::writeFile(cortado.file("DOC/grande.bin"), QByteArray(100000, 'g')));
    for (const QString archivo : {"grande.bin", "TODOS"}) {
        SCOPED_TRACE(archivo.toStdString());
        ASSERT_TRUE(zxtest::writeFile(destino() + "grande.bin", "anterior"));
        QString p = parametros(archivo, "SI");
        p.replace(";PUERTO=" + QString::number(server_.port()) + ";",
                  ";PUERTO=" + QString::number(cortado.port()) + ";");
        corre(p);
        EXPECT_EQ(zxtest::readFile(destino() + "grande.bin"), QByteArray("anterior"));
        EXPECT_EQ(QDir(destino()).entryList(QDir::Files | QDir::Hidden),
                  QStringList({"grande.bin"}));
    }
    EXPECT_EQ(cortado.commands({"RETR"}).size(), 2);
}

// A server that refuses SIZE and closes the data connection part-way with "226": the job's
// downloads, of one file and of every file, keep the earlier local copy.
TEST_F(EjecutaFTPTest, ADownloadEndedEarlyAsCompleteLeavesTheOldLocalFile) {
    zxtest::FtpServer::Options opciones;
    opciones.sizeCommand = false;
    opciones.cutFile = "grande.bin";
    opciones.cutAfter = 8000;
    opciones.cutEndsComplete = true;
    zxtest::FtpServer corto(opciones);
    QDir(corto.root()).mkdir("DOC");
    ASSERT_TRUE(zxtest::writeFile(corto.file("DOC/grande.bin"), QByteArray(20000, 'g')));
    for (const QString archivo : {"grande.bin", "TODOS"}) {
        SCOPED_TRACE(archivo.toStdString());
        ASSERT_TRUE(zxtest::writeFile(destino() + "grande.bin", "anterior"));
        QString p = parametros(archivo, "SI");
        p.replace(";PUERTO=" + QString::number(server_.port()) + ";",
                  ";PUERTO=" + QString::number(corto.port()) + ";");
        corre(p);
        EXPECT_EQ(zxtest::readFile(destino() + "grande.bin"), QByteArray("anterior"));
        EXPECT_EQ(QDir(destino()).entryList(QDir::Files | QDir::Hidden),
                  QStringList({"grande.bin"}));
    }
    EXPECT_EQ(corto.commands({"RETR"}).size(), 2);
}

TEST(BuscaValorTest, TheFirstOccurrenceOfTheKeyGivesTheValue) {
    struct Case {
        const char* name;
        QString parametros, clave, valor;
    } cases[] = {
        {"plain", "SERVER=ftp.x.com;USUARIO=u;", "USUARIO", "u"},
        {"without regard to case", "server=ftp.x.com;", "SERVER", "ftp.x.com"},
        {"missing", "SERVER=x;", "PUERTO", ""},
        {"empty", "PUERTO=;SERVER=x;", "PUERTO", ""},
        {"any separator is skipped", "SERVER:x;", "SERVER", "x"},
        {"a shorter key inside a longer one", "PROXYPASS=s;PROXY=p;", "PROXY", "p"},
        {"only the longer key", "PROXYPASS=s;", "PROXY", ""},
        {"the longer key after the shorter", "PROXY=p;PROXYPASS=s;", "PROXYPASS", "s"},
        {"inside an earlier value", "DIRWEB=XARCHIVOS;ARCHIVO=a.txt;", "ARCHIVO", "a.txt"},
        {"a value holding another key", "PASSWORD=SERVER=x;SERVER=s;", "SERVER", "s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(VORARo::BuscaValor(c.parametros, c.clave), c.valor);
    }
}

TEST(BuscaValorTest, AValueWithoutItsSemicolonIsAnError) {
    try {
        VORARo::BuscaValor("SERVER=x;PUERTO=21", "PUERTO");
        ADD_FAILURE() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.Number, vb::err::InvalidProcedureCall);
    }
}

TEST(LeeParametrosTest, AnEmptyOrBlankPortIsTwentyOne) {
    for (const QString puerto : {"PUERTO=;", "PUERTO=  ;", ""}) {
        SCOPED_TRACE(puerto.toStdString());
        VORARo::ParametrosFTP p;
        vb::Steps pasos(vb::silentHandler());
        VORARo::LeeParametros("DOWNLOAD=NO;" + puerto + "SERVER=s;", p, pasos);
        EXPECT_EQ(p.PUERTO, QString("21"));
        EXPECT_EQ(p.SERVER, QString("s"));
        EXPECT_EQ(p.DOWNLOAD, QString("NO"));
    }
}

}  // namespace
