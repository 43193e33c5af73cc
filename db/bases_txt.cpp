#include "db/bases_txt.h"

#include "platform/ui/operator.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vb/textfile.h"
#include "platform/vb/vberror.h"
#include "platform/vendrix/clsutil.h"
#include "platform/vendrix/paths.h"

#include <QFileInfo>

using vb::Trim;

namespace TXR_Common {

namespace {

// The fields of an entry's line, as they are written.
QStringList campos(const QString& Nombre, const QString& Database, const QString& Usuario,
                   const QString& Password, const QString& Servidor, const QString& Sufijo,
                   bool Oracle) {
    const QString sufijo = Sufijo.isEmpty() ? QString() : u'/' + Sufijo + u':';
    const QString servidor = Oracle ? u'#' + Servidor : Servidor;
    return {Trim(Nombre), Trim(Database), Trim(Usuario), Trim(gUtil().Codifica(Password)),
            Trim(servidor) + sufijo};
}

// Why a field would not read back as itself from its line, or nothing. Nothing is escaped
// in the file, which the suite's other programs read too: such a field is not written.
std::optional<QString> motivoRechazo(const QString& campo) {
    for (const QChar c : campo) {
        if (c == u'\r' || c == u'\n') return QStringLiteral("un salto de línea");
        if (c == u',') return QStringLiteral("una coma");
        if (c == u'"') return QStringLiteral("comillas");
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QStringLiteral("un carácter de control");
    }
    if (vb::fromCp1252(vb::toCp1252(campo)) != campo)
        return QStringLiteral("caracteres que el archivo no puede guardar");
    return std::nullopt;
}

bool aceptaCampos(const QStringList& campos) {
    for (const QString& campo : campos) {
        if (const std::optional<QString> motivo = motivoRechazo(campo)) {
            ui::op().msgBox(QStringLiteral("No se puede registrar la conexión: el dato \"") +
                                campo + QStringLiteral("\" contiene ") + *motivo + u'.',
                            vb::vbExclamation, QStringLiteral("Atención"));
            return false;
        }
    }
    return true;
}

}  // namespace

bool ConexionRegistrable(const QString& Nombre, const QString& Database, const QString& Usuario,
                         const QString& Password, const QString& Servidor, const QString& Sufijo,
                         bool Oracle) {
    return aceptaCampos(campos(Nombre, Database, Usuario, Password, Servidor, Sufijo, Oracle));
}

bool AgregaConexionBases(const QString& Nombre, const QString& Database, const QString& Usuario,
                         const QString& Password, const QString& Servidor, const QString& Sufijo,
                         bool Oracle) {
    const QStringList linea =
        campos(Nombre, Database, Usuario, Password, Servidor, Sufijo, Oracle);
    if (!aceptaCampos(linea)) return false;
    // Private to the user: the line holds a scrambled password.
    if (!vb::writeTextLines(bases::ruta(), {linea.join(u',')}, true, 0600))
        throw vb::VbError(vb::err::PathNotFound,
                          QStringLiteral("No se pudo escribir ") + bases::ruta());
    return true;
}

}  // namespace TXR_Common

namespace bases {

QString ruta() {
    return vendrix::programFile(QStringLiteral("BASES.TXT"));
}

std::optional<QList<ConexionRegistrada>> lee() {
    const QString archivo = ruta();
    if (!QFileInfo::exists(archivo)) return std::nullopt;
    const std::optional<QStringList> lineas = vb::readTextLines(archivo);
    if (!lineas) vb::raise(vb::err::PathNotFound);
    QList<ConexionRegistrada> out;
    for (const QString& linea : *lineas) {
        // Each line on its own: a short line never takes fields from the next one.
        const QStringList f = vb::inputFields(linea);
        ConexionRegistrada c;
        c.Nombre = f.value(0);
        c.Database = f.value(1);
        c.Usuario = f.value(2);
        c.Password = gUtil().Decodifica(f.value(3));
        c.Servidor = f.value(4);
        out.append(c);
    }
    return out;
}

std::optional<ConexionRegistrada> busca(const QString& nombre) {
    const std::optional<QList<ConexionRegistrada>> entradas = lee();
    if (!entradas) return std::nullopt;
    for (const ConexionRegistrada& c : *entradas)
        if (Trim(c.Nombre) == Trim(nombre)) return c;
    return std::nullopt;
}

}  // namespace bases
