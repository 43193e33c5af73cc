#pragma once

#include "platform/reportengine/engine.h"

#include <QString>

#include <functional>

namespace zxtest {

// The report engine's services as a test sets them, put back as they were when it ends.
class ScopedReportServices {
public:
    ScopedReportServices();
    ~ScopedReportServices();
    ScopedReportServices(const ScopedReportServices&) = delete;
    ScopedReportServices& operator=(const ScopedReportServices&) = delete;

    // Reports read their data through ado, on the connection string `connection` makes of
    // each logon.
    void readThroughAdo(std::function<QString(const reportengine::Logon&)> connection);

private:
    reportengine::Services previous_;
};

}  // namespace zxtest
