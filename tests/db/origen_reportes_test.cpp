#include "db/origen_reportes.h"

#include "tests/db/db_fixture.h"

#include "platform/reportengine/engine.h"

namespace {

class OrigenReportesTest : public dbtest::DbTest {
protected:
    OrigenReportesTest() : previo_(reportengine::services()) {}
    ~OrigenReportesTest() override { reportengine::services() = previo_; }

private:
    reportengine::Services previo_;
};

TEST_F(OrigenReportesTest, ReportsReadThroughTheProgramsConnection) {
    abre(gDB());
    reportengine::services().openData = dbreportes::abreDatos;
    data.exec("INSERT INTO AUX_ERR (Usuario, Error) VALUES ('ANA', 547), ('JUAN', 208)");
    EXPECT_EQ(dbreportes::cadenaConexion({"zentrik", "sa", "sa"}), gDB().gConnString);
    EXPECT_EQ(dbreportes::cadenaConexion({}), gDB().gConnString);

    const auto origen = reportengine::openDataSource({"ZENTRIK", "sa", "sa"});
    QStringList usuarios;
    origen->select(QStringLiteral("SELECT Usuario FROM AUX_ERR ORDER BY Usuario"), {},
                   [&](const QList<vb::Variant>& fila) { usuarios << fila[0].string(); });
    EXPECT_EQ(usuarios, (QStringList{"ANA", "JUAN"}));
}

TEST_F(OrigenReportesTest, AnotherDatabaseOnTheSameServerTakesTheLogonsCredentials) {
    abre(gDB());
    EXPECT_EQ(dbreportes::cadenaConexion({"KQ_ESTADISTICAS", "est", "a;b"}),
              QStringLiteral("PROVIDER=SQLOLEDB;Server=") + servidor() +
                  QStringLiteral(";Database =KQ_ESTADISTICAS;UId=est;Pwd=\"a;b\";"));
}

}  // namespace
