#include "transfer/cftp.h"

#include "platform/vb/conversions.h"
#include "platform/vb/vberror.h"
#include "tests/support/fixtures.h"
#include "tests/support/ftp_server.h"
#include "tests/support/smtp_server.h"
#include "tests/transfer/ventanas_grabadas.h"
#include "transfer/modftp.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray bytes(int size) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) b[i] = static_cast<char>((i * 7) % 256);
    return b;
}

using Progress = QList<QPair<qint32, qint32>>;

class CFtpTest : public ::testing::Test {
protected:
    void SetUp() override {
        modFTP::gFTPAutomatico = false;
        QObject::connect(&ftp_, &cFTP::FileTransferProgress, [this](qint32 current, qint32 total) {
            progress_ << qMakePair(current, total);
        });
        ftp_.SetModePassive();
        ftp_.SetTransferBinary();
    }
    void TearDown() override { modFTP::gFTPAutomatico = false; }
    bool connect() {
        return ftp_.OpenConnection(server_.host(), server_.login(), server_.password(),
                                   server_.port());
    }
    QString local(const QString& name) const { return dir_.filePath(name); }

    zxtest::FtpServer server_;
    zxtest::VentanasGrabadas ventanas_;
    QTemporaryDir dir_;
    cFTP ftp_;
    Progress progress_;
};

TEST_F(CFtpTest, UploadReportsEveryWholePieceThenTheTotal) {
    const QByteArray content = bytes(600);
    ASSERT_TRUE(zxtest::writeFile(local("seiscientos.bin"), content));
    ASSERT_TRUE(connect());
    ASSERT_TRUE(ftp_.FTPUploadFile(local("seiscientos.bin"), " seiscientos.bin "));
    EXPECT_EQ(progress_, Progress({{255, 600}, {510, 600}, {600, 600}}));
    // The last piece moves no bar.
    EXPECT_EQ(ventanas_.msg.barra.max, 600);
    EXPECT_EQ(ventanas_.msg.barra.values, QList<int>({0, 255, 510}));
    EXPECT_EQ(zxtest::readFile(server_.file("seiscientos.bin")), content);
}

TEST_F(CFtpTest, WhileAJobRunsThePopupsBarFollowsTheTransfer) {
    ASSERT_TRUE(zxtest::writeFile(local("a.bin"), bytes(300)));
    ASSERT_TRUE(connect());
    modFTP::gFTPAutomatico = true;
    ASSERT_TRUE(ftp_.FTPUploadFile(local("a.bin"), "a.bin"));
    EXPECT_EQ(ventanas_.notificacion.barra.values, QList<int>({0, 255}));
    EXPECT_TRUE(ventanas_.msg.barra.values.isEmpty());
}

TEST_F(CFtpTest, DownloadOfAWholeNumberOfPiecesHasNoLastPiece) {
    const QByteArray content = bytes(510);
    ASSERT_TRUE(zxtest::writeFile(server_.file("quinientos.bin"), content));
    ASSERT_TRUE(connect());
    ASSERT_TRUE(ftp_.FTPDownloadFile(local("quinientos.bin"), "quinientos.bin"));
    EXPECT_EQ(progress_, Progress({{255, 510}, {510, 510}, {510, 510}}));
    EXPECT_EQ(ventanas_.msg.barra.max, 510);
    EXPECT_EQ(zxtest::readFile(local("quinientos.bin")), content);
}

TEST_F(CFtpTest, ADownloadReplacesALongerLocalFileWhole) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("corto.txt"), "nuevo"));
    ASSERT_TRUE(zxtest::writeFile(local("corto.txt"), "un contenido anterior mucho más largo"));
    ASSERT_TRUE(connect());
    ASSERT_TRUE(ftp_.FTPDownloadFile(local("corto.txt"), "corto.txt"));
    EXPECT_EQ(zxtest::readFile(local("corto.txt")), QByteArray("nuevo"));
}

// On a real full disk the download cannot be flushed: it fails, says so, and the old file
// stays.
TEST_F(CFtpTest, ADownloadOnAFullDiskLeavesTheLocalFileAsItWas) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("nuevo.txt"), "contenido nuevo"));
    const auto run = zxtest::onFullDisk("destino.txt", "lo de antes", [&](const QString& path) {
        return connect() && !ftp_.FTPDownloadFile(path, "nuevo.txt") &&
               ftp_.GetLastErrorMessage().contains("WriteFile");
    });
    ASSERT_TRUE(run.has_value());
    EXPECT_TRUE(run->answer);
    EXPECT_EQ(run->files.value("destino.txt"), QByteArray("lo de antes"));
    EXPECT_EQ(run->files.keys(), (QStringList{"destino.txt", "relleno"}));
}

