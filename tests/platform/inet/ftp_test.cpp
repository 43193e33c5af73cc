#include "platform/inet/ftp.h"

#include "tests/support/fixtures.h"
#include "tests/support/ftp_server.h"
#include "tests/support/smtp_server.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utime.h>

namespace {

using inet::FtpSession;
using inet::TransferType;

QByteArray allBytes(int size) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) b[i] = static_cast<char>(i % 256);
    return b;
}

// `size` bytes of text in lines of different lengths, each ended by LF.
QByteArray textLines(int size) {
    QByteArray t;
    for (int i = 0; t.size() < size; ++i)
        t += "línea " + QByteArray::number(i) + QByteArray(i % 37, 'x') + '\n';
    return t.left(size);
}

// A remote file read to its end in pieces of 255 bytes.
struct Pieces {
    QByteArray bytes;
    QList<qint64> sizes;
    qint64 last = 0;  // the last read's answer: 0 at the file's end, -1 on a failure
};

Pieces readPieces(inet::FtpFile& in) {
    Pieces p;
    char piece[255];
    while ((p.last = in.read(piece, sizeof piece)) > 0) {
        p.bytes.append(piece, p.last);
        p.sizes << p.last;
    }
    return p;
}

class FtpSessionTest : public ::testing::Test {
protected:
    bool connect(FtpSession& s, bool passive = true) {
        return s.connect(server_.host(), server_.port(), server_.login(), server_.password(),
                         passive);
    }
    QString local(const QString& name) const { return dir_.filePath(name); }

    zxtest::FtpServer server_;
    QTemporaryDir dir_;
    FtpSession session_{QStringLiteral("RUZUDCliente")};
};

TEST_F(FtpSessionTest, ConnectsOnceAndReusesTheLoginForEveryCall) {
    ASSERT_TRUE(connect(session_));
    EXPECT_TRUE(session_.connected());
    EXPECT_TRUE(session_.createDirectory("uno"));
    EXPECT_TRUE(session_.setCurrentDirectory("uno"));
    ASSERT_TRUE(session_.findFiles("*.*").has_value());
    EXPECT_EQ(server_.commands({"USER", "PASS"}), QStringList({"USER vendrix", "PASS ****"}));
}

TEST_F(FtpSessionTest, RefusedLoginKeepsTheServersReply) {
    EXPECT_FALSE(session_.connect(server_.host(), server_.port(), "vendrix", "otra", true));
    EXPECT_FALSE(session_.connected());
    EXPECT_EQ(session_.lastError(), inet::err::ExtendedError);
    EXPECT_TRUE(session_.lastResponseInfo().startsWith("530 "))
        << session_.lastResponseInfo().toStdString();
    EXPECT_FALSE(session_.lastResponseInfo().contains("otra"));
}

TEST_F(FtpSessionTest, ConnectionFailuresHaveTheirNumbers) {
    struct Case {
        const char* name;
        QString host;
        int port;
        std::uint32_t error;
    } cases[] = {
        {"nothing listens", "127.0.0.1", zxtest::closedPort(), inet::err::CannotConnect},
        {"a host name that is no name", "ftp server/x", 21, inet::err::NameNotResolved},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FtpSession s("RUZUDCliente");
        EXPECT_FALSE(s.connect(c.host, c.port, "vendrix", "73915046", true));
        EXPECT_EQ(s.lastError(), c.error);
        EXPECT_FALSE(inet::errorMessage(c.error).isEmpty());
    }
}

TEST_F(FtpSessionTest, AServerThatNeverAnswersTimesOut) {
    zxtest::SilentServer silent;
    inet::Options options;
    options.stallTimeout = std::chrono::milliseconds(300);
    FtpSession s("RUZUDCliente", options);
    EXPECT_FALSE(s.connect("127.0.0.1", silent.port(), "vendrix", "73915046", true));
    EXPECT_EQ(s.lastError(), inet::err::Timeout);
}

