#include "schedule_calculator.h"

#include <gtest/gtest.h>

#include <vector>

namespace stakora {
namespace {

struct Outcome {
    RunOutcome outcome;
    std::vector<RowResult> rows;
};

StakeSchedule scheduleOf(std::string prize, std::vector<std::string> stakes) {
    StakeSchedule schedule;
    schedule.prizeText = std::move(prize);
    for (std::size_t i = 0; i < stakes.size(); ++i) {
        schedule.stakeTexts.at(i) = std::move(stakes[i]);
    }
    return schedule;
}

Outcome runOf(const StakeSchedule& schedule) {
    Outcome run{};
    run.outcome =
        ScheduleCalculator::run(schedule, [&](const RowResult& row) { run.rows.push_back(row); });
    return run;
}

TEST(ScheduleCalculator, SkipsEmptyRowsWithoutBreakingTheRunningSpend) {
    const Outcome run = runOf(scheduleOf("11,67", {"1", "2", "", "3"}));
    EXPECT_EQ(run.outcome, RunOutcome::Done);
    ASSERT_EQ(run.rows.size(), 3U);
    EXPECT_EQ(run.rows[0], (RowResult{1, 1.0F, 11.67F, 10.67F}));
    EXPECT_EQ(run.rows[1], (RowResult{2, 3.0F, 23.34F, 20.34F}));
    EXPECT_EQ(run.rows[2].row, 4);
    EXPECT_EQ(DecimalText::formatAmount(run.rows[2].spend), "6,00");
    EXPECT_EQ(DecimalText::formatAmount(run.rows[2].win), "35,01");
    EXPECT_EQ(DecimalText::formatAmount(run.rows[2].profit), "29,01");
}

TEST(ScheduleCalculator, RoundsEveryStepToSinglePrecision) {
    // Profit is taken from the stored float win and spend, not from wider intermediates.
    const Outcome run = runOf(scheduleOf("11,67", {"0,1", "0,2", "0,3"}));
    ASSERT_EQ(run.rows.size(), 3U);
    const float spend = (0.1F + 0.2F) + 0.3F;
    const float win = 11.67F * 0.3F;
    EXPECT_EQ(run.rows[2].spend, spend);
    EXPECT_EQ(run.rows[2].win, win);
    EXPECT_EQ(run.rows[2].profit, win - spend);
}

TEST(ScheduleCalculator, EmptyStakesAreDoneWithNothingDelivered) {
    const Outcome run = runOf(scheduleOf("11,67", {}));
    EXPECT_EQ(run.outcome, RunOutcome::Done);
    EXPECT_TRUE(run.rows.empty());
}

TEST(ScheduleCalculator, ZeroPrizeLosesTheRunningSpend) {
    const Outcome run = runOf(scheduleOf("0", {"1", "4"}));
    ASSERT_EQ(run.rows.size(), 2U);
    EXPECT_EQ(run.rows[0], (RowResult{1, 1.0F, 0.0F, -1.0F}));
    EXPECT_EQ(run.rows[1], (RowResult{2, 5.0F, 0.0F, -5.0F}));
}

TEST(ScheduleCalculator, EmptyPrizeConvertsNothing) {
    // Every stake is garbage: converting any of them would throw.
    StakeSchedule schedule = scheduleOf("", {});
    schedule.stakeTexts.fill("not a number");
    const Outcome run = runOf(schedule);
    EXPECT_EQ(run.outcome, RunOutcome::PrizeMissing);
    EXPECT_TRUE(run.rows.empty());
}

// Runs the schedule expecting a NumberError; returns it with the rows delivered before it.
std::pair<NumberError, std::vector<RowResult>> failingRun(const StakeSchedule& schedule) {
    std::vector<RowResult> rows;
    try {
        ScheduleCalculator::run(schedule, [&](const RowResult& row) { rows.push_back(row); });
    } catch (const NumberError& error) {
        return {error, rows};
    }
    ADD_FAILURE() << "the run did not fail";
    return {NumberError(NumberError::Kind::TypeMismatch), rows};
}

// A failing run stops at the failing step, after delivering the rows before it; each fault is
// located in its row (or in the prize, with nothing delivered).
TEST(ScheduleCalculator, StopsAtTheFailingStepAndSaysWhere) {
    using Kind = NumberError::Kind;
    const std::string huge = "300.000.000.000.000.000.000.000.000.000.000.000.000";  // 3e38
    const struct {
        const char* what;
        StakeSchedule schedule;
        Kind kind;
        Field field;
        int row;
        std::size_t delivered;
    } cases[] = {
        {"a stake", scheduleOf("11,67", {"1", "1", "1", "1", ",", "1"}), Kind::TypeMismatch,
         Field::Stake, 5, 4},
        {"a stake too large", scheduleOf("1", {"2", std::string(45, '9')}), Kind::Overflow,
         Field::Stake, 2, 1},
        {"the running spend", scheduleOf("0", {huge, "", huge}), Kind::Overflow, Field::Stake, 3,
         1},
        {"the win", scheduleOf("10", {"1", huge}), Kind::Overflow, Field::Stake, 2, 1},
        {"the prize", scheduleOf("1.5", {"1"}), Kind::TypeMismatch, Field::Prize, 0, 0},
        {"a blank prize, not a missing one", scheduleOf("  ", {"1"}), Kind::TypeMismatch,
         Field::Prize, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto [error, rows] = failingRun(c.schedule);
        EXPECT_EQ(error.kind(), c.kind);
        EXPECT_EQ(error.field(), c.field);
        EXPECT_EQ(error.row(), c.row);
        EXPECT_EQ(rows.size(), c.delivered);
    }
}

}  // namespace
}  // namespace stakora