// A server that refuses SIZE still lists the file's size: the download goes on with it as
// its total, and one cut short is still a failure that leaves the local file as it was.
TEST(CFtpWithoutSizeTest, ADownloadGoesOnWithTheListedTotalAndACutOneFails) {
    zxtest::FtpServer::Options options;
    options.sizeCommand = false;
    options.cutFile = "cortado.bin";
    options.cutAfter = 300;
    zxtest::FtpServer server(options);
    const QByteArray content = bytes(600);
    ASSERT_TRUE(zxtest::writeFile(server.file("seiscientos.bin"), content));
    ASSERT_TRUE(zxtest::writeFile(server.file("cortado.bin"), content));
    zxtest::VentanasGrabadas ventanas;
    QTemporaryDir dir;
    modFTP::gFTPAutomatico = false;
    cFTP ftp;
    Progress progress;
    QObject::connect(&ftp, &cFTP::FileTransferProgress,
                     [&](qint32 current, qint32 total) { progress << qMakePair(current, total); });
    ftp.SetModePassive();
    ftp.SetTransferBinary();
    ASSERT_TRUE(
        ftp.OpenConnection(server.host(), server.login(), server.password(), server.port()));

    ASSERT_TRUE(ftp.FTPDownloadFile(dir.filePath("seiscientos.bin"), "seiscientos.bin"));
    EXPECT_EQ(zxtest::readFile(dir.filePath("seiscientos.bin")), content);
    EXPECT_EQ(progress, Progress({{255, 600}, {510, 600}, {600, 600}}));
    EXPECT_EQ(ventanas.msg.barra.max, 600);

    ASSERT_TRUE(zxtest::writeFile(dir.filePath("cortado.bin"), "lo de antes"));
    EXPECT_FALSE(ftp.FTPDownloadFile(dir.filePath("cortado.bin"), "cortado.bin"));
    // The server's own word on the failure is the error text.
    EXPECT_TRUE(ftp.GetLastErrorMessage().startsWith("426 "))
        << ftp.GetLastErrorMessage().toStdString();
    EXPECT_EQ(zxtest::readFile(dir.filePath("cortado.bin")), QByteArray("lo de antes"));
}

// A server that closes the data connection part-way and still answers "226": whether it
// answers SIZE or not, in either mode, each download procedure fails with its error text and
// the local file keeps its earlier good copy.
TEST(CFtpShortDownloadTest, ADownloadEndedEarlyFailsAndKeepsTheEarlierCopy) {
    QByteArray text;
    for (int i = 0; text.size() < 20000; ++i)
        text += "renglón " + QByteArray::number(i) + QByteArray(i % 41, '-') + '\n';
    text.truncate(20000);
    struct Procedure {
        const char* tag;
        bool (cFTP::*download)(const QString&, const QString&);
    };
    const Procedure procedures[] = {{"InternetReadFile", &cFTP::FTPDownloadFile},
                                    {"SimpleFtpGetFile", &cFTP::SimpleFTPGetFile}};
    const QByteArray earlier = "la copia buena de antes";
    for (const bool sizeCommand : {false, true}) {
        for (const bool ascii : {false, true}) {
            zxtest::FtpServer::Options options;
            options.sizeCommand = sizeCommand;
            options.cutFile = "corto.dat";
            options.cutAfter = 8000;
            options.cutEndsComplete = true;
            zxtest::FtpServer server(options);
            const QByteArray content = ascii ? text : bytes(20000);
            ASSERT_TRUE(zxtest::writeFile(server.file("corto.dat"), content));
            ASSERT_TRUE(zxtest::writeFile(server.file("entero.dat"), content));
            for (const Procedure& p : procedures) {
                SCOPED_TRACE(std::string(p.tag) + (sizeCommand ? ", SIZE answered" : "") +
                             (ascii ? ", text mode" : ", binary mode"));
                zxtest::VentanasGrabadas ventanas;
                QTemporaryDir dir;
                modFTP::gFTPAutomatico = false;
                cFTP ftp;
                ftp.SetModePassive();
                if (ascii)
                    ftp.SetTransferASCII();
                else
                    ftp.SetTransferBinary();
                ASSERT_TRUE(ftp.OpenConnection(server.host(), server.login(), server.password(),
                                               server.port()));
                ASSERT_TRUE((ftp.*p.download)(dir.filePath("entero.dat"), "entero.dat"));
                EXPECT_EQ(zxtest::readFile(dir.filePath("entero.dat")), content);

                ASSERT_TRUE(zxtest::writeFile(dir.filePath("corto.dat"), earlier));
                EXPECT_FALSE((ftp.*p.download)(dir.filePath("corto.dat"), "corto.dat"));
                EXPECT_TRUE(ftp.GetLastErrorMessage().startsWith(p.tag))
                    << ftp.GetLastErrorMessage().toStdString();
                EXPECT_TRUE(ftp.GetLastErrorMessage().contains(
                    QString::number(inet::err::ConnectionAborted)))
                    << ftp.GetLastErrorMessage().toStdString();
                EXPECT_EQ(zxtest::readFile(dir.filePath("corto.dat")), earlier);
                EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                          QStringList({"corto.dat", "entero.dat"}));
            }
        }
    }
}

