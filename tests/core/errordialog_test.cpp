#include "core/errordialog.h"
#include "platform/vb/textfile.h"
#include "platform/vendrix/clssistema.h"
#include "tests/core/temp_env.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2024, 3, 15), QTime(14, 5, 9));

QString logOf(const coretest::TempFolder& tmp) {
    return vb::fromCp1252(zxtest::readFile(tmp.file("KQERR.LOG")));
}

TEST(ManejaErrorTest, LogsTheAnswerWordForEachButtonWithAndWithoutRoutine) {
    const struct {
        int answer;
        int buttons;
        const char16_t* word;
    } answers[] = {
        {vb::vbRetry, 18, u"Reintentar"},
        {vb::vbIgnore, 18, u"Ignorar"},
        {vb::vbAbort, 18, u"Abortar"},
        {vb::vbCancel, 1, u"Cancelar"},
        {vb::vbYes, 4, u"Sí"},
        {vb::vbNo, 4, u"No"},
        {vb::vbOK, 0, u""},
    };
    zxtest::FixedClock clock(kNow);
    for (const auto& a : answers) {
        for (const bool withRoutine : {true, false}) {
            SCOPED_TRACE(QString::fromUtf16(a.word).toStdString() + (withRoutine ? " +" : " -"));
            coretest::TempFolder tmp;
            zxtest::ScriptedOperator op;
            op.answer(a.answer);
            const vb::VbError err(13, "  Type mismatch ", "Zentrik");
            const int got = ModGlobal::ManejaError(
                err, a.buttons == 18 ? std::nullopt : std::optional<int>(a.buttons),
                withRoutine ? std::optional<QString>("Cfg") : std::nullopt);
            EXPECT_EQ(got, a.answer);
            ASSERT_EQ(op.messages().size(), 1);
            const zxtest::Prompt p = op.messages().first();
            EXPECT_EQ(p.text, "Ha ocurrido el Siguiente Error (13) Type mismatch");
            EXPECT_EQ(p.title, withRoutine ? "Zentrik - Cfg Aviso al operador!!! - 2 "
                                           : "Zentrik Aviso al operador!!! - 2 ");
            EXPECT_EQ(p.style, a.buttons);
            const QString routine = withRoutine ? "- Cfg" : "";
            EXPECT_EQ(logOf(tmp), "03-15-2024 14:05:09 Rutina: " + routine +
                                      " Mensaje Ha ocurrido el Siguiente Error (13) Type "
                                      "mismatch Respondió : " +
                                      QString::fromUtf16(a.word) + "\r\n");
        }
    }
}

TEST(ManejaErrorTest, LinesAccumulateInTheLog) {
    zxtest::FixedClock clock(kNow);
    coretest::TempFolder tmp;
    zxtest::ScriptedOperator op;
    op.answer(vb::vbRetry).answer(vb::vbIgnore);
    ModGlobal::ManejaError(vb::VbError(5, "a"), std::nullopt, QString("Uno"));
    ModGlobal::ManejaError(vb::VbError(6, "b"), std::nullopt, QString("Dos"));
    EXPECT_EQ(logOf(tmp).count("\r\n"), 2);
    EXPECT_TRUE(logOf(tmp).endsWith("Respondió : Ignorar\r\n"));
}

TEST(ManejaErrorTest, ErrorZeroShowsNothingButCreatesTheLog) {
    coretest::TempFolder tmp;
    zxtest::ScriptedOperator op;
    EXPECT_EQ(ModGlobal::ManejaError(vb::VbError(0, "nada"), std::nullopt, QString("X")), 0);
    EXPECT_TRUE(op.prompts().isEmpty());
    EXPECT_TRUE(QFile::exists(tmp.file("KQERR.LOG")));
    EXPECT_EQ(logOf(tmp), QString());
}

// The log holds the statements that failed, with their data: it is its owner's alone, whether
// the dialog makes it or finds it readable by others (then made private before the line is
// added, also when nothing is shown).
TEST(ManejaErrorTest, TheLogIsPrivateToItsOwnerWhetherNewOrOld) {
    const zxtest::ScopedUmask umask(022);
    const QFile::Permissions abierto = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                       QFile::WriteGroup | QFile::ReadOther;
    for (const long number : {13L, 0L}) {
        SCOPED_TRACE(number);
        coretest::TempFolder tmp;
        zxtest::ScriptedOperator op;
        if (number != 0) op.answer(vb::vbIgnore);
        ModGlobal::ManejaError(vb::VbError(number, "INSERT INTO t VALUES ('dato')"));
        EXPECT_EQ(zxtest::fileMode(tmp.file("KQERR.LOG")), 0600);
    }
    for (const long number : {13L, 0L}) {
        SCOPED_TRACE(number);
        coretest::TempFolder tmp;
        ASSERT_TRUE(zxtest::writeFile(tmp.file("KQERR.LOG"), "anterior\r\n"));
        ASSERT_TRUE(QFile::setPermissions(tmp.file("KQERR.LOG"), abierto));
        zxtest::ScriptedOperator op;
        if (number != 0) op.answer(vb::vbIgnore);
        ModGlobal::ManejaError(vb::VbError(number, "x"));
        EXPECT_EQ(zxtest::fileMode(tmp.file("KQERR.LOG")), 0600);
        EXPECT_EQ(logOf(tmp).count("\r\n"), number != 0 ? 2 : 1);
    }
}

TEST(ManejaErrorTest, TheStepHandlerNamesTheRoutine) {
    coretest::TempFolder tmp;
    zxtest::ScriptedOperator op;
    op.answer(vb::vbIgnore);
    EXPECT_EQ(ModGlobal::manejaError("GrabaAlgo")(vb::VbError(9, "x", "src")), vb::vbIgnore);
    EXPECT_EQ(op.messages().first().title, "src - GrabaAlgo Aviso al operador!!! - 2 ");
}

// "tmp" is taken only when "temp" is set; otherwise the library's private folder serves.
TEST(TemporaryFolderTest, FollowsTheTempTmpRule) {
    QTemporaryDir dir;
    const QString library = gSistema().CarpetaTemporal();
    const QByteArray tmpValue = dir.path().toLocal8Bit();
    const struct {
        std::optional<QByteArray> temp, tmp;
        QString expected;
    } cases[] = {
        {QByteArray("x"), tmpValue, dir.path() + "/"},
        {QByteArray("x"), QByteArray("  ") + tmpValue + "  ", dir.path() + "/"},
        {QByteArray(""), tmpValue, library},
        {std::nullopt, tmpValue, library},
        {QByteArray("x"), std::nullopt, library},
        {QByteArray("x"), QByteArray("   "), library},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        coretest::ScopedEnv temp("temp", c.temp);
        coretest::ScopedEnv tmp("tmp", c.tmp);
        EXPECT_EQ(core::temporaryFolder(), c.expected);
    }
}

}  // namespace