TEST_F(FtpSessionTest, CallsWithoutAConnectionFailAsAnInvalidHandle) {
    EXPECT_FALSE(session_.currentDirectory().has_value());
    EXPECT_EQ(session_.lastError(), inet::err::InvalidHandle);
    EXPECT_FALSE(session_.deleteFile("a.txt"));
    EXPECT_EQ(session_.lastError(), inet::err::InvalidHandle);
    ASSERT_TRUE(connect(session_));
    session_.disconnect();
    EXPECT_FALSE(session_.findFiles("*.*").has_value());
    EXPECT_EQ(session_.lastError(), inet::err::InvalidHandle);
}

TEST_F(FtpSessionTest, FoldersAreMadeEnteredAndLeft) {
    ASSERT_TRUE(connect(session_));
    EXPECT_EQ(session_.currentDirectory(), QString("/"));
    ASSERT_TRUE(session_.createDirectory("a"));
    ASSERT_TRUE(session_.setCurrentDirectory("a"));
    ASSERT_TRUE(session_.createDirectory("b c"));
    ASSERT_TRUE(session_.setCurrentDirectory("b c"));
    EXPECT_EQ(session_.currentDirectory(), QString("/a/b c"));
    EXPECT_TRUE(QFileInfo(server_.file("a/b c")).isDir());
    ASSERT_TRUE(session_.setCurrentDirectory(".."));
    EXPECT_EQ(session_.currentDirectory(), QString("/a"));
    EXPECT_TRUE(session_.removeDirectory("/a/b c"));
    EXPECT_FALSE(QFileInfo::exists(server_.file("a/b c")));
}

TEST_F(FtpSessionTest, AMissingFolderIsRefusedAndTheCurrentOneStays) {
    ASSERT_TRUE(connect(session_));
    EXPECT_FALSE(session_.setCurrentDirectory("no-hay"));
    EXPECT_EQ(session_.lastError(), inet::err::ExtendedError);
    EXPECT_TRUE(session_.lastResponseInfo().startsWith("550 "))
        << session_.lastResponseInfo().toStdString();
    EXPECT_EQ(session_.currentDirectory(), QString("/"));
}

TEST_F(FtpSessionTest, RefusalsKeepTheConnection) {
    ASSERT_TRUE(connect(session_));
    EXPECT_FALSE(session_.setCurrentDirectory("no-hay"));
    EXPECT_FALSE(session_.deleteFile("no-hay.txt"));
    EXPECT_FALSE(session_.renameFile("no-hay.txt", "otro.txt"));
    EXPECT_FALSE(session_.getFile("no-hay.txt", local("x"), TransferType::Binary));
    EXPECT_FALSE(session_.findFiles("no-hay/*.*").has_value());
    EXPECT_TRUE(session_.createDirectory("si"));
    EXPECT_EQ(server_.commands({"USER"}).size(), 1);
    // A refused first half of a rename does not send the second.
    EXPECT_TRUE(server_.commands({"RNTO"}).isEmpty());
}

TEST_F(FtpSessionTest, WholeFilesGoUpAndComeBackByteForByte) {
    const QByteArray bytes = allBytes(70000);
    ASSERT_TRUE(zxtest::writeFile(local("origen.bin"), bytes));
    ASSERT_TRUE(connect(session_));
    ASSERT_TRUE(session_.putFile(local("origen.bin"), "copia ñ.bin", TransferType::Binary));
    EXPECT_EQ(zxtest::readFile(server_.file("copia ñ.bin")), bytes);
    ASSERT_TRUE(session_.getFile("copia ñ.bin", local("vuelta.bin"), TransferType::Binary));
    EXPECT_EQ(zxtest::readFile(local("vuelta.bin")), bytes);
}

