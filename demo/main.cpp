// zentrik-demo-db <folder>: creates the demo databases (main and statistics) in the folder and
// prints the command line that starts the program on them, and their connection string.
#include "demo/demodata.h"

#include <QCoreApplication>
#include <QDate>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "usage: zentrik-demo-db <folder>\n";
        return 2;
    }
    QString error;
    if (!demo::createDatabases(args[1], QDate::currentDate(), &error)) {
        err << "zentrik-demo-db: " << error << '\n';
        return 1;
    }
    out << demo::report(args[1]);
    return 0;
}
