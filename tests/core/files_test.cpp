#include "core/files.h"
#include "platform/vb/app.h"
#include "platform/vb/steps.h"
#include "tests/core/temp_env.h"
#include "tests/support/fixtures.h"
#include "tests/support/opened_links.h"
#include "tests/support/scripted_operator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

TEST(FilesTest, ExistenceTestsOverQuotesFoldersAndMissingFiles) {
    QTemporaryDir dir;
    const QString file = dir.filePath("con blanco.txt");
    write(file, "x");
    const struct {
        QString path;
        bool existe, archivoExiste;
    } cases[] = {
        {file, true, true},         {'"' + file + '"', true, false},
        {dir.path(), false, false}, {dir.filePath("falta.txt"), false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(ModGlobal::ExisteArchivo(c.path), c.existe);
        EXPECT_EQ(ModGlobal::ArchivoExiste(c.path), c.archivoExiste);
    }
}

TEST(FilesTest, CopyBlocksAreTheRemainderThenHalvesOf32K) {
    EXPECT_EQ(core::copyBlockSizes(40000), (QList<qint64>{7232, 16384, 16384}));
    EXPECT_EQ(core::copyBlockSizes(0), QList<qint64>{});
    EXPECT_EQ(core::copyBlockSizes(100), QList<qint64>{100});
    EXPECT_EQ(core::copyBlockSizes(65536), (QList<qint64>{16384, 16384, 16384, 16384}));
}

TEST(FilesTest, CopiaArchivoCopiesExactlyTheSource) {
    QTemporaryDir dir;
    QByteArray source(40000, '\0');
    for (int i = 0; i < source.size(); ++i) source[i] = static_cast<char>(i * 7);
    const struct {
        QByteArray bytes;
        QByteArray previousDestination;
    } cases[] = {
        {source, {}},
        {QByteArray(), QByteArray("previo")},
        {QByteArray("corto"), QByteArray(50000, 'z')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        write(dir.filePath("origen"), c.bytes);
        if (!c.previousDestination.isEmpty())
            write(dir.filePath("destino"), c.previousDestination);
        EXPECT_TRUE(ModGlobal::CopiaArchivo(dir.filePath("origen"), dir.filePath("destino")));
        EXPECT_EQ(zxtest::readFile(dir.filePath("destino")), c.bytes);
    }
}

TEST(FilesTest, CopiaArchivoFailsWithoutTouchingTheDestination) {
    QTemporaryDir dir;
    write(dir.filePath("destino"), "queda");
    EXPECT_FALSE(ModGlobal::CopiaArchivo(dir.filePath("falta"), dir.filePath("destino")));
    EXPECT_EQ(zxtest::readFile(dir.filePath("destino")), QByteArray("queda"));
    write(dir.filePath("origen"), "x");
    EXPECT_FALSE(ModGlobal::CopiaArchivo(dir.filePath("origen"), dir.filePath("no/hay/destino")));
}

TEST(FilesTest, CopiaArchivoOntoTheSameFileUnderAnotherNameLeavesItWhole) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("IMAGENES"));
    const QString foto = dir.filePath("IMAGENES/foto.jpg");
    const QByteArray bytes(40000, 'f');
    write(foto, bytes);
    ASSERT_TRUE(QFile::link(foto, dir.filePath("enlace.jpg")));
    ASSERT_EQ(::link(QFile::encodeName(foto).constData(),
                     QFile::encodeName(dir.filePath("duro.jpg")).constData()),
              0);
    const QString otras[] = {
        foto,
        dir.filePath("IMAGENES/./foto.jpg"),
        dir.filePath("IMAGENES/../IMAGENES/foto.jpg"),
        dir.filePath("enlace.jpg"),
        dir.filePath("duro.jpg"),
    };
    for (const QString& otra : otras) {
        SCOPED_TRACE(otra.toStdString());
        EXPECT_TRUE(ModGlobal::CopiaArchivo(foto, otra));
        EXPECT_EQ(zxtest::readFile(foto), bytes);
        EXPECT_TRUE(ModGlobal::CopiaArchivo(otra, foto));
        EXPECT_EQ(zxtest::readFile(foto), bytes);
    }
}

TEST(FilesTest, ACopyThatFailsPartWayLeavesTheOldDestination) {
    QTemporaryDir dir;
    write(dir.filePath("origen"), QByteArray(200000, 'n'));
    write(dir.filePath("destino"), "contenido anterior");
    const auto copio = zxtest::underFileSizeLimit(64 * 1024, [&] {
        return ModGlobal::CopiaArchivo(dir.filePath("origen"), dir.filePath("destino"));
    });
    ASSERT_TRUE(copio.has_value());
    EXPECT_FALSE(*copio);
    EXPECT_EQ(zxtest::readFile(dir.filePath("destino")), QByteArray("contenido anterior"));
    // Nothing of the failed copy is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"destino", "origen"}));
}

