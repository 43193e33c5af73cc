#include "platform/vb/steps.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

// A procedure of three steps; the second fails `failures` times before it works.
struct Procedure {
    int failures = 0;
    int runs[3] = {0, 0, 0};
    bool finished = false;

    bool run(const vb::ErrorHandler& handler) {
        vb::Steps steps(handler);
        steps([&] { ++runs[0]; });
        steps([&] {
            ++runs[1];
            if (failures-- > 0) throw vb::VbError(3021, "No current record");
        });
        steps([&] { ++runs[2]; });
        if (steps.left()) return false;
        finished = true;
        return true;
    }
};

vb::ErrorHandler scripted(std::deque<int> answers, int* asked) {
    return [answers, asked](const vb::VbError&) mutable {
        ++*asked;
        const int a = answers.front();
        answers.pop_front();
        return a;
    };
}

TEST(StepsTest, RetryRunsTheStepAgainUntilItWorks) {
    Procedure p{.failures = 2};
    int asked = 0;
    EXPECT_TRUE(p.run(scripted({vb::vbRetry, vb::vbRetry}, &asked)));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(p.runs[0], 1);
    EXPECT_EQ(p.runs[1], 3);
    EXPECT_EQ(p.runs[2], 1);
    EXPECT_TRUE(p.finished);
}

TEST(StepsTest, RetryRetryIgnoreGoesOnWithTheNextStep) {
    Procedure p{.failures = 5};
    int asked = 0;
    EXPECT_TRUE(p.run(scripted({vb::vbRetry, vb::vbRetry, vb::vbIgnore}, &asked)));
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(p.runs[1], 3);
    EXPECT_EQ(p.runs[2], 1);
}

TEST(StepsTest, AnyOtherAnswerLeavesTheProcedure) {
    for (int answer : {int(vb::vbAbort), int(vb::vbCancel), int(vb::vbNo), 0}) {
        SCOPED_TRACE(answer);
        Procedure p{.failures = 1};
        int asked = 0;
        EXPECT_FALSE(p.run(scripted({answer}, &asked)));
        EXPECT_EQ(p.runs[1], 1);
        EXPECT_EQ(p.runs[2], 0);
        EXPECT_FALSE(p.finished);
    }
}

TEST(StepsTest, SilentHandlerSkipsTheFailingStep) {
    Procedure p{.failures = 100};
    EXPECT_TRUE(p.run(vb::silentHandler()));
    EXPECT_EQ(p.runs[1], 1);
    EXPECT_EQ(p.runs[2], 1);
}

TEST(StepsTest, TheHandlerSeesTheErrorAndItIsKept) {
    vb::Steps steps([](const vb::VbError& e) { return e.Number == 53 ? vb::vbIgnore : vb::vbAbort; });
    steps([] { throw vb::VbError(53, "File not found", "Zentrik"); });
    EXPECT_FALSE(steps.left());
    EXPECT_EQ(steps.lastError().Number, 53);
    EXPECT_EQ(steps.lastAnswer(), vb::vbIgnore);
    steps([] { throw vb::VbError(5, "x"); });
    EXPECT_TRUE(steps.left());
    bool ran = false;
    steps([&] { ran = true; });
    EXPECT_FALSE(ran);
}

TEST(StepsTest, ExitProcedureLeavesWithoutAsking) {
    int asked = 0;
    const bool completed = vb::runSteps(scripted({}, &asked), {
        [] { throw vb::ExitProcedure{}; },
        [] { FAIL() << "ran after Exit"; },
    });
    EXPECT_FALSE(completed);
    EXPECT_EQ(asked, 0);
}

}  // namespace
