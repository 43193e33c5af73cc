#include "platform/vb/steps.h"

namespace vb {

ErrorHandler silentHandler() {
    return [](const VbError&) { return static_cast<int>(vbIgnore); };
}

bool Steps::operator()(const std::function<void()>& step) {
    if (left_) return false;
    for (;;) {
        try {
            step();
            return true;
        } catch (const ExitProcedure&) {
            left_ = true;
            return false;
        } catch (const VbError& e) {
            lastError_ = e;
            lastAnswer_ = handler_ ? handler_(e) : static_cast<int>(vbAbort);
            if (lastAnswer_ == vbRetry) continue;
            if (lastAnswer_ == vbIgnore) return false;
            left_ = true;
            return false;
        }
    }
}

bool runSteps(const ErrorHandler& handler, std::initializer_list<std::function<void()>> steps) {
    Steps s(handler);
    for (const auto& step : steps) s(step);
    return !s.left();
}

}  // namespace vb
