#include "platform/vendrix/clsarchivocampo.h"

#include "platform/ado/ado.h"
#include "platform/vb/vberror.h"
#include "tests/support/fixtures.h"
#include "tests/support/test_database.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ClsArchivoCampoTest : public ::testing::Test {
protected:
    void SetUp() override {
        cn.Open(db.connectionString());
        rs.Open("SELECT * FROM AUX_MV_CPTEQR", cn, ado::adOpenKeyset, ado::adLockOptimistic);
        rs.AddNew();
        rs.Fields("TC").setValue("FA");
        rs.Fields("IdComprobante").setValue("000100000001A");
    }

    zxtest::TestDatabase db;
    ado::Connection cn;
    ado::Recordset rs;
    QTemporaryDir dir;
};

TEST_F(ClsArchivoCampoTest, TheWholeFileGoesIntoTheField) {
    QByteArray picture("\x89PNG\r\n\x1a\n", 8);
    for (int i = 0; i < 70000; ++i) picture.append(static_cast<char>(i % 256));
    QFile file(dir.filePath("qr.png"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(picture);
    file.close();

    clsArchivoCampo cargador;
    cargador.CargaArchivo(rs.Fields("QR_AFIP"), file.fileName());
    rs.Update();

    ado::Connection other;
    other.Open(db.connectionString());
    ado::Recordset stored = other.Execute("SELECT QR_AFIP FROM AUX_MV_CPTEQR WHERE TC = 'FA'");
    EXPECT_EQ(stored.Fields(0L).Value(), vb::Variant(picture));
}

TEST_F(ClsArchivoCampoTest, AMissingFileRaisesFileNotFound) {
    clsArchivoCampo cargador;
    try {
        cargador.CargaArchivo(rs.Fields("LOGO_EMPRESA"), dir.filePath("logo.bmp"));
        ADD_FAILURE() << "a missing file was taken";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.Number, vb::err::FileNotFound);
    }
    EXPECT_EQ(rs.Fields("LOGO_EMPRESA").Value(), vb::Variant::null());
}

}  // namespace
