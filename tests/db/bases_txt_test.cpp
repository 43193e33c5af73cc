#include "db/bases_txt.h"

#include "platform/vb/app.h"
#include "platform/vb/steps.h"
#include "platform/vb/textfile.h"
#include "platform/vendrix/clsutil.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class BasesTxtTest : public ::testing::Test {
protected:
    zxtest::ProgramFolder folder;
    zxtest::ScriptedOperator op;

    void escribe(const QByteArray& bytes) {
        QFile f(folder.file("BASES.TXT"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(BasesTxtTest, AMissingFileHasNoEntriesAndTheFirstRegistrationCreatesIt) {
    EXPECT_FALSE(bases::lee().has_value());
    EXPECT_TRUE(TXR_Common::AgregaConexionBases("EMPRESA / SRV01", " empresa ", "empresa",
                                                "empresa", " srv01:1500 "));
    const QByteArray esperado = "EMPRESA / SRV01,empresa,empresa," +
                                vb::toCp1252(gUtil().Codifica("empresa")) + ",srv01:1500\r\n";
    EXPECT_EQ(zxtest::readFile(folder.file("BASES.TXT")), esperado);
    // It holds a scrambled password: private to the user.
    const QFile::Permissions modo = QFile::permissions(folder.file("BASES.TXT"));
    EXPECT_TRUE(modo.testFlag(QFile::WriteOwner));
    EXPECT_EQ(modo & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
              QFile::Permissions());

    const auto entrada = bases::busca("EMPRESA / SRV01");
    ASSERT_TRUE(entrada.has_value());
    EXPECT_EQ(entrada->Database, QStringLiteral("empresa"));
    EXPECT_EQ(entrada->Usuario, QStringLiteral("empresa"));
    EXPECT_EQ(entrada->Password, QStringLiteral("empresa"));
    EXPECT_EQ(entrada->Servidor, QStringLiteral("srv01:1500"));
}

TEST_F(BasesTxtTest, SuffixAndOracleFlagShapeTheServerField) {
    TXR_Common::AgregaConexionBases("N", "d", "u", "p", "srv", "inst", true);
    EXPECT_EQ(bases::busca("N")->Servidor, QStringLiteral("#srv/inst:"));
}

TEST_F(BasesTxtTest, AValueWithACommaIsRefusedAndNothingIsWritten) {
    TXR_Common::AgregaConexionBases("A / S", "a", "a", "a", "s");
    const QByteArray antes = zxtest::readFile(folder.file("BASES.TXT"));
    op.answer(vb::vbOK);
    EXPECT_FALSE(TXR_Common::AgregaConexionBases("B / H", "b", "b", "b", "host,1500"));
    EXPECT_EQ(zxtest::readFile(folder.file("BASES.TXT")), antes);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages().first().title, QStringLiteral("Atención"));
}

// A field that would not read back as itself from its line is refused with the reason, and
// nothing is written: a line break would make a stray entry and lose the registered name.
TEST_F(BasesTxtTest, AFieldThatWouldBreakItsLineIsRefusedAndNothingIsWritten) {
    TXR_Common::AgregaConexionBases("A / S", "a", "a", "a", "s");
    const QByteArray antes = zxtest::readFile(folder.file("BASES.TXT"));
    const struct {
        const char* nombre;
        const char* database;
        const char* servidor;
        const char* motivo;
    } casos[] = {
        {"EMPRESA\r\nOTRA / S", "empresa", "s", "un salto de línea"},
        {"B / S", "emp\nresa", "s", "un salto de línea"},
        {"B / S", "b", "srv\r01", "un salto de línea"},
        {"B / S", "b", "host,1500", "una coma"},
        {"B / S", "\"b\"", "s", "comillas"},
        {"B / S", "b\tc", "s", "un carácter de control"},
        {"B / S", "b", "日本", "caracteres que el archivo no puede guardar"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.motivo);
        const qsizetype avisos = op.messages().size();
        op.answer(vb::vbOK);
        EXPECT_FALSE(TXR_Common::AgregaConexionBases(QString::fromUtf8(c.nombre),
                                                     QString::fromUtf8(c.database), "u", "p",
                                                     QString::fromUtf8(c.servidor)));
        EXPECT_EQ(zxtest::readFile(folder.file("BASES.TXT")), antes);
        ASSERT_EQ(op.messages().size(), avisos + 1);
        EXPECT_TRUE(op.messages().last().text.startsWith("No se puede registrar la conexión: "));
        EXPECT_TRUE(op.messages().last().text.endsWith(QString::fromUtf8(c.motivo) + '.'))
            << op.messages().last().text.toStdString();
        EXPECT_EQ(op.messages().last().title, QStringLiteral("Atención"));
    }
}

// On a real full disk a registration that only partly fits raises and leaves no half line.
TEST_F(BasesTxtTest, ARegistrationOnAFullDiskLeavesNoHalfLine) {
    // 20 bytes free in the file's last page, and nothing else on the disk.
    const QByteArray antes = "A / S,a,a,a," + QByteArray(4096 - 20 - 14, 's') + "\r\n";
    const auto run = zxtest::onSmallDisk([&](const QString& disco) {
        vb::App().Path = disco;
        if (!zxtest::writeFile(QDir(disco).filePath("BASES.TXT"), antes) ||
            !zxtest::fillDisk(disco)) {
            return false;
        }
        return zxtest::raisedNumber([] {
                   TXR_Common::AgregaConexionBases("EMPRESA / SRV01", "empresa", "empresa",
                                                   "empresa", "srv01:1500");
               }) == vb::err::PathNotFound;
    });
    ASSERT_TRUE(run.has_value());
    EXPECT_TRUE(run->answer);
    EXPECT_EQ(run->files.value("BASES.TXT"), antes);
}

TEST_F(BasesTxtTest, EachLineReadsOnItsOwn) {
    escribe(
        "A / S,a\r\n"
        "B / S,b,ub,pb,srvb\r\n"
        " ,c,c,c,c\r\n"
        "B / S,x,x,x,otro\r\n"
        "\"Q / S\",\"q\",q,q,srvq\r\n");
    const auto entradas = bases::lee();
    ASSERT_TRUE(entradas.has_value());
    ASSERT_EQ(entradas->size(), 5);
    EXPECT_EQ((*entradas)[0].Database, QStringLiteral("a"));
    EXPECT_EQ((*entradas)[0].Servidor, QString());
    EXPECT_EQ(bases::busca("B / S")->Servidor, QStringLiteral("srvb"));  // the first of two
    EXPECT_EQ(bases::busca("B / S")->Usuario, QStringLiteral("ub"));
    EXPECT_EQ(bases::busca(" Q / S ")->Database, QStringLiteral("q"));
    EXPECT_FALSE(bases::busca("b / s").has_value());  // names compare with case
}

// Lines another program wrote with quoted fields: a comma inside the quotes is text, as the
// language's Input # reads it.
TEST_F(BasesTxtTest, AQuotedFieldKeepsItsCommas) {
    escribe(
        "\"EMPRESA, SUR / SRV\",\"empresa\",\"u, v\",\"p\",\"srv01:1500\"\r\n"
        "  \"B / S\"  , b ,ub,pb,\"srvb\"\r\n"
        "\"C / S\",\"c\"\r\n");
    const auto entradas = bases::lee();
    ASSERT_TRUE(entradas.has_value());
    ASSERT_EQ(entradas->size(), 3);
    const auto sur = bases::busca("EMPRESA, SUR / SRV");
    ASSERT_TRUE(sur.has_value());
    EXPECT_EQ(sur->Database, QStringLiteral("empresa"));
    EXPECT_EQ(sur->Usuario, QStringLiteral("u, v"));
    EXPECT_EQ(sur->Servidor, QStringLiteral("srv01:1500"));
    EXPECT_EQ(bases::busca("B / S")->Database, QStringLiteral("b"));
    EXPECT_EQ(bases::busca("B / S")->Servidor, QStringLiteral("srvb"));
    EXPECT_EQ(bases::busca("C / S")->Database, QStringLiteral("c"));
    EXPECT_EQ(bases::busca("C / S")->Servidor, QString());
}

TEST_F(BasesTxtTest, TheFileIsFoundWhateverTheCaseOfItsName) {
    QFile f(folder.file("bases.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("X / Y,x,x,x,y\r\n");
    f.close();
    EXPECT_EQ(bases::busca("X / Y")->Servidor, QStringLiteral("y"));
}

}  // namespace
