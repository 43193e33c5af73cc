#include "tests/platform/reportengine/laid_out.h"

namespace zxtest {

LaidOutReport layOut(const reportengine::ReportDocument& document) {
    reportengine::PagedReport paged(document);
    LaidOutReport out;
    out.title = paged.title();
    out.width = paged.width();
    out.height = paged.height();
    const int pages = paged.pageCount();
    for (int i = 0; i < pages; ++i) out.pages.append(paged.page(i));
    return out;
}

}  // namespace zxtest
