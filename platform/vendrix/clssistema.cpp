#include "platform/vendrix/clssistema.h"

#include "platform/shell/desktop.h"
#include "platform/ui/operator.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// True when `path` is a real folder (not a link) owned by this user and closed to others.
bool esPrivada(const QByteArray& path) {
    struct stat st {};
    if (lstat(path.constData(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid()) return false;
    if ((st.st_mode & 0777) != 0700 && chmod(path.constData(), 0700) != 0) return false;
    return true;
}

QString creaCarpetaTemporal() {
    const QString base = QDir::tempPath() + QStringLiteral("/zentrik-%1").arg(geteuid());
    const QByteArray nombre = QFile::encodeName(base);
    if ((mkdir(nombre.constData(), 0700) == 0 || errno == EEXIST) && esPrivada(nombre))
        return base + u'/';
    // The usual name is taken by someone else: a fresh folder of our own, kept for the run.
    static QString propia;
    if (!propia.isEmpty() && esPrivada(QFile::encodeName(propia))) return propia + u'/';
    QByteArray plantilla = nombre + "-XXXXXX";
    if (!mkdtemp(plantilla.data())) return QDir::tempPath() + u'/';
    propia = QFile::decodeName(plantilla);
    return propia + u'/';
}

}  // namespace

QString clsSistema::NombreMaquina() const {
    return ui::station().computerName();
}

QString clsSistema::NombreUsuario() const {
    return ui::station().userName();
}

QString clsSistema::CarpetaTemporal() const {
    return creaCarpetaTemporal();
}

bool clsSistema::AbreConAsociado(const QString& archivo, int) const {
    return shell::openWithAssociated(archivo);
}

void clsSistema::AbreConAsociado(qintptr, const QString&, const QString& archivo, const QString&,
                                 const QString&, int modoVentana, long& resultado) const {
    resultado = AbreConAsociado(archivo, modoVentana) ? 1 : 0;
}

clsSistema& gSistema() {
    static clsSistema instancia;
    return instancia;
}
