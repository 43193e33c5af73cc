#include "app/arranque.h"
#include "platform/ui/operator.h"
#include "platform/ui/qtoperator.h"
#include "platform/vb/app.h"
#include "report/ui/frmzentrik.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
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
