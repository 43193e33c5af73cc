#include "voucherprint/comanderas.h"

#include "platform/vb/app.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/clsutil.h"
#include "platform/vendrix/paths.h"

#include <QFile>
#include <QFileInfo>

namespace ModGlobal {

RegistroComandera gComandera;

namespace {

constexpr int kLargoRegistro = 910;
const QString kArchivo = QStringLiteral("Comanderas.cfg");

QString* campo(RegistroComandera& r, int i) {
    QString* campos[] = {&r.Equipo,
                         &r.NombreComandera,
                         &r.Puerto,
                         &r.Reservado4,
                         &r.ImprimeEncabezado1,
                         &r.Encabezado1,
                         &r.ImprimeEncabezado2,
                         &r.Encabezado2,
                         &r.ImprimeNumero,
                         &r.ImprimeCliente,
                         &r.ImprimePie,
                         &r.Pie,
                         &r.Reservado13,
                         &r.Reservado14,
                         &r.Reservado15,
                         &r.DetalleRenglon,
                         &r.Reservado17};
    return campos[i];
}

// The file of the program folder, whatever the case of its name; created empty when there
// is none, as opening it for records does.
bool abre(QFile& archivo) {
    QString ruta = vendrix::programFile(kArchivo);
    if (!QFileInfo::exists(ruta)) ruta = gUtil().BarraFinal(vb::App().Path) + kArchivo;
    archivo.setFileName(ruta);
    // Read and write first, as records are opened; a file that only reads is still read.
    return archivo.open(QIODevice::ReadWrite) || archivo.open(QIODevice::ReadOnly);
}

}  // namespace

const vb::FixedRecord& RegistroComandera::Formato() {
    static const vb::FixedRecord formato(
        {254, 150, 5, 2, 1, 150, 1, 150, 1, 1, 1, 150, 1, 20, 20, 1, 2});
    return formato;
}

RegistroComandera RegistroComandera::desdeBytes(const QByteArray& bytes) {
    RegistroComandera r;
    const QStringList campos = Formato().decode(bytes);
    for (int i = 0; i < campos.size(); ++i) *campo(r, i) = campos[i];
    return r;
}

bool Activo(const QString& interruptor) {
    return vb::UCase(gUtil().RecortaFijo(interruptor)) == QStringLiteral("S");
}

void LeeComanderas(bool& Encontrado, const QString& Nombre) {
    // Nothing here is reported: whatever cannot be opened or read counts as not found.
    QFile archivo;
    if (!abre(archivo)) return;
    const qint64 registros = archivo.size() / kLargoRegistro;
    for (qint64 i = 0; i < registros; ++i) {
        if (!archivo.seek(i * kLargoRegistro)) break;
        const QByteArray bytes = archivo.read(kLargoRegistro);
        if (bytes.size() != kLargoRegistro) break;
        gComandera = RegistroComandera::desdeBytes(bytes);
        const QString equipo =
            vb::Trim(gSistema().NombreMaquina() + u'|' + gSistema().NombreUsuario());
        if (vb::StrComp(gUtil().RecortaFijo(gComandera.Equipo), equipo, vb::Compare::Text) != 0)
            continue;
        const QString comandera = gUtil().RecortaFijo(gComandera.NombreComandera);
        if (comandera.isEmpty()) continue;
        if (Nombre.isEmpty() || vb::StrComp(comandera, Nombre, vb::Compare::Text) == 0) {
            Encontrado = true;
            break;
        }
    }
}

}  // namespace ModGlobal
