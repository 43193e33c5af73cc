#include "platform/vendrix/clscampos.h"

#include "platform/vendrix/controlarray.h"
#include "platform/vb/textfile.h"

#include <QWidget>

namespace {

constexpr int kEnter = 13;

bool coincide(const QWidget& control, const QString& dataField) {
    return vendrix::controlIndex(control) >= 0 &&
           vendrix::dataField(control).compare(dataField, Qt::CaseInsensitive) == 0;
}

bool recibeTab(const QWidget& w) {
    return (w.focusPolicy() & Qt::TabFocus) && w.isVisible() && w.isEnabled();
}

}  // namespace

int clsCampos::Campo(const QWidget& form, const QString& dataField) const {
    for (const QWidget* w : form.findChildren<QWidget*>()) {
        if (coincide(*w, dataField)) return vendrix::controlIndex(*w);
    }
    return -1;
}

bool clsCampos::Campo(const QString& dataField, const QList<QWidget*>& controles,
                      int& indice) const {
    for (const QWidget* w : controles) {
        if (w && coincide(*w, dataField)) {
            indice = vendrix::controlIndex(*w);
            return true;
        }
    }
    indice = -1;
    return false;
}

void clsCampos::SiguienteControl(int& keyCode, QWidget& control) const {
    if (keyCode != kEnter) return;
    keyCode = 0;
    QWidget* siguiente = control.nextInFocusChain();
    while (siguiente != &control &&
           (siguiente->window() != control.window() || !recibeTab(*siguiente))) {
        siguiente = siguiente->nextInFocusChain();
    }
    if (siguiente != &control) siguiente->setFocus(Qt::TabFocusReason);
}

void clsCampos::FiltraTecla(const QWidget& campo, int& keyAscii) const {
    if (!campo.property("Mayusculas").toBool() || keyAscii <= 0 || keyAscii > 255) return;
    const QString letra = vb::fromCp1252(QByteArray(1, static_cast<char>(keyAscii)));
    const QString mayuscula = letra.toUpper();
    const QByteArray codigo = vb::toCp1252(mayuscula);
    // A capital the Windows character set lacks leaves the character as typed.
    if (codigo.size() == 1 && vb::fromCp1252(codigo) == mayuscula)
        keyAscii = static_cast<unsigned char>(codigo[0]);
}

clsCampos& gCampos() {
    static clsCampos instancia;
    return instancia;
}