// On a real full disk the last block cannot be flushed: the copy says so and the old
// destination stays whole.
TEST(FilesTest, ACopyOnAFullDiskLeavesTheOldDestination) {
    QTemporaryDir dir;
    write(dir.filePath("origen"), QByteArray(5000, 'n'));
    const auto run = zxtest::onFullDisk("destino", "contenido anterior", [&](const QString& path) {
        return ModGlobal::CopiaArchivo(dir.filePath("origen"), path);
    });
    ASSERT_TRUE(run.has_value());
    EXPECT_FALSE(run->answer);
    EXPECT_EQ(run->files.value("destino"), QByteArray("contenido anterior"));
    EXPECT_EQ(run->files.keys(), (QStringList{"destino", "relleno"}));
}

TEST(FilesTest, TemporaryFileNamedByTheTimeIsWrittenThenShown) {
    zxtest::FixedClock clock(QDateTime(QDate(2024, 3, 15), QTime(14, 5, 9)));
    coretest::TempFolder tmp;
    zxtest::OpenedLinks desktop;
    QString extension = "txt", nombre;
    ModGlobal::ArchivoTemporal(1, "a", extension, nombre);
    EXPECT_EQ(extension, ".txt");
    EXPECT_TRUE(nombre.startsWith(tmp.path() + "/140509"));
    EXPECT_TRUE(nombre.endsWith(".txt"));
    ModGlobal::ArchivoTemporal(2, "ñandú", extension, nombre);
    ModGlobal::ArchivoTemporal(3, "", extension, nombre);
    EXPECT_EQ(desktop.urls(), QList<QUrl>{QUrl::fromLocalFile(nombre)});
    // Windows-1252, and outside spreadsheets a carriage return before each line end.
    EXPECT_EQ(zxtest::readFile(nombre), QByteArray("a\r\r\n\xf1"
                                                   "and\xfa\r\r\n"));
}

TEST(FilesTest, TemporaryFilesOpenedInTheSameSecondAreTwoFiles) {
    zxtest::FixedClock clock(QDateTime(QDate(2024, 3, 15), QTime(14, 5, 9)));
    coretest::TempFolder tmp;
    QString extension = "txt", primero, segundo;
    ModGlobal::ArchivoTemporal(1, "primero", extension, primero);
    ModGlobal::ArchivoTemporal(1, "segundo", extension, segundo);
    ModGlobal::ArchivoTemporal(4, "", extension, segundo);
    EXPECT_NE(primero, segundo);
    EXPECT_TRUE(QFileInfo(primero).fileName().startsWith("140509"));
    EXPECT_EQ(zxtest::readFile(primero), QByteArray("primero\r\r\n"));
    EXPECT_FALSE(QFile::exists(segundo));
}

TEST(FilesTest, SpreadsheetLinesEndPlainlyAndModeFourDeletes) {
    QTemporaryDir dir;
    for (QString extension : {QString("xls"), QString(".XLS")}) {
        SCOPED_TRACE(extension.toStdString());
        QString nombre = dir.filePath("hoja");
        const QString ruta = nombre;
        ModGlobal::ArchivoTemporal(1, "   ", extension, nombre);  // a blank line is not written
        ModGlobal::ArchivoTemporal(2, "a", extension, nombre);
        EXPECT_EQ(nombre, ruta);
        EXPECT_EQ(zxtest::readFile(ruta), QByteArray());  // still buffered: not closed yet
        ModGlobal::ArchivoTemporal(4, "", extension, nombre);
        EXPECT_FALSE(QFile::exists(ruta));
    }
    QString extension = "xls", nombre = dir.filePath("libro.xls");
    ModGlobal::ArchivoTemporal(1, "a", extension, nombre);
    ModGlobal::ArchivoTemporal(2, "b", extension, nombre);
    zxtest::OpenedLinks desktop;
    ModGlobal::ArchivoTemporal(3, "", extension, nombre);
    EXPECT_EQ(zxtest::readFile(dir.filePath("libro.xls")), QByteArray("a\r\nb\r\n"));
}

