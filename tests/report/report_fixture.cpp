#include "tests/report/report_fixture.h"

#include "db/db_dll.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace reporttest {

ReportTest::ReportTest() {
    // The error dialog's log goes to the temporary folder: keep it inside the test's.
    qputenv("temp", folder.path().toLocal8Bit());
    qputenv("tmp", folder.path().toLocal8Bit());
    gDB().OpenServerADODB(false, 3, data.connectionString(), true, true);
    EXPECT_TRUE(gDB().gOpenFlag);
}

ReportTest::~ReportTest() {
    if (gDB().gCnn.State() != 0) gDB().gCnn.Close();
    gDB().gOpenFlag = false;
}

QString ReportTest::toca(const QString& nombre) const {
    const QString ruta = QDir::isAbsolutePath(nombre) ? nombre : folder.file(nombre);
    QDir().mkpath(QFileInfo(ruta).path());
    QFile f(ruta);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << ruta.toStdString();
    f.write("<report/>");
    return ruta;
}

}  // namespace reporttest
