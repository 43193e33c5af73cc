#include "platform/vb/steps.h"
#include "tests/support/scripted_operator.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

TEST(ScriptedOperatorTest, AnswersInOrderAndRecordsEveryPrompt) {
    zxtest::ScriptedOperator op;
    op.answer(vb::vbRetry).input(QStringLiteral("secreto")).answer(vb::vbNo);
    EXPECT_EQ(ui::op().msgBox("uno", vb::vbAbortRetryIgnore + vb::vbCritical, "T1"), vb::vbRetry);
    EXPECT_EQ(ui::op().inputBox("ingrese el password:", "Password Access"),
              std::optional<QString>(QStringLiteral("secreto")));
    EXPECT_EQ(ui::op().msgBox("dos", vb::vbYesNo), vb::vbNo);
    ASSERT_EQ(op.prompts().size(), 3);
    EXPECT_EQ(op.prompts()[0].title, QStringLiteral("T1"));
    EXPECT_EQ(op.prompts()[0].buttons, vb::vbAbortRetryIgnore);
    EXPECT_EQ(op.prompts()[0].icon, vb::vbCritical);
    EXPECT_EQ(op.prompts()[1].kind, zxtest::Prompt::InputBox);
    EXPECT_EQ(op.messages().size(), 2);
}

TEST(ScriptedOperatorTest, AnUnexpectedPromptFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            zxtest::ScriptedOperator op;
            ui::op().msgBox("sorpresa");
        },
        "Unexpected message box");
}

TEST(ScriptedOperatorTest, APromptOfAnotherKindFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            zxtest::ScriptedOperator op;
            op.input(QStringLiteral("x"));
            ui::op().msgBox("texto");
            op.setStrictAtEnd(false);
        },
        "Expected a input box but got a message box");
}

TEST(ScriptedOperatorTest, AnswersLeftOverFailTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            zxtest::ScriptedOperator op;
            op.answer(vb::vbOK);
        },
        "left over");
}

TEST(ScriptedOperatorTest, InstallsItselfAndRestoresThePreviousOperator) {
    ui::Operator* outer = &ui::op();
    {
        zxtest::ScriptedOperator op;
        EXPECT_EQ(&ui::op(), &op);
    }
    EXPECT_EQ(&ui::op(), outer);
}

}  // namespace
