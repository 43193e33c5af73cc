#include "db/origen_reportes.h"

#include "db/connection_string.h"
#include "db/db_dll.h"
#include "platform/reportengine/adodatasource.h"

namespace dbreportes {

QString cadenaConexion(const reportengine::Logon& logon) {
    const DB_Dll& db = gDB();
    const QString base = logon.database.trimmed();
    if (base.isEmpty() || base.compare(db.gDBName.trimmed(), Qt::CaseInsensitive) == 0)
        return db.gConnString;
    using connstr::quote;
    return QStringLiteral("PROVIDER=") + db.pSQLOLEDB() + QStringLiteral(";Server=") +
           quote(db.gServidor) + QStringLiteral(";Database =") + quote(base) +
           QStringLiteral(";UId=") + quote(logon.user) + QStringLiteral(";Pwd=") +
           quote(logon.password) + u';';
}

std::unique_ptr<reportengine::DataSource> abreDatos(const reportengine::Logon& logon) {
    return std::make_unique<reportengine::AdoDataSource>(cadenaConexion(logon));
}

}  // namespace dbreportes
