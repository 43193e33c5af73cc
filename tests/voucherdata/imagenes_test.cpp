#include "platform/qr/pyqr.h"
#include "tests/support/qr_reader.h"
#include "tests/voucherdata/voucher_world.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

namespace {

using vdtest::VoucherWorld;

struct FilaQR {
    QString usuario, tc, id, muestraLogo;
    QByteArray qr, afip, logo;
    bool logoNulo = true;
};

QList<FilaQR> filasQR(const VoucherWorld& w) {
    QList<FilaQR> out;
    for (const QStringList& r :
         w.rows("SELECT Usuario, TC, IdComprobante, muestra_logo, hex(QR_AFIP), hex(IMG_AFIP), "
                "hex(LOGO_EMPRESA), LOGO_EMPRESA IS NULL FROM AUX_MV_CPTEQR")) {
        FilaQR f{r[0],
                 r[1],
                 r[2],
                 r[3],
                 QByteArray::fromHex(r[4].toLatin1()),
                 QByteArray::fromHex(r[5].toLatin1()),
                 QByteArray::fromHex(r[6].toLatin1()),
                 r[7] == u"1"};
        out.append(f);
    }
    return out;
}

QString jsonOf(const QString& url) {
    const QString prefix = "https://www.afip.gob.ar/fe/qr/?p=";
    if (!url.startsWith(prefix)) return "<not the tax agency's address: " + url + ">";
    return QString::fromUtf8(QByteArray::fromBase64(url.mid(prefix.size()).toLatin1()));
}

TEST(VoucherQr, RowHoldsTheVoucherCodeAndTheAgencyLogo) {
    VoucherWorld w;
    w.config("CUIT", "30-71234567/8");
    w.build("FC", "000100000123A");
    const QList<FilaQR> filas = filasQR(w);
    ASSERT_EQ(filas.size(), 1);
    const FilaQR& f = filas[0];
    EXPECT_EQ(f.usuario, "PC-CAJA|ANA");
    EXPECT_EQ(f.tc, "FC  ");
    EXPECT_EQ(f.id, "000100000123A");
    EXPECT_EQ(f.muestraLogo, "NO");
    EXPECT_TRUE(f.logoNulo);
    EXPECT_EQ(f.afip, zxtest::readFile(w.folder.file("AFIP.PNG")));
    EXPECT_EQ(jsonOf(zxtest::readQrCode(f.qr)),
              R"({"ver":1,"fecha":"2024-03-05","cuit":30712345678,"ptoVta":1,"tipoCmp":0,)"
              R"("nroCmp":123,"importe":1210.5,"moneda":"PES","ctz":1,"tipoDocRec":0,)"
              R"("nroDocRec":20123456789,"tipoCodAut":"A","codAut":74123456789012})");
}

TEST(VoucherQr, ForeignCurrencyTakesTheDaysLastQuotation) {
    const struct {
        const char* name;
        bool conCotizacion;
        const char* ctz;
    } casos[] = {{"QuotedDay", true, "\"ctz\":851.5,"},
                 {"DayWithoutQuotation", false, "\"ctz\":1,"}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.name);
        VoucherWorld w;
        if (!c.conCotizacion)
            w.data.exec("DELETE FROM TA_COTIZACION WHERE FECHA_HORA >= '2024-03-05'");
        w.build("FC", "000100000200B");
        const QList<FilaQR> filas = filasQR(w);
        ASSERT_EQ(filas.size(), 1);
        const QString json = jsonOf(zxtest::readQrCode(filas[0].qr));
        EXPECT_TRUE(json.contains("\"moneda\":\"DOL\",")) << json.toStdString();
        EXPECT_TRUE(json.contains(c.ctz)) << json.toStdString();
    }
}

TEST(VoucherQr, VoucherWithoutAuthorisationStillGetsItsRow) {
    VoucherWorld w;
    w.build("RM", "000200000010R");
    const QList<FilaQR> filas = filasQR(w);
    ASSERT_EQ(filas.size(), 1);
    EXPECT_TRUE(
        jsonOf(zxtest::readQrCode(filas[0].qr)).endsWith(R"("tipoCodAut":"A","codAut":0})"));
}

