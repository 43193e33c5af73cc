#include "platform/vendrix/paths.h"

#include "platform/vb/app.h"

#include <QDir>
#include <QFileInfo>

namespace vendrix {

QString findFileIgnoringCase(const QString& path) {
    QString result = path;
    result.replace(u'\\', u'/');
    const QFileInfo info(result);
    if (result.isEmpty() || info.exists()) return result;
    const QDir folder = info.dir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& entry : names) {
        if (entry.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            return folder.filePath(entry);
    }
    return result;
}

QString programFile(const QString& name) {
    QString result = name;
    result.replace(u'\\', u'/');
    if (QFileInfo(result).isRelative()) result = QDir(vb::App().Path).filePath(result);
    return findFileIgnoringCase(result);
}

}  // namespace vendrix
