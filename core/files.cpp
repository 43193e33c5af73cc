#include "core/files.h"

#include "core/errordialog.h"
#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/conversions.h"
#include "platform/vb/safefile.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vb/textfile.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/clsutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <memory>

#include <sys/stat.h>

namespace core {

QList<qint64> copyBlockSizes(qint64 length) {
    QList<qint64> bloques;
    if (length % 32768 != 0) bloques.append(length % 32768);
    for (qint64 i = 0; i < 2 * (length / 32768); ++i) bloques.append(16384);
    return bloques;
}

QString timeNamedTemporary(const vb::DateTime& when) {
    static std::atomic<int> llamadas{0};
    return when.toString(QStringLiteral("HHmmss")) + u'_' +
           QString::number(QCoreApplication::applicationPid()) + u'_' +
           QString::number(++llamadas);
}

}  // namespace core

namespace ModGlobal {

namespace {

bool abreParaLeer(const QString& ruta) {
    if (!QFileInfo(ruta).isFile()) return false;
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly);
}

// The temporary export file in use (one per program). Its lines are written aside and put
// in its place when it is closed, only when whole: a file of that name stays as it was until
// then, and a failed export leaves no short file.
struct ArchivoEnUso {
    QString ruta;
    std::unique_ptr<vb::ReplacementFile> archivo;
};

ArchivoEnUso& enUso() {
    static ArchivoEnUso estado;
    return estado;
}

// Closes the file in use; false when its content could not be put in place whole.
bool cierraEnUso() {
    const bool escrito = !enUso().archivo || enUso().archivo->commit();
    enUso().archivo.reset();
    return escrito;
}

// Closes the file to be shown: lines that the disk no longer takes raise 75 here, so a short
// file is never shown as the whole export.
void cierraParaMostrar() {
    if (!cierraEnUso()) vb::raise(vb::err::PathFileAccess);
}

void escribeLinea(const QString& linea) {
    ArchivoEnUso& e = enUso();
    if (!e.archivo) vb::raise(52);  // bad file name or number
    const bool xls = vb::Right(e.ruta, 3).compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0;
    // Other than spreadsheets, the suite writes an extra carriage return before the line end.
    const QString fin = xls ? QStringLiteral("\r\n") : QStringLiteral("\r\r\n");
    if (!e.archivo->write(vb::toCp1252(linea + fin))) vb::raise(vb::err::PathFileAccess);
}

// Whether both paths name one file on disk (same device and inode, links followed).
bool mismoArchivo(const QString& a, const QString& b) {
    struct stat sa = {};
    struct stat sb = {};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

bool ExisteArchivo(const QString& Ruta) {
    QString ruta = Ruta;
    return abreParaLeer(ruta.remove(u'"'));
}

bool ArchivoExiste(const QString& Ruta) {
    return abreParaLeer(Ruta);
}

bool CopiaArchivo(const QString& Origen, const QString& Destino) {
    if (!ExisteArchivo(Origen)) return false;
    // The same file under another spelling or a link: it already holds the source, and
    // writing it would empty it first.
    if (mismoArchivo(Origen, Destino)) return true;
    QFile origen(Origen);
    if (!origen.open(QIODevice::ReadOnly)) return false;
    // Written aside in the same folder and renamed into place only when complete: a copy
    // that fails part-way leaves the old destination as it was.
    vb::ReplacementFile destino(Destino);
    if (!destino.open()) return false;
    for (const qint64 tamano : core::copyBlockSizes(origen.size())) {
        const QByteArray bloque = origen.read(tamano);
        if (bloque.size() != tamano || !destino.write(bloque)) return false;
    }
    return destino.commit();
}

void ArchivoTemporal(std::int16_t Modo, const QString& Linea, QString& Extension,
                     QString& NombreArchivo) {
    // 52 (file not open) closes and leaves; anything else goes to the error dialog.
    vb::Steps paso([](const vb::VbError& e) {
        if (e.Number == 52) {
            cierraEnUso();
            return static_cast<int>(vb::vbAbort);
        }
        return ManejaError(e);
    });
    ArchivoEnUso& e = enUso();
    switch (Modo) {
        case 1:
            paso([&] {
                cierraEnUso();
                e.ruta.clear();
            });
            paso([&] {
                if (!Extension.startsWith(u'.')) Extension.prepend(u'.');
            });
            paso([&] {
                if (!NombreArchivo.isEmpty()) {
                    e.ruta = NombreArchivo;
                    return;
                }
                e.ruta = core::temporaryFolder() + core::timeNamedTemporary(ui::clock().now()) +
                         Extension;
            });
            paso([&] {
                auto archivo = std::make_unique<vb::ReplacementFile>(e.ruta);
                if (!archivo->open()) vb::raise(QFileInfo(e.ruta).dir().exists() ? 75 : 76);
                e.archivo = std::move(archivo);
            });
            paso([&] {
                if (!vb::Trim(Linea).isEmpty()) escribeLinea(Linea);
            });
            break;
        case 2:
            paso([&] { escribeLinea(Linea); });
            break;
        case 3:
            paso([&] { cierraParaMostrar(); });
            paso([&] { AbreArchivo(e.ruta, 1); });
            break;
        case 4:
            // What was written is thrown away; a file of that name goes too.
            paso([&] {
                const bool abierto = e.archivo != nullptr;
                e.archivo.reset();
                if (!QFile::remove(e.ruta) && (!abierto || QFileInfo::exists(e.ruta)))
                    vb::raise(QFileInfo::exists(e.ruta) ? 75 : 53);
            });
            break;
        default:
            break;
    }
    if (!paso.left()) NombreArchivo = e.ruta;
}

void AbreArchivo(const QString& Ruta, const vb::Variant& Mostrar) {
    QString ruta = Ruta;
    if (!ruta.contains(u'"') && ruta.contains(u' ')) ruta = u'"' + ruta + u'"';
    gSistema().AbreConAsociado(ruta, vb::CBool(Mostrar) ? 6 : 0);
}

QString RutaCompleta(const QString& Ruta) {
    if (Ruta.size() <= 2) return {};
    // Paths written for Windows use "\"; this platform's separator is "/".
    QString ruta = Ruta;
    ruta.replace(u'\\', u'/');
    const bool absoluta = ruta.startsWith(u'/') || ruta[1] == u':';
    const bool carpeta = vb::InStr(2, ruta, QStringLiteral(".")) == 0;
    const QString base = absoluta ? QString() : gUtil().BarraFinal(vb::App().Path);
    return carpeta ? gUtil().BarraFinal(base + ruta) : base + ruta;
}

}  // namespace ModGlobal
