#include "tests/support/opened_links.h"

namespace zxtest {

OpenedLinks::OpenedLinks()
    : previous_(shell::setOpener([this](const QUrl& url) {
          urls_.append(url);
          return true;
      })) {}

OpenedLinks::~OpenedLinks() {
    shell::setOpener(std::move(previous_));
}

}  // namespace zxtest
