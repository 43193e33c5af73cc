#pragma once

#include "platform/shell/desktop.h"

#include <QList>
#include <QUrl>

namespace zxtest {

// Stands in for the desktop while it lives: files and web links that the code opens with
// their default program (shell::openWithAssociated) are recorded here instead of being opened.
class OpenedLinks {
public:
    OpenedLinks();
    ~OpenedLinks();
    OpenedLinks(const OpenedLinks&) = delete;
    OpenedLinks& operator=(const OpenedLinks&) = delete;

    const QList<QUrl>& urls() const { return urls_; }

private:
    QList<QUrl> urls_;
    shell::Opener previous_;
};

}  // namespace zxtest
