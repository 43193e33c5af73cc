#pragma once

#include "platform/vb/variant.h"

#include <QString>

namespace ado {

// A column's declared type (SQL Server's or SQLite's spelling) as ADO describes it.
struct DeclaredType {
    long type = 0;         // DataType; adEmpty when nothing was declared (an expression)
    long definedSize = 0;  // characters for text, bytes otherwise
    int scale = -1;        // decimals of NUMERIC(p,s); -1 when none was declared
};

// "VARCHAR(50)" gives adVarChar 50, "INTEGER" adInteger, "MONEY" adCurrency, "DATETIME"
// adDBTimeStamp, "BIT" adBoolean, "BLOB" adLongVarBinary; "TEXT" without a size gives 255.
DeclaredType declaredType(const QString& declaration);

bool isTextType(long type);
bool isDateType(long type);
bool isIntegerType(long type);
// Whole and fractional number types, Currency and Boolean excluded.
bool isNumberType(long type);
bool isBinaryType(long type);

// The value a field of `type` takes when `value` is assigned to it, converted as ADO converts
// (texts read with the program's locale, dates day first). Raises ADO's -2147217887 when the
// value does not convert.
vb::Variant convertForColumn(const vb::Variant& value, long type);

// The number of decimals a NUMERIC value keeps when none were declared.
constexpr int kDefaultScale = 4;

}  // namespace ado
