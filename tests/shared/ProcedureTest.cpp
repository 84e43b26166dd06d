#include "shared/Procedure.h"
#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

namespace {

// A step that fails the first `failures` times it runs.
struct Flaky {
    int failures;
    int runs = 0;
    void operator()() {
        if (runs++ < failures) raiseError(ErrorNumber::TypeMismatch);
    }
};

TEST(Procedure, ReportRetriesGoesOnOrLeavesByTheAnswer) {
    ScriptedPrompts operatorAnswers;
    operatorAnswers.reportError(Prompt::Retry).reportError(Prompt::Ignore).reportError(Prompt::Abort);

    Procedure p(Handler::report(QStringLiteral("AbrirRecordset")));
    Flaky first{1};
    std::vector<int> trail;
    p.step([&] { first(); trail.push_back(1); });       // fails once, retried, then runs
    p.step([&] { raiseError(ErrorNumber::InvalidCall); }); // ignored: goes on
    p.step([&] { trail.push_back(2); });
    p.step([&] { raiseError(ErrorNumber::Overflow); });  // abort: leaves
    p.step([&] { trail.push_back(3); });

    EXPECT_EQ(first.runs, 2);
    EXPECT_EQ(trail, (std::vector<int>{1, 2}));
    EXPECT_TRUE(p.left());
    const auto shown = operatorAnswers.recordsOf(ScriptedPrompts::Kind::ReportError);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].title, QStringLiteral("AbrirRecordset"));
    EXPECT_EQ(shown[0].number, ErrorNumber::TypeMismatch);
    EXPECT_EQ(shown[2].number, ErrorNumber::Overflow);
}

TEST(Procedure, OtherHandlerStyles) {
    {
        Procedure p(Handler::skip());
        int after = 0;
        EXPECT_FALSE(p.step([] { raiseError(ErrorNumber::TypeMismatch); }));
        p.step([&] { ++after; });
        EXPECT_EQ(after, 1);
        EXPECT_FALSE(p.left());
        EXPECT_EQ(p.lastError()->number(), ErrorNumber::TypeMismatch);
    }
    {
        Procedure p(Handler::propagate());
        EXPECT_THROW(p.step([] { raiseError(ErrorNumber::TypeMismatch); }), RuntimeError);
    }
    {
        // Error 5 goes on; any other leaves silently (the start-up's handler).
        Procedure p(Handler::passOver({ErrorNumber::InvalidCall}, Handler::leave()));
        int reached = 0;
        p.step([] { raiseError(ErrorNumber::InvalidCall); });
        p.step([&] { ++reached; });
        p.step([] { raiseError(ErrorNumber::TypeMismatch); });
        p.step([&] { ++reached; });
        EXPECT_EQ(reached, 1);
        EXPECT_TRUE(p.left());
    }
    {
        ScriptedPrompts operatorAnswers;
        operatorAnswers.message(Prompt::Retry).message(Prompt::Ignore);
        Procedure p(Handler::abortRetryIgnore(QStringLiteral("Aviso al Operador")));
        Flaky twice{2};
        const bool value = p.value<bool>([&] { twice(); return true; }, false);
        EXPECT_FALSE(value); // retried once, then ignored
        EXPECT_EQ(twice.runs, 2);
        const auto boxes = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].title, QStringLiteral("Aviso al Operador"));
        EXPECT_EQ(boxes[0].buttons, Prompt::Buttons::AbortRetryIgnore);
        EXPECT_EQ(boxes[0].icon, Prompt::Icon::Critical);
    }
}

TEST(Procedure, ForeignExceptionsBecomeRuntimeErrors) {
    Procedure p(Handler::skip());
    p.step([] { throw std::runtime_error("boom"); });
    ASSERT_TRUE(p.lastError());
    EXPECT_EQ(p.lastError()->number(), 51);
    EXPECT_EQ(p.lastError()->description(), QStringLiteral("boom"));
}

} // namespace
