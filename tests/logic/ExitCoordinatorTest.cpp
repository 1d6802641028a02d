#include "ui/main/ExitCoordinator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using D = CExitCoordinator::EDecision;
using E = CExitCoordinator::EEnd;

} // namespace

// Requests to end, as they meet running commands and a running exit path: what each request is
// told, and what the end of the outermost command asks for again.
TEST(ExitCoordinatorTest, RequestsWaitForCommandsAndExitGoesFirst) {
    struct Step {
        char chAction; // 'b' begin command, 'e' end command, 'q' quit signal, 'x' Exit, 'f' exit path finished
        int nResult;   // the decision of a request, the end of an 'e'
    };
    const struct {
        const char* pszName;
        std::vector<Step> steps;
    } cases[] = {
        {"no command", {{'x', int(D::proceed)}, {'q', int(D::busy)}, {'f', 0}, {'q', int(D::proceed)}}},
        {"quit while a command runs", {{'b', 0}, {'q', int(D::wait)}, {'e', int(E::quitSignal)}}},
        {"Exit goes before a quit signal", {{'b', 0}, {'x', int(D::wait)}, {'q', int(D::wait)}, {'e', int(E::exit)}}},
        {"nested commands", {{'b', 0}, {'b', 0}, {'q', int(D::wait)}, {'e', int(E::none)}, {'e', int(E::quitSignal)},
                             {'b', 0}, {'e', int(E::none)}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CExitCoordinator exit;
        for (const Step& step : c.steps) {
            SCOPED_TRACE(std::string(1, step.chAction));
            switch (step.chAction) {
            case 'b': exit.BeginCommand(); break;
            case 'e': EXPECT_EQ(step.nResult, int(exit.EndCommand())); break;
            case 'q': EXPECT_EQ(step.nResult, int(exit.RequestEnd(true))); break;
            case 'x': EXPECT_EQ(step.nResult, int(exit.RequestEnd(false))); break;
            case 'f': exit.EndFinished(); break;
            }
        }
        EXPECT_FALSE(exit.IsCommandRunning());
    }
    CExitCoordinator exit;
    EXPECT_TRUE(exit.ShouldReportSaveFailure(true));
    exit.NoteQuitRefused();
    EXPECT_FALSE(exit.ShouldReportSaveFailure(true));
    EXPECT_TRUE(exit.ShouldReportSaveFailure(false));
}
