#pragma once

#include <QString>

namespace ado {
class Recordset;
}

namespace zxbench {

// Where the benchmark databases are kept between runs: $ZX_BENCH_DIR, else "zentrik-bench"
// in the temporary folder.
QString folder();

// The file of the database `name` in that folder.
QString databaseFile(const QString& name);

// Builds the database `name` once, from the schema and a million AUX_ERR rows, the i-th
// (counted from `first`) made of `values`: the expressions of Proceso, fecha, Error,
// Descripcion, sql, PC and Usuario over i. Ends the program when it cannot.
void ensureErrorLog(const QString& name, int first, const QString& values);

// Builds the database `name` once, from the schema and rows `first` to `last` of `table`:
// the i-th made of `values`, the expressions of `columns` over i. It lets in the login "sa"
// with an empty password.
void ensureRows(const QString& name, const QString& table, const QString& columns, int first,
                int last, const QString& values);

// Reads every value of every row of an open recordset, as a report or a grid would, and
// closes it; the number of rows read.
long readEveryValue(ado::Recordset& rs);

// Builds the database `name` once, from the schema and `rows` AUX_ERR rows like the ones the
// suite's programs log: one every 15 seconds from 1 January 2025, eight error numbers in turn
// ((i % 8) * 1000 + 208), a process, workstation and user of a few dozen each, a description
// of 4 to 40 words and an SQL text of 1 to 4 lines (CR LF between them), the same for the same
// i on every run.
void ensureRealisticErrorLog(const QString& name, int rows);

}  // namespace zxbench
