// The report form reader and the layout: any bytes read as a form or are refused with the
// engine's error; a form read once writes out and reads back the same, and lays out.

#include "platform/reportengine/document.h"
#include "platform/reportengine/layout.h"
#include "platform/reportengine/reportform.h"
#include "tests/fuzz/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zxfuzz::ensureGuiApp();
    const QByteArray xml(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    zxfuzz::reads([&] {
        reportengine::ReportDocument document;
        document.form = reportengine::parseForm(xml, zxfuzz::folder());
        const QByteArray written = reportengine::formToXml(document.form);
        zxfuzz::check(reportengine::formToXml(reportengine::parseForm(written)) == written,
                      "a form written out reads back the same");
        for (const reportengine::FieldRef& f : document.form.fields())
            document.data.columns.append({f.column, reportengine::ColumnKind::Text});
        for (int i = 0; i < 3; ++i)
            document.data.rows.append(QList<vb::Variant>(
                document.data.columns.size(),
                vb::Variant(QStringLiteral("41,42,43,44,45,46,47,48,49,50 Ñandú"))));
        reportengine::PagedReport paged(document);
        for (int i = 0, pages = paged.pageCount(); i < pages; ++i) paged.page(i);
    });
    return 0;
}
