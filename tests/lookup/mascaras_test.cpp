#include "lookup/mascaras.h"

#include "tests/support/fixtures.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray padded(const QByteArray& text, int width) {
    return text + QByteArray(width - text.size(), ' ');
}

TEST(Mascaras, RecordIsWrittenByteForByteAndReadBack) {
    const MascaraConsulta registro{"VENDEDORES", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|",
                                   QString::fromUtf8("Baja = 0 AND Zona = 'Ñandú'")};
    const QByteArray bytes = mascaras::encode(registro);

    const QByteArray expected = padded("VENDEDORES", 100) + padded("V_TA_VENDEDORES", 100) +
                                padded("|NOMBRE|IDVENDEDOR|", 500) +
                                padded(
                                    "Baja = 0 AND Zona = '\xD1"
                                    "and\xFA'",
                                    500) +
                                "\r\n";
    EXPECT_EQ(bytes, expected);

    const MascaraConsulta back = mascaras::decode(bytes);
    EXPECT_EQ(mascaras::limpia(back.TituloConsulta), registro.TituloConsulta);
    EXPECT_EQ(mascaras::limpia(back.TablaMascara), registro.TablaMascara);
    EXPECT_EQ(mascaras::limpia(back.Columnas), registro.Columnas);
    EXPECT_EQ(mascaras::limpia(back.Filtro), registro.Filtro);
}

// A long field used to run into the next one and shift the whole record.
TEST(Mascaras, FieldLongerThanItsWidthIsCut) {
    const MascaraConsulta registro{QString(130, 'T'), "TABLA", "|A|", {}};
    const QByteArray bytes = mascaras::encode(registro);
    ASSERT_EQ(bytes.size(), mascaras::kLargoRegistro);
    EXPECT_EQ(bytes.left(100), QByteArray(100, 'T'));
    EXPECT_EQ(bytes.mid(100, 100), padded("TABLA", 100));
}

TEST(Mascaras, DefaultFileHoldsTheElevenRecords) {
    zxtest::ProgramFolder folder;
    const QString ruta = folder.file("consultas.kqv");
    mascaras::escribePorDefecto(ruta);

    const QByteArray bytes = zxtest::readFile(ruta);
    ASSERT_EQ(bytes.size(), 11 * 1202);
    EXPECT_EQ(bytes.left(100), padded("ARTICULOS", 100));
    for (int k = 0; k < 11; ++k) {
        SCOPED_TRACE(k + 1);
        EXPECT_EQ(bytes.mid(k * 1202 + 1200, 2), QByteArray("\r\n"));
        const MascaraConsulta r = mascaras::decode(bytes.mid(k * 1202, 1202));
        const MascaraConsulta d = mascaras::registrosPorDefecto()[k];
        EXPECT_EQ(mascaras::limpia(r.TablaMascara), d.TablaMascara);
        EXPECT_EQ(mascaras::limpia(r.Columnas), d.Columnas);
        EXPECT_EQ(r.Filtro, QString(500, ' '));
    }
    EXPECT_EQ(bytes.mid(8 * 1202 + 200, 500), padded("|Descripcion|IdTarea|", 500));
    EXPECT_EQ(bytes.mid(10 * 1202, 200), padded("DEPOSITO", 100) + padded("V_TA_DEPOSITO", 100));
}

TEST(Mascaras, DefaultRecordsOverwriteATornLastRecord) {
    zxtest::ProgramFolder folder;
    const QString ruta = folder.file("consultas.kqv");
    QFile file(ruta);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(mascaras::encode({"PROPIA", "MI_TABLA", "|X|", {}}));
    file.write(QByteArray(300, 'z'));
    file.close();

    mascaras::escribePorDefecto(ruta);

    const QByteArray bytes = zxtest::readFile(ruta);
    ASSERT_EQ(bytes.size(), 12 * 1202);
    EXPECT_EQ(bytes.mid(1202, 100), padded("ARTICULOS", 100));
}

// Defaults that do not fit on the disk raise and leave no file: a torn one would stop the
// next start from writing them.
TEST(Mascaras, DefaultsThatDoNotFitRaiseAndLeaveNoFile) {
    const auto run = zxtest::onSmallDisk([](const QString& disco) {
        return zxtest::fillDisk(disco) &&
               zxtest::raisedNumber([&] {
                   mascaras::escribePorDefecto(QDir(disco).filePath("consultas.kqv"));
               }) == 75;
    });
    ASSERT_TRUE(run.has_value());
    EXPECT_TRUE(run->answer);
    EXPECT_EQ(run->files.keys(), QStringList{"relleno"});
}

TEST(Mascaras, KeyMatchesWithoutRegardToCaseAndPadding) {
    zxtest::ProgramFolder folder;
    const QString ruta = folder.file("consultas.kqv");
    QByteArray conNul = mascaras::encode({"SIN BLANCOS", "MA_CUENTAS", "|DESCRIPCION|", {}});
    conNul.replace(100 + 10, 90, QByteArray(90, '\0'));
    QFile file(ruta);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(mascaras::encode({"VENDEDORES", "v_ta_vendedores", "|NOMBRE|", {}}));
    file.write(conNul);
    file.write(mascaras::encode({"DUPLICADA", "V_TA_VENDEDORES", "|OTRA|", {}}));
    file.close();

    const auto vendedores = mascaras::buscar(ruta, " V_TA_VENDEDORES ");
    ASSERT_TRUE(vendedores.has_value());
    EXPECT_EQ(mascaras::limpia(vendedores->TituloConsulta), "VENDEDORES");
    const auto cuentas = mascaras::buscar(ruta, "MA_CUENTAS");
    ASSERT_TRUE(cuentas.has_value());
    EXPECT_EQ(mascaras::limpia(cuentas->TituloConsulta), "SIN BLANCOS");
    EXPECT_FALSE(mascaras::buscar(ruta, "MA_CUENTA").has_value());
    EXPECT_FALSE(mascaras::buscar(folder.file("no-existe.kqv"), "MA_CUENTAS").has_value());
}

}  // namespace
