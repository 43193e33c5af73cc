#include "tests/platform/reportengine/pdf_text.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zxtest {

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(30000)) << "pdftotext (poppler-utils) must be installed";
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QByteArray pdfPageImage(const QString& pdf, int page, int dotsPerInch) {
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-png"), QStringLiteral("-singlefile"), QStringLiteral("-r"),
             QString::number(dotsPerInch), QStringLiteral("-f"), QString::number(page),
             QStringLiteral("-l"), QString::number(page), pdf, prefix});
    EXPECT_TRUE(p.waitForFinished(30000)) << "pdftoppm (poppler-utils) must be installed";
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QFile image(prefix + QStringLiteral(".png"));
    if (!image.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "pdftoppm wrote no image";
        return {};
    }
    return image.readAll();
}

}  // namespace zxtest
