#include "platform/ado/backend.h"

namespace ado {

Backend::~Backend() = default;
// An engine without such a setting keeps its own way (SQLite has no isolation levels).
void Backend::setCommandTimeout(long) {}
void Backend::setIsolationLevel(long) {}

BatchOutcome Backend::execute(const QString& batch, const QList<vb::Variant>& parameters) {
    if (parameters.isEmpty()) return execute(batch);
    BatchOutcome out;
    out.failed = true;
    out.errors << Error{err::MissingParameter,
                        QStringLiteral("This provider does not take parameter values."),
                        sqlServerSource(), QStringLiteral("07002"), 0};
    return out;
}

BatchOutcome Backend::stream(const QString& batch, const QList<vb::Variant>& parameters,
                             const RowSink& sink) {
    sink_ = &sink;
    sinkError_ = nullptr;
    BatchOutcome out;
    try {
        out = execute(batch, parameters);
    } catch (...) {
        sink_ = nullptr;
        throw;
    }
    sink_ = nullptr;
    if (sinkError_) std::rethrow_exception(std::exchange(sinkError_, nullptr));
    if (out.result.rowCount() > 0) {
        ResultSet row;
        row.columns = out.result.columns;
        for (long r = 0; r < out.result.rowCount(); ++r) {
            for (long c = 0; c < out.result.columnCount(); ++c)
                row.cells.append(out.result.at(r, c));
            sink(row);
            row.cells.clear();
        }
        out.result.cells.clear();
    }
    return out;
}

bool Backend::handRow(ResultSet& rows) {
    if (sinkError_) return false;
    try {
        (*sink_)(rows);
    } catch (...) {
        sinkError_ = std::current_exception();
    }
    rows.cells.clear();
    return !sinkError_;
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
