#include "lookup/anchos.h"

#include "platform/vb/vberror.h"
#include "tests/support/fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class Anchos : public ::testing::Test {
protected:
    void write(const QByteArray& bytes) {
        QFile file(ruta());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QString ruta() const { return folder.file("CONSULTASLEN.KQV"); }
    QString aux() const { return folder.file("CONSULTASLEN.AUX"); }

    zxtest::ProgramFolder folder;
};

TEST_F(Anchos, FilesLiveInTheProgramFolder) {
    EXPECT_EQ(anchos::rutaArchivo(), ruta());
    EXPECT_EQ(anchos::rutaAuxiliar(), aux());
}

TEST_F(Anchos, NoFileKeepsTheWidths) {
    QString tabla = "Stk_ma_articulos";
    QList<double> anchos{100, 200};
    anchos::LeerAnchosColumnas(ruta(), tabla, anchos);
    EXPECT_EQ(anchos, (QList<double>{100, 200}));
    EXPECT_EQ(tabla, "Stk_ma_articulos");
}

TEST_F(Anchos, OnlyTheLinesOfTheTableApplyAndTheLastWins) {
    write(
        "\"VT_PROVEEDORES\",\"500|600|\"\r\n"
        "\"vt_clientes\",\"1440|2880|720|\"\r\n"
        "\"VT_CLIENTES\",\"1000|\"\r\n");
    QString tabla = "VT_CLIENTES";
    QList<double> anchos{1, 2, 3};
    anchos::LeerAnchosColumnas(ruta(), tabla, anchos);
    // The short last line sets its first column and ends the reading.
    EXPECT_EQ(anchos, (QList<double>{1000, 2880, 720}));
}

// Lines written by hand, or by another program, without the quotes: a field without quotes
// runs to the comma or the line's end, without the blanks around it.
TEST_F(Anchos, UnquotedFieldsAreReadAsTheFileReaderReadsThem) {
    const struct {
        const char* name;
        const char* linea;
    } casos[] = {
        {"quoted", "\"VT_CLIENTES\",\"1000|2000|\""},
        {"unquoted key", "VT_CLIENTES,\"1000|2000|\""},
        {"unquoted widths", "\"VT_CLIENTES\",1000|2000|"},
        {"nothing quoted", "VT_CLIENTES,1000|2000|"},
        {"blanks around bare fields", "  vt_clientes  ,  1000|2000|  "},
        {"blanks before quotes", "  \"VT_CLIENTES\" ,  \"1000|2000|\""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.name);
        write(QByteArray("\"VT_PROVEEDORES\",\"500|600|700|\"\r\n") + c.linea +
              "\r\nMA_CUENTAS,\"1|2|3|\"\r\n");
        QString tabla = "VT_CLIENTES";
        QList<double> anchos{1, 2, 3};
        anchos::LeerAnchosColumnas(ruta(), tabla, anchos);
        // Two widths for three columns: the third keeps its own.
        EXPECT_EQ(anchos, (QList<double>{1000, 2000, 3}));
        // The neighbours are read as pairs of their own.
        QString otra = "MA_CUENTAS";
        QList<double> suyos{9, 9, 9};
        anchos::LeerAnchosColumnas(ruta(), otra, suyos);
        EXPECT_EQ(suyos, (QList<double>{1, 2, 3}));
    }
}

TEST_F(Anchos, FewerWidthsThanColumnsSizeTheFirstOnes) {
    write("\"MA_CUENTAS\",\"1500|2500|\"\r\n");
    QString tabla = "MA_CUENTAS";
    QList<double> anchos{1, 2, 3, 4};
    anchos::LeerAnchosColumnas(ruta(), tabla, anchos);
    EXPECT_EQ(anchos, (QList<double>{1500, 2500, 3, 4}));
}

TEST_F(Anchos, StockArticlesReadTheArticleWidths) {
    write("\"VT_MA_ARTICULOS\",\"3000|1200|\"\r\n");
    QString tabla = "Stk_ma_articulos";
    QList<double> anchos{1, 2};
    anchos::LeerAnchosColumnas(ruta(), tabla, anchos);
    EXPECT_EQ(tabla, "VT_MA_ARTICULOS");
    EXPECT_EQ(anchos, (QList<double>{3000, 1200}));
}

TEST_F(Anchos, RewriteKeepsOtherTablesAndReplacesItsOwn) {
    write("\"VT_PROVEEDORES\",\"500|600|\"\r\n\"VT_CLIENTES\",\"1|2|\"\r\n");
    anchos::GrabarAnchosColumnas(ruta(), aux(), "vt_clientes", {1440, 2880.5});
    EXPECT_EQ(
        zxtest::readFile(ruta()),
        QByteArray("\"VT_PROVEEDORES\",\"500|600|\"\r\n\"vt_clientes\",\"1440|2880.5|\"\r\n"));
    EXPECT_FALSE(QFile::exists(aux()));
}

TEST_F(Anchos, RewriteCreatesTheFile) {
    anchos::GrabarAnchosColumnas(ruta(), aux(), "MA_CUENTAS", {1200, 2400, 600});
    EXPECT_EQ(zxtest::readFile(ruta()), QByteArray("\"MA_CUENTAS\",\"1200|2400|600|\"\r\n"));
}

TEST_F(Anchos, FailedRewriteLeavesTheOldFileWhole) {
    const QByteArray old("\"VT_CLIENTES\",\"1|2|\"\r\n");
    write(old);
    ASSERT_TRUE(QDir(folder.path()).mkdir("CONSULTASLEN.AUX"));
    EXPECT_THROW(anchos::GrabarAnchosColumnas(ruta(), aux(), "VT_CLIENTES", {9, 9}), vb::VbError);
    EXPECT_EQ(zxtest::readFile(ruta()), old);
}

// On a real full disk the widths file stays whole and no auxiliary file is left.
TEST_F(Anchos, ARewriteOnAFullDiskLeavesTheOldFileWhole) {
    const QByteArray old("\"VT_CLIENTES\",\"1|2|\"\r\n");
    const auto run = zxtest::onFullDisk("CONSULTASLEN.KQV", old, [](const QString& path) {
        anchos::GrabarAnchosColumnas(path, QFileInfo(path).dir().filePath("CONSULTASLEN.AUX"),
                                     "VT_PROVEEDORES", {1440, 720});
        return true;
    });
    ASSERT_TRUE(run.has_value());
    EXPECT_FALSE(run->answer);  // it raised
    EXPECT_EQ(run->files.value("CONSULTASLEN.KQV"), old);
    EXPECT_EQ(run->files.keys(), (QStringList{"CONSULTASLEN.KQV", "relleno"}));
}

}  // namespace
