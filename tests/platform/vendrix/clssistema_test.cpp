#include "platform/vendrix/clssistema.h"

#include "tests/support/fixtures.h"
#include "tests/support/opened_links.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

unsigned modeOf(const QString& path) {
    struct stat st {};
    if (lstat(QFile::encodeName(path).constData(), &st) != 0) return 0;
    return st.st_mode & 07777;
}

// Points the system's temporary folder (TMPDIR) at a folder of the test.
class ScopedTempDir {
public:
    ScopedTempDir()
        : previous_(qgetenv("TMPDIR")), hadPrevious_(qEnvironmentVariableIsSet("TMPDIR")) {
        qputenv("TMPDIR", QFile::encodeName(dir_.path()));
    }
    ~ScopedTempDir() {
        if (hadPrevious_)
            qputenv("TMPDIR", previous_);
        else
            qunsetenv("TMPDIR");
    }
    QString path() const { return dir_.path(); }
    QString usualFolder() const {
        return dir_.filePath(QStringLiteral("zentrik-%1").arg(geteuid()));
    }

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_;
};

TEST(ClsSistemaTest, TheStationNamesComeAsTheSystemGivesThem) {
    zxtest::FixedStation station("caja-01", "Ana");
    EXPECT_EQ(gSistema().NombreMaquina(), "caja-01");
    EXPECT_EQ(gSistema().NombreUsuario(), "Ana");
}

TEST(ClsSistemaTest, CarpetaTemporalIsAPrivateFolderOfTheUser) {
    ScopedTempDir tmp;
    const QString folder = gSistema().CarpetaTemporal();
    EXPECT_EQ(folder, tmp.usualFolder() + "/");
    EXPECT_TRUE(QDir(folder).exists());
    EXPECT_EQ(modeOf(tmp.usualFolder()), 0700u);
    EXPECT_EQ(gSistema().CarpetaTemporal(), folder);
}

TEST(ClsSistemaTest, CarpetaTemporalClosesItsOwnFolderToOthers) {
    ScopedTempDir tmp;
    ASSERT_EQ(mkdir(QFile::encodeName(tmp.usualFolder()).constData(), 0755), 0);
    EXPECT_EQ(gSistema().CarpetaTemporal(), tmp.usualFolder() + "/");
    EXPECT_EQ(modeOf(tmp.usualFolder()), 0700u);
}

// A link planted under the usual name could send our files anywhere.
TEST(ClsSistemaTest, CarpetaTemporalNeverFollowsALinkInItsPlace) {
    ScopedTempDir tmp;
    QTemporaryDir elsewhere;
    ASSERT_EQ(chmod(QFile::encodeName(elsewhere.path()).constData(), 0755), 0);
    ASSERT_TRUE(QFile::link(elsewhere.path(), tmp.usualFolder()));
    const QString folder = gSistema().CarpetaTemporal();
    EXPECT_NE(folder, tmp.usualFolder() + "/");
    EXPECT_TRUE(folder.startsWith(tmp.usualFolder() + "-"));
    EXPECT_EQ(modeOf(folder.chopped(1)), 0700u);
    EXPECT_EQ(modeOf(elsewhere.path()), 0755u);
}

TEST(ClsSistemaTest, AbreConAsociadoHandsTheFileToTheDesktop) {
    zxtest::OpenedLinks desktop;
    long result = 0;
    EXPECT_TRUE(gSistema().AbreConAsociado("/tmp/informe.pdf", 6));
    gSistema().AbreConAsociado(0, "", "\"/tmp/con blanco.xls\"", "", "", 0, result);
    EXPECT_EQ(result, 1);
    ASSERT_EQ(desktop.urls().size(), 2);
    EXPECT_EQ(desktop.urls()[0], QUrl::fromLocalFile("/tmp/informe.pdf"));
    EXPECT_EQ(desktop.urls()[1], QUrl::fromLocalFile("/tmp/con blanco.xls"));
}

}  // namespace
