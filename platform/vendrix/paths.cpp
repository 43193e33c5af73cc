#include "platform/vendrix/paths.h"

#include "platform/vb/app.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/clsutil.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace vendrix {

QString findFileIgnoringCase(const QString& path) {
    QString result = path;
    result.replace(u'\\', u'/');
    if (result.isEmpty() || QFileInfo::exists(result)) return result;
    // Component by component, so a folder written in another case is found too.
    const bool absolute = result.startsWith(u'/');
    QString found = absolute ? QString() : QStringLiteral(".");
    for (const QString& part : result.split(u'/', Qt::SkipEmptyParts)) {
        const QString exact = found + u'/' + part;
        if (QFileInfo::exists(exact)) {
            found = exact;
            continue;
        }
        const QStringList names =
            QDir(found.isEmpty() ? QStringLiteral("/") : found)
                .entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        const auto match = std::find_if(names.begin(), names.end(), [&](const QString& n) {
            return n.compare(part, Qt::CaseInsensitive) == 0;
        });
        if (match == names.end()) return result;
        found += u'/' + *match;
    }
    return absolute ? found : found.mid(2);
}

QString programFile(const QString& name) {
    QString result = name;
    result.replace(u'\\', u'/');
    if (QFileInfo(result).isRelative()) result = QDir(vb::App().Path).filePath(result);
    return findFileIgnoringCase(result);
}

QString temporaryFolder() {
    QString carpeta;
    if (!qEnvironmentVariable("temp").isEmpty()) carpeta = vb::Trim(qEnvironmentVariable("tmp"));
    if (carpeta.isEmpty()) carpeta = gSistema().CarpetaTemporal();
    return gUtil().BarraFinal(carpeta);
}

}  // namespace vendrix
