#include "tests/demo/demo_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace {

const QString tool = QStringLiteral(ZX_LOGIN_TOOL);

// A folder with a database another program made with sqlite3, without a login file, and a
// file that only bears a database's name.
class ZentrikLogin : public ::testing::Test {
protected:
    void SetUp() override {
        const demotest::Run made = demotest::run(
            QStringLiteral("sqlite3"),
            {dir.filePath("VENTAS.db"),
             "CREATE TABLE AUX_ERR (ID INTEGER PRIMARY KEY, Proceso TEXT, Usuario TEXT);"
             "INSERT INTO AUX_ERR (Proceso, Usuario) VALUES ('Ventas', 'ana');"
             "INSERT INTO AUX_ERR (Proceso, Usuario) VALUES ('Stock', 'luis');"});
        ASSERT_EQ(made.status, 0) << made.err.toStdString();
        QFile text(dir.filePath("TEXTO.db"));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("una lista de precios\n");
    }
    QString opens(const char* user, const char* password) const {
        return demotest::refusal(dir.path(), "VENTAS", user, password, "AUX_ERR");
    }
    QStringList rows() const {
        return demotest::values(dir.filePath("VENTAS.db"),
                                "SELECT Proceso || Usuario FROM AUX_ERR ORDER BY ID");
    }

    QTemporaryDir dir;
};

constexpr QFile::Permissions othersMay = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                         QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

// The login the command makes opens the database with the program's connection; the rows and
// the database's bytes stay as they were, and only the login file is added.
TEST_F(ZentrikLogin, GivesADatabaseMadeElsewhereALoginAndTouchesNothingElse) {
    EXPECT_NE(opens("ana", "secreta"), QString());
    const QStringList before = rows();
    const QByteArray bytes = demotest::snapshot(dir.path()).value("VENTAS.db").first;

    const demotest::Run given = demotest::run(tool, {dir.path(), "VENTAS", "ana"}, "secreta\n");
    EXPECT_EQ(given.status, 0) << given.err.toStdString();
    EXPECT_EQ(opens("ana", "secreta"), QString());
    EXPECT_EQ(opens("ANA", "secreta"), QString());
    EXPECT_NE(opens("ana", "otra"), QString());
    EXPECT_EQ(rows(), before);
    const demotest::Snapshot after = demotest::snapshot(dir.path());
    EXPECT_EQ(after.keys(), (QStringList{"TEXTO.db", "VENTAS.db", "VENTAS.login"}));
    EXPECT_EQ(after.value("VENTAS.db").first, bytes);
    for (const char* name : {"VENTAS.db", "VENTAS.login"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(QFile::permissions(dir.filePath(name)) & othersMay, QFile::Permissions());
    }

    // Another user (the database named in another case) joins the first; giving a user again
    // replaces that user's password alone.
    EXPECT_EQ(demotest::run(tool, {dir.path(), "ventas", "beto"}, "clave de beto").status, 0);
    EXPECT_EQ(demotest::run(tool, {"--", dir.path(), "VENTAS", "Ana"}, "nueva\r\n").status, 0);
    EXPECT_EQ(opens("beto", "clave de beto"), QString());
    EXPECT_EQ(opens("ana", "nueva"), QString());
    EXPECT_NE(opens("ana", "secreta"), QString());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              (QStringList{"TEXTO.db", "VENTAS.db", "VENTAS.login"}));
    EXPECT_EQ(rows(), before);
}

