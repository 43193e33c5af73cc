#include "tests/support/work_table_world.h"

#include "core/globals.h"
#include "db/db_dll.h"

namespace zxtest {

WorkTableWorld::WorkTableWorld(const QString& computer, const QString& user)
    : locale_(QLocale(QLocale::Spanish, QLocale::Argentina)) {
    setStation(computer, user);
}

WorkTableWorld::~WorkTableWorld() {
    if (gDB().gCnn.State() == ado::adStateOpen) gDB().gCnn.Close();
    gDB().gCnn.errors().Clear();
    gDB().gOpenFlag = false;
    gDB().gConnString.clear();
    ModGlobal::gSeccionIni.clear();
}

void WorkTableWorld::config(const QString& clave, const QString& valor) {
    QString v = valor;
    v.replace(u'\'', QStringLiteral("''"));
    data.exec(QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('%1', '%2')")
                  .arg(clave, v));
}

void WorkTableWorld::setStation(const QString& computer, const QString& user) {
    station_.reset();
    station_ = std::make_unique<FixedStation>(computer, user);
    ModGlobal::gSeccionIni = (computer.toUpper() + u'|' + user.toUpper()).left(50);
}

QString WorkTableWorld::dumpWorkTable(std::span<const char* const> names) const {
    QStringList columns;
    for (const char* c : names) columns.append(QString::fromLatin1(c));
    QString out = QStringLiteral(
        "# AUX_MV_CPTE in ID order, one block per row; Null columns are left out\n");
    int n = 0;
    for (const QStringList& row : data.rows(QStringLiteral("SELECT ") + columns.join(u',') +
                                            QStringLiteral(" FROM AUX_MV_CPTE ORDER BY ID"))) {
        out += QStringLiteral("\n[%1]\n").arg(++n);
        for (qsizetype i = 0; i < row.size(); ++i)
            if (!row[i].isNull()) out += columns[i] + u' ' + visible(row[i]) + u'\n';
    }
    return out;
}

void WorkTableWorld::load(const QString& sqlFile) {
    data.exec(QString::fromUtf8(readFile(sourcePath(sqlFile))));
}

void WorkTableWorld::openDatabase() {
    gDB().gServidor = QStringLiteral("sqlite:") + data.folder();
    gDB().gDBName = TestDatabase::mainName;
    gDB().gUsuario = QStringLiteral("sa");
    gDB().gUserPassWord = QStringLiteral("sa");
    gDB().OpenServerADODB(false, ado::adUseClient, QString(), false, false);
}

QString visible(const QString& value) {
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'"')
            out += QStringLiteral("\\\"");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else
            out += c;
    }
    return out + u'"';
}

}  // namespace zxtest
