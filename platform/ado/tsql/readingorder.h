#pragma once

struct sqlite3;

namespace tsql {

// Registers on `db` the function tsql_readingorder('table', 'column'): 1 when the rows of the
// table ordered by the date column itself already come in the order of its readings
// (tsql_sortkey: Null first, every value a date-time that sorts where its reading does), and
// an index of the table begins with that column, so that the translator may leave the order
// to the index; 0 otherwise. Each answer reads the whole column once and is kept until the
// database changes, by this connection or another. Returns SQLite's result code.
int registerReadingOrder(sqlite3* db);

}  // namespace tsql