TEST_F(FtpSessionTest, AFailedDownloadLeavesTheLocalFileAsItWas) {
    ASSERT_TRUE(zxtest::writeFile(local("destino.txt"), "lo de antes"));
    ASSERT_TRUE(connect(session_));
    EXPECT_FALSE(session_.getFile("no-hay.txt", local("destino.txt"), TransferType::Binary));
    EXPECT_EQ(session_.lastError(), inet::err::ExtendedError);
    EXPECT_EQ(zxtest::readFile(local("destino.txt")), QByteArray("lo de antes"));
}

// On a real full disk the download cannot be flushed: it fails and the old file stays.
TEST_F(FtpSessionTest, ADownloadOnAFullDiskLeavesTheLocalFileAsItWas) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("nuevo.txt"), "contenido nuevo"));
    const auto run = zxtest::onFullDisk("destino.txt", "lo de antes", [&](const QString& path) {
        return connect(session_) && session_.getFile("nuevo.txt", path, TransferType::Binary);
    });
    ASSERT_TRUE(run.has_value());
    EXPECT_FALSE(run->answer);
    EXPECT_EQ(run->files.value("destino.txt"), QByteArray("lo de antes"));
    EXPECT_EQ(run->files.keys(), (QStringList{"destino.txt", "relleno"}));
}

TEST_F(FtpSessionTest, AMissingLocalFileIsNotUploaded) {
    ASSERT_TRUE(connect(session_));
    EXPECT_FALSE(session_.putFile(local("no-hay.txt"), "no-hay.txt", TransferType::Binary));
    EXPECT_EQ(session_.lastError(), inet::err::FileNotFound);
    EXPECT_TRUE(server_.commands({"STOR"}).isEmpty());
}

TEST_F(FtpSessionTest, ANameWithALineEndNeverReachesTheServer) {
    ASSERT_TRUE(connect(session_));
    EXPECT_FALSE(session_.deleteFile("a.txt\r\nRMD /"));
    EXPECT_EQ(session_.lastError(), inet::err::InvalidName);
    EXPECT_TRUE(server_.commands({"DELE", "RMD"}).isEmpty());
}

TEST_F(FtpSessionTest, FilesAreRenamedAndDeleted) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("viejo.txt"), "x"));
    ASSERT_TRUE(connect(session_));
    ASSERT_TRUE(session_.renameFile("viejo.txt", "nuevo.txt"));
    EXPECT_TRUE(QFile::exists(server_.file("nuevo.txt")));
    ASSERT_TRUE(session_.deleteFile("nuevo.txt"));
    EXPECT_FALSE(QFile::exists(server_.file("nuevo.txt")));
    EXPECT_FALSE(session_.deleteFile("nuevo.txt"));
    EXPECT_EQ(session_.lastError(), inet::err::ExtendedError);
}

TEST_F(FtpSessionTest, AsciiTransfersCarryTextLineEndsAndBinaryOnesBytes) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("texto.txt"), "uno\r\ndos\r\n"));
    ASSERT_TRUE(connect(session_));
    ASSERT_TRUE(session_.getFile("texto.txt", local("ascii.txt"), TransferType::Ascii));
    EXPECT_EQ(zxtest::readFile(local("ascii.txt")), QByteArray("uno\ndos\n"));
    ASSERT_TRUE(session_.getFile("texto.txt", local("binario.txt"), TransferType::Binary));
    EXPECT_EQ(zxtest::readFile(local("binario.txt")), QByteArray("uno\r\ndos\r\n"));
    ASSERT_TRUE(session_.putFile(local("ascii.txt"), "subido.txt", TransferType::Ascii));
    EXPECT_EQ(zxtest::readFile(server_.file("subido.txt")), QByteArray("uno\ndos\n"));
    EXPECT_EQ(server_.commands({"TYPE", "RETR", "STOR"}),
              QStringList({"TYPE A", "RETR /texto.txt", "TYPE I", "RETR /texto.txt", "TYPE A",
                           "STOR /subido.txt"}));
}

