#include "tests/platform/reportengine/spill_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace retest {

namespace {

std::optional<QByteArray> variable(const char* name) {
    if (!qEnvironmentVariableIsSet(name)) return std::nullopt;
    return qgetenv(name);
}

void restore(const char* name, const std::optional<QByteArray>& value) {
    if (value)
        qputenv(name, *value);
    else
        qunsetenv(name);
}

}  // namespace

SpillFolder::SpillFolder(qsizetype budget, const QString& folder)
    : path_(folder.isEmpty() ? dir_.path() : folder),
      temp_(variable("temp")),
      tmp_(variable("tmp")),
      budget_(reportengine::setRowMemoryBudget(budget)) {
    qputenv("temp", "x");
    qputenv("tmp", QFile::encodeName(path_));
}

SpillFolder::~SpillFolder() {
    reportengine::setRowMemoryBudget(budget_);
    restore("temp", temp_);
    restore("tmp", tmp_);
}

QStringList SpillFolder::names() const {
    return QDir(path_).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                 QDir::NoDotAndDotDot);
}

QList<int> SpillFolder::openFiles() const {
    QList<int> modes;
    const QString folder = QFileInfo(path_).canonicalFilePath() + u'/';
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : descriptors.entryList(QDir::AllEntries | QDir::System)) {
        const QByteArray link = QFile::encodeName(descriptors.filePath(fd));
        char target[4096];
        const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
        if (n <= 0 || !QFile::decodeName(QByteArray(target, n)).startsWith(folder)) continue;
        struct stat st {};
        if (::stat(link.constData(), &st) == 0 && S_ISREG(st.st_mode))
            modes.append(static_cast<int>(st.st_mode & 07777));
    }
    return modes;
}

}  // namespace retest
