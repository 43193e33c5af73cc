#include "db/db_dll.h"

#include "platform/vb/app.h"
#include "platform/vb/textfile.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class TratamientoErroresTest : public ::testing::Test {
protected:
    zxtest::ProgramFolder folder;
    zxtest::FixedClock clock{QDateTime(QDate(2024, 3, 7), QTime(9, 5, 4))};
    zxtest::ScriptedOperator op;
    DB_Dll db;
    const vb::VbError error{3709, QStringLiteral(" x "), QStringLiteral("Microsoft OLE DB")};

    QStringList logLines(const QString& path) {
        return vb::readTextLines(path).value_or(QStringList());
    }
};

TEST_F(TratamientoErroresTest, ShowsTheErrorAndLogsOneLinePerAnswer) {
    const struct {
        int answer;
        const char* word;
    } cases[] = {{vb::vbRetry, "Reintentar"},
                 {vb::vbIgnore, "Ignorar"},
                 {vb::vbAbort, "Abortar"},
                 {vb::vbCancel, "Cancelar"},
                 {vb::vbYes, "Sí"},
                 {vb::vbNo, "No"},
                 {vb::vbOK, ""}};
    for (const auto& c : cases) op.answer(c.answer);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(db.TratamientoErrores(error, std::nullopt, QStringLiteral("AbrirRecordset")),
                  c.answer);
    }
    const QStringList lines = logLines(folder.file("KQERR.LOG"));
    ASSERT_EQ(lines.size(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(lines[i],
                  QStringLiteral("03-07-2024 09:05:04 Rutina: - AbrirRecordset Mensaje Ha "
                                 "ocurrido el Siguiente Error (3709) x Respondió : ") +
                      QString::fromUtf8(cases[i].word));
    const zxtest::Prompt box = op.messages().first();
    EXPECT_EQ(box.text, QStringLiteral("Ha ocurrido el Siguiente Error (3709) x"));
    EXPECT_EQ(box.title,
              QStringLiteral("Microsoft OLE DB - AbrirRecordset Aviso al operador!!! - 5 "));
    EXPECT_EQ(box.style, vb::vbAbortRetryIgnore + vb::vbCritical);
    // Kept in Windows-1252 for the suite's other programs.
    EXPECT_TRUE(
        zxtest::readFile(folder.file("KQERR.LOG")).contains("Respondi\xF3 : Reintentar\r\n"));
}

TEST_F(TratamientoErroresTest, WithoutRoutineTheTitleAndLineHaveNoRoutine) {
    op.answer(vb::vbNo);
    EXPECT_EQ(db.TratamientoErrores(error, vb::vbYesNo), vb::vbNo);
    EXPECT_EQ(op.messages().first().title,
              QStringLiteral("Microsoft OLE DB Aviso al operador!!! - 5 "));
    EXPECT_EQ(op.messages().first().style, vb::vbYesNo);
    EXPECT_EQ(logLines(folder.file("KQERR.LOG")),
              QStringList{QStringLiteral("03-07-2024 09:05:04 Rutina:  Mensaje Ha ocurrido el "
                                         "Siguiente Error (3709) x Respondió : No")});
}

TEST_F(TratamientoErroresTest, ArchivoErroresNamesTheLogAndNothingElseIsWritten) {
    QTemporaryDir other;
    const QString path = other.filePath("otro.log");
    db.setArchivoErrores(path);
    EXPECT_EQ(db.ArchivoErrores(), path);
    op.answer(vb::vbIgnore);
    db.TratamientoErrores(error, std::nullopt, QStringLiteral("R"));
    EXPECT_EQ(logLines(path).size(), 1);
    EXPECT_FALSE(QFile::exists(folder.file("KQERR.LOG")));

    db.setArchivoErrores(QString());
    op.answer(vb::vbIgnore);
    db.TratamientoErrores(error, std::nullopt, QStringLiteral("R"));
    EXPECT_EQ(logLines(path).size(), 1);
    EXPECT_EQ(logLines(folder.file("KQERR.LOG")).size(), 1);
}

TEST_F(TratamientoErroresTest, AProgramFolderEndingInASeparatorGetsNoSecondOne) {
    vb::App().Path = folder.path() + "/";
    op.answer(vb::vbIgnore);
    db.TratamientoErrores(error);
    EXPECT_EQ(logLines(folder.file("KQERR.LOG")).size(), 1);
}

// The log holds the statements that failed, with their data: in the program folder or where
// ArchivoErrores says, it is its owner's alone, whether the box makes it or finds it readable
// by others (then made private before the line is added).
TEST_F(TratamientoErroresTest, TheLogIsPrivateToItsOwnerWhetherNewOrOld) {
    const zxtest::ScopedUmask umask(022);
    QTemporaryDir other;
    for (const QString& path : {folder.file("KQERR.LOG"), other.filePath("errores.log")}) {
        SCOPED_TRACE(path.toStdString());
        db.setArchivoErrores(path == folder.file("KQERR.LOG") ? QString() : path);
        op.answer(vb::vbIgnore);
        db.TratamientoErrores(error, std::nullopt, QStringLiteral("AbrirRecordset"));
        EXPECT_EQ(zxtest::fileMode(path), 0600);
        ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner |
                                                    QFile::ReadGroup | QFile::WriteGroup |
                                                    QFile::ReadOther));
        op.answer(vb::vbIgnore);
        db.TratamientoErrores(error, std::nullopt, QStringLiteral("AbrirRecordset"));
        EXPECT_EQ(zxtest::fileMode(path), 0600);
        EXPECT_EQ(logLines(path).size(), 2);
    }
}

TEST_F(TratamientoErroresTest, ErrorZeroShowsNothingAndWritesNothing) {
    EXPECT_EQ(db.TratamientoErrores(vb::VbError(0, "nada"), std::nullopt, QStringLiteral("R")), 0);
    EXPECT_TRUE(op.prompts().isEmpty());
    EXPECT_FALSE(QFile::exists(folder.file("KQERR.LOG")));
}

TEST_F(TratamientoErroresTest, ALogThatCannotBeWrittenStillReturnsTheAnswer) {
    db.setArchivoErrores(folder.file("no/such/folder/x.log"));
    op.answer(vb::vbRetry);
    EXPECT_EQ(db.TratamientoErrores(error), vb::vbRetry);
}

}  // namespace
