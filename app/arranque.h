#pragma once

#include "platform/ui/qtoperator.h"

#include <QTranslator>

class QApplication;

// The program's services that live above the start-up form's own folder, installed once
// before the form loads: the connection dialog, the central error dialog for the database
// class, the lookup windows and start-up steps, the send dialog, the file-transfer windows, and
// the report engine's services (its data, preview and printer).
namespace arranque {

// Before the application object exists: the time zone read once, since without TZ the C
// library looks at /etc/localtime again for every local date-time.
void fijaZonaHoraria();

// The program once its application object exists: Qt's own texts (file choosers, context
// menus) in the operator's language, the operator service, the title and the services below.
// Lives as long as the program.
class Programa {
public:
    explicit Programa(QApplication& app);

private:
    QTranslator qtTexts_;
    ui::QtOperator operador_;
};

void instalaServicios();

// The document printing the send dialog's automatic mailing drives: the voucher work tables,
// the receipt print data and the voucher printer. Part of instalaServicios.
void instalaDocumentosEnEnvio();

}  // namespace arranque
