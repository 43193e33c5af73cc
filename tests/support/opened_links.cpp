#include "tests/support/opened_links.h"

#include <QDesktopServices>

namespace zxtest {

namespace {
const char* const kSchemes[] = {"file", "http", "https", "mailto"};
}  // namespace

OpenedLinks::OpenedLinks() {
    for (const char* scheme : kSchemes) QDesktopServices::setUrlHandler(scheme, this, "open");
}

OpenedLinks::~OpenedLinks() {
    for (const char* scheme : kSchemes) QDesktopServices::unsetUrlHandler(scheme);
}

void OpenedLinks::open(const QUrl& url) {
    urls_.append(url);
}

}  // namespace zxtest
