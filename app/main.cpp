#include "app/arranque.h"
#include "report/ui/frmzentrik.h"

#include <QApplication>

int main(int argc, char** argv) {
    arranque::fijaZonaHoraria();
    QApplication app(argc, argv);
    arranque::Programa programa(app);

    // The connection comes from the program's command line.
    frmZentrik form;
    form.Form_Load();
    form.show();
    return app.exec();
}
