#include "platform/reportengine/errors.h"
#include "platform/reportengine/rows.h"
#include "tests/platform/reportengine/spill_files.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include <malloc.h>
#include <sys/statvfs.h>

#include <type_traits>

namespace {

using reportengine::Rows;
using vb::Variant;

// Every kind of value comes back as it went in, an empty text and a repeated one included,
// and the same picture in several rows is kept once.
TEST(RowsTest, ValuesComeBackAsTheyWentInAndPicturesAreKeptOnce) {
    const QByteArray picture("\x89PNG\x00\x01", 6);
    const QList<QList<Variant>> values = {
        {Variant(), Variant::null(), Variant(true), Variant(std::int16_t(-3)), Variant(42),
         Variant(4000000000LL), Variant(12.5)},
        {Variant(vb::Currency::fromScaled(123456)),
         Variant(vb::wallClock(QDate(2026, 12, 9), QTime(23, 59, 30))), Variant(QString()),
         Variant(QStringLiteral("Ñandú ✓")), Variant(QStringLiteral("Ñandú ✓")), Variant(picture),
         Variant(QByteArray(picture))},
    };
    Rows rows;
    for (const auto& row : values) rows.append(row);
    ASSERT_EQ(rows.size(), 2);
    ASSERT_EQ(rows.columnCount(), 7);
    for (qsizetype r = 0; r < values.size(); ++r) EXPECT_EQ(rows[r], values[r]);
    EXPECT_EQ(rows.pictureCount(), 1);
    EXPECT_EQ(rows.pictureAt(1, 5), rows.pictureAt(1, 6));
    EXPECT_EQ(rows.pictureAt(0, 5), -1);
    EXPECT_EQ(rows.value(5, 0), Variant());  // outside the rows
    EXPECT_TRUE(rows.isBlank(0, 1));

    // A copy keeps its values when the original changes.
    const Rows copy = rows;
    rows.set(0, 4, Variant(7));
    EXPECT_EQ(copy.value(0, 4), Variant(42));
    EXPECT_EQ(rows.value(0, 4), Variant(7));
}

TEST(RowsTest, ColumnsAndRowsCanBeAddedRemovedAndKept) {
    Rows rows{{Variant(1), Variant(QStringLiteral("a"))},
              {Variant(2), Variant(QStringLiteral("b"))},
              {Variant(3), Variant(QStringLiteral("c"))}};
    rows.addColumns(2);
    rows.set(1, 3, Variant(QStringLiteral("enlazado")));
    EXPECT_EQ(rows[1], (QList<Variant>{Variant(2), Variant(QStringLiteral("b")), Variant(),
                                       Variant(QStringLiteral("enlazado"))}));
    rows.removeColumns(1, 2);
    rows.keepRows({true, true, false});
    EXPECT_EQ(rows,
              (Rows{{Variant(1), Variant()}, {Variant(2), Variant(QStringLiteral("enlazado"))}}));
    // A row appended after keeping starts Empty where it has no value.
    rows.append({Variant(9)});
    EXPECT_EQ(rows[2], (QList<Variant>{Variant(9), Variant()}));
}

// The bytes the heap holds for the program now.
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Dates come back as they went in, whatever the zone; a cell
// written over and over (a linked date column is filled so) keeps nothing of its old values.
TEST(RowsTest, DatesComeBackAndOverwritingThemKeepsNothing) {
    const QList<vb::DateTime> dates = {
        vb::wallClock(QDate(1899, 12, 30)),
        vb::wallClock(QDate(1969, 12, 31), QTime(23, 59, 59, 999)),
        vb::wallClock(QDate(2026, 3, 8), QTime(2, 30)),         // a local hour some zones skip
        vb::wallClock(QDate(2026, 11, 1), QTime(1, 30, 0, 1)),  // one some zones repeat
        vb::wallClock(QDate(9999, 12, 31), QTime(23, 59, 59, 997)),
    };
    Rows rows;
    for (const vb::DateTime& d : dates) rows.append({Variant(d), Variant(d)});
    rows.append({Variant(vb::DateTime()), Variant(vb::DateTime())});
    for (qsizetype r = 0; r < dates.size(); ++r) {
        EXPECT_EQ(rows.value(r, 0).date(), dates[r]);
        // A reading of its own type, which no zone can move.
        static_assert(std::is_same_v<decltype(rows.value(r, 0).date()), const vb::DateTime&>);
    }
    EXPECT_FALSE(rows.value(dates.size(), 0).date().isValid());

    const std::size_t before = heapInUse();
    constexpr int kWrites = 200000;
    for (int i = 0; i < kWrites; ++i) rows.set(0, 1, Variant(dates[0].addSecs(i)));
    EXPECT_LT(heapInUse(), before + 64 * 1024);
    EXPECT_EQ(rows.value(0, 1), Variant(dates[0].addSecs(kWrites - 1)));
}

// Row i of a report of many rows: a number, a description of 1 to 40 words (kept again and
// again in its block, or once), a workstation that repeats, a date, a Null now and then, an
// amount and a text that only some rows have.
QList<Variant> rowOf(int i) {
    QStringList words;
    for (int w = 0; w <= i % 40; ++w) words.append(QStringLiteral("palabra%1").arg((i + w) % 97));
    return {Variant(i),
            Variant(QStringLiteral("Descripción %1 ").arg(i) + words.join(u' ')),
            Variant(QStringLiteral("CAJA%1").arg(i % 9)),
            Variant(vb::wallClock(QDate(2025, 1, 1), QTime(0, 0)).addSecs(15LL * i)),
            i % 7 == 0 ? Variant::null() : Variant(vb::Currency::fromScaled(i * 1234LL)),
            i % 3 == 0 ? Variant() : Variant(QStringLiteral("Ñandú ✓ %1").arg(i % 5))};
}

constexpr int kManyRows = 20000;

Rows manyRows() {
    Rows rows;
    for (int i = 0; i < kManyRows; ++i) rows.append(rowOf(i));
    return rows;
}

// The rows past the budget live in a file of the temporary folder that has no name there and
// is open to this user only; they come back as they went in, in whatever order they are read,
// after changes to rows that were in the file, through a copy, and once kept.
TEST(RowsSpillTest, RowsPastTheBudgetGoToAPrivateFileAndComeBackInAnyOrder) {
    const zxtest::ScopedUmask open(0);  // what the file's mode is does not come from the mask
    const retest::SpillFolder folder;
    {
        Rows rows = manyRows();
        EXPECT_EQ(folder.names(), QStringList());
        EXPECT_EQ(folder.openFiles(), QList<int>{0600});

        std::vector<int> order(kManyRows);
        for (int i = 0; i < kManyRows; ++i) order[static_cast<size_t>(i)] = i;
        std::shuffle(order.begin(), order.end(), std::mt19937(36));
        for (int i : order) ASSERT_EQ(rows[i], rowOf(i)) << i;

        // Rows changed while their block is in the file, then read back after the others.
        const Rows before = rows;
        for (int i = 0; i < kManyRows; i += 997) {
            rows.set(i, 1, Variant(QStringLiteral("cambiado %1").arg(i)));
            rows.set(i, 3, Variant::null());
        }
        rows.addColumns(1);
        for (int i = 0; i < kManyRows; i += 3) rows.set(i, 6, Variant(i * 2));
        const auto changed = [](int i) {
            QList<Variant> expected = rowOf(i);
            if (i % 997 == 0) {
                expected[1] = Variant(QStringLiteral("cambiado %1").arg(i));
                expected[3] = Variant::null();
            }
            expected.append(i % 3 == 0 ? Variant(i * 2) : Variant());
            return expected;
        };
        for (int i : order) {
            ASSERT_EQ(rows[i], changed(i)) << i;
            ASSERT_EQ(before[i], rowOf(i)) << i;  // the copy keeps what it had
        }

        rows.removeColumns(1, 1);
        std::vector<bool> keep(kManyRows);
        for (int i = 0; i < kManyRows; ++i) keep[static_cast<size_t>(i)] = i % 4 == 1;
        rows.keepRows(keep);
        ASSERT_EQ(rows.size(), kManyRows / 4);
        for (qsizetype r = 0; r < rows.size(); ++r) {
            const int i = static_cast<int>(4 * r + 1);
            QList<Variant> expected = changed(i);
            expected.removeAt(1);
            ASSERT_EQ(rows[r], expected) << r;
        }
    }
    EXPECT_EQ(folder.openFiles(), QList<int>());
    EXPECT_EQ(folder.names(), QStringList());
}

// Within the budget nothing goes to the file: a small report never makes one.
TEST(RowsSpillTest, RowsWithinTheBudgetMakeNoFile) {
    const retest::SpillFolder folder(reportengine::kRowMemoryBudget);
    const Rows rows = manyRows();
    EXPECT_EQ(rows[kManyRows - 1], rowOf(kManyRows - 1));
    EXPECT_EQ(folder.openFiles(), QList<int>());
}

// When the disk fills while the rows go to the file, the store says the disk is full, names the
// folder, and leaves nothing on the disk once it goes.
TEST(RowsSpillTest, AFullDiskWhileTheFileFillsIsToldAsSuch) {
    constexpr qint64 kDisk = 512 * 1024;
    const auto run = zxtest::onSmallDisk(
        [](const QString& disk) {
            const retest::SpillFolder folder(16 * 1024, disk);
            std::optional<vb::VbError> error;
            qsizetype held = 0;
            {
                Rows rows;
                error = zxtest::raised([&] {
                    for (int i = 0; i < 50 * kManyRows; ++i) {
                        rows.append(rowOf(i));
                        held = rows.size();
                    }
                });
            }
            struct statvfs fs {};
            const bool emptied = ::statvfs(QFile::encodeName(disk).constData(), &fs) == 0 &&
                                 fs.f_bfree * fs.f_frsize > kDisk - 16 * 1024;
            const QString expected =
                QStringLiteral(
                    "No hay espacio en el disco para los datos del reporte: la "
                    "carpeta temporal %1 está llena")
                    .arg(folder.path());
            return error && error->Number == reportengine::err::WriteFailed &&
                   error->Description == expected && held > 1000 && emptied &&
                   folder.openFiles().isEmpty();
        },
        kDisk);
    ASSERT_TRUE(run);
    EXPECT_TRUE(run->answer);
    EXPECT_TRUE(run->files.isEmpty());
}

}  // namespace
