// zentrik-demo-db [--] <folder>: creates the demo databases (main and statistics) in the folder
// and prints the command line that starts the program on them, and their connection string.
#include "demo/demodata.h"

#include <QCoreApplication>
#include <QDate>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString usage = QStringLiteral(
        "usage: zentrik-demo-db [--] <folder>\n"
        "Creates the demo databases DEMO and KQ_ESTADISTICAS in <folder> (made when missing)\n"
        "and prints the command line that starts zentrik on them. \"--\" ends the options, for\n"
        "a folder whose name starts with \"-\".\n");
    QStringList args = app.arguments().mid(1);
    // An option is never taken for a folder: a typo such as "-help" would make one.
    if (!args.isEmpty() && args.first() != QLatin1String("--") && args.first().startsWith(u'-')) {
        if (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
            out << usage;
            return 0;
        }
        err << "zentrik-demo-db: unknown option '" << args.first() << "'\n" << usage;
        return 2;
    }
    if (!args.isEmpty() && args.first() == QLatin1String("--")) args.removeFirst();
    if (args.size() != 1 || args.first().isEmpty()) {
        err << usage;
        return 2;
    }
    QString error;
    if (!demo::createDatabases(args.first(), QDate::currentDate(), &error)) {
        err << "zentrik-demo-db: " << error << '\n';
        return 1;
    }
    out << demo::report(args.first());
    return 0;
}