// A wrong or missing argument, a folder or database that is not there, a file that is no
// database, no user or no password: a clear message, a failure status, and nothing changed.
TEST_F(ZentrikLogin, RefusesWhatItCannotDoAndChangesNothing) {
    const QString missing = dir.filePath("no-esta");
    const struct {
        QStringList arguments;
        const char* input;
        const char* said;
    } cases[] = {
        {{}, "x\n", "zentrik-login <carpeta> <base> <usuario>"},
        {{dir.path(), "VENTAS"}, "x\n", "zentrik-login <carpeta> <base> <usuario>"},
        {{dir.path(), "VENTAS", "ana", "sobra"},
         "x\n",
         "zentrik-login <carpeta> <base> <usuario>"},
        {{"--bogus", dir.path(), "VENTAS", "ana"}, "x\n", "opción desconocida '--bogus'"},
        {{"-x", dir.path(), "VENTAS", "ana"}, "x\n", "opción desconocida '-x'"},
        {{missing, "VENTAS", "ana"}, "x\n", "No existe la carpeta"},
        {{dir.filePath("VENTAS.db"), "VENTAS", "ana"}, "x\n", "No existe la carpeta"},
        {{dir.path(), "NOMINA", "ana"}, "x\n", "No existe la base de datos NOMINA"},
        {{dir.path(), "VENTAS.db", "ana"}, "x\n", "No existe la base de datos VENTAS.db"},
        {{dir.path(), "", "ana"}, "x\n", "Falta el nombre de la base de datos"},
        {{dir.path(), "../VENTAS", "ana"}, "x\n", "no es un nombre de base de datos"},
        {{dir.path(), "TEXTO", "ana"}, "x\n", "no es una base de datos"},
        {{dir.path(), "VENTAS", ""}, "x\n", "Falta el usuario"},
        {{dir.path(), "VENTAS", "  "}, "x\n", "Falta el usuario"},
        {{dir.path(), "VENTAS", "ana\tbeto"}, "x\n", "no es un nombre de usuario"},
        {{dir.path(), "VENTAS", "ana"}, "", "La contraseña no puede estar vacía"},
        {{dir.path(), "VENTAS", "ana"}, "\n", "La contraseña no puede estar vacía"},
        {{dir.path(), "VENTAS", "ana"}, "\r\n", "La contraseña no puede estar vacía"},
    };
    const demotest::Snapshot before = demotest::snapshot(dir.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u'|').toStdString() + " <" + c.input);
        const demotest::Run r = demotest::run(tool, c.arguments, c.input);
        EXPECT_GT(r.status, 0);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.said))) << r.err.toStdString();
        EXPECT_EQ(demotest::snapshot(dir.path()), before);
        EXPECT_FALSE(QFileInfo::exists(missing));
    }
    const demotest::Run help = demotest::run(tool, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("zentrik-login <carpeta> <base> <usuario>"));
    EXPECT_EQ(demotest::snapshot(dir.path()), before);
}

// The command with a terminal for its standard input, as an operator types: what the terminal
// shows back, and how the command ended.
struct TerminalRun {
    int status = -1;
    QByteArray shown;
};

TerminalRun onATerminal(const QStringList& arguments, const QList<QByteArray>& typed) {
    TerminalRun out;
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return out;
    const QByteArray slave = ptsname(master);
    QList<QByteArray> argv{tool.toLocal8Bit()};
    for (const QString& a : arguments) argv.append(a.toLocal8Bit());
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        const int tty = open(slave.constData(), O_RDWR);
        if (tty < 0) _exit(127);
        dup2(tty, 0);
        dup2(tty, 1);
        dup2(tty, 2);
        std::vector<char*> v;
        for (QByteArray& a : argv) v.push_back(a.data());
        v.push_back(nullptr);
        execv(v[0], v.data());
        _exit(127);
    }
    // Each answer is typed once the command has asked for it (a prompt ending in ": ").
    qsizetype asked = 0;
    qsizetype next = 0;
    for (;;) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 60000) <= 0) break;
        char buffer[512];
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0) break;
        out.shown.append(buffer, n);
        while (next < typed.size()) {
            const qsizetype prompt = out.shown.indexOf(": ", asked);
            if (prompt < 0) break;
            asked = prompt + 2;
            if (write(master, typed[next].constData(), typed[next].size()) < 0) break;
            ++next;
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    close(master);
    if (WIFEXITED(status)) out.status = WEXITSTATUS(status);
    return out;
}

// On a terminal the password is asked twice and never shown; two that differ change nothing.
TEST_F(ZentrikLogin, AsksThePasswordTwiceWithoutEchoOnATerminal) {
    const demotest::Snapshot before = demotest::snapshot(dir.path());
    const TerminalRun differ =
        onATerminal({dir.path(), "VENTAS", "ana"}, {"secreta\n", "secrete\n"});
    EXPECT_GT(differ.status, 0);
    EXPECT_TRUE(differ.shown.contains("no coinciden")) << differ.shown.toStdString();
    EXPECT_EQ(demotest::snapshot(dir.path()), before);

    const TerminalRun typed =
        onATerminal({dir.path(), "VENTAS", "ana"}, {"secreta\n", "secreta\n"});
    EXPECT_EQ(typed.status, 0) << typed.shown.toStdString();
    EXPECT_TRUE(typed.shown.contains("Contraseña")) << typed.shown.toStdString();
    EXPECT_FALSE(typed.shown.contains("secreta")) << typed.shown.toStdString();
    EXPECT_EQ(opens("ana", "secreta"), QString());
}

}  // namespace
