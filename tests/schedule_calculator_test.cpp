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

TEST(ScheduleCalculator, StopsAtTheFailingRowAfterDeliveringTheOnesBefore) {
    const auto [error, rows] = failingRun(scheduleOf("11,67", {"1", "1", "1", "1", ",", "1"}));
    EXPECT_EQ(error.kind(), NumberError::Kind::TypeMismatch);
    EXPECT_EQ(error.field(), Field::Stake);
    EXPECT_EQ(error.row(), 5);
    ASSERT_EQ(rows.size(), 4U);
    EXPECT_EQ(rows.back().row, 4);
}

TEST(ScheduleCalculator, LocatesOverflowInEachStep) {
    const std::string huge = "300.000.000.000.000.000.000.000.000.000.000.000.000";  // 3e38
    {  // the stake itself
        const auto [error, rows] = failingRun(scheduleOf("1", {"2", std::string(45, '9')}));
        EXPECT_EQ(error.kind(), NumberError::Kind::Overflow);
        EXPECT_EQ(error.row(), 2);
        EXPECT_EQ(rows.size(), 1U);
    }
    {  // the running spend
        const auto [error, rows] = failingRun(scheduleOf("0", {huge, "", huge}));
        EXPECT_EQ(error.kind(), NumberError::Kind::Overflow);
        EXPECT_EQ(error.row(), 3);
        EXPECT_EQ(rows.size(), 1U);
    }
    {  // the win
        const auto [error, rows] = failingRun(scheduleOf("10", {"1", huge}));
        EXPECT_EQ(error.kind(), NumberError::Kind::Overflow);
        EXPECT_EQ(error.row(), 2);
        EXPECT_EQ(rows.size(), 1U);
    }
    {  // the prize: nothing delivered
        const auto [error, rows] = failingRun(scheduleOf("1.5", {"1"}));
        EXPECT_EQ(error.kind(), NumberError::Kind::TypeMismatch);
        EXPECT_EQ(error.field(), Field::Prize);
        EXPECT_TRUE(rows.empty());
    }
}

TEST(ScheduleCalculator, BlankPrizeIsNotMissingButFailsToConvert) {
    const auto [error, rows] = failingRun(scheduleOf("  ", {"1"}));
    EXPECT_EQ(error.field(), Field::Prize);
    EXPECT_TRUE(rows.empty());
}

}  // namespace
}  // namespace stakora
