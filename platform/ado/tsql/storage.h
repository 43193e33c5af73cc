#pragma once

#include <QStringView>

struct sqlite3_context;
struct sqlite3_value;

// SQL Server's conversions of a value for a column of a declared type (and for CONVERT to such
// a type): what it stores, and the error it gives for what it refuses.
namespace tsql {

// A declared type as far as storing into it goes, by SQL Server's names and SQLite's own
// (INTEGER an int, REAL a real, TEXT a text of no set length).
struct StorageType {
    enum class Kind {
        Unchecked,  // dates (converted on their own road), binaries, anything else
        TinyInt,
        SmallInt,
        Int,
        BigInt,
        Numeric,
        Money,
        SmallMoney,
        Float,
        Real,
        Bit,
        Text,
    };
    Kind kind = Kind::Unchecked;
    long long length = 0;  // UTF-16 code units a text holds; 0 for no set length
    int precision = 18;    // of NUMERIC(p, s)
    int scale = 0;
    bool national = false;  // NCHAR, NVARCHAR, NTEXT

    bool isNumber() const { return kind != Kind::Unchecked && kind != Kind::Text; }
};

StorageType storageType(QStringView declared);

// Sets as the result of `ctx` the value SQL Server makes of `value` for the number type `type`
// (a column's or CONVERT's), or SQL Server's error when it does not convert or fit.
void resultNumber(sqlite3_context* ctx, sqlite3_value* value, const StorageType& type);

// tsql_store('type', x): x as a column of that declared type takes it, converted as SQL Server
// converts it (a text past a text's length refused unless only blanks are cut); SQL Server's
// error when it does not convert or fit. Null goes in as it is.
void storeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv);

}  // namespace tsql
