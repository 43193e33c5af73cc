// The window members of clsUtil: they need widgets, so they live in zentrik_vendrix_ui.
#include "platform/vendrix/clsutil.h"

#include "platform/shell/settings.h"
#include "platform/vb/app.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

const QString kSeccion = QStringLiteral("Formularios");

QString aplicacion() {
    return vb::App().EXEName.isEmpty() ? QStringLiteral("Zentrik") : vb::App().EXEName;
}

QString claveDe(const QWidget& form, const QString& nombre) {
    const QString base = form.objectName().isEmpty()
                             ? QString::fromLatin1(form.metaObject()->className())
                             : form.objectName();
    return base + nombre;
}

}  // namespace

void clsUtil::PreparaFormulario(QWidget& form, int) const {
    const QScreen* pantalla = form.screen() ? form.screen() : QGuiApplication::primaryScreen();
    if (!pantalla) return;
    QRect marco = form.frameGeometry();
    marco.moveCenter(pantalla->availableGeometry().center());
    form.move(marco.topLeft());
}

void clsUtil::RestauraFormulario(QWidget& form, const QString& nombre) const {
    const QString guardado = shell::GetSetting(aplicacion(), kSeccion, claveDe(form, nombre));
    if (guardado.isEmpty()) return;
    form.restoreGeometry(QByteArray::fromBase64(guardado.toLatin1()));
}

void clsUtil::GuardaFormulario(const QWidget& form, const QString& nombre) const {
    shell::SaveSetting(aplicacion(), kSeccion, claveDe(form, nombre),
                       QString::fromLatin1(form.saveGeometry().toBase64()));
}
