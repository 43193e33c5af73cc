#include "core/commandline.h"
#include "core/globals.h"
#include "core/launcher.h"
#include "tests/core/core_fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace {

using namespace ModGlobal;

class MenuExesTest : public coretest::CoreTest {
protected:
    MenuExesTest() {
        gDB().gServidor = "srv:1433";
        gDB().gDBName = "VENTAS";
        gDB().gUsuario = "ana";
        gDB().gUserPassWord = "a=b c";
        gUsuarioLogeado = "Ana Pérez";
        gCaja = "3";
    }

    // A program of the folder that writes its first argument to `salida`.
    QString programa(const QString& nombre, const QString& salida) {
        const QString ruta = folder.file(nombre);
        QFile f(ruta);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QString("#!/bin/sh\nprintf '%s' \"$1\" > '%1.tmp' && mv '%1.tmp' '%1'\n")
                    .arg(salida)
                    .toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        return ruta;
    }

    // What the started program wrote, once it has written it.
    static QString espera(const QString& salida) {
        QElapsedTimer reloj;
        reloj.start();
        while (!QFile::exists(salida) && reloj.elapsed() < 10000) QThread::msleep(10);
        return QString::fromUtf8(zxtest::readFile(salida));
    }
};

TEST_F(MenuExesTest, TheSiblingsCommandLineReadsBackToTheSameValues) {
    const QString linea = LineaComandoHermano("extra");
    EXPECT_EQ(linea,
              " ; @server=srv:1433; @dbname=VENTAS; @usuario=ana; @Password=a=b c; "
              "@ParametroAdicional=extra; vendrix@ ; @UsuarioLogeado = Ana Pérez; "
              "@Caja=3;");
    const struct {
        const char* key;
        const char* value;
    } cases[] = {
        {"@Server", "srv:1433"},
        {"@DbName", "VENTAS"},
        {"@Usuario", "ana"},
        {"@Password", "a=b c"},
        {"@ParametroAdicional", "extra"},
        {"@UsuarioLogeado", "Ana Pérez"},
        {"@Caja", "3"},
        {"@Menu", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(core::commandLineValue(linea, c.key), QString::fromUtf8(c.value));
    }
}

TEST_F(MenuExesTest, StartsAProgramOfTheFolderWithTheConnectionAndReturnsAtOnce) {
    const QString salida = folder.file("argumentos.txt");
    programa("hermano", salida);
    QString parametro = "PRIMERA segunda tercera";
    std::int32_t id = 0;
    MenuExes("SHELL:hermano", parametro, id);
    EXPECT_NE(id, 0);
    EXPECT_EQ(parametro, "segunda tercera");
    EXPECT_EQ(espera(salida), LineaComandoHermano("segunda tercera"));
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(MenuExesTest, ABareNameAndAFullPathAreStartedToo) {
    const QString salida = folder.file("a.txt");
    const QString ruta = programa("Hermano2", salida);
    QString parametro;
    std::int32_t id = 0;
    MenuExes("hermano2", parametro, id);  // a name of the folder, in any case
    EXPECT_NE(id, 0);
    EXPECT_EQ(espera(salida), LineaComandoHermano(""));
    QFile::remove(salida);
    MenuExes(ruta, parametro, id);
    EXPECT_NE(id, 0);
    EXPECT_EQ(espera(salida), LineaComandoHermano(""));
}

TEST_F(MenuExesTest, AProgramThatCannotStartIsReportedAsNotImplemented) {
    op.answer(vb::vbIgnore).answer(vb::vbOK);
    QString parametro;
    std::int32_t id = 7;
    MenuExes("SHELL:noexiste", parametro, id);
    EXPECT_EQ(id, 0);
    ASSERT_EQ(op.messages().size(), 2);
    EXPECT_EQ(op.messages()[0].title, "Zentrik - MenuExes Aviso al operador!!! - 2 ");
    EXPECT_EQ(op.messages()[1].text,
              "Opcion no Implementada!\rComuniquese con su proveedor de sistemas");
    EXPECT_EQ(op.messages()[1].title, "Atención");
    EXPECT_EQ(op.messages()[1].style, 16);
}

}  // namespace
