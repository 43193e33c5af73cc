#include "platform/ado/qtconnections.h"

#include <atomic>
#include <cstdlib>

namespace ado {

namespace {
std::atomic<bool> ending{false};
std::atomic<bool> watching{false};
}  // namespace

bool qtConnectionsUsable() {
    return !ending.load();
}

void qtConnectionAdded() {
    // Registered after Qt's list exists, so this runs before the list is destroyed.
    if (!watching.exchange(true)) std::atexit([] { ending.store(true); });
}

}  // namespace ado
