#include "lookup/lib_clscons3.h"
#include "lookup/search_grid.h"

#include "tests/support/fixtures.h"

#include <QHash>

#include <gtest/gtest.h>

namespace {

// Configuration values for one test, read through the lookup's configuration reader (a
// missing key reads as a single blank, as the configuration table gives it).
class Configuracion {
public:
    explicit Configuracion(QHash<QString, QString> valores)
        : previo_(lookup::datos().Cfg), valores_(std::move(valores)) {
        lookup::datos().Cfg = [this](const QString& clave) {
            return valores_.value(clave.toUpper(), QStringLiteral(" "));
        };
    }
    ~Configuracion() { lookup::datos().Cfg = previo_; }

private:
    std::function<QString(const QString&)> previo_;
    QHash<QString, QString> valores_;
};

TEST(Configuracion, ServiceReadsStockColoursAndTheLikeSearch) {
    Configuracion cfg({{"MOSTRARSTOCKENCONSULTAS", "SI"},
                       {"STK_NIVEL1", "255"},
                       {"STK_NIVEL2", ""},
                       {"USACONSULTALIKE", "si"}});
    Lib_ClsCons3 service;
    EXPECT_EQ(service.MuestraStock, "SI");
    EXPECT_EQ(service.StkNivel1, vb::Variant("255"));
    EXPECT_EQ(service.StkNivel2, vb::Variant(0));
    // A missing key keeps the blank the configuration gives for it.
    EXPECT_EQ(service.StkNivel3, vb::Variant(" "));
    EXPECT_EQ(service.CmpsDevueltos, QStringList());
    EXPECT_EQ(service.Valores, QStringList());
    EXPECT_FALSE(service.Cantidades.has_value());
}

TEST(Configuracion, ArticlePricesTakeThePriceClassNames) {
    Configuracion cfg({{"NOM_PCLASE1", "Lista"}, {"NOM_PCLASE8", "Mayorista"}});
    zxtest::ProgramFolder folder;
    lookup::ResultadoConsulta r;
    r.campos = {
        {"IdArticulo", 200, 10}, {"precio1", 131, 19}, {"PRECIO8", 131, 19}, {"PRECIO9", 131, 19}};
    SearchGrid articulos;
    articulos.sql = " SELECT * FROM V_MA_ARTICULOS";
    articulos.muestraResultado(r);
    QStringList titulos;
    for (const auto& c : articulos.columnas()) titulos.append(c.titulo);
    EXPECT_EQ(titulos, (QStringList{"IdArticulo", "Lista", "Mayorista", "PRECIO9"}));

    SearchGrid otra;
    otra.sql = " SELECT * FROM LISTAS";
    otra.ValoresDefault = "@10";
    otra.muestraResultado(r);
    EXPECT_EQ(otra.columnas()[1].titulo, "precio1");
    EXPECT_EQ(otra.columnas()[0].ancho, 20 * 120);
}

}  // namespace