TEST_F(FtpSessionTest, ActiveModeTransfersToo) {
    ASSERT_TRUE(zxtest::writeFile(local("a.txt"), "activo"));
    ASSERT_TRUE(connect(session_, false));
    ASSERT_TRUE(session_.putFile(local("a.txt"), "a.txt", TransferType::Binary));
    EXPECT_EQ(zxtest::readFile(server_.file("a.txt")), QByteArray("activo"));
    EXPECT_EQ(server_.commands({"PORT", "EPRT"}).size(), 1);
}

TEST_F(FtpSessionTest, ListingGivesNamesKindsSizesAndTimes) {
    QDir(server_.root()).mkdir("carpeta");
    ASSERT_TRUE(zxtest::writeFile(server_.file("año 2024.txt"), "12345"));
    ASSERT_TRUE(zxtest::writeFile(server_.file("foto.JPG"), "123"));
    ASSERT_TRUE(zxtest::writeFile(server_.file("LEAME"), ""));
    const QDateTime when = vb::utcInstant(QDate(2024, 3, 5), QTime(12, 30, 15));
    utimbuf times{when.toSecsSinceEpoch(), when.toSecsSinceEpoch()};
    ASSERT_EQ(utime(QFile::encodeName(server_.file("año 2024.txt")).constData(), &times), 0);
    ASSERT_TRUE(connect(session_));

    auto all = session_.findFiles("*.*");
    ASSERT_TRUE(all.has_value());
    QMap<QString, inet::FindData> byName;
    for (const auto& e : *all) byName.insert(e.fileName, e);
    EXPECT_EQ(byName.keys(), QStringList({"LEAME", "año 2024.txt", "carpeta", "foto.JPG"}));
    EXPECT_EQ(byName["carpeta"].attributes, inet::attr::Directory);
    EXPECT_EQ(byName["año 2024.txt"].attributes, inet::attr::Normal);
    EXPECT_EQ(byName["año 2024.txt"].size, 5u);
    // 100-nanosecond intervals since 1601: 11644473600 seconds before 1970.
    const std::uint64_t fileTime = (when.toSecsSinceEpoch() + 11644473600ULL) * 10000000ULL;
    EXPECT_EQ(byName["año 2024.txt"].lastWriteTime, fileTime);
    EXPECT_EQ(byName["año 2024.txt"].creationTime, fileTime);
    EXPECT_EQ(byName["año 2024.txt"].lastAccessTime, fileTime);
}

TEST_F(FtpSessionTest, PatternsChooseTheEntries) {
    QDir(server_.root()).mkdir("sub");
    for (const char* name : {"a.txt", "b.TXT", "c.jpg", "sub/d.txt"})
        ASSERT_TRUE(zxtest::writeFile(server_.file(name), "x"));
    ASSERT_TRUE(connect(session_));
    struct Case {
        QString pattern;
        QStringList names;
    } cases[] = {
        {"*.txt", {"a.txt", "b.TXT"}},
        {"?.jpg", {"c.jpg"}},
        {"a.txt", {"a.txt"}},
        {"A.TXT", {}},
        {"sub/*.*", {"d.txt"}},
        {"/sub/d.txt", {"d.txt"}},
        {"*.pdf", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern.toStdString());
        auto found = session_.findFiles(c.pattern);
        ASSERT_TRUE(found.has_value());
        QStringList names;
        for (const auto& e : *found) names << e.fileName;
        names.sort();
        EXPECT_EQ(names, c.names);
    }
}

TEST_F(FtpSessionTest, ListingAMissingFolderFails) {
    ASSERT_TRUE(connect(session_));
    EXPECT_FALSE(session_.findFiles("no-hay/*.*").has_value());
    EXPECT_EQ(session_.lastError(), inet::err::ExtendedError);
}

