#include "platform/ui/qtoperator.h"
#include "platform/vb/app.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::QtOperator operatorService;
    ui::setOperator(&operatorService);
    vb::App().Title = QStringLiteral("Zentrik");

    QMainWindow window;
    window.setWindowTitle(vb::App().Title);
    window.resize(640, 480);
    window.show();
    return app.exec();
}
