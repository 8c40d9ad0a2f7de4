#include "install/outcome.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "targets/target_product.h"
#include "ui/message_ids.h"

namespace {

TEST(Outcome, ResultsGiveTheClosingMessageAndTheExitCode)
{
    const TargetProduct passedOver;
    struct Case {
        int refused, alreadyPatched;
        std::uint32_t selectionFailure;
        bool upToDate;
        int patched;
        std::uint32_t restart, failure;
        Outcome outcome;
    };
    const Case cases[] = {
        // refused, has patch, selection failure, up to date, patched, restart, failure
        {0, 0, 0, false, 0, 0, 1603, {kNoMessage, kNoMessage, 1603}},
        {0, 0, 1610, false, 1, 0, 0, {kNoMessage, kNoMessage, 1610}},  // before any success
        {0, 0, 1610, false, 0, 0, 1603, {kNoMessage, kNoMessage, 1610}},
        {0, 0, 1610, false, 0, 0, 1618, {kNoMessage, kNoMessage, 1618}},  // busy outranks all
        {0, 0, 0, false, 1, 0, 0, {msg::kInstalled, kNoMessage, 0}},
        {0, 0, 0, false, 2, 1641, 0, {msg::kInstalled, msg::kRestartNeeded, 1641}},
        {0, 0, 0, false, 1, 3010, 0, {msg::kInstalled, msg::kRestartNeeded, 3010}},
        {1, 1, 0, true, 1, 0, 0, {msg::kInstalled, kNoMessage, 0}},
        {1, 1, 0, true, 0, 0, 0, {kNoMessage, kNoMessage, 1642}},  // 308 said why
        {0, 0, 0, true, 0, 0, 0, {msg::kUpToDate, kNoMessage, 0}},
        {0, 1, 0, false, 0, 0, 0, {msg::kUpToDate, kNoMessage, 0}},
        {0, 0, 0, false, 0, 0, 0, {msg::kNoProduct, kNoMessage, 1642}},
    };
    for (const Case& c : cases) {
        InstallResults results;
        results.selection.refused = c.refused;
        results.selection.alreadyPatched = c.alreadyPatched;
        results.selection.failure = c.selectionFailure;
        results.upToDate = c.upToDate ? &passedOver : nullptr;
        results.patched = c.patched;
        results.restart = c.restart;
        results.failure = c.failure;
        const Outcome outcome = DecideOutcome(results);
        const auto row = &c - cases;
        EXPECT_EQ(outcome.message, c.outcome.message) << row;
        EXPECT_EQ(outcome.addedText, c.outcome.addedText) << row;
        EXPECT_EQ(outcome.exitCode, c.outcome.exitCode) << row;
    }
}

TEST(Outcome, CheckAnswersOneWhereAnInstallationWouldPatch)
{
    InstallResults results;
    EXPECT_EQ(DecideCheckOutcome(results, 0), 1642u);
    EXPECT_EQ(DecideCheckOutcome(results, 2), 1u);
    results.selection.alreadyPatched = 1;
    EXPECT_EQ(DecideCheckOutcome(results, 0), 0u);
    results.selection.failure = 1627;  // a damaged cached package outranks all
    EXPECT_EQ(DecideCheckOutcome(results, 1), 1627u);
}

TEST(Outcome, RemovalResultsGiveTheClosingMessageAndTheExitCode)
{
    const std::pair<RemovalResults, Outcome> cases[] = {
        {{0, 0, 0}, {msg::kNothingToRemove, kNoMessage, 0}},
        {{2, 0, 0}, {msg::kRemoved, kNoMessage, 0}},
        {{2, 3010, 0}, {msg::kRemoved, msg::kRestartNeeded, 3010}},
        {{1, 3010, 1603}, {kNoMessage, kNoMessage, 1603}},
    };
    for (const auto& [results, expected] : cases) {
        const Outcome outcome = DecideRemovalOutcome(results);
        EXPECT_EQ(outcome.message, expected.message);
        EXPECT_EQ(outcome.addedText, expected.addedText);
        EXPECT_EQ(outcome.exitCode, expected.exitCode);
    }
    EXPECT_EQ(WeightierRestart(1641, 3010), 1641u);
    EXPECT_EQ(WeightierRestart(3010, 1641), 1641u);
    EXPECT_EQ(WeightierRestart(3010, 0), 3010u);
}

TEST(Outcome, ExitCodeIsTheOutcomeUnlessABoxSomeoneSawToldIt)
{
    // outcome, shown on a visible desktop, /exitcode -> exit code
    const std::tuple<std::uint32_t, bool, bool, std::uint32_t> cases[] = {
        {1603, false, false, 1603}, {1603, true, false, 0}, {1603, true, true, 1603},
        {3010, false, true, 3010},
    };
    for (const auto& [outcome, shown, exitCode, expected] : cases) {
        EXPECT_EQ(ExitCodeFor(outcome, shown, exitCode), expected);
    }
}

}  // namespace