TEST(FilesTest, WritingWithNoFileOpenLeavesQuietly) {
    QTemporaryDir dir;
    QString extension = ".txt", nombre = dir.filePath("x.txt");
    ModGlobal::ArchivoTemporal(1, "", extension, nombre);
    ModGlobal::ArchivoTemporal(4, "", extension, nombre);
    zxtest::ScriptedOperator op;
    nombre = "sin cambio";
    ModGlobal::ArchivoTemporal(2, "a", extension, nombre);
    EXPECT_EQ(nombre, "sin cambio");
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST(FilesTest, AFileThatCannotBeCreatedGoesToTheErrorDialog) {
    coretest::TempFolder tmp;
    zxtest::ScriptedOperator op;
    op.answer(vb::vbIgnore);
    QString extension = ".txt", nombre = "/no/existe/carpeta/x.txt";
    // Ignored, the line then finds no open file, which leaves the call without a word.
    ModGlobal::ArchivoTemporal(1, "a", extension, nombre);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text, "Ha ocurrido el Siguiente Error (76) Path not found");
    EXPECT_EQ(op.messages()[0].title, " Aviso al operador!!! - 2 ");
}

// Whether the one message shown is error 75, the file that cannot be written.
bool toldOnceThatTheFileCannotBeWritten(const zxtest::ScriptedOperator& op) {
    return op.messages().size() == 1 &&
           op.messages()[0].text == "Ha ocurrido el Siguiente Error (75) Path/File access error";
}

// Lines that no longer fit on the disk are reported when the file is closed to be shown,
// and the short file is not shown.
TEST(FilesTest, ATemporaryFileThatDoesNotFitIsReportedAndNotShown) {
    zxtest::ScriptedOperator op;
    op.setStrictAtEnd(false);  // the answer is taken in the child
    op.answer(vb::vbAbort);
    zxtest::OpenedLinks desktop;
    const auto run = zxtest::onSmallDisk([&](const QString& folder) {
        QString extension = "txt", nombre = QDir(folder).filePath("informe.txt");
        ModGlobal::ArchivoTemporal(1, "a", extension, nombre);
        if (!zxtest::fillDisk(folder)) return false;
        ModGlobal::ArchivoTemporal(2, "b", extension, nombre);
        ModGlobal::ArchivoTemporal(3, "", extension, nombre);
        return toldOnceThatTheFileCannotBeWritten(op) && desktop.urls().isEmpty();
    });
    ASSERT_TRUE(run.has_value());
    EXPECT_TRUE(run->answer);
}

// An export given the name of a file already there replaces it only once it is whole: on a
// full disk the old file stays as it was, and the failure is reported on closing.
TEST(FilesTest, AnExportThatDoesNotFitLeavesTheFileOfItsNameWhole) {
    zxtest::ScriptedOperator op;
    op.setStrictAtEnd(false);  // the answer is taken in the child
    op.answer(vb::vbAbort);
    zxtest::OpenedLinks desktop;
    const auto run = zxtest::onFullDisk("informe.txt", "anterior", [&](const QString& path) {
        QString extension = "txt", nombre = path;
        ModGlobal::ArchivoTemporal(1, "a", extension, nombre);
        ModGlobal::ArchivoTemporal(2, QString(5000, u'b'), extension, nombre);
        ModGlobal::ArchivoTemporal(3, "", extension, nombre);
        return toldOnceThatTheFileCannotBeWritten(op) && desktop.urls().isEmpty();
    });
    ASSERT_TRUE(run.has_value());
    EXPECT_TRUE(run->answer);
    EXPECT_EQ(run->files.value("informe.txt"), QByteArray("anterior"));
    EXPECT_EQ(run->files.keys(), (QStringList{"informe.txt", "relleno"}));
}

TEST(FilesTest, AbreArchivoOpensThePathWithItsProgram) {
    zxtest::OpenedLinks desktop;
    ModGlobal::AbreArchivo("/tmp/con blanco.pdf", true);
    ModGlobal::AbreArchivo("\"/tmp/ya citado.pdf\"", false);
    ModGlobal::AbreArchivo("/tmp/simple.pdf", false);
    EXPECT_EQ(desktop.urls(), (QList<QUrl>{QUrl::fromLocalFile("/tmp/con blanco.pdf"),
                                           QUrl::fromLocalFile("/tmp/ya citado.pdf"),
                                           QUrl::fromLocalFile("/tmp/simple.pdf")}));
}

TEST(FilesTest, RutaCompletaMakesRelativePathsAbsolute) {
    zxtest::ProgramFolder program;
    const QString base = program.path() + "/";
    const struct {
        const char* path;
        QString expected;
    } cases[] = {
        {"informes", base + "informes/"},
        {"informes\\", base + "informes/"},
        {"informes\\x.rpt", base + "informes/x.rpt"},
        {"C:\\Reportes\\x.rpt", "C:/Reportes/x.rpt"},
        {"C:\\Reportes", "C:/Reportes/"},
        {"\\\\servidor\\informes", "//servidor/informes/"},
        {"/srv/informes", "/srv/informes/"},
        {"/srv/informes/x.rpt", "/srv/informes/x.rpt"},
        {"ab", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ModGlobal::RutaCompleta(c.path), c.expected);
    }
}

}  // namespace
