#include "db/db_dll.h"
#include "db/lookup_sql.h"
#include "db/sql_text.h"

#include "platform/vb/conversions.h"
#include "platform/vendrix/clsutil.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"

#include <algorithm>
#include <initializer_list>

using vb::InStr;
using vb::Left;
using vb::Mid;
using vb::Trim;

namespace {

bool entre(const vb::Variant& Qtype, std::initializer_list<long> codigos) {
    const long c = sqltext::codigo(Qtype);
    return std::find(codigos.begin(), codigos.end(), c) != codigos.end();
}

}  // namespace

vb::Variant DB_Dll::SQLValue(const vb::Variant& Valor, const QString& Tipo) {
    if (Tipo == QLatin1String("@")) {
        if (Valor.isNull()) return QStringLiteral("0");
        // Currency text: "." as decimal point and no grouping, whatever the locale.
        return gUtil().ValorNumerico(Valor).toPlainString();
    }
    if (Tipo == QLatin1String("'")) {
        if (Valor.isNull()) return QStringLiteral("NULL");
        return u'\'' + sqltext::comillas(vb::CStr(Valor)) + u'\'';
    }
    if (Valor.isNull()) return QStringLiteral("NULL");
    return Valor;
}

bool DB_Dll::adodate(const vb::Variant& Qtype) const {
    return entre(Qtype, {7, 64, 133, 134, 135, 137});
}

bool DB_Dll::ADOText(const vb::Variant& Qtype) const {
    return entre(Qtype, {8, 129, 130, 200, 201, 202, 203});
}

bool DB_Dll::ADONumeric(const vb::Variant& Qtype) const {
    return entre(Qtype, {2, 3, 4, 5, 14, 16, 17, 18, 19, 20, 21, 131});
}

bool DB_Dll::ADOCurrency(const vb::Variant& Qtype) const {
    return entre(Qtype, {6});
}

bool DB_Dll::ADOBoolean(const vb::Variant& Qtype) const {
    return entre(Qtype, {11});
}

QString DB_Dll::ADOComilla(const vb::Variant& Qtype) const {
    return adodate(Qtype) || ADOText(Qtype) ? QStringLiteral("'") : QString();
}

// Kept in the interface for the callers that still call it; there is nothing for it to do.
void DB_Dll::QConsulta(const vb::Variant&, const vb::Variant&, const vb::Variant&,
                       const vb::Variant&, const vb::Variant&, const vb::Variant&) {}

// Kept in the interface for its callers, like QConsulta.
void DB_Dll::QGridConsulta(const vb::Variant&, const vb::Variant&, const vb::Variant&,
                           const vb::Variant&, const vb::Variant&) {}

QString DB_Dll::StripOwner(QString& rsTblName) const {
    const int punto = InStr(rsTblName, QStringLiteral("."));
    if (punto > 0) rsTblName = Mid(rsTblName, punto + 1);
    return rsTblName;
}

QString DB_Dll::stSTF(QString& rsName, std::int16_t rnPart) {
    const int primero = InStr(rsName, QStringLiteral("."));
    const int segundo = primero > 0 ? InStr(primero + 1, rsName, QStringLiteral(".")) : 0;
    if (segundo > 0) return StripOwner(rsName);
    if (rnPart != 0) return primero > 0 ? Mid(rsName, primero + 1) : rsName;
    return primero > 0 ? Left(rsName, primero - 1) : QString();
}

QString DB_Dll::AddBrackets(const QString& rObjName) const {
    if (rObjName.contains(u' ') && !rObjName.startsWith(u'[')) return u'[' + rObjName + u']';
    return rObjName;
}

QString DB_Dll::StripConnect(const QString& rsTblName) const {
    const int flecha = InStr(rsTblName, QStringLiteral("->"));
    if (flecha == 0) return rsTblName;
    return flecha >= 2 ? Left(rsTblName, flecha - 2) : QString();
}

QString DB_Dll::StripBrackets(const QString& rsObjName) const {
    if (!rsObjName.startsWith(u'[')) return rsObjName;
    return rsObjName.size() >= 2 ? rsObjName.mid(1, rsObjName.size() - 2) : QString();
}

QString DB_Dll::StripFileName(const QString& rsFileName) const {
    // Paths of this platform use "/"; those written on Windows, "\".
    const qsizetype barra = std::max(rsFileName.lastIndexOf(u'\\'), rsFileName.lastIndexOf(u'/'));
    return barra < 0 ? QString() : rsFileName.left(barra);
}

void DB_Dll::AddField(const QString& Tabla, const QString& Campo, const QString& Tipo,
                      bool PermiteNulos, const std::optional<vb::Variant>& ValorDefault) {
    vb::Steps step([](const vb::VbError& e) {
        return static_cast<int>(
            gDB().TratamientoErrores(e, std::nullopt, QStringLiteral("errAddField")));
    });
    QString sql;
    step([&] { sql = lookupsql::AddField(Tabla, Campo, Tipo, PermiteNulos, ValorDefault); });
    step([&] { EjecutaConsultaSQL(sql); });
}

namespace {

int verificaCampos(const vb::VbError& e) {
    return gDB().TratamientoErrores(e, std::nullopt, QStringLiteral("VerificaCampos"));
}

// Walks a schema recordset for a row whose `columna`, trimmed, names `buscado`.
bool buscaEnEsquema(ado::Recordset& rs, const QString& columna, const QString& buscado) {
    const QString nombre = Trim(buscado);
    while (!rs.Eof()) {
        if (Trim(gUtil().NuloAVacio(rs[columna])).compare(nombre, Qt::CaseInsensitive) == 0)
            return true;
        rs.MoveNext();
    }
    return false;
}

}  // namespace

bool DB_Dll::ExisteTablaDB(const QString& Tabla) {
    bool existe = false;
    ado::Recordset rs;
    vb::Steps step(verificaCampos);
    step([&] { rs = gCnn.OpenSchema(ado::adSchemaTables); });
    step([&] { existe = buscaEnEsquema(rs, QStringLiteral("TABLE_NAME"), Tabla); });
    step([&] { rs.Close(); });
    return existe;
}

bool DB_Dll::ExisteCampoDB(const QString& Tabla, const QString& Campo) {
    if (vb::Holds(gDB().gProveedor, QStringLiteral("ORACLE"))) return false;
    bool existe = false;
    ado::Recordset rs;
    vb::Steps step(verificaCampos);
    step([&] {
        rs = gCnn.OpenSchema(ado::adSchemaColumns, {vb::Variant(gDBName), vb::Variant(),
                                                    vb::Variant(Tabla), vb::Variant()});
    });
    step([&] { existe = buscaEnEsquema(rs, QStringLiteral("COLUMN_NAME"), Campo); });
    step([&] { rs.Close(); });
    return existe;
}

bool DB_Dll::VerCampoDB(const QString& Tabla, const QString& Campo, bool Agregar,
                        const QString& Tipo, bool PermiteNulos,
                        const std::optional<vb::Variant>& ValorDefault) {
    if (ExisteTablaDB(Tabla) && !ExisteCampoDB(Tabla, Campo) && Agregar)
        AddField(Tabla, Campo, Tipo, PermiteNulos, ValorDefault);
    return true;
}