TEST(FtpSessionListTest, AServerWithoutTheMachineFormatIsListedThroughList) {
    zxtest::FtpServer::Options options;
    options.machineListing = false;
    zxtest::FtpServer server(options);
    QDir(server.root()).mkdir("carpeta");
    ASSERT_TRUE(zxtest::writeFile(server.file("nota de venta.txt"), "1234567"));
    FtpSession s("RUZUDCliente");
    ASSERT_TRUE(s.connect(server.host(), server.port(), server.login(), server.password(), true));
    auto found = s.findFiles("*.*");
    ASSERT_TRUE(found.has_value());
    ASSERT_EQ(found->size(), 2);
    QMap<QString, inet::FindData> byName;
    for (const auto& e : *found) byName.insert(e.fileName, e);
    EXPECT_EQ(byName["carpeta"].attributes, inet::attr::Directory);
    EXPECT_EQ(byName["nota de venta.txt"].size, 7u);
    EXPECT_EQ(server.commands({"MLSD"}).size(), 1);
    EXPECT_EQ(server.commands({"LIST"}).size(), 1);
}

TEST_F(FtpSessionTest, AFileIsWrittenAndReadInPieces) {
    const QByteArray bytes = allBytes(600);
    ASSERT_TRUE(connect(session_));
    {
        auto out =
            session_.openFile("piezas.bin", FtpSession::Access::Write, TransferType::Binary);
        ASSERT_TRUE(out);
        for (int at = 0; at < bytes.size(); at += 255)
            ASSERT_TRUE(out->write(bytes.constData() + at, std::min(255, int(bytes.size()) - at)));
        ASSERT_TRUE(out->close());
    }
    EXPECT_EQ(zxtest::readFile(server_.file("piezas.bin")), bytes);

    auto in = session_.openFile("piezas.bin", FtpSession::Access::Read, TransferType::Binary);
    ASSERT_TRUE(in);
    const Pieces back = readPieces(*in);
    EXPECT_EQ(back.last, 0);
    EXPECT_EQ(back.sizes, QList<qint64>({255, 255, 90}));
    EXPECT_TRUE(in->close());
    EXPECT_EQ(back.bytes, bytes);
}

// Some servers refuse SIZE (550): downloads, whole and in pieces, then go on without the
// size, a missing file is still refused, and one cut short is still a failure.
TEST(FtpSessionWithoutSizeTest, DownloadsComeWholeAndACutOneStillFails) {
    zxtest::FtpServer::Options options;
    options.sizeCommand = false;
    options.cutFile = "cortado.bin";
    options.cutAfter = 1000;
    zxtest::FtpServer server(options);
    const QByteArray bytes = allBytes(70000);
    ASSERT_TRUE(zxtest::writeFile(server.file("entero.bin"), bytes));
    ASSERT_TRUE(zxtest::writeFile(server.file("cortado.bin"), bytes));
    QTemporaryDir dir;
    FtpSession session(QStringLiteral("RUZUDCliente"));
    ASSERT_TRUE(
        session.connect(server.host(), server.port(), server.login(), server.password(), true));

    ASSERT_TRUE(session.getFile("entero.bin", dir.filePath("entero.bin"), TransferType::Binary));
    EXPECT_EQ(zxtest::readFile(dir.filePath("entero.bin")), bytes);
    {
        auto in = session.openFile("entero.bin", FtpSession::Access::Read, TransferType::Binary);
        ASSERT_TRUE(in);
        const Pieces back = readPieces(*in);
        EXPECT_EQ(back.last, 0);
        EXPECT_TRUE(in->close());
        EXPECT_EQ(back.bytes, bytes);
    }

    ASSERT_TRUE(zxtest::writeFile(dir.filePath("cortado.bin"), "lo de antes"));
    EXPECT_FALSE(
        session.getFile("cortado.bin", dir.filePath("cortado.bin"), TransferType::Binary));
    EXPECT_EQ(zxtest::readFile(dir.filePath("cortado.bin")), QByteArray("lo de antes"));
    {
        auto in = session.openFile("cortado.bin", FtpSession::Access::Read, TransferType::Binary);
        ASSERT_TRUE(in);
        const Pieces back = readPieces(*in);
        EXPECT_EQ(back.last, -1);
        EXPECT_LE(back.bytes.size(), 1000);
        in->close();
    }

    EXPECT_FALSE(session.getFile("no-hay.bin", dir.filePath("no-hay.bin"), TransferType::Binary));
    EXPECT_EQ(session.lastError(), inet::err::ExtendedError);
    EXPECT_TRUE(session.lastResponseInfo().startsWith("550 "));
    EXPECT_FALSE(QFile::exists(dir.filePath("no-hay.bin")));
    EXPECT_FALSE(session.openFile("no-hay.bin", FtpSession::Access::Read, TransferType::Binary));
    EXPECT_EQ(session.lastError(), inet::err::ExtendedError);
}

