#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

namespace zxtest {

// Stands in for the desktop while it lives: files and web links that the code opens with
// their default program (QDesktopServices) are recorded here instead of being opened.
class OpenedLinks : public QObject {
    Q_OBJECT
public:
    OpenedLinks();
    ~OpenedLinks() override;

    const QList<QUrl>& urls() const { return urls_; }

public slots:
    void open(const QUrl& url);

private:
    QList<QUrl> urls_;
};

}  // namespace zxtest