TEST_F(CFtpTest, EmptyOrMissingRemoteFilesAreNotDownloaded) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("vacio.txt"), ""));
    ASSERT_TRUE(connect());
    ASSERT_FALSE(ftp_.SetFTPDirectory("no-hay"));
    const QString previous = ftp_.GetLastErrorMessage();
    for (const QString name : {"vacio.txt", "no-hay.txt"}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(ftp_.FTPDownloadFile(local(name), name));
        EXPECT_FALSE(QFile::exists(local(name)));
        EXPECT_EQ(ftp_.GetLastErrorMessage(), previous);
    }
    EXPECT_TRUE(progress_.isEmpty());
}

TEST_F(CFtpTest, FileSizeIsMinusOneForNoFileAndMinusTwoWithoutAConnection) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("cinco.txt"), "12345"));
    EXPECT_EQ(ftp_.GetFTPFileSize("cinco.txt"), -2);
    EXPECT_EQ(ftp_.GetLastErrorMessage(), QString("FtpFindFirstFile error code: 6 Message: "));
    ASSERT_TRUE(connect());
    EXPECT_EQ(ftp_.GetFTPFileSize("cinco.txt"), 5);
    EXPECT_EQ(ftp_.GetFTPFileSize("no-hay.txt"), -1);
    EXPECT_EQ(ftp_.GetLastErrorMessage(), QString("FtpFindFirstFile error code: 6 Message: "));
}

TEST_F(CFtpTest, AnEmptyNameTransfersNothingAndLeavesNoErrorText) {
    ASSERT_TRUE(zxtest::writeFile(local("a.txt"), "x"));
    ASSERT_TRUE(connect());
    EXPECT_FALSE(ftp_.FTPUploadFile("   ", "a.txt"));
    EXPECT_FALSE(ftp_.FTPUploadFile(local("a.txt"), "  "));
    EXPECT_FALSE(ftp_.FTPDownloadFile(local("a.txt"), ""));
    EXPECT_EQ(ftp_.GetLastErrorMessage(), QString());
    EXPECT_TRUE(server_.commands({"STOR", "RETR", "MLSD"}).isEmpty());
}

TEST_F(CFtpTest, AMissingLocalFileIsAFailedUploadNotAnEmptyFile) {
    ASSERT_TRUE(connect());
    EXPECT_FALSE(ftp_.FTPUploadFile(local("no-hay.txt"), "no-hay.txt"));
    EXPECT_EQ(ftp_.GetLastErrorMessage(), QString("CreateFile error code: 2 Message: "));
    EXPECT_FALSE(QFile::exists(server_.file("no-hay.txt")));
}

TEST_F(CFtpTest, TheServersRefusalIsTheErrorTextAndShowsOnTheProgressForm) {
    ASSERT_TRUE(connect());
    EXPECT_FALSE(ftp_.DeleteFTPFile("no-hay.txt"));
    const QString reply = ftp_.GetLastErrorMessage();
    EXPECT_TRUE(reply.startsWith("550 ")) << reply.toStdString();
    EXPECT_FALSE(reply.contains("error code"));
    EXPECT_EQ(ventanas_.msg.label1, QStringList({reply}));

    modFTP::gFTPAutomatico = true;
    EXPECT_FALSE(ftp_.RemoveFTPDirectory("no-hay"));
    EXPECT_TRUE(ftp_.GetLastErrorMessage().startsWith("550 "));
    EXPECT_EQ(ventanas_.msg.label1.size(), 1);
}

