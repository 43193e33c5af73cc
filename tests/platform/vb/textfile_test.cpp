#include "platform/vb/textfile.h"
#include "tests/support/fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(TextFileTest, Windows1252WithCrlfIsWrittenAndReadBackByteForByte) {
    QTemporaryDir dir;
    const QString path = dir.filePath("BASES.TXT");
    const QStringList lines = {QStringLiteral("Año, Peña, €5"), QStringLiteral("“comillas” – ok"),
                               QString(), QStringLiteral("日本")};
    ASSERT_TRUE(vb::writeTextLines(path, lines));
    const QByteArray expected = QByteArray(
        "A\xF1o, Pe\xF1"
        "a, \x80"
        "5\r\n"
        "\x93"
        "comillas\x94 \x96 ok\r\n"
        "\r\n"
        "??\r\n");
    EXPECT_EQ(zxtest::readFile(path), expected);
    const auto back = vb::readTextLines(path);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, (QStringList{lines[0], lines[1], QString(), QStringLiteral("??")}));

    ASSERT_TRUE(vb::appendTextLine(path, QStringLiteral("último")));
    EXPECT_TRUE(zxtest::readFile(path).endsWith("\xFAltimo\r\n"));
}

TEST(TextFileTest, ReadsLfAndCrEndsAndMissingFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath("x.txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("a\nb\rc\r\nd");
    f.close();
    EXPECT_EQ(*vb::readTextLines(path), (QStringList{"a", "b", "c", "d"}));
    EXPECT_FALSE(vb::readTextLines(dir.filePath("missing.txt")).has_value());
}

TEST(TextFileTest, PermissionsAreSetWhenAsked) {
    QTemporaryDir dir;
    const QString path = dir.filePath("secret.txt");
    ASSERT_TRUE(vb::writeTextLines(path, {"x"}, false, 0600));
    const auto p = QFileInfo(path).permissions();
    EXPECT_TRUE(p & QFileDevice::ReadOwner);
    EXPECT_TRUE(p & QFileDevice::WriteOwner);
    EXPECT_FALSE(p & QFileDevice::ReadGroup);
    EXPECT_FALSE(p & QFileDevice::ReadOther);
}

TEST(TextFileTest, ARewriteThatFailsPartWayLeavesTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("PiePag.htm");
    ASSERT_TRUE(vb::writeTextLines(path, {"viejo"}));
    const QStringList largas(2000, QString(100, u'x'));
    const auto escribio =
        zxtest::underFileSizeLimit(32 * 1024, [&] { return vb::writeTextLines(path, largas); });
    ASSERT_TRUE(escribio.has_value());
    EXPECT_FALSE(*escribio);
    EXPECT_EQ(zxtest::readFile(path), QByteArray("viejo\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"PiePag.htm"}));
}

// On a real full disk the new content cannot be flushed: the rewrite says so and the old
// file stays whole, whether the new content is a short line or more than the disk holds.
TEST(TextFileTest, ARewriteOnAFullDiskLeavesTheOldFileWhole) {
    const struct {
        const char* name;
        QStringList lines;
    } cases[] = {
        {"one short line", {QStringLiteral("nuevo")}},
        {"ten kilobytes", QStringList(100, QString(100, u'x'))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto run = zxtest::onSmallDisk([&](const QString& folder) {
            const QString path = QDir(folder).filePath("PiePag.htm");
            if (!vb::writeTextLines(path, {"viejo"}) || !zxtest::fillDisk(folder)) return true;
            return vb::writeTextLines(path, c.lines);
        });
        ASSERT_TRUE(run.has_value());
        EXPECT_FALSE(run->answer);
        EXPECT_EQ(run->files.value("PiePag.htm"), QByteArray("viejo\r\n"));
        EXPECT_EQ(run->files.keys(), (QStringList{"PiePag.htm", "relleno"}));
    }
}

// An append that only partly fits is taken back: the log never ends in half a line.
TEST(TextFileTest, AnAppendThatDoesNotFitLeavesNoHalfLine) {
    // 40 bytes free in the file's last page, and nothing else on the disk.
    const QString old(4096 - 40 - 2, u'a');
    const auto run = zxtest::onSmallDisk([&](const QString& folder) {
        const QString path = QDir(folder).filePath("KQERR.LOG");
        if (!vb::writeTextLines(path, {old}) || !zxtest::fillDisk(folder)) return true;
        return vb::appendTextLine(path, QString(200, u'y'));
    });
    ASSERT_TRUE(run.has_value());
    EXPECT_FALSE(run->answer);
    EXPECT_EQ(run->files.value("KQERR.LOG"), vb::toCp1252(old) + "\r\n");
}

TEST(TextFileTest, ARewriteKeepsTheFilesPermissionsAndAnAppendStaysInPlace) {
    QTemporaryDir dir;
    const QString path = dir.filePath("BASES.TXT");
    ASSERT_TRUE(vb::writeTextLines(path, {"a"}, false, 0600));
    ASSERT_TRUE(vb::writeTextLines(path, {"b"}));
    EXPECT_EQ(zxtest::readFile(path), QByteArray("b\r\n"));
    EXPECT_FALSE(QFileInfo(path).permissions() & QFileDevice::ReadOther);
    // An append writes into the file itself: another name of it sees the new line.
    ASSERT_TRUE(QFile::link(path, dir.filePath("enlace.txt")));
    ASSERT_TRUE(vb::appendTextLine(dir.filePath("enlace.txt"), "c"));
    EXPECT_EQ(zxtest::readFile(path), QByteArray("b\r\nc\r\n"));
    EXPECT_TRUE(QFileInfo(dir.filePath("enlace.txt")).isSymLink());
}

// Logs are appended: a file the append makes is its owner's alone unless other permissions
// are given, and one already there keeps its own.
TEST(TextFileTest, AnAppendMakesAPrivateFileAndLeavesAnOldOnesMode) {
    const zxtest::ScopedUmask umask(022);
    QTemporaryDir dir;
    ASSERT_TRUE(vb::appendTextLine(dir.filePath("nuevo.log"), "a"));
    EXPECT_EQ(zxtest::fileMode(dir.filePath("nuevo.log")), 0600);
    ASSERT_TRUE(vb::writeTextLines(dir.filePath("dado.txt"), {"a"}, true, 0640));
    EXPECT_EQ(zxtest::fileMode(dir.filePath("dado.txt")), 0640);
    ASSERT_TRUE(vb::writeTextLines(dir.filePath("viejo.log"), {"a"}));
    ASSERT_TRUE(QFile::setPermissions(dir.filePath("viejo.log"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                          QFile::ReadOther));
    ASSERT_TRUE(vb::appendTextLine(dir.filePath("viejo.log"), "b"));
    EXPECT_EQ(zxtest::fileMode(dir.filePath("viejo.log")), 0644);
    EXPECT_EQ(zxtest::readFile(dir.filePath("viejo.log")), QByteArray("a\r\nb\r\n"));
}

TEST(TextFileTest, FixedRecordsPadAndCutEachField) {
    const vb::FixedRecord layout({3, 5, 2});
    EXPECT_EQ(layout.size(), 10);
    const QByteArray bytes = layout.encode({"ab", "ñandú-largo", "x"});
    EXPECT_EQ(bytes, QByteArray("ab \xF1"
                                "and\xFA"
                                "x "));
    EXPECT_EQ(layout.decode(bytes), (QStringList{"ab ", "ñandú", "x "}));
    EXPECT_EQ(layout.decode("abc"), (QStringList{"abc", "     ", "  "}));
}

}  // namespace
