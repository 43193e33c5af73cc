#include "platform/reportengine/adodatasource.h"

#include "platform/ado/ado.h"
#include "platform/reportengine/errors.h"
#include "platform/reportengine/sqlcondition.h"

namespace reportengine {

namespace {

ColumnKind kindOf(long type) {
    switch (type) {
        case ado::adBSTR:
        case ado::adChar:
        case ado::adWChar:
        case ado::adVarChar:
        case ado::adLongVarChar:
        case ado::adVarWChar:
        case ado::adLongVarWChar:
            return ColumnKind::Text;
        case ado::adSmallInt:
        case ado::adInteger:
        case ado::adSingle:
        case ado::adDouble:
        case ado::adCurrency:
        case ado::adDecimal:
        case ado::adTinyInt:
        case ado::adBigInt:
        case ado::adNumeric:
            return ColumnKind::Number;
        case ado::adDate:
        case ado::adDBDate:
        case ado::adDBTimeStamp:
            return ColumnKind::Date;
        default:
            return ColumnKind::Other;
    }
}

}  // namespace

AdoDataSource::AdoDataSource(const QString& connectionString)
    : connection_(std::make_unique<ado::Connection>()) {
    connection_->setCursorLocation(ado::adUseClient);
    connection_->Open(connectionString);
}

AdoDataSource::~AdoDataSource() {
    if (connection_->State() == ado::adStateOpen) connection_->Close();
}

QList<Column> AdoDataSource::describe(const QString& table) {
    ado::Recordset rs = connection_->Execute(
        QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(quoteTable(table)));
    QList<Column> columns;
    for (long i = 0; i < rs.FieldCount(); ++i) {
        const ado::Field f = rs.Fields(i);
        columns.append({f.Name(), kindOf(f.Type())});
    }
    return columns;
}

void AdoDataSource::select(const QString& sql, const QList<vb::Variant>& parameters,
                           const std::function<void(const QList<vb::Variant>&)>& onRow) {
    // Row by row as the engine reads them: a report's rows are kept once, by the report. One
    // list carries every row's values.
    QList<vb::Variant> values;
    connection_->ExecuteEach(sql, parameters, [&](const ado::Row& row) {
        values.clear();
        for (long c = 0; c < row.count(); ++c) values.append(row.value(c));
        onRow(values);
    });
}

}  // namespace reportengine
