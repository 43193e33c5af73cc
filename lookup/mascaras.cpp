#include "lookup/mascaras.h"

#include "platform/vb/safefile.h"
#include "platform/vb/strings.h"
#include "platform/vb/textfile.h"
#include "platform/vb/vberror.h"

#include <QFile>

namespace mascaras {

namespace {

const vb::FixedRecord& layout() {
    static const vb::FixedRecord record({100, 100, 500, 500});
    return record;
}

const QByteArray kFinRegistro("\r\n");

}  // namespace

QByteArray encode(const MascaraConsulta& registro) {
    return layout().encode({registro.TituloConsulta, registro.TablaMascara, registro.Columnas,
                            registro.Filtro}) +
           kFinRegistro;
}

MascaraConsulta decode(const QByteArray& registro) {
    const QStringList f = layout().decode(registro.left(layout().size()));
    return {f[0], f[1], f[2], f[3]};
}

QString limpia(const QString& campo) {
    QString s = campo;
    s.remove(QChar(0));
    s.remove(QChar(0xFF));
    return vb::Trim(s);
}

std::optional<MascaraConsulta> buscar(const QString& ruta, const QString& tabla) {
    QFile file(ruta);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QString clave = vb::Trim(tabla);
    while (true) {
        const QByteArray bytes = file.read(kLargoRegistro);
        if (bytes.isEmpty()) break;
        MascaraConsulta registro = decode(bytes);
        if (limpia(registro.TablaMascara).compare(clave, Qt::CaseInsensitive) == 0) {
            return registro;
        }
        if (bytes.size() < kLargoRegistro) break;
    }
    return std::nullopt;
}

QList<MascaraConsulta> registrosPorDefecto() {
    return {
        {"ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|", {}},
        {"CLIENTES", "VT_CLIENTES", "|RAZON_SOCIAL|CODIGO|CONTACTO|", {}},
        {"PROVEEDORES", "VT_PROVEEDORES", "|RAZON_SOCIAL|CODIGO|", {}},
        {"CONTACTOS", "MA_CONTACTOS", "|Nombre_y_Apellido|Domicilio|Localidad|Telefono|", {}},
        {"VENDEDORES", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|", {}},
        {"TECNICOS", "V_TA_TECNICOS", "|NOMBRE|IDTECNICO|", {}},
        {"MANTENIMIENTOS", "V_MA_MANTENIMIENTOS", "|DESCRIPCION|CODIGO|", {}},
        {"CUENTAS", "MA_CUENTAS", "|DESCRIPCION|CODIGO|", {}},
        {"TAREAS", "V_TA_Tareas", "|Descripcion|IdTarea|", {}},
        {"UnidadNegocio", "V_TA_UnidadNegocio", "|Descripcion|Codigo|", {}},
        {"DEPOSITO", "V_TA_DEPOSITO", "|Descripcion|IdDeposito|", {}},
    };
}

void escribePorDefecto(const QString& ruta) {
    // The file as it is to be: its whole records, then the defaults, each after the last whole
    // one (a torn last record is overwritten). It is put in place whole or not at all: a torn
    // file left by a full disk would keep the next start from writing the defaults again.
    QByteArray bytes;
    QFile actual(ruta);
    if (actual.exists()) {
        if (!actual.open(QIODevice::ReadOnly)) vb::raise(vb::err::PathFileAccess);
        bytes = actual.readAll();
        bytes.truncate(bytes.size() / kLargoRegistro * kLargoRegistro);
    }
    for (const MascaraConsulta& registro : registrosPorDefecto()) {
        MascaraConsulta r = registro;
        r.TituloConsulta = vb::Trim(r.TituloConsulta);
        r.Columnas = vb::Trim(r.Columnas);
        bytes += encode(r);
    }
    if (!vb::replaceFile(ruta, bytes)) vb::raise(vb::err::PathFileAccess);
}

}  // namespace mascaras
