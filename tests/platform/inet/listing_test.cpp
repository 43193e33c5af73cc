#include "platform/inet/ftp.h"
#include "tests/support/fixtures.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace {

std::uint64_t fileTime(const QDateTime& utc) {
    return static_cast<std::uint64_t>(utc.toMSecsSinceEpoch() + 11644473600000LL) * 10000;
}

struct Line {
    const char* name;
    QByteArray text;
    QString fileName;  // empty: the line gives no entry
    std::uint32_t attributes;
    std::uint64_t size;
    QDateTime written;
};

// What one listing line gave against what the case expects of it.
void expectEntryOf(const Line& l, const QList<inet::FindData>& entries) {
    SCOPED_TRACE(l.name);
    if (l.fileName.isEmpty()) {
        EXPECT_TRUE(entries.isEmpty());
        return;
    }
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].fileName, l.fileName);
    EXPECT_EQ(entries[0].attributes, l.attributes);
    EXPECT_EQ(entries[0].size, l.size);
    EXPECT_EQ(entries[0].lastWriteTime, l.written.isValid() ? fileTime(l.written) : 0u);
}

TEST(FtpListingTest, MachineListingLines) {
    const Line lines[] = {
        {"file", "type=file;size=600;modify=20240305123015;perm=r; venta 1.txt", "venta 1.txt",
         inet::attr::Normal, 600, vb::utcInstant(QDate(2024, 3, 5), QTime(12, 30, 15))},
        {"folder with capitals in its facts", "Type=dir;Modify=20231231235959.250; FOTOS", "FOTOS",
         inet::attr::Directory, 0, vb::utcInstant(QDate(2023, 12, 31), QTime(23, 59, 59, 250))},
        {"no time", "type=file;size=1; a", "a", inet::attr::Normal, 1, {}},
        {"the current folder", "type=cdir;modify=20240305123015; .", "", 0, 0, {}},
        {"the parent folder", "type=pdir;modify=20240305123015; ..", "", 0, 0, {}},
    };
    for (const Line& l : lines) expectEntryOf(l, inet::parseMachineListing(l.text + "\r\n"));
}

// A machine listing gives its times in UTC: the reading stays whole on a machine whose local
// clock skips it (02:30 on 29 March in Madrid, 00:30 on 4 November 2018 in São Paulo).
TEST(FtpListingTest, MachineListingTimesAreTheirUtcReadingsInAnyZone) {
    const struct {
        const char* zone;
        QByteArray modify;
        QDateTime written;
    } cases[] = {
        {"Europe/Madrid", "20260329023000", vb::utcInstant(QDate(2026, 3, 29), QTime(2, 30))},
        {"Europe/Madrid", "20260329025959.5",
         vb::utcInstant(QDate(2026, 3, 29), QTime(2, 59, 59, 500))},
        {"America/Sao_Paulo", "20181104003000", vb::utcInstant(QDate(2018, 11, 4), QTime(0, 30))},
        {"Pacific/Apia", "20111230120000", vb::utcInstant(QDate(2011, 12, 30), QTime(12, 0))},
    };
    for (const auto& c : cases) {
        const zxtest::ScopedTimeZone zone(c.zone);
        const Line line{c.zone,  "type=file;size=3;modify=" + c.modify + "; a.txt",
                        "a.txt", inet::attr::Normal,
                        3,       c.written};
        expectEntryOf(line, inet::parseMachineListing(line.text + "\r\n"));
    }
}

TEST(FtpListingTest, UnixAndDosListLines) {
    const int year = QDate::currentDate().year();
    const Line lines[] = {
        {"unix file with a year", "-rw-r--r--   1 ftp ftp    1234 Mar  5  2021 nota de venta.txt",
         "nota de venta.txt", inet::attr::Normal, 1234,
         vb::utcInstant(QDate(2021, 3, 5), QTime(0, 0))},
        {"unix folder with a time", "drwxr-xr-x 2 owner group 4096 Jan  1 12:30 IMAGENES",
         "IMAGENES", inet::attr::Directory, 4096,
         vb::utcInstant(QDate(year, 1, 1), QTime(12, 30))},
        {"unix without a group", "-rw-r--r-- 1 owner 77 Feb 10 2020 x.pdf", "x.pdf",
         inet::attr::Normal, 77, vb::utcInstant(QDate(2020, 2, 10), QTime(0, 0))},
        {"unix link", "lrwxrwxrwx 1 a b 4 Feb 10 2020 enlace -> destino", "enlace",
         inet::attr::Normal, 4, vb::utcInstant(QDate(2020, 2, 10), QTime(0, 0))},
        {"dos file", "03-05-24  02:30PM                 1234 factura.pdf", "factura.pdf",
         inet::attr::Normal, 1234, vb::utcInstant(QDate(2024, 3, 5), QTime(14, 30))},
        {"dos folder", "12-31-1999  12:05AM       <DIR>          Clientes", "Clientes",
         inet::attr::Directory, 0, vb::utcInstant(QDate(1999, 12, 31), QTime(0, 5))},
        {"a total line", "total 12", "", 0, 0, {}},
        {"the parent folder", "drwxr-xr-x 2 a b 4096 Jan  1  2020 ..", "", 0, 0, {}},
    };
    for (const Line& l : lines) expectEntryOf(l, inet::parseListing(l.text + "\r\n", year));
}

TEST(FtpListingTest, OnlyTheInternetLibrarysOwnNumbersHaveATextOfTheirOwn) {
    EXPECT_FALSE(inet::errorMessage(inet::err::CannotConnect).isEmpty());
    EXPECT_TRUE(inet::errorMessage(inet::err::NoMoreFiles).isEmpty());
    EXPECT_TRUE(inet::errorMessage(inet::err::FileNotFound).isEmpty());
}

}  // namespace
