#include "tests/platform/reportengine/report_services.h"

#include "platform/reportengine/adodatasource.h"

namespace zxtest {

ScopedReportServices::ScopedReportServices() : previous_(reportengine::services()) {}

ScopedReportServices::~ScopedReportServices() {
    reportengine::services() = previous_;
}

void ScopedReportServices::readThroughAdo(
    std::function<QString(const reportengine::Logon&)> connection) {
    reportengine::services().openData =
        [connection](
            const reportengine::Logon& logon) -> std::unique_ptr<reportengine::DataSource> {
        return std::make_unique<reportengine::AdoDataSource>(connection(logon));
    };
}

}  // namespace zxtest
