#include "platform/vendrix/clsini.h"

#include "platform/vb/textfile.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

class ClsIniTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Written by the suite's other programs: Windows-1252, CRLF, any letter case.
        ASSERT_TRUE(
            vb::writeTextLines(folder_.file("zx900PR.ini"), {
                                                                "[PC1|ANA]",
                                                                "FlatToolbars = 0",
                                                                "Vacio=",
                                                                "Entre=\"  con blancos  \"",
                                                                "; comentario=1",
                                                                "[pc1|anaBaseDeDatos]",
                                                                "Servidor=SRV1\\SQL",
                                                                "UserPassWord=Contraseña",
                                                                "[Otra]",
                                                                "FlatToolbars=5",
                                                            }));
    }

    zxtest::ProgramFolder folder_;
};

TEST_F(ClsIniTest, ReadsSectionsAndKeysWithoutRegardToCase) {
    struct Case {
        const char *section, *key, *expected;
    } cases[] = {
        {"PC1|ANA", "FlatToolbars", "0"},
        {"pc1|ana", "FLATTOOLBARS", "0"},
        {"PC1|ANABASEDEDATOS", "servidor", "SRV1\\SQL"},
        {"PC1|ANABaseDeDatos", "UserPassWord", "Contraseña"},
        {"Otra", "FlatToolbars", "5"},
        {"PC1|ANA", "Vacio", ""},
        {"PC1|ANA", "Entre", "  con blancos  "},
        {"PC1|ANA", "Servidor", "por defecto"},
        {"PC1|ANA", "; comentario", "por defecto"},
        {"PC2|ANA", "FlatToolbars", "por defecto"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + " " + c.key);
        EXPECT_EQ(gIni().LeeIni("ZX900pr.INI", c.section, c.key, "por defecto"), c.expected);
    }
}

// A NUL byte ends a value, as it ends the text the suite's other programs read back.
TEST_F(ClsIniTest, AValueEndsAtANulByte) {
    static const char bytes[] =
        "[PC1|ANA]\r\nServidor=SRV1\0BORRADO\r\nUsuario=  ana\0  \r\nClave=\"x\0y\"\r\n"
        "Nada=\0resto\r\nBlanco=SRV1 \0X\r\nComillas=\"x\"\0y\r\n";
    ASSERT_TRUE(zxtest::writeFile(folder_.file("NUL.INI"), QByteArray(bytes, sizeof bytes - 1)));
    const struct {
        const char *key, *expected;
    } cases[] = {
        {"Servidor", "SRV1"},
        {"Usuario", "ana"},
        {"Clave", "x"},
        {"Nada", ""},
        {"Blanco", "SRV1"},
        {"Comillas", "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        const QString value = gIni().LeeIni("NUL.INI", "PC1|ANA", c.key, "por defecto");
        EXPECT_EQ(value, QString::fromUtf8(c.expected));
    }
}

TEST_F(ClsIniTest, AMissingFileGivesTheDefault) {
    EXPECT_EQ(gIni().LeeIni("OTRO.INI", "PC1|ANA", "FlatToolbars", "1"), "1");
    EXPECT_EQ(gIni().LeeIni("OTRO.INI", "PC1|ANA", "FlatToolbars"), "");
}

TEST_F(ClsIniTest, AFullPathAndTheOutArgumentWork) {
    QString value;
    EXPECT_EQ(gIni().LeeIni(folder_.file("ZX900PR.INI"), "Otra", "FlatToolbars", "1", value), "5");
    EXPECT_EQ(value, "5");
}

// A file saved by an editor that writes a byte-order mark reads whole: the first section too.
TEST_F(ClsIniTest, AFileWithAByteOrderMarkReadsFromItsFirstSection) {
    const QString text = QStringLiteral(
        "[PC1|ANA]\r\nFlatToolbars = 0\r\n[pc1|anaBaseDeDatos]\r\nServidor=SRV1\\SQL\r\n"
        "UserPassWord=Contraseña\r\n");
    QByteArray utf16le("\xFF\xFE"), utf16be("\xFE\xFF");
    for (QChar c : text) {
        utf16le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        utf16be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    }
    const struct {
        const char* name;
        QByteArray bytes;
    } files[] = {
        {"UTF-8", QByteArray("\xEF\xBB\xBF") + text.toUtf8()},
        {"UTF-16LE", utf16le},
        {"UTF-16BE", utf16be},
        {"Windows-1252", vb::toCp1252(text)},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        ASSERT_TRUE(zxtest::writeFile(folder_.file("BOM.INI"), f.bytes));
        EXPECT_EQ(gIni().LeeIni("BOM.INI", "PC1|ANA", "FlatToolbars", "1"), "0");
        EXPECT_EQ(gIni().LeeIni("BOM.INI", "PC1|ANABaseDeDatos", "Servidor"), "SRV1\\SQL");
        EXPECT_EQ(gIni().LeeIni("BOM.INI", "PC1|ANABaseDeDatos", "UserPassWord"), "Contraseña");
    }
}

}  // namespace
