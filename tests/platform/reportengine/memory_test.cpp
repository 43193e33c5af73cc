#include "tests/support/test_database.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

// The peak memory of the mail output's road (report, saved report, PDF) for the first `rows`
// rows, in a child process of its own; nothing when the child fails.
std::optional<long> peakKilobytes(const zxtest::TestDatabase& db, int rows) {
    QProcess child;
    // Under AddressSanitizer, freed memory would be held back and counted as the report's.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) +
                           QStringLiteral(":quarantine_size_mb=0"));
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral(ZX_BINARY_DIR "/tests/reportengine_peak"),
                {db.folder(), QString::number(rows)});
    // A bound only against a child that hangs: under the sanitizers on a loaded machine the
    // large report takes minutes.
    if (!child.waitForFinished(900000) || child.exitCode() != 0) {
        ADD_FAILURE() << child.readAllStandardError().toStdString();
        return std::nullopt;
    }
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    EXPECT_EQ(figures.value(0).toInt(), rows);
    return figures.value(1).toLong();
}

// A report holds its rows compactly and never more than a page laid out: ten times the rows
// take far less than ten times the memory, well under a kilobyte a row more. Each size runs in
// a child of its own, so that its peak is its own.
TEST(ReportMemoryTest, TenTimesTheRowsDoNotTakeTenTimesTheMemory) {
    zxtest::TestDatabase db;
    db.exec(QStringLiteral(
        "WITH n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
        "INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, sql, PC, Usuario) "
        "SELECT 'GrabaComprobante' || (i % 12), datetime('2026-01-01', '+' || (i * 15) || "
        "' seconds'), (i % 8) * 1000 + 208, 'No se pudo grabar el comprobante ' || i, "
        "'UPDATE MA_CUENTAS SET SALDO = SALDO + 1 WHERE CODIGO = ''' || (i % 977) || '''', "
        "'CAJA' || (i % 9), 'VENDEDOR' || (i % 15) FROM n"));
    const std::optional<long> small = peakKilobytes(db, 10000);
    const std::optional<long> large = peakKilobytes(db, 100000);
    ASSERT_TRUE(small && large);
    EXPECT_LT(*large, 10 * *small);
    EXPECT_LT((*large - *small) * 1024.0 / 90000, 1024) << *small << " KB, then " << *large;
}

}  // namespace
