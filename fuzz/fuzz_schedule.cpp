// Any prize and fifteen stake texts (one per line): the rows delivered, and where a run stops,
// agree with a plain recomputation from the reference conversion.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "reference.h"
#include "schedule_calculator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace stakora;
    const std::string input(reinterpret_cast<const char*>(data), size);
    StakeSchedule schedule;
    std::size_t start = 0;
    // Line 1 is the prize, lines 2 to 16 the stakes; missing lines leave a field as it starts.
    for (int field = 0; field <= ROW_COUNT && start <= input.size(); ++field) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        const std::string text = input.substr(start, end - start);
        (field == 0 ? schedule.prizeText : schedule.stakeText(field)) = text;
        start = end + 1;
    }

    // The expected rows, and the field where the run must stop.
    std::vector<RowResult> expected;
    std::optional<NumberError::Kind> failure;
    Field failedField = Field::Unknown;
    int failedRow = 0;
    bool prizeMissing = schedule.prizeText.empty();
    if (!prizeMissing) {
        const reference::Conversion prize = reference::toSingle(schedule.prizeText);
        failure = prize.failure;
        failedField = Field::Prize;
        float spend = 0;
        for (int row = 1; row <= ROW_COUNT && !failure; ++row) {
            if (schedule.stakeText(row).empty()) {
                continue;
            }
            const reference::Conversion stake = reference::toSingle(schedule.stakeText(row));
            failedField = Field::Stake;
            failedRow = row;
            failure = stake.failure;
            if (failure) {
                break;
            }
            spend = spend + stake.value;
            const float win = prize.value * stake.value;
            const float profit = win - spend;
            if (!std::isfinite(spend) || !std::isfinite(win) || !std::isfinite(profit)) {
                failure = NumberError::Kind::Overflow;
                break;
            }
            expected.push_back({row, spend, win, profit});
        }
    }

    std::vector<RowResult> delivered;
    try {
        const RunOutcome outcome = ScheduleCalculator::run(
            schedule, [&](const RowResult& row) { delivered.push_back(row); });
        reference::check(!failure, "finished where it should have failed");
        reference::check((outcome == RunOutcome::PrizeMissing) == prizeMissing, "wrong outcome");
    } catch (const NumberError& error) {
        reference::check(failure.has_value(), "failed where it should have finished");
        reference::check(error.kind() == *failure, "wrong kind of failure");
        reference::check(error.field() == failedField, "failure at the wrong field");
        reference::check(error.field() == Field::Prize || error.row() == failedRow, "wrong row");
    }
    reference::check(delivered == expected, "rows differ from the recomputation");
    return 0;
}
