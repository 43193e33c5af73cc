#include "tests/platform/reportengine/pdf_text.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace zxtest {

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(30000)) << "pdftotext (poppler-utils) must be installed";
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace zxtest
