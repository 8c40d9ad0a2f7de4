#include "install/outcome.h"

#include <gtest/gtest.h>

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

}  // namespace