TEST(VoucherQr, CompanyLogoAndItsPosition) {
    const struct {
        const char* name;
        const char* tc;
        const char* id;
        const char* clave;      // the type's logo setting, set to "SI"
        const char* izquierda;  // FORMULARIOS_LOGO_IZQUIERDA
        bool carpetaConBarra;   // RutaImagenes ends with its separator
        bool hayLogo;           // logo.jpg is in that folder
        const char* muestra;
        bool conLogo;
    } casos[] = {
        {"SettingOff", "FC", "000100000123A", nullptr, "SI", true, true, "NO", false},
        {"Left", "FC", "000100000123A", "PrintLogo_FC_NC_ND", "si", true, true, "IZ", true},
        {"Centred", "FC", "000100000123A", "PrintLogo_FC_NC_ND", "NO", true, true, "CE", true},
        {"ProForma", "FP", "000300000001X", "PrintLogo_Proforma", "NO", true, true, "CE", true},
        {"OtherTypes", "RM", "000200000010R", "PrintLogo_Otros", "SI", true, true, "IZ", true},
        {"OtherKeyDoesNotCount", "RM", "000200000010R", "PrintLogo_FC_NC_ND", "SI", true, true,
         "NO", false},
        {"NoLogoFile", "FC", "000100000123A", "PrintLogo_FC_NC_ND", "SI", true, false, "NO",
         false},
        {"FolderWithoutSeparator", "FC", "000100000123A", "PrintLogo_FC_NC_ND", "SI", false, true,
         "NO", false},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.name);
        VoucherWorld w;
        const QString carpeta = w.folder.file("imagenes");
        QDir().mkpath(carpeta);
        QImage logo(4, 4, QImage::Format_RGB32);
        logo.fill(Qt::red);
        if (c.hayLogo) logo.save(carpeta + "/logo.jpg", "JPG");
        if (c.clave) w.config(c.clave, "SI");
        w.config("FORMULARIOS_LOGO_IZQUIERDA", c.izquierda);
        w.config("RutaImagenes", c.carpetaConBarra ? carpeta + "/" : carpeta);
        w.build(c.tc, c.id);
        const QList<FilaQR> filas = filasQR(w);
        ASSERT_EQ(filas.size(), 1);
        EXPECT_EQ(filas[0].muestraLogo, c.muestra);
        EXPECT_EQ(filas[0].logoNulo, !c.conLogo);
        if (c.conLogo) {
            EXPECT_EQ(filas[0].logo, zxtest::readFile(carpeta + "/logo.jpg"));
        }
    }
}

TEST(VoucherQr, RowIsReplacedWhicheverStationWroteIt) {
    VoucherWorld w;
    w.data.exec(
        "INSERT INTO AUX_MV_CPTEQR (Usuario, TC, IdComprobante, muestra_logo) VALUES "
        "('OTRA|PC', 'FC', '000100000123A', 'IZ'), ('OTRA|PC', 'FC', '000100000200B', 'IZ')");
    w.build("FC", "000100000123A");
    EXPECT_EQ(w.rows("SELECT Usuario, IdComprobante, muestra_logo FROM AUX_MV_CPTEQR ORDER BY "
                     "IdComprobante"),
              (QList<QStringList>{{"PC-CAJA|ANA", "000100000123A", "NO"},
                                  {"OTRA|PC", "000100000200B", "IZ"}}));
}

TEST(VoucherQr, ComponentFailureKeepsTheEarlierRowAndTheVoucherGoesOn) {
    VoucherWorld w;
    // Another program may have stored a text past the column's length: far more than a QR
    // code holds.
    w.data.writeAsAnotherProgram("UPDATE V_MV_CPTE SET DOCUMENTONUMERO = '" + QString(4000, u'7') +
                                 "' WHERE IDCOMPROBANTE = '000100000123A' COLLATE BINARY");
    w.data.exec(
        "INSERT INTO AUX_MV_CPTEQR (Usuario, TC, IdComprobante, muestra_logo) VALUES "
        "('OTRA|PC', 'FC', '000100000123A', 'IZ')");
    w.build("FC", "000100000123A");
    EXPECT_EQ(w.rows("SELECT Usuario, muestra_logo FROM AUX_MV_CPTEQR"),
              (QList<QStringList>{{"OTRA|PC", "IZ"}}));
    EXPECT_EQ(w.rows("SELECT COUNT(*) FROM AUX_MV_CPTE")[0][0], "16");
}

}  // namespace