TEST_F(CFtpTest, OtherFailuresNameTheCallTheNumberAndItsText) {
    EXPECT_FALSE(ftp_.OpenConnection("127.0.0.1", "vendrix", "x", zxtest::closedPort()));
    EXPECT_EQ(ftp_.GetLastErrorMessage(),
              QString("InternetConnect error code: 12029 Message: No se puede establecer una "
                      "conexión con el servidor"));
    EXPECT_FALSE(ftp_.DeleteFTPFile("a.txt"));
    EXPECT_EQ(ftp_.GetLastErrorMessage(), QString("DeleteFTPFile error code: 6 Message: "));
}

TEST_F(CFtpTest, APortIsANumberOrATextHoldingOne) {
    EXPECT_TRUE(ftp_.OpenConnection(server_.host(), server_.login(), server_.password(),
                                    QString::number(server_.port())));
    struct Case {
        const char* name;
        vb::Variant port;
        long error;
    } cases[] = {
        {"not a number", QString("veintiuno"), vb::err::TypeMismatch},
        {"beyond the port numbers", 70000, vb::err::Overflow},
        {"negative", -1, vb::err::Overflow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ftp_.OpenConnection(server_.host(), server_.login(), server_.password(), c.port);
            ADD_FAILURE() << "no error";
        } catch (const vb::VbError& e) {
            EXPECT_EQ(e.Number, c.error);
        }
    }
}

TEST_F(CFtpTest, AFolderPathIsBuiltFromTheRootOnceAndEnteredAfterwards) {
    ASSERT_TRUE(connect());
    ftp_.FtpCreaArbolDirectorios(QString("/a/b/c/"));
    EXPECT_EQ(server_.commands({"MKD"}), QStringList({"MKD /a", "MKD /a/b", "MKD /a/b/c"}));
    EXPECT_EQ(ftp_.GetFTPDirectory(), QString("/a/b/c"));
    ftp_.FtpCreaArbolDirectorios(QString("/a/b/c/"));
    EXPECT_EQ(server_.commands({"MKD"}).size(), 3);
    EXPECT_EQ(ftp_.GetFTPDirectory(), QString("/a/b/c"));
}

TEST_F(CFtpTest, ARelativeFolderPathIsWalkedFromTheRoot) {
    QDir(server_.root()).mkpath("x");
    ASSERT_TRUE(connect());
    ASSERT_TRUE(ftp_.SetFTPDirectory("/x"));
    ftp_.FtpCreaArbolDirectorios(QString("a/b"));
    EXPECT_EQ(server_.commands({"MKD"}), QStringList({"MKD /a", "MKD /a/b"}));
    EXPECT_EQ(ftp_.GetFTPDirectory(), QString("/a/b"));
    EXPECT_TRUE(QFileInfo(server_.file("a/b")).isDir());
}

TEST_F(CFtpTest, ListingFillsTheDirectoryKeyedByName) {
    QDir(server_.root()).mkdir("FOTOS");
    ASSERT_TRUE(zxtest::writeFile(server_.file("venta.txt"), "1234567"));
    ASSERT_TRUE(connect());
    const cDirList* lista = ftp_.GetDirectoryListing("*.*");
    ASSERT_NE(lista, nullptr);
    EXPECT_EQ(lista, &ftp_.Directory());
    ASSERT_EQ(lista->Count(), 2);
    EXPECT_TRUE(lista->Item("fotos").Directory);
    EXPECT_FALSE(lista->Item("fotos").Normal);
    const cDirItem& venta = lista->Item("VENTA.TXT");
    EXPECT_TRUE(venta.Normal);
    EXPECT_FALSE(venta.Directory);
    EXPECT_EQ(venta.FileSize, 7);
    EXPECT_EQ(venta.Filename, QString("venta.txt"));
    // The local clock's reading of the file's time, to the second the listing gives.
    const QDateTime written = QFileInfo(server_.file("venta.txt")).lastModified();
    EXPECT_EQ(venta.LastWriteTime,
              vb::wallClock(written.date(), QTime(written.time().hour(), written.time().minute(),
                                                  written.time().second())));
}

TEST_F(CFtpTest, AnEmptyFolderGivesNoListAnEmptyDirectoryAndNoErrorText) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("a.txt"), "x"));
    ASSERT_TRUE(connect());
    ASSERT_NE(ftp_.GetDirectoryListing("*.*"), nullptr);
    QDir(server_.root()).mkdir("vacia");
    ASSERT_TRUE(ftp_.SetFTPDirectory("vacia"));
    EXPECT_EQ(ftp_.GetDirectoryListing("*.*"), nullptr);
    EXPECT_EQ(ftp_.Directory().Count(), 0);
    EXPECT_EQ(ftp_.GetLastErrorMessage(), QString());
}

