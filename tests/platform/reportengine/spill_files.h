#pragma once

#include "platform/reportengine/rows.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <optional>

// The temporary file the rows of a large report go to, as a test sees it from outside.
namespace retest {

// The report's temporary folder pointed at a folder of its own ("temp" set, so "tmp" is the
// folder used), and a row memory budget that small reports go past, while it lives.
class SpillFolder {
public:
    explicit SpillFolder(qsizetype budget = 16 * 1024, const QString& folder = QString());
    ~SpillFolder();
    SpillFolder(const SpillFolder&) = delete;
    SpillFolder& operator=(const SpillFolder&) = delete;

    QString path() const { return path_; }
    // The names the folder holds (the report's file has none there).
    QStringList names() const;
    // The mode (0600…) of each file this process holds open in the folder.
    QList<int> openFiles() const;

private:
    QTemporaryDir dir_;
    QString path_;
    std::optional<QByteArray> temp_, tmp_;
    qsizetype budget_;
};

}  // namespace retest