// A file cut after its first bytes may have failed whole before the open returns: what came
// is still read, and the read after it fails, with or without SIZE.
TEST(FtpSessionCutTest, AFileCutRightAfterItsFirstBytesOpensAndItsReadFails) {
    for (const bool sizeCommand : {true, false}) {
        SCOPED_TRACE(sizeCommand ? "with SIZE" : "without SIZE");
        zxtest::FtpServer::Options options;
        options.sizeCommand = sizeCommand;
        options.cutFile = "cortado.bin";
        options.cutAfter = 3;
        zxtest::FtpServer server(options);
        ASSERT_TRUE(zxtest::writeFile(server.file("cortado.bin"), allBytes(70000)));
        FtpSession session(QStringLiteral("RUZUDCliente"));
        ASSERT_TRUE(session.connect(server.host(), server.port(), server.login(),
                                    server.password(), true));
        for (int attempt = 0; attempt < 5; ++attempt) {
            auto in =
                session.openFile("cortado.bin", FtpSession::Access::Read, TransferType::Binary);
            ASSERT_TRUE(in) << "attempt " << attempt;
            const Pieces back = readPieces(*in);
            EXPECT_EQ(back.last, -1);
            EXPECT_EQ(back.bytes, allBytes(70000).left(back.bytes.size()));
            EXPECT_LE(back.bytes.size(), 3);
            in->close();
        }
    }
}

// A server that closes the data connection part-way and still answers "226" has not sent the
// file: whether it answers SIZE or not and in either mode, the download whole or in pieces
// fails as a dropped connection, and the local file keeps its earlier copy.
TEST(FtpSessionShortTest, AFileEndedEarlyWithItsCompletionReplyIsAFailure) {
    struct Case {
        const char* name;
        bool sizeCommand;
        TransferType type;
        QByteArray content;
    } cases[] = {
        {"binary, SIZE answered", true, TransferType::Binary, allBytes(20000)},
        {"binary, SIZE refused", false, TransferType::Binary, allBytes(20000)},
        {"text, SIZE answered", true, TransferType::Ascii, textLines(20000)},
        {"text, SIZE refused", false, TransferType::Ascii, textLines(20000)},
    };
    const QByteArray earlier = "la copia buena de antes";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zxtest::FtpServer::Options options;
        options.sizeCommand = c.sizeCommand;
        options.cutFile = "corto.bin";
        options.cutAfter = 8000;
        options.cutEndsComplete = true;
        zxtest::FtpServer server(options);
        ASSERT_TRUE(zxtest::writeFile(server.file("corto.bin"), c.content));
        ASSERT_TRUE(zxtest::writeFile(server.file("entero.bin"), c.content));
        QTemporaryDir dir;
        FtpSession session(QStringLiteral("RUZUDCliente"));
        ASSERT_TRUE(session.connect(server.host(), server.port(), server.login(),
                                    server.password(), true));

        ASSERT_TRUE(session.getFile("entero.bin", dir.filePath("entero.bin"), c.type));
        EXPECT_EQ(zxtest::readFile(dir.filePath("entero.bin")), c.content);

        ASSERT_TRUE(zxtest::writeFile(dir.filePath("corto.bin"), earlier));
        EXPECT_FALSE(session.getFile("corto.bin", dir.filePath("corto.bin"), c.type));
        EXPECT_EQ(session.lastError(), inet::err::ConnectionAborted);
        EXPECT_EQ(zxtest::readFile(dir.filePath("corto.bin")), earlier);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList({"corto.bin", "entero.bin"}));

        auto in = session.openFile("corto.bin", FtpSession::Access::Read, c.type);
        ASSERT_TRUE(in);
        const Pieces back = readPieces(*in);
        EXPECT_EQ(back.last, -1);
        EXPECT_EQ(back.bytes, c.content.left(back.bytes.size()));
        EXPECT_LE(back.bytes.size(), 8000);
        in->close();
        EXPECT_EQ(session.lastError(), inet::err::ConnectionAborted);
    }
}

