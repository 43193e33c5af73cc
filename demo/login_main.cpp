// zentrik-login [--] <carpeta> <base> <usuario>: gives a user of an embedded database a
// password, the other logins it records kept; the password is read from the terminal without
// echo, or as one line of the standard input.
#include "demo/logins.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <optional>
#include <termios.h>
#include <unistd.h>

namespace {

termios savedTerminal;
volatile std::sig_atomic_t terminalChanged = 0;

// An interrupted prompt leaves the terminal showing what is typed again.
void restoreTerminal(int signal) {
    if (terminalChanged) tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// One line of the standard input, without its line end; nothing at its end before any byte.
std::optional<QByteArray> readLine() {
    QByteArray line;
    char c = 0;
    bool any = false;
    while (read(STDIN_FILENO, &c, 1) == 1) {
        any = true;
        if (c == '\n') break;
        line.append(c);
    }
    if (!any) return std::nullopt;
    if (line.endsWith('\r')) line.chop(1);
    return line;
}

// A line typed on the terminal after `prompt`, not shown as it is typed.
std::optional<QByteArray> askHidden(const char* prompt) {
    termios hidden = savedTerminal;
    hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    hidden.c_lflag |= ECHONL;
    terminalChanged = 1;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    const std::optional<QByteArray> line = readLine();
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    terminalChanged = 0;
    return line;
}

// The password: asked twice on a terminal, else one line of the standard input. Empty when
// none was given; nothing when the two typed differ.
std::optional<QString> password() {
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &savedTerminal) != 0)
        return QString::fromUtf8(readLine().value_or(QByteArray()));
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(s, restoreTerminal);
    const QByteArray first = askHidden("Contraseña: ").value_or(QByteArray());
    if (first.isEmpty()) return QString();
    if (askHidden("Repita la contraseña: ").value_or(QByteArray()) != first) return std::nullopt;
    return QString::fromUtf8(first);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString usage = QStringLiteral(
        "uso: zentrik-login <carpeta> <base> <usuario>\n"
        "Da a <usuario> una contraseña para entrar en la base de datos embebida\n"
        "<carpeta>/<base>.db: una hecha por otro programa o por sqlite3, o restaurada sin su\n"
        "archivo de acceso <base>.login. Los demás ingresos que la base registra quedan; el de\n"
        "ese usuario, si lo tenía, se reemplaza. No cambia nada más, salvo dejar la base\n"
        "legible sólo por su dueño cuando otros pueden leerla o modificarla (si no, no admite\n"
        "ningún ingreso).\n"
        "La contraseña se pide dos veces, sin mostrarla, cuando la entrada es una terminal; si\n"
        "no, se lee una línea de la entrada estándar. \"--\" antes de <carpeta> termina las\n"
        "opciones, para una carpeta cuyo nombre empieza con \"-\".\n");
    QStringList args = app.arguments().mid(1);
    if (!args.isEmpty() && args.first() != QLatin1String("--") && args.first().startsWith(u'-')) {
        if (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
            out << usage;
            return 0;
        }
        err << "zentrik-login: opción desconocida '" << args.first() << "'\n" << usage;
        return 2;
    }
    if (!args.isEmpty() && args.first() == QLatin1String("--")) args.removeFirst();
    if (args.size() != 3) {
        err << usage;
        return 2;
    }
    const QString& user = args[2];
    QString error;
    const QString file = logins::databaseFile(args[0], args[1], &error);
    // A user refused only after the password was typed would waste the typing.
    if (!file.isEmpty() && user.trimmed().isEmpty()) error = QStringLiteral("Falta el usuario.");
    if (file.isEmpty() || user.trimmed().isEmpty()) {
        err << "zentrik-login: " << error << " No se cambió nada.\n";
        return 1;
    }
    const std::optional<QString> typed = password();
    if (!typed) {
        err << "zentrik-login: Las contraseñas no coinciden. No se cambió nada.\n";
        return 1;
    }
    const bool wasOpen = (QFile::permissions(file) & (QFile::ReadGroup | QFile::WriteGroup |
                                                      QFile::ReadOther | QFile::WriteOther)) != 0;
    if (!logins::giveLogin(file, user, *typed, true, &error)) {
        err << "zentrik-login: " << error << " No se cambió nada.\n";
        return 1;
    }
    out << QStringLiteral("Se registró el ingreso de %1 en la base de datos %2.\n")
               .arg(user.trimmed(), file);
    if (wasOpen)
        out << QStringLiteral("El archivo %1 quedó legible sólo por su dueño.\n").arg(file);
    return 0;
}
