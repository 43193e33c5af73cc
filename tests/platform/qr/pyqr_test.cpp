#include "platform/qr/pyqr.h"

#include "platform/vb/vberror.h"
#include "tests/support/fixtures.h"
#include "tests/support/qr_reader.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

QString readCode(const QString& path) {
    return zxtest::readQrCode(zxtest::readFile(path));
}

QString jsonOf(const QString& url) {
    const QString prefix = QStringLiteral("https://www.afip.gob.ar/fe/qr/?p=");
    if (!url.startsWith(prefix)) return QStringLiteral("<not the tax agency's address>");
    return QString::fromUtf8(QByteArray::fromBase64(url.mid(prefix.size()).toLatin1()));
}

struct Case {
    const char* name;
    qr::VoucherData data;
    const char* json;
};

// Values as the voucher data passes them: amounts as fixed-width digits.
const Case kCases[] = {
    {"PesosWithAuthorisation",
     {std::int16_t(1), "2024-03-05", "30712345678", 2, 0, 1234, "000000000123450", "PES",
      std::int16_t(1), std::int16_t(0), "20123456789", "A", "74123456789012"},
     R"({"ver":1,"fecha":"2024-03-05","cuit":30712345678,"ptoVta":2,"tipoCmp":0,)"
     R"("nroCmp":1234,"importe":1234.5,"moneda":"PES","ctz":1,"tipoDocRec":0,)"
     R"("nroDocRec":20123456789,"tipoCodAut":"A","codAut":74123456789012})"},
    {"DollarsWithRate",
     {std::int16_t(1), "2024-03-05", "30712345678", 1, 0, 7, "000000000001200", "DOL",
      "0000000000850250000", std::int16_t(0), "", "A", ""},
     R"({"ver":1,"fecha":"2024-03-05","cuit":30712345678,"ptoVta":1,"tipoCmp":0,)"
     R"("nroCmp":7,"importe":12,"moneda":"DOL","ctz":850.25,"tipoDocRec":0,)"
     R"("nroDocRec":0,"tipoCodAut":"A","codAut":0})"},
    {"NegativeAmountAndLetteredDocument",
     {std::int16_t(1), "2024-12-31", "30712345678", 3, 0, 99999999, "-000000000000550", "PES",
      std::int16_t(1), std::int16_t(0), "AB\"12", "A", "1"},
     R"({"ver":1,"fecha":"2024-12-31","cuit":30712345678,"ptoVta":3,"tipoCmp":0,)"
     R"("nroCmp":99999999,"importe":-5.5,"moneda":"PES","ctz":1,"tipoDocRec":0,)"
     R"("nroDocRec":"AB\"12","tipoCodAut":"A","codAut":1})"},
};

void generate(qr::PyQR& qr, const qr::VoucherData& d) {
    qr.GenerarImagen(d.ver, d.fecha, d.cuit, d.ptoVta, d.tipoCmp, d.nroCmp, d.importe, d.moneda,
                     d.ctz, d.tipoDocRec, d.nroDocRec, d.tipoCodAut, d.codAut);
}

TEST(PyQR, ImageHoldsTheTaxAgencyAddressWithTheVoucherJson) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        qr::PyQR qr;
        const QString file = qr.crearArchivo();
        EXPECT_TRUE(file.endsWith(".png"));
        generate(qr, c.data);
        const QString text = readCode(file);
        EXPECT_EQ(text, qr::voucherUrl(c.data));
        EXPECT_EQ(jsonOf(text), QString::fromUtf8(c.json));
    }
}

TEST(PyQR, WritesABitmapWhenTheFileIsNamedSo) {
    qr::PyQR qr;
    const QString file = qr.crearArchivo("bmp");
    generate(qr, kCases[0].data);
    EXPECT_EQ(zxtest::readFile(file).left(2), QByteArray("BM"));
    EXPECT_EQ(readCode(file), qr::voucherUrl(kCases[0].data));
}

TEST(PyQR, RemovesItsFilesWhenItGoesAway) {
    QString file;
    {
        qr::PyQR qr;
        file = qr.crearArchivo();
        generate(qr, kCases[0].data);
        EXPECT_TRUE(QFileInfo::exists(file));
    }
    EXPECT_FALSE(QFileInfo::exists(file));
}

// On a real full disk the image cannot be flushed: the call raises instead of leaving an
// empty or cut picture for the voucher.
TEST(PyQR, AnImageOnAFullDiskRaisesFail) {
    qr::PyQR qr;
    const auto run = zxtest::onSmallDisk([&](const QString& folder) {
        qputenv("TMPDIR", QFile::encodeName(folder));
        qr.crearArchivo();
        if (!zxtest::fillDisk(folder)) return false;
        return zxtest::raisedNumber([&] { generate(qr, kCases[0].data); }) == qr::Fail;
    });
    ASSERT_TRUE(run.has_value());
    EXPECT_TRUE(run->answer);
    for (auto f = run->files.cbegin(); f != run->files.cend(); ++f) {
        if (f.key() != "relleno") EXPECT_EQ(f.value(), QByteArray()) << f.key().toStdString();
    }
}

TEST(PyQR, DataTooLongForACodeRaisesFail) {
    qr::PyQR qr;
    const QString file = qr.crearArchivo();
    qr::VoucherData d = kCases[0].data;
    d.nroDocRec = QString(4000, u'X');
    try {
        generate(qr, d);
        ADD_FAILURE() << "no error raised";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.Number, qr::Fail);
        EXPECT_EQ(e.Source, "PyQR");
    }
    EXPECT_EQ(zxtest::readFile(file), QByteArray());
}

}  // namespace
