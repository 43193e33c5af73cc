#include "lookup/search_grid_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// Texts of every kind a lookup's cells hold: empty, ASCII, Latin-1 with accents, the micro
// sign, other scripts, characters outside the BMP, line breaks and blanks around.
const QStringList kTextos{
    QString(),
    QStringLiteral(""),
    QStringLiteral("A10"),
    QStringLiteral("Año límite de crédito"),
    QStringLiteral("5 µg"),
    QStringLiteral("Ωmega ΣΑΣ"),
    QStringLiteral("価格表"),
    QStringLiteral("🙂 ok"),
    QStringLiteral("UPDATE T SET A = 1\r\nDELETE FROM T"),
    QStringLiteral("  con blancos  "),
    QString(1, QChar(0xFF)) + QChar(0x100),
};

FilaGrilla fila(int i) {
    FilaGrilla f;
    const int n = 1 + i % 5;
    for (int k = 0; k < n; ++k) f.celdas.append(kTextos[(i + k) % kTextos.size()]);
    f.marcada = i % 3 == 0;
    if (i % 4 == 1) f.color = (i % 8 == 1) ? -qint64(i) : qint64(0x00FF00FF) * i;
    return f;
}

void esperaIguales(const FilaGrilla& leida, const FilaGrilla& esperada) {
    EXPECT_EQ(leida.celdas, esperada.celdas);
    EXPECT_EQ(leida.marcada, esperada.marcada);
    EXPECT_EQ(leida.color, esperada.color);
}

TEST(SearchGridRows, KeepEveryRowsTextsChecksAndColourAcrossBlocks) {
    SearchGridRows filas;
    // A text longer than a block, between rows enough to fill several.
    const QString larga = QString(700000, QChar(u'é')) + QChar(0x3A9);
    constexpr int kFilas = 20000;
    for (int i = 0; i < kFilas; ++i) {
        filas.agrega(fila(i));
        if (i == kFilas / 2) filas.agrega(FilaGrilla{{larga, QStringLiteral("x")}, true, 7});
    }
    ASSERT_EQ(filas.size(), kFilas + 1);
    for (int i = 0, leida = 0; i < kFilas; ++i, ++leida) {
        SCOPED_TRACE(i);
        esperaIguales(filas[leida], fila(i));
        EXPECT_EQ(filas.celdas(leida), fila(i).celdas.size());
        EXPECT_EQ(filas.marcada(leida), fila(i).marcada);
        EXPECT_EQ(filas.color(leida), fila(i).color);
        for (qsizetype k = 0; k < fila(i).celdas.size(); ++k)
            EXPECT_EQ(filas.texto(leida, k), fila(i).celdas[k]);
        // Past the row's cells, and before its first, there is nothing.
        EXPECT_TRUE(filas.texto(leida, fila(i).celdas.size()).isEmpty());
        EXPECT_TRUE(filas.texto(leida, -1).isEmpty());
        if (i == kFilas / 2) {
            ++leida;
            esperaIguales(filas[leida], FilaGrilla{{larga, QStringLiteral("x")}, true, 7});
        }
    }
    int vistas = 0;
    for (const FilaGrilla& f : filas) vistas += f.celdas.isEmpty() ? 0 : 1;
    EXPECT_EQ(vistas, kFilas + 1);

    filas.clear();
    EXPECT_TRUE(filas.isEmpty());
    filas.agrega(fila(2));
    esperaIguales(filas[0], fila(2));
}

TEST(SearchGridRows, ACellChangedKeepsTheRowsOtherCellsAndGrowsTheRowWhenShort) {
    SearchGridRows filas;
    for (int i = 0; i < 50; ++i) filas.agrega(fila(i));
    filas.ponTexto(7, 1, QStringLiteral("2.0"));
    filas.ponTexto(10, 3, QStringLiteral("Ωmega"));  // row 10 has one cell
    filas.marca(7, true);
    filas.marca(9, false);

    FilaGrilla siete = fila(7);
    siete.celdas[1] = QStringLiteral("2.0");
    siete.marcada = true;
    esperaIguales(filas[7], siete);
    FilaGrilla diez = fila(10);
    diez.celdas << QString() << QString() << QStringLiteral("Ωmega");
    esperaIguales(filas[10], diez);
    FilaGrilla nueve = fila(9);
    nueve.marcada = false;
    esperaIguales(filas[9], nueve);
    for (int i : {0, 6, 8, 11, 49}) esperaIguales(filas[i], fila(i));
}

TEST(SearchGridRows, ANewOrderTakesEachRowWithItsCheck) {
    SearchGridRows filas;
    for (int i = 0; i < 6; ++i) filas.agrega(fila(i));
    filas.marca(4, true);
    filas.reordena({5, 4, 3, 2, 1, 0});
    for (int i = 0; i < 6; ++i) {
        FilaGrilla f = fila(5 - i);
        if (5 - i == 4) f.marcada = true;
        esperaIguales(filas[i], f);
    }
}

// Cells read in place compare without regard to case exactly as the same QStrings do: every
// pair of characters up to U+017F, and texts that differ further on, at every place of a
// text of nine.
TEST(SearchGridRows, CellsInPlaceCompareAsTheirTextsDo) {
    QStringList textos = kTextos;
    for (char16_t c = 1; c < 0x180; ++c) textos << QString(QChar(c));
    for (int en = 0; en < 9; ++en) {
        for (const char16_t c : {u'µ', u'ÿ', u'Ā', u'Ü'}) {
            QString t = QStringLiteral("abcdefghi");
            t[en] = QChar(c);
            textos << t;
        }
    }
    textos << QStringLiteral("ábaco") << QStringLiteral("ÁBACO") << QStringLiteral("abaco")
           << QStringLiteral("Ábacos") << QStringLiteral("µm") << QStringLiteral("Μm");
    SearchGridRows filas;
    for (const QString& t : textos) filas.agrega(&t, 1, false, std::nullopt);
    auto signo = [](int r) { return (r > 0) - (r < 0); };
    for (int a = 0; a < textos.size(); ++a) {
        for (int b = 0; b < textos.size(); ++b) {
            ASSERT_EQ(signo(QAnyStringView::compare(filas.celda(a, 0), filas.celda(b, 0),
                                                    Qt::CaseInsensitive)),
                      signo(QString::compare(textos[a], textos[b], Qt::CaseInsensitive)))
                << qPrintable(textos[a]) << " / " << qPrintable(textos[b]);
        }
    }
}

}  // namespace
