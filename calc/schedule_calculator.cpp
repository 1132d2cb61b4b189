#include "schedule_calculator.h"

namespace stakora::ScheduleCalculator {

RunOutcome run(const StakeSchedule& schedule, const RowSink& sink) {
    // Only the truly empty text counts as missing; blanks go on to conversion and fail there.
    if (schedule.prizeText.empty()) {
        return RunOutcome::PrizeMissing;
    }
    Amount prize = 0;
    try {
        prize = DecimalText::toSingle(schedule.prizeText);
    } catch (const NumberError& error) {
        throw error.at(Field::Prize);
    }

    Amount spend = 0;
    for (int row = 1; row <= ROW_COUNT; ++row) {
        const std::string& text = schedule.stakeText(row);
        if (text.empty()) {
            continue;
        }
        RowResult result{.row = row};
        try {
            const Amount stake = DecimalText::toSingle(text);
            spend = DecimalText::add(spend, stake);
            result.win = DecimalText::multiply(prize, stake);
            result.profit = DecimalText::subtract(result.win, spend);
        } catch (const NumberError& error) {
            throw error.at(Field::Stake, row);
        }
        result.spend = spend;
        sink(result);
    }
    return RunOutcome::Done;
}

}  // namespace stakora::ScheduleCalculator
