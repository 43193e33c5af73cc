#include "platform/vb/app.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace vb {

namespace {
std::function<void(int)>& endHandler() {
    static std::function<void(int)> h = [](int status) {
        std::fflush(nullptr);
        std::exit(status);
    };
    return h;
}
}  // namespace

AppInfo& App() {
    static AppInfo info = [] {
        AppInfo a;
        if (QCoreApplication::instance()) {
            a.Path = QCoreApplication::applicationDirPath();
            a.EXEName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        }
        a.Title = a.EXEName;
        return a;
    }();
    return info;
}

void End(int status) { endHandler()(status); }

std::function<void(int)> setEndHandler(std::function<void(int)> handler) {
    return std::exchange(endHandler(), std::move(handler));
}

}  // namespace vb
