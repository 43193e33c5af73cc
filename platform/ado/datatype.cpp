#include "platform/ado/datatype.h"

#include "platform/ado/errors.h"
#include "platform/ado/types.h"
#include "platform/vb/conversions.h"
#include "platform/vb/vberror.h"

#include <cmath>

namespace ado {

namespace {

// The numbers between the parentheses of "NAME(a, b)".
void sizeArguments(const QString& decl, long* first, long* second) {
    const qsizetype open = decl.indexOf(QLatin1Char('('));
    const qsizetype close = decl.indexOf(QLatin1Char(')'), open + 1);
    if (open < 0 || close < 0) return;
    const QStringList parts = decl.mid(open + 1, close - open - 1).split(QLatin1Char(','));
    bool ok = false;
    const QString a = parts.value(0).trimmed();
    if (a.compare(QLatin1String("MAX"), Qt::CaseInsensitive) == 0) {
        *first = 2147483647;
    } else {
        const long v = a.toLong(&ok);
        if (ok) *first = v;
    }
    if (parts.size() > 1) {
        const long v = parts[1].trimmed().toLong(&ok);
        if (ok) *second = v;
    }
}

}  // namespace

DeclaredType declaredType(const QString& declaration) {
    const QString decl = declaration.trimmed().toUpper();
    if (decl.isEmpty()) return {adEmpty, 0, -1};
    long size = -1, scale = -1;
    sizeArguments(decl, &size, &scale);
    qsizetype end = 0;
    while (end < decl.size() && (decl[end].isLetterOrNumber() || decl[end] == QLatin1Char('_')))
        ++end;
    const QString name = decl.left(end);
    const auto text = [&](long type, long defaultSize) {
        return DeclaredType{type, size > 0 ? size : defaultSize, -1};
    };
    if (name == QLatin1String("VARCHAR")) return text(adVarChar, 1);
    if (name == QLatin1String("NVARCHAR")) return text(adVarWChar, 1);
    if (name == QLatin1String("CHAR") || name == QLatin1String("CHARACTER"))
        return text(adChar, 1);
    if (name == QLatin1String("NCHAR")) return text(adWChar, 1);
    if (name == QLatin1String("TEXT")) return text(adVarChar, 255);
    if (name == QLatin1String("NTEXT")) return text(adLongVarWChar, 1073741823);
    if (name == QLatin1String("INT") || name == QLatin1String("INTEGER"))
        return {adInteger, 4, -1};
    if (name == QLatin1String("SMALLINT")) return {adSmallInt, 2, -1};
    if (name == QLatin1String("TINYINT")) return {adUnsignedTinyInt, 1, -1};
    if (name == QLatin1String("BIGINT")) return {adBigInt, 8, -1};
    if (name == QLatin1String("NUMERIC") || name == QLatin1String("DECIMAL")) {
        return {adNumeric, 19, size > 0 ? static_cast<int>(std::max(0L, scale)) : -1};
    }
    if (name == QLatin1String("MONEY") || name == QLatin1String("SMALLMONEY"))
        return {adCurrency, 8, -1};
    if (name == QLatin1String("REAL") || name == QLatin1String("FLOAT") ||
        name == QLatin1String("DOUBLE"))
        return {adDouble, 8, -1};
    if (name == QLatin1String("DATE") || name == QLatin1String("DATETIME") ||
        name == QLatin1String("SMALLDATETIME") || name == QLatin1String("DATETIME2"))
        return {adDBTimeStamp, 16, -1};
    if (name == QLatin1String("TIME")) return {adDBTime, 6, -1};
    if (name == QLatin1String("BIT") || name == QLatin1String("BOOLEAN"))
        return {adBoolean, 2, -1};
    if (name == QLatin1String("BLOB") || name == QLatin1String("IMAGE"))
        return {adLongVarBinary, 2147483647, -1};
    if (name == QLatin1String("VARBINARY")) return {adVarBinary, size > 0 ? size : 1, -1};
    if (name == QLatin1String("BINARY")) return {adBinary, size > 0 ? size : 1, -1};
    // Anything else by SQLite's affinity rules.
    if (decl.contains(QLatin1String("INT"))) return {adInteger, 4, -1};
    if (decl.contains(QLatin1String("CHAR")) || decl.contains(QLatin1String("CLOB")) ||
        decl.contains(QLatin1String("TEXT")))
        return text(adVarChar, 255);
    if (decl.contains(QLatin1String("BLOB"))) return {adLongVarBinary, 2147483647, -1};
    if (decl.contains(QLatin1String("REAL")) || decl.contains(QLatin1String("FLOA")) ||
        decl.contains(QLatin1String("DOUB")))
        return {adDouble, 8, -1};
    return {adNumeric, 19, -1};
}

bool isTextType(long type) {
    switch (type) {
        case adBSTR:
        case adChar:
        case adWChar:
        case adVarChar:
        case adLongVarChar:
        case adVarWChar:
        case adLongVarWChar:
            return true;
        default:
            return false;
    }
}

bool isDateType(long type) {
    return type == adDate || type == adDBDate || type == adDBTime || type == adDBTimeStamp;
}

bool isIntegerType(long type) {
    switch (type) {
        case adSmallInt:
        case adInteger:
        case adTinyInt:
        case adUnsignedTinyInt:
        case adUnsignedSmallInt:
        case adBigInt:
            return true;
        default:
            return false;
    }
}

bool isNumberType(long type) {
    return isIntegerType(type) || type == adSingle || type == adDouble || type == adDecimal ||
           type == adNumeric;
}

bool isBinaryType(long type) {
    return type == adBinary || type == adVarBinary || type == adLongVarBinary;
}

vb::Variant convertForColumn(const vb::Variant& value, long type) {
    if (value.isNull() || value.isEmpty()) return vb::Variant::null();
    const auto fail = []() -> vb::Variant {
        raiseAdo(err::MultipleStepErrors, QStringLiteral("Microsoft Cursor Engine"));
    };
    try {
        if (isDateType(type)) {
            if (value.isDate()) return value;
            if (value.isString()) {
                const QString text = value.string().trimmed();
                // SQL Server reads an empty text as its zero date.
                if (text.isEmpty()) return vb::wallClock(QDate(1900, 1, 1));
                if (auto d = vb::parseDate(text)) return *d;
                return fail();
            }
            return vb::CDate(value);
        }
        if (type == adBoolean) return vb::Variant(static_cast<long>(vb::CBool(value) ? 1 : 0));
        if (type == adCurrency) return vb::CCur(value);
        if (isIntegerType(type)) {
            const double d = vb::CDbl(value);
            if (type == adBigInt) return vb::Variant(static_cast<long long>(std::llround(d)));
            if (type == adSmallInt || type == adUnsignedTinyInt) return vb::CInt(value);
            return vb::CLng(value);
        }
        if (isNumberType(type)) return vb::CDbl(value);
        if (isTextType(type)) return value.isString() ? value : vb::Variant(vb::CStr(value));
        return value;
    } catch (const vb::VbError& e) {
        if (e.Number == err::MultipleStepErrors) throw;
        return fail();
    }
}

}  // namespace ado