// Without SIZE the folder's listing tells what a download must bring: a file that comes with
// less than it lists, or that the listing does not show (so that an early end cannot be told
// from its end), is no download, and the local file stays as it was.
TEST(FtpSessionShortTest, WithoutSizeTheListedSizeDecides) {
    const struct {
        const char* name;
        QByteArray listing;
        bool whole;
        std::uint32_t error;
    } cases[] = {
        {"listed at its size", "type=file;size=20000; datos.bin\r\n", true, 0},
        {"listed larger than it comes", "type=file;size=20001; datos.bin\r\n", false,
         inet::err::ConnectionAborted},
        {"not listed", "type=file;size=20000; otro.bin\r\n", false, inet::err::InternalError},
        {"listed as a folder", "type=dir; datos.bin\r\n", false, inet::err::InternalError},
    };
    const QByteArray earlier = "la copia buena de antes";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        zxtest::FtpServer::Options options;
        options.sizeCommand = false;
        options.listing = c.listing;
        zxtest::FtpServer server(options);
        ASSERT_TRUE(zxtest::writeFile(server.file("datos.bin"), allBytes(20000)));
        QTemporaryDir dir;
        ASSERT_TRUE(zxtest::writeFile(dir.filePath("datos.bin"), earlier));
        FtpSession session(QStringLiteral("RUZUDCliente"));
        ASSERT_TRUE(session.connect(server.host(), server.port(), server.login(),
                                    server.password(), true));
        EXPECT_EQ(session.getFile("datos.bin", dir.filePath("datos.bin"), TransferType::Binary),
                  c.whole);
        EXPECT_EQ(zxtest::readFile(dir.filePath("datos.bin")),
                  c.whole ? allBytes(20000) : earlier);
        if (!c.whole) {
            EXPECT_EQ(session.lastError(), c.error);
        }

        auto in = session.openFile("datos.bin", FtpSession::Access::Read, TransferType::Binary);
        ASSERT_TRUE(in);
        const Pieces back = readPieces(*in);
        EXPECT_EQ(back.last, c.whole ? 0 : -1);
        EXPECT_EQ(back.bytes, allBytes(20000));
        EXPECT_EQ(in->close(), c.whole);
    }
}

