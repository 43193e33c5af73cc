#include "platform/skin/skinframework.h"

#include "platform/vb/vberror.h"
#include "platform/vendrix/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>

SkinFramework::SkinFramework(QObject* parent) : QObject(parent) {}

void SkinFramework::LoadSkin(const QString& skin, const QString& ini) {
    QString ruta = vendrix::findFileIgnoringCase(skin);
    if (!ini.isEmpty() && QFileInfo(ruta).isDir())
        ruta = vendrix::findFileIgnoringCase(ruta + u'/' + ini);
    QFile archivo(ruta);
    if (!QFileInfo(ruta).isFile() || !archivo.open(QIODevice::ReadOnly))
        vb::raise(vb::err::FileNotFound, QStringLiteral("SkinFramework"));
    styleSheet_ = QString::fromUtf8(archivo.readAll());
}

void SkinFramework::ApplyWindow(QWidget& window) const {
    window.setStyleSheet(styleSheet_);
}