TEST_F(CFtpTest, ANameRepeatedInAnotherCaseIsLeftOutAndNamed) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("a.txt"), "x"));
    ASSERT_TRUE(zxtest::writeFile(server_.file("A.TXT"), "y"));
    ASSERT_TRUE(zxtest::writeFile(server_.file("b.txt"), "z"));
    ASSERT_TRUE(connect());
    const cDirList* lista = ftp_.GetDirectoryListing("*.*");
    ASSERT_NE(lista, nullptr);
    // The first spelling stays in the list, the other is named; the rest are all there.
    ASSERT_EQ(lista->Count(), 2);
    EXPECT_TRUE(lista->Exists("b.txt"));
    ASSERT_EQ(ftp_.NombresRepetidos().size(), 1);
    const QString repetido = ftp_.NombresRepetidos().first();
    EXPECT_EQ(repetido.compare("a.txt", Qt::CaseInsensitive), 0);
    EXPECT_NE(lista->Item("a.txt").Filename, repetido);
    // A later listing without the repetition names none.
    ASSERT_TRUE(QFile::remove(server_.file("A.TXT")));
    ASSERT_NE(ftp_.GetDirectoryListing("*.*"), nullptr);
    EXPECT_TRUE(ftp_.NombresRepetidos().isEmpty());
}

TEST_F(CFtpTest, SimpleTransfersMoveWholeFiles) {
    const QByteArray content = bytes(1000);
    ASSERT_TRUE(zxtest::writeFile(local("origen.bin"), content));
    ASSERT_TRUE(connect());
    ASSERT_TRUE(ftp_.SimpleFTPPutFile(local("origen.bin"), "copia.bin"));
    ASSERT_TRUE(ftp_.SimpleFTPGetFile(local("vuelta.bin"), "copia.bin"));
    EXPECT_EQ(zxtest::readFile(local("vuelta.bin")), content);
    EXPECT_FALSE(ftp_.SimpleFTPGetFile(local("x.bin"), "no-hay.bin"));
    EXPECT_TRUE(ftp_.GetLastErrorMessage().startsWith("550 "));
    EXPECT_TRUE(progress_.isEmpty());
}

TEST_F(CFtpTest, FilesAreRenamedAndFoldersMadeAndRemoved) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("viejo.txt"), "x"));
    ASSERT_TRUE(connect());
    EXPECT_TRUE(ftp_.RenameFTPFile("viejo.txt", "nuevo.txt"));
    EXPECT_TRUE(QFile::exists(server_.file("nuevo.txt")));
    EXPECT_TRUE(ftp_.CreateFTPDirectory("carpeta"));
    EXPECT_TRUE(ftp_.RemoveFTPDirectory("carpeta"));
    EXPECT_FALSE(QFileInfo::exists(server_.file("carpeta")));
}

TEST(FileTimeAFechaTest, FileTimesBecomeLocalDayCounts) {
    // Buenos Aires time, three hours behind UTC, whatever zone the run was started in.
    const zxtest::ScopedTimeZone zone("America/Argentina/Buenos_Aires");
    constexpr std::uint64_t kHour = 36'000'000'000ULL;
    constexpr std::uint64_t kDay = 24 * kHour;
    struct Case {
        const char* name;
        std::uint64_t fileTime;
        double days;
    } cases[] = {
        {"1 January 1601, midnight local", 3 * kHour, -109205},
        {"30 December 1899, midnight local", 109205 * kDay + 3 * kHour, 0},
        {"31 December 1899, six in the morning local", 109206 * kDay + 9 * kHour, 1.25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(vb::CDbl(vb::Variant(modFTP::FileTimeAFecha(c.fileTime))), c.days);
    }
}

// The local file time is a reading of the local clock, kept whole even where that clock
// skipped it: São Paulo is three hours behind UTC today, and on 4 November 2018 its clock went
// from 00:00 to 01:00.
TEST(FileTimeAFechaTest, AReadingTheLocalClockSkippedStaysWhole) {
    const zxtest::ScopedTimeZone zone("America/Sao_Paulo");
    const QDateTime utc = vb::utcInstant(QDate(2018, 11, 4), QTime(3, 30));
    const auto fileTime =
        static_cast<std::uint64_t>(utc.toMSecsSinceEpoch() + 11644473600000LL) * 10000;
    const vb::DateTime reading = modFTP::FileTimeAFecha(fileTime);
    EXPECT_TRUE(reading.isValid());
    EXPECT_EQ(reading, vb::wallClock(QDate(2018, 11, 4), QTime(0, 30)));
}

}  // namespace
