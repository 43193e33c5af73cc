#include "platform/ado/backend.h"

namespace ado {

namespace {

const QString kCursorSource = QStringLiteral("ADODB.Recordset");

}  // namespace

Cursor::~Cursor() = default;

bool Cursor::next() {
    row_.cells.clear();
    row_.keys.clear();
    if (ended_) return false;
    if (fetch(row_)) {
        if (watching_) {
            readAny_ = true;
            if (unseen_ > 0) noteValues();
        }
        return true;
    }
    row_.cells.clear();
    ended_ = true;
    return false;
}

ResultSet Cursor::readAll() {
    ResultSet rows;
    rows.columns = row_.columns;
    if (!ended_) {
        fetchAll(rows);
        ended_ = true;
        complete(rows);
    }
    row_.cells.clear();
    row_.keys.clear();
    return rows;
}

void Cursor::watchValues() {
    watching_ = true;
    unseen_ = row_.columnCount();
    firstValues_.assign(static_cast<size_t>(unseen_), vb::Variant::null());
}

void Cursor::noteValues() {
    for (size_t i = 0; i < firstValues_.size(); ++i) {
        if (!firstValues_[i].isNull()) continue;
        vb::Variant v = row_.cells.value(i);
        if (v.isNull()) continue;
        firstValues_[i] = std::move(v);
        --unseen_;
    }
}

QList<Column> Cursor::describedColumns() {
    ResultSet rows;
    rows.columns = row_.columns;
    if (readAny_) rows.appendRow(firstValues_);
    complete(rows);
    return rows.columns;
}

void Cursor::fetchAll(ResultSet& rows) {
    while (fetch(rows)) {
    }
}

void Cursor::complete(ResultSet&) {}

void Cursor::raiseNoRow() {
    raiseAdo(err::NoCurrentRecord, kCursorSource);
}

void Cursor::raiseNoSuchColumn() {
    raiseAdo(err::ItemNotFound, kCursorSource);
}

Backend::~Backend() = default;
// An engine without such a setting keeps its own way (SQLite has no isolation levels).
void Backend::setCommandTimeout(long) {}
void Backend::setIsolationLevel(long) {}

BatchOutcome Backend::execute(const QString& batch, const QList<vb::Variant>& parameters) {
    const std::unique_ptr<Cursor> cursor = start(batch, parameters);
    ResultSet rows = cursor->readAll();
    BatchOutcome out = cursor->finish();
    out.result = std::move(rows);
    return out;
}

ResultSet schemaShape(long schema) {
    ResultSet rs;
    const auto column = [&rs](const char* name, long type, long size) {
        rs.columns << Column{QString::fromLatin1(name), type, size, {}};
    };
    column("TABLE_CATALOG", adVarWChar, 128);
    column("TABLE_SCHEMA", adVarWChar, 128);
    column("TABLE_NAME", adVarWChar, 128);
    if (schema == adSchemaTables) {
        column("TABLE_TYPE", adVarWChar, 32);
        column("TABLE_GUID", adVarWChar, 38);
        column("DESCRIPTION", adVarWChar, 255);
        return rs;
    }
    column("COLUMN_NAME", adVarWChar, 128);
    column("ORDINAL_POSITION", adInteger, 4);
    column("COLUMN_HASDEFAULT", adBoolean, 2);
    column("COLUMN_DEFAULT", adVarWChar, 255);
    column("IS_NULLABLE", adBoolean, 2);
    column("DATA_TYPE", adSmallInt, 2);
    column("CHARACTER_MAXIMUM_LENGTH", adInteger, 4);
    column("NUMERIC_PRECISION", adSmallInt, 2);
    column("NUMERIC_SCALE", adSmallInt, 2);
    return rs;
}

bool refuseNul(const QString& text, BatchOutcome& out) {
    const qsizetype at = text.indexOf(QChar(u'\0'));
    if (at < 0) return true;
    out.failed = true;
    out.errors << sqlServerError(
        102, QStringLiteral("Incorrect syntax near a NUL character at position %1.").arg(at + 1));
    return false;
}

bool restricts(const QList<vb::Variant>& criteria, int index) {
    if (index >= criteria.size()) return false;
    const vb::Variant& v = criteria[index];
    if (v.isEmpty() || v.isNull()) return false;
    return !(v.isString() && v.string().isEmpty());
}

}  // namespace ado
