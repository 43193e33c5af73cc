#include "app/arranque.h"
#include "platform/ui/operator.h"
#include "platform/ui/qtoperator.h"
#include "platform/vb/app.h"
#include "report/ui/frmzentrik.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
    // Without TZ the C library looks at /etc/localtime again for every local date-time.
    setenv("TZ", ":/etc/localtime", 0);
    tzset();
    QApplication app(argc, argv);
    // Qt's own texts (file choosers, context menus) in the operator's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);
    ui::QtOperator operatorService;
    ui::setOperator(&operatorService);
    vb::App().Title = QStringLiteral("Zentrik");
    arranque::instalaServicios();

    // The connection comes from the program's command line.
    frmZentrik form;
    form.Form_Load();
    form.show();
    return app.exec();
}
