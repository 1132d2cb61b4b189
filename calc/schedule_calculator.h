// The staking plan: for every filled row, the money spent so far, what a win there pays and
// the net result of winning there.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "decimal_text.h"

namespace stakora {

inline constexpr int ROW_COUNT = 15;
inline constexpr const char* kDefaultPrizeText = "11,67";

// The texts of one computation, exactly as they stand in the window.
struct StakeSchedule {
    std::string prizeText = kDefaultPrizeText;
    std::array<std::string, ROW_COUNT> stakeTexts{};  // rows 1 to 15 at [0] to [14]

    std::string& stakeText(int row) { return stakeTexts.at(static_cast<std::size_t>(row - 1)); }
    const std::string& stakeText(int row) const {
        return stakeTexts.at(static_cast<std::size_t>(row - 1));
    }
};

struct RowResult {
    int row = 0;        // 1 to 15
    Amount spend = 0;   // "Spesa": stakes of this row and every filled row before it
    Amount win = 0;     // "Vincita": prize multiplier times this row's stake
    Amount profit = 0;  // "Utile": win minus spend

    friend bool operator==(const RowResult&, const RowResult&) = default;
};

enum class RunOutcome { PrizeMissing, Done };

// Receives each row's result before the next row's text is converted, so a caller can show the
// rows as they are computed.
using RowSink = std::function<void(const RowResult&)>;

namespace ScheduleCalculator {

// Computes the schedule. An empty prize text is PrizeMissing and nothing is converted. A text
// that is no number, or a step beyond single precision, throws NumberError located at its field
// (the prize, or the stake of its row); the rows before it have already reached the sink.
// Rows with an empty stake text yield nothing and leave the running spend as it was.
RunOutcome run(const StakeSchedule& schedule, const RowSink& sink);

}  // namespace ScheduleCalculator
}  // namespace stakora
