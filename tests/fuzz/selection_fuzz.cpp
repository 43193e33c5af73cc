// The record-selection language: any text parses or is refused with a formula error, and a
// parsed formula evaluates on rows of texts, numbers, dates and Nulls.

#include "platform/reportengine/selection.h"
#include "tests/fuzz/fuzz.h"

#include <QDateTime>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = zxfuzz::utf8(data, size);
    zxfuzz::reads([&] {
        reportengine::Selection selection = reportengine::Selection::parse(text);
        const QList<reportengine::FieldRef> fields = selection.fields();
        selection.bind(
            [&](const reportengine::FieldRef& f) { return static_cast<int>(fields.indexOf(f)); });
        const QList<QList<vb::Variant>> rows = {
            QList<vb::Variant>(fields.size(), vb::Variant::null()),
            QList<vb::Variant>(fields.size(), vb::Variant(QStringLiteral("Ñandú  "))),
            QList<vb::Variant>(fields.size(), vb::Variant(42.5)),
            QList<vb::Variant>(fields.size(),
                               vb::Variant(vb::wallClock(QDate(2026, 12, 9), QTime(10, 5)))),
        };
        for (const auto& row : rows) selection.matches(row);
    });
    return 0;
}
