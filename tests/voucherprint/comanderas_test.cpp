#include "voucherprint/comanderas.h"

#include "platform/vendrix/clsutil.h"
#include "tests/support/fixtures.h"
#include "tests/voucherprint/print_world.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using ModGlobal::gComandera;
using ModGlobal::LeeComanderas;
using vptest::Comandera;

class ComanderasTest : public ::testing::Test {
protected:
    QString archivo() const { return folder.file(QStringLiteral("Comanderas.cfg")); }

    void escribe(const QByteArray& bytes) {
        QFile f(archivo());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray registro(const Comandera& c) {
        return ModGlobal::RegistroComandera::Formato().encode(c.campos());
    }
    static Comandera de(const QString& equipo, const QString& nombre, const QString& puerto) {
        Comandera c;
        c.equipo = equipo;
        c.nombre = nombre;
        c.puerto = puerto;
        return c;
    }
    // The port of the record found, or "-" when none was.
    QString busca(const QString& nombre) {
        bool encontrado = false;
        LeeComanderas(encontrado, nombre);
        return encontrado ? gUtil().RecortaFijo(gComandera.Puerto) : QStringLiteral("-");
    }

    zxtest::ProgramFolder folder;
    zxtest::FixedStation station{QStringLiteral("pc-salon"), QStringLiteral("mozo1")};
};

TEST_F(ComanderasTest, RecordIs910BytesOfSeventeenFields) {
    EXPECT_EQ(ModGlobal::RegistroComandera::Formato().size(), 910);
    EXPECT_EQ(ModGlobal::RegistroComandera::Formato().widths().size(), 17);
    Comandera c;
    c.encabezado1 = QStringLiteral("Lía");
    escribe(registro(c));
    bool encontrado = false;
    LeeComanderas(encontrado, QStringLiteral("COCINA"));
    ASSERT_TRUE(encontrado);
    EXPECT_EQ(gComandera.Equipo.size(), 254);
    EXPECT_EQ(gComandera.Puerto, "COM3 ");
    EXPECT_EQ(gComandera.Encabezado1.trimmed(), "Lía");
    EXPECT_EQ(gComandera.Pie.trimmed(), "Gracias por su visita");
    EXPECT_EQ(gComandera.DetalleRenglon, "N");
}

TEST_F(ComanderasTest, MissingFileIsNotFoundAndLeftEmptyInTheProgramFolder) {
    EXPECT_EQ(busca(QStringLiteral("COCINA")), "-");
    EXPECT_TRUE(QFileInfo::exists(archivo()));
    EXPECT_EQ(QFileInfo(archivo()).size(), 0);
}

TEST_F(ComanderasTest, AFoundRecordNeverTurnsTheFlagBackToFalse) {
    bool encontrado = true;
    LeeComanderas(encontrado, QStringLiteral("COCINA"));
    EXPECT_TRUE(encontrado);
}

TEST_F(ComanderasTest, BytesBehindTheLastWholeRecordAreIgnored) {
    const QByteArray uno = registro(de("otra|pc", "COCINA", "COM1"));
    const QByteArray nuestro = registro(de("pc-salon|mozo1", "COCINA", "COM2"));
    escribe(uno + nuestro.left(90));
    EXPECT_EQ(busca(QStringLiteral("COCINA")), "-");
    escribe(nuestro + uno.left(90));
    EXPECT_EQ(busca(QStringLiteral("COCINA")), "COM2");
}

TEST_F(ComanderasTest, TheFirstMatchingRecordWins) {
    escribe(registro(de("pc-salon|mozo1", "COCINA", "COM1")) +
            registro(de("pc-salon|mozo1", "COCINA", "COM2")));
    EXPECT_EQ(busca(QStringLiteral("COCINA")), "COM1");
}

TEST_F(ComanderasTest, AnEmptyNameTakesTheStationsFirstNamedPrinter) {
    escribe(registro(de("otra|pc", "COCINA", "COM1")) +
            registro(de("pc-salon|mozo1", "", "COM2")) +
            registro(de("pc-salon|mozo1", "BARRA", "COM3")) +
            registro(de("pc-salon|mozo1", "COCINA", "COM4")));
    EXPECT_EQ(busca(QString()), "COM3");
}

TEST_F(ComanderasTest, StationAndPrinterMatchWithoutRegardToCase) {
    escribe(registro(de("PC-SALON|Mozo1", "Cocina", "COM5")));
    EXPECT_EQ(busca(QStringLiteral("cOCINA")), "COM5");
}

TEST_F(ComanderasTest, AnotherComputerOrUserNeverMatches) {
    escribe(registro(de("pc-salon|mozo2", "COCINA", "COM1")) +
            registro(de("pc-caja|mozo1", "COCINA", "COM2")) +
            registro(de("pc-salon|mozo1", "BARRA", "COM3")));
    EXPECT_EQ(busca(QStringLiteral("COCINA")), "-");
    // Every record read passes through the shared one: it holds the last.
    EXPECT_EQ(gComandera.Puerto.trimmed(), "COM3");
}

TEST_F(ComanderasTest, FieldsPaddedWithNulCharactersReadWithoutPadding) {
    QByteArray bytes = registro(de("pc-salon|mozo1", "COCINA", "COM6"));
    for (char& b : bytes)
        if (b == ' ') b = '\0';
    escribe(bytes);
    EXPECT_EQ(busca(QStringLiteral("COCINA")), "COM6");
}

TEST_F(ComanderasTest, ASwitchIsOnOnlyForAnS) {
    const struct {
        const char* valor;
        bool activo;
    } casos[] = {{"S", true}, {"s", true}, {"N", false}, {" ", false}, {"", false}, {"X", false}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.valor);
        EXPECT_EQ(ModGlobal::Activo(QString::fromLatin1(c.valor)), c.activo);
    }
}

TEST_F(ComanderasTest, AFileNamedInAnotherCaseIsRead) {
    QFile f(folder.file(QStringLiteral("COMANDERAS.CFG")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(registro(de("pc-salon|mozo1", "COCINA", "COM7")));
    f.close();
    EXPECT_EQ(busca(QStringLiteral("COCINA")), "COM7");
    EXPECT_FALSE(QFileInfo::exists(archivo()));
}

}  // namespace
