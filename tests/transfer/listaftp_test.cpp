#include "transfer/listaftp.h"

#include "platform/vb/conversions.h"
#include "platform/vb/variant.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

TEST(CadenaAtributosTest, EachAttributeHasItsCell) {
    cDirItem item;
    item.Archive = true;
    item.ReadOnly = true;
    EXPECT_EQ(transfer::CadenaAtributos(item), QString(" A  -  -  -  -  -  R  -  - "));
    cDirItem todos;
    todos.Archive = todos.Compressed = todos.Directory = todos.Hidden = todos.Normal =
        todos.Offline = todos.ReadOnly = todos.System = todos.Temporary = true;
    EXPECT_EQ(transfer::CadenaAtributos(todos), QString(" A  C  D  H  N  O  R  S  T "));
}

TEST(FilasDelListadoTest, TheParentRowThenFoldersAndFiles) {
    zxtest::ScopedLocale locale(QLocale(QLocale::Spanish, QLocale::Argentina));
    const vb::DateTime escrito = vb::wallClock(QDate(2024, 3, 5), QTime(14, 30, 0));
    cDirList lista;
    lista.Add(0x10, {}, {}, {}, 0, "FOTOS");
    lista.Add(0x80, {}, {}, escrito, 600, "venta.txt");
    const auto filas = transfer::FilasDelListado(lista);
    ASSERT_EQ(filas.size(), 3);
    EXPECT_EQ(filas[0].texto, QString(".."));
    EXPECT_EQ(filas[0].icono, 1);
    EXPECT_EQ(filas[1].texto, QString("FOTOS"));
    EXPECT_EQ(filas[1].icono, 1);
    EXPECT_EQ(filas[1].tamano, QString("< DIRECTORIO >"));
    EXPECT_EQ(filas[1].fecha, QString());
    EXPECT_EQ(filas[2].icono, 2);
    EXPECT_EQ(filas[2].tamano, QString("600"));
    EXPECT_EQ(filas[2].fecha, vb::CStr(vb::Variant(escrito)));
    EXPECT_EQ(filas[2].atributos, QString(" -  -  -  -  N  -  -  -  - "));
}

TEST(SegundosTranscurridosTest, FractionsInTheLocalesFormatAlsoAcrossMidnight) {
    zxtest::ScopedLocale locale(QLocale(QLocale::Spanish, QLocale::Argentina));
    const QDateTime inicio(QDate(2024, 3, 5), QTime(23, 59, 59));
    EXPECT_EQ(transfer::SegundosTranscurridos(inicio, inicio.addMSecs(1250)), QString("1,25"));
    EXPECT_EQ(transfer::SegundosTranscurridos(inicio, inicio.addMSecs(1234567)),
              QString("1.234,57"));
}

}  // namespace
