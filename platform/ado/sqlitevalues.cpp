#include "platform/ado/sqlitevalues.h"

#include "platform/ado/tsql/datetime.h"
#include "platform/vb/dategrammars.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace ado {

namespace {

void appendInteger(Cells& cells, sqlite3_int64 v) {
    if (v >= std::numeric_limits<std::int32_t>::min() &&
        v <= std::numeric_limits<std::int32_t>::max())
        cells.appendInt32(static_cast<std::int32_t>(v));
    else
        cells.appendInt64(v);
}

double roundTo(double v, int scale) {
    static const double kPowers[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
    const double f = scale >= 0 && scale <= 10 ? kPowers[scale] : std::pow(10.0, scale);
    return std::round(v * f) / f;
}

// Whether the text has the shape of a stored date ("YYYY-MM-DD..."), checked without making
// the date.
bool looksLikeDate(const char* t, int n) {
    return (n == 10 || n >= 16) && t[4] == '-' && t[7] == '-' && t[0] >= '0' && t[0] <= '9' &&
           (n == 10 || t[10] == ' ' || t[10] == 'T');
}

}  // namespace

ReadColumn readFor(const DeclaredType& t) {
    switch (t.type) {
        case adEmpty:
            return {Read::Expr};
        case adInteger:
            return {Read::Int32};
        case adSmallInt:
        case adUnsignedTinyInt:
        case adTinyInt:
            return {Read::Int16};
        case adBigInt:
            return {Read::Int64};
        case adNumeric:
        case adDecimal:
            return {Read::Numeric, t.scale < 0 ? kDefaultScale : t.scale};
        case adCurrency:
            return {Read::Currency};
        case adDouble:
        case adSingle:
            return {Read::Double};
        case adBoolean:
            return {Read::Bit};
        default:
            break;
    }
    if (isDateType(t.type)) return {Read::Date};
    if (isBinaryType(t.type)) return {Read::Blob};
    return {Read::Text};
}

QString textOf(sqlite3_stmt* stmt, int i) {
    const char* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
    return QString::fromUtf8(t, sqlite3_column_bytes(stmt, i));
}

void appendCell(Cells& cells, sqlite3_stmt* stmt, int i, const ReadColumn& c) {
    const int storage = sqlite3_column_type(stmt, i);
    if (storage == SQLITE_NULL) return cells.appendNull();
    switch (c.kind) {
        case Read::Text:
            if (storage == SQLITE_BLOB) break;
            return cells.appendText(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                    sqlite3_column_bytes(stmt, i));
        case Read::Int32:
        case Read::Int16:
        case Read::Int64:
            if (storage == SQLITE_INTEGER) {
                const sqlite3_int64 v = sqlite3_column_int64(stmt, i);
                if (c.kind == Read::Int16 && v >= -32768 && v <= 32767)
                    return cells.appendInt16(static_cast<std::int16_t>(v));
                if (c.kind == Read::Int64) return cells.appendInt64(v);
                return appendInteger(cells, v);
            }
            if (storage == SQLITE_FLOAT) return cells.appendDouble(sqlite3_column_double(stmt, i));
            break;
        case Read::Numeric:
            if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
                return cells.appendDouble(roundTo(sqlite3_column_double(stmt, i), c.scale));
            break;
        case Read::Currency:
            if (storage == SQLITE_INTEGER)
                return cells.appendCurrency(
                    vb::Currency::fromScaled(sqlite3_column_int64(stmt, i) * 10000));
            if (storage == SQLITE_FLOAT)
                return cells.appendCurrency(
                    vb::Currency::fromDouble(sqlite3_column_double(stmt, i)));
            if (storage == SQLITE_TEXT) {
                vb::Currency parsed;
                if (vb::Currency::parse(textOf(stmt, i).trimmed(), &parsed))
                    return cells.appendCurrency(parsed);
            }
            break;
        case Read::Double:
            if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
                return cells.appendDouble(sqlite3_column_double(stmt, i));
            break;
        case Read::Date:
            if (storage == SQLITE_TEXT) {
                return cells.appendText(
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                    sqlite3_column_bytes(stmt, i), true);
            }
            if (storage == SQLITE_INTEGER) {
                if (auto date = tsql::readCompactDate(sqlite3_column_int64(stmt, i)))
                    return cells.append(*date);
            }
            break;
        case Read::Bit:
            if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
                return cells.appendInt32(sqlite3_column_double(stmt, i) != 0 ? 1 : 0);
            break;
        case Read::Blob:
            if (storage == SQLITE_BLOB || storage == SQLITE_TEXT) {
                return cells.appendBytes(static_cast<const char*>(sqlite3_column_blob(stmt, i)),
                                         sqlite3_column_bytes(stmt, i));
            }
            break;
        case Read::Expr:
            if (storage == SQLITE_TEXT) {
                // An expression's date (getdate(), MAX of a date column) comes back as a date.
                const char* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                const int n = sqlite3_column_bytes(stmt, i);
                if (looksLikeDate(t, n) && vb::dates::readIso(t, n))
                    return cells.appendText(t, n, true);
                return cells.appendText(t, n);
            }
            break;
    }
    // A value SQLite stored in a type other than the column's: as it is.
    switch (storage) {
        case SQLITE_INTEGER:
            return appendInteger(cells, sqlite3_column_int64(stmt, i));
        case SQLITE_FLOAT:
            return cells.appendDouble(sqlite3_column_double(stmt, i));
        case SQLITE_BLOB:
            return cells.appendBytes(static_cast<const char*>(sqlite3_column_blob(stmt, i)),
                                     sqlite3_column_bytes(stmt, i));
        default:
            return cells.appendText(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                    sqlite3_column_bytes(stmt, i));
    }
}

void inferExpressionType(ResultSet& rs, long column) {
    Column& c = rs.columns[column];
    c.type = adVarChar;
    c.definedSize = 255;
    for (long r = 0; r < rs.rowCount(); ++r) {
        const vb::Variant v = rs.at(r, column);
        switch (v.type()) {
            case vb::Variant::Type::Null:
                continue;
            case vb::Variant::Type::Integer:
                c.type = adSmallInt;
                c.definedSize = 2;
                return;
            case vb::Variant::Type::Long:
                c.type = adInteger;
                c.definedSize = 4;
                return;
            case vb::Variant::Type::LongLong:
                c.type = adBigInt;
                c.definedSize = 8;
                return;
            case vb::Variant::Type::Double:
                c.type = adDouble;
                c.definedSize = 8;
                return;
            case vb::Variant::Type::Currency:
                c.type = adCurrency;
                c.definedSize = 8;
                return;
            case vb::Variant::Type::Date:
                c.type = adDBTimeStamp;
                c.definedSize = 16;
                return;
            case vb::Variant::Type::Bytes:
                c.type = adLongVarBinary;
                c.definedSize = 2147483647;
                return;
            default:
                return;
        }
    }
}

void bindValue(sqlite3_stmt* stmt, int index, const vb::Variant& v) {
    switch (v.type()) {
        case vb::Variant::Type::Empty:
        case vb::Variant::Type::Null:
            sqlite3_bind_null(stmt, index);
            break;
        case vb::Variant::Type::Boolean:
            sqlite3_bind_int(stmt, index, v.boolean() ? 1 : 0);
            break;
        case vb::Variant::Type::Integer:
        case vb::Variant::Type::Long:
        case vb::Variant::Type::LongLong:
            sqlite3_bind_int64(stmt, index, static_cast<sqlite3_int64>(v.wholeNumber()));
            break;
        case vb::Variant::Type::Currency: {
            const std::int64_t scaled = v.currency().scaled();
            if (scaled % 10000 == 0)
                sqlite3_bind_int64(stmt, index, scaled / 10000);
            else
                sqlite3_bind_double(stmt, index, v.currency().toDouble());
            break;
        }
        case vb::Variant::Type::Double:
            sqlite3_bind_double(stmt, index, v.number());
            break;
        case vb::Variant::Type::Date: {
            const QByteArray text = tsql::storedText(v.date()).toUtf8();
            sqlite3_bind_text(stmt, index, text.constData(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT);
            break;
        }
        case vb::Variant::Type::Bytes:
            sqlite3_bind_blob(stmt, index, v.bytes().constData(),
                              static_cast<int>(v.bytes().size()), SQLITE_TRANSIENT);
            break;
        default: {
            const QByteArray text = v.string().toUtf8();
            sqlite3_bind_text(stmt, index, text.constData(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT);
            break;
        }
    }
}

}  // namespace ado
