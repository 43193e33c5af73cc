#include "send/emailaux.h"

#include "platform/vb/steps.h"
#include "platform/vb/vberror.h"

#include "platform/vendrix/clssistema.h"
#include "tests/core/temp_env.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

using coretest::ScopedEnv;

const QDateTime kNow(QDate(2024, 5, 7), QTime(9, 5, 3));

void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
}

TEST(NombreArchivoTemporalTest, AnEmptyNameIsTheTimeInThePrivateFolder) {
    zxtest::FixedClock clock(kNow);
    QTemporaryDir shared;
    // Even when the environment names another folder, a name anyone can guess stays private.
    ScopedEnv temp("temp", QByteArray("x"));
    ScopedEnv tmp("tmp", shared.path().toLocal8Bit());
    QString nombre;
    QString extension = QStringLiteral(".RPT");
    const QString ruta = eMailAux::NombreArchivoTemporal(nombre, extension);
    EXPECT_TRUE(ruta.startsWith(gSistema().CarpetaTemporal() + QStringLiteral("090503")));
    EXPECT_TRUE(ruta.endsWith(QStringLiteral(".RPT")));
    EXPECT_EQ(extension, QString(".RPT"));
}

TEST(NombreArchivoTemporalTest, TheExtensionGetsItsPointInTheCallersVariable) {
    zxtest::FixedClock clock(kNow);
    QString nombre;
    QString extension = QStringLiteral("PDF");
    const QString ruta = eMailAux::NombreArchivoTemporal(nombre, extension);
    EXPECT_EQ(extension, QString(".PDF"));
    EXPECT_TRUE(QFileInfo(ruta).fileName().startsWith(QStringLiteral("090503")));
    EXPECT_TRUE(ruta.endsWith(QStringLiteral(".PDF")));
}

TEST(NombreArchivoTemporalTest, AGivenNameGoesInTheFolderOfTheEnvironment) {
    QTemporaryDir dir;
    QTemporaryDir otro;
    struct Case {
        const char* name;
        std::optional<QByteArray> temp, tmp;
        QString folder;
    };
    const QString propia = gSistema().CarpetaTemporal();
    const Case cases[] = {
        {"temp set: tmp is used", QByteArray("x"), dir.path().toLocal8Bit(), dir.path() + "/"},
        {"tmp ending in a separator", QByteArray("x"), (dir.path() + "/").toLocal8Bit(),
         dir.path() + "/"},
        {"tmp blank", QByteArray("x"), QByteArray("   "), propia},
        {"tmp unset", QByteArray("x"), std::nullopt, propia},
        {"temp unset", std::nullopt, otro.path().toLocal8Bit(), propia},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedEnv temp("temp", c.temp);
        ScopedEnv tmp("tmp", c.tmp);
        EXPECT_EQ(
            eMailAux::NombreArchivoTemporal(QStringLiteral("informe"), QStringLiteral("txt")),
            c.folder + QStringLiteral("informe.txt"));
    }
}

TEST(NombreArchivoTemporalTest, RequestsInTheSameSecondGetNamesOfTheirOwn) {
    zxtest::FixedClock clock(QDateTime(QDate(2024, 5, 7), QTime(9, 5, 41)));
    const QString primera = eMailAux::NombreArchivoTemporal(QString(), QStringLiteral(".RPT"));
    touch(primera);
    ASSERT_TRUE(QFile::exists(primera));
    // Another request in the same second (another run of the same user, or this one) neither
    // takes nor clears the first one's file.
    const QString segunda = eMailAux::NombreArchivoTemporal(QString(), QStringLiteral(".RPT"));
    EXPECT_NE(segunda, primera);
    EXPECT_TRUE(QFile::exists(primera));
    for (const QString& ruta : {primera, segunda}) {
        SCOPED_TRACE(ruta.toStdString());
        EXPECT_TRUE(ruta.startsWith(gSistema().CarpetaTemporal() + "090541"));
        EXPECT_TRUE(ruta.endsWith(".RPT"));
    }
    QFile::remove(primera);
}

TEST(NombreArchivoTemporalTest, AnOldFileOfAGivenNameIsDeleted) {
    QTemporaryDir dir;
    ScopedEnv temp("temp", QByteArray("x"));
    ScopedEnv tmp("tmp", dir.path().toLocal8Bit());
    touch(dir.filePath("informe.txt"));
    EXPECT_EQ(eMailAux::NombreArchivoTemporal(QStringLiteral("informe"), QStringLiteral("txt")),
              dir.path() + "/informe.txt");
    EXPECT_FALSE(QFile::exists(dir.filePath("informe.txt")));
}

TEST(TextoAHTMLTest, CarriageReturnsBecomeBreaksInTheCallersTextToo) {
    QString texto = QStringLiteral("Hola\r\nAdjunto el informe\r\n\r\nSaludos");
    EXPECT_EQ(
        eMailAux::TextoAHTML(texto),
        QString("<HTML><BODY>Hola<BR>\nAdjunto el informe<BR>\n<BR>\nSaludos</BODY></HTML>"));
    EXPECT_EQ(texto, QString("Hola<BR>\nAdjunto el informe<BR>\n<BR>\nSaludos"));
}

TEST(TextoAHTMLTest, TheSignsOfTheTextStayText) {
    const std::pair<const char*, const char*> cases[] = {
        {"Adjunto <factura 15> & recibo", "Adjunto &lt;factura 15&gt; &amp; recibo"},
        {"a&amp;b", "a&amp;amp;b"},
        {"<script>\r\nx > 1", "&lt;script&gt;<BR>\nx &gt; 1"},
        {"\"Pérez\" 'SA'", "\"Pérez\" 'SA'"},
    };
    for (const auto& [texto, cuerpo] : cases) {
        SCOPED_TRACE(texto);
        QString variable = QString::fromUtf8(texto);
        EXPECT_EQ(eMailAux::TextoAHTML(variable),
                  "<HTML><BODY>" + QString::fromUtf8(cuerpo) + "</BODY></HTML>");
        EXPECT_EQ(variable, QString::fromUtf8(cuerpo));
    }
}

TEST(ColorHTMLTest, BlueGreenRedNumbersBecomeRedGreenBlueDigits) {
    const std::pair<const char*, const char*> cases[] = {
        {"0", "#000000"},        {"255", "#FF0000"}, {"65280", "#00FF00"},
        {"16711680", "#0000FF"}, {"-1", "#FFFFFF"},  {"1193046", "#563412"},
    };
    for (const auto& [color, html] : cases) {
        SCOPED_TRACE(color);
        EXPECT_EQ(eMailAux::ColorHTML(QString::fromLatin1(color)), QString::fromLatin1(html));
    }
}

TEST(ColorHTMLTest, ATextThatIsNoNumberRaisesTypeMismatch) {
    try {
        eMailAux::ColorHTML(QStringLiteral("rojo"));
        ADD_FAILURE() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.Number, vb::err::TypeMismatch);
    }
}

}  // namespace
