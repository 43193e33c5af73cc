// zentrik-demo-db [--reemplazar | --comprobar | --reparar] [--] <folder>: creates the demo
// databases (main and statistics) in the folder and prints the command line that starts the
// program on them, and their connection string; never over databases the folder holds,
// unless told to set them aside; checks or repairs the logins the program opens them with.
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
        "       zentrik-demo-db --reemplazar [--] <folder>\n"
        "       zentrik-demo-db --comprobar [--] <folder>\n"
        "       zentrik-demo-db --reparar [--] <folder>\n"
        "Hace las bases de datos de demostración DEMO y KQ_ESTADISTICAS en <folder> (la carpeta\n"
        "se crea si falta) e imprime la línea de comandos que abre zentrik en ellas. Nunca\n"
        "reemplaza una que la carpeta ya tiene: se niega, y no cambia nada.\n"
        "  --reemplazar  las hace de nuevo; las que había, con sus archivos de acceso, quedan\n"
        "                aparte con el nombre <base>-anterior-<fecha>-<hora>.\n"
        "  --comprobar   dice si cada una abre con el ingreso que le da el programa (demo / "
        "demo,\n"
        "                KQ_ESTADISTICAS / KQ_ESTADISTICAS); no cambia nada. Termina con 0 si\n"
        "                las dos abren.\n"
        "  --reparar     hace la que falta, da el ingreso del programa a la que no lo admite\n"
        "                (sus datos quedan) y hace de nuevo, dejando aparte la anterior, la que\n"
        "                no es una base de datos de la demostración; no toca la que abre.\n"
        "\"--\" ends the options, for a folder whose name starts with \"-\".\n");
    enum class Mode { Create, Replace, Check, Repair } mode = Mode::Create;
    QStringList args = app.arguments().mid(1);
    // An option is never taken for a folder: a typo such as "-help" would make one.
    while (!args.isEmpty() && args.first() != QLatin1String("--") &&
           args.first().startsWith(u'-')) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            out << usage;
            return 0;
        }
        const Mode chosen = option == QLatin1String("--reemplazar")  ? Mode::Replace
                            : option == QLatin1String("--comprobar") ? Mode::Check
                            : option == QLatin1String("--reparar")   ? Mode::Repair
                                                                     : Mode::Create;
        if (chosen == Mode::Create) {
            err << "zentrik-demo-db: unknown option '" << option << "'\n" << usage;
            return 2;
        }
        if (mode != Mode::Create) {
            err << "zentrik-demo-db: se da una sola de --reemplazar, --comprobar y --reparar\n"
                << usage;
            return 2;
        }
        mode = chosen;
    }
    if (!args.isEmpty() && args.first() == QLatin1String("--")) args.removeFirst();
    if (args.size() != 1 || args.first().isEmpty()) {
        err << usage;
        return 2;
    }
    const QString folder = args.first();
    QString error;
    if (mode == Mode::Check) {
        const QStringList problems = demo::checkDatabases(folder);
        for (const QString& problem : problems) err << "zentrik-demo-db: " << problem << '\n';
        if (!problems.isEmpty()) return 1;
        out << QStringLiteral(
                   "Las bases de datos DEMO y KQ_ESTADISTICAS de %1 abren con los "
                   "ingresos del programa.\n")
                   .arg(folder);
        return 0;
    }
    if (mode == Mode::Repair) {
        QStringList done;
        const bool repaired = demo::repairDatabases(folder, QDate::currentDate(), &done, &error);
        for (const QString& line : done) out << line << '\n';
        if (!repaired) {
            err << "zentrik-demo-db: " << error << '\n';
            return 1;
        }
        out << demo::report(folder);
        return 0;
    }
    QStringList setAside;
    if (!demo::createDatabases(
            folder, QDate::currentDate(), &error,
            mode == Mode::Replace ? demo::Existing::SetAside : demo::Existing::Refuse,
            &setAside)) {
        err << "zentrik-demo-db: " << error << '\n';
        return 1;
    }
    if (!setAside.isEmpty()) {
        out << "Los archivos anteriores quedaron aparte:\n";
        for (const QString& file : setAside) out << "  " << file << '\n';
    }
    out << demo::report(folder);
    return 0;
}
