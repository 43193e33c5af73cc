#pragma once

#include <QAbstractItemModel>
#include <QAbstractItemModelTester>

#include <memory>

namespace zxtest {

// Checks `model` by Qt's rules for item models now and after each of its changes, while the
// checker lives; a broken rule ends the test program at once, naming the rule (Qt's Fatal
// mode). Let it go before the window that shows the model: a view's own end clears its model.
[[nodiscard]] inline std::unique_ptr<QAbstractItemModelTester> checkModel(
    QAbstractItemModel* model) {
    return std::make_unique<QAbstractItemModelTester>(
        model, QAbstractItemModelTester::FailureReportingMode::Fatal);
}

}  // namespace zxtest