// A text transfer turns line ends into CR LF on the wire and back into LF here: a whole text
// file comes shorter than listed by its CR LF ends, and that is no failure.
TEST(FtpSessionShortTest, WholeTextFilesWithEitherLineEndAreNoFailure) {
    QByteArray mixed;
    for (int i = 0; i < 600; ++i)
        mixed +=
            "línea " + QByteArray::number(i) + QByteArray(i % 37, 'x') + (i % 3 ? "\r\n" : "\n");
    mixed += "sin fin de línea";
    QByteArray local = mixed;
    local.replace("\r\n", "\n");
    for (const bool sizeCommand : {true, false}) {
        SCOPED_TRACE(sizeCommand ? "SIZE answered" : "SIZE refused");
        zxtest::FtpServer::Options options;
        options.sizeCommand = sizeCommand;
        zxtest::FtpServer server(options);
        ASSERT_TRUE(zxtest::writeFile(server.file("texto.txt"), mixed));
        QTemporaryDir dir;
        FtpSession session(QStringLiteral("RUZUDCliente"));
        ASSERT_TRUE(session.connect(server.host(), server.port(), server.login(),
                                    server.password(), true));
        ASSERT_TRUE(session.getFile("texto.txt", dir.filePath("texto.txt"), TransferType::Ascii));
        EXPECT_EQ(zxtest::readFile(dir.filePath("texto.txt")), local);
        auto in = session.openFile("texto.txt", FtpSession::Access::Read, TransferType::Ascii);
        ASSERT_TRUE(in);
        const Pieces back = readPieces(*in);
        EXPECT_EQ(back.last, 0);
        EXPECT_TRUE(in->close());
        EXPECT_EQ(back.bytes, local);
    }
}

TEST_F(FtpSessionTest, AnEmptyRemoteFileReadsAsItsEnd) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("vacio.txt"), ""));
    ASSERT_TRUE(connect(session_));
    auto in = session_.openFile("vacio.txt", FtpSession::Access::Read, TransferType::Binary);
    ASSERT_TRUE(in);
    char piece[255];
    EXPECT_EQ(in->read(piece, sizeof piece), 0);
    EXPECT_TRUE(in->close());
}

TEST_F(FtpSessionTest, OpeningAMissingFileIsRefused) {
    ASSERT_TRUE(connect(session_));
    EXPECT_FALSE(session_.openFile("no-hay.bin", FtpSession::Access::Read, TransferType::Binary));
    EXPECT_EQ(session_.lastError(), inet::err::ExtendedError);
    EXPECT_TRUE(session_.lastResponseInfo().startsWith("550 "));
}

TEST_F(FtpSessionTest, WritingWhereTheAccountMayNotIsRefused) {
    zxtest::FtpServer::Options options;
    options.accounts = {{"lector", "clave", "elr"}};
    zxtest::FtpServer server(options);
    FtpSession s("RUZUDCliente");
    ASSERT_TRUE(s.connect(server.host(), server.port(), "lector", "clave", true));
    EXPECT_FALSE(s.openFile("x.bin", FtpSession::Access::Write, TransferType::Binary));
    EXPECT_EQ(s.lastError(), inet::err::ExtendedError);
    EXPECT_TRUE(s.lastResponseInfo().startsWith("550 ")) << s.lastResponseInfo().toStdString();
}

TEST_F(FtpSessionTest, NoOtherCallRunsWhileAFileIsOpen) {
    ASSERT_TRUE(connect(session_));
    auto out = session_.openFile("abierto.txt", FtpSession::Access::Write, TransferType::Binary);
    ASSERT_TRUE(out);
    EXPECT_FALSE(session_.deleteFile("otro.txt"));
    EXPECT_EQ(session_.lastError(), inet::err::TransferInProgress);
    EXPECT_TRUE(out->close());
    EXPECT_TRUE(session_.findFiles("*.*").has_value());
}

TEST_F(FtpSessionTest, AReadLeftBeforeItsEndLetsTheNextCallRun) {
    ASSERT_TRUE(zxtest::writeFile(server_.file("grande.bin"), allBytes(4 * 1024 * 1024)));
    ASSERT_TRUE(connect(session_));
    {
        auto in = session_.openFile("grande.bin", FtpSession::Access::Read, TransferType::Binary);
        ASSERT_TRUE(in);
        char piece[255];
        ASSERT_EQ(in->read(piece, sizeof piece), 255);
        in->close();
    }
    ASSERT_TRUE(zxtest::writeFile(local("a.txt"), "despues"));
    ASSERT_TRUE(session_.putFile(local("a.txt"), "a.txt", TransferType::Binary));
    EXPECT_EQ(zxtest::readFile(server_.file("a.txt")), QByteArray("despues"));
}

}  // namespace
