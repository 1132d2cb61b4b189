// The calculation against the obvious C library route: strtof after swapping the comma for a
// point, and snprintf("%.2f") after swapping the point back.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "decimal_text.h"
#include "schedule_calculator.h"

namespace {

using namespace stakora;

const std::vector<std::string> kTexts = {"10", "11,67", "2,5", "150", "0,75", "1234,5", "33"};

float baselineToSingle(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    return std::strtof(text.c_str(), nullptr);
}

std::string baselineFormat(float amount) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", static_cast<double>(amount));
    std::string text(buffer);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

StakeSchedule fullSchedule() {
    StakeSchedule schedule;
    for (int row = 1; row <= ROW_COUNT; ++row) {
        schedule.stakeText(row) = kTexts[static_cast<std::size_t>(row) % kTexts.size()];
    }
    return schedule;
}

void BM_ToSingle(benchmark::State& state) {
    for (auto _ : state) {
        for (const auto& text : kTexts) {
            benchmark::DoNotOptimize(DecimalText::toSingle(text));
        }
    }
}
BENCHMARK(BM_ToSingle);

void BM_ToSingleBaselineStrtof(benchmark::State& state) {
    for (auto _ : state) {
        for (const auto& text : kTexts) {
            benchmark::DoNotOptimize(baselineToSingle(text));
        }
    }
}
BENCHMARK(BM_ToSingleBaselineStrtof);

const std::vector<float> kAmounts = {0.0F, 116.7F, -5.0F, 1234.5F, 35.01F, 0.125F, 29.01F};

void BM_FormatAmount(benchmark::State& state) {
    for (auto _ : state) {
        for (float amount : kAmounts) {
            benchmark::DoNotOptimize(DecimalText::formatAmount(amount));
        }
    }
}
BENCHMARK(BM_FormatAmount);

void BM_FormatAmountBaselineSnprintf(benchmark::State& state) {
    for (auto _ : state) {
        for (float amount : kAmounts) {
            benchmark::DoNotOptimize(baselineFormat(amount));
        }
    }
}
BENCHMARK(BM_FormatAmountBaselineSnprintf);

// A whole ELABORA of fifteen filled rows with its forty-five captions.
void BM_RunFormatted(benchmark::State& state) {
    const StakeSchedule schedule = fullSchedule();
    std::vector<std::string> captions(3 * ROW_COUNT);
    for (auto _ : state) {
        ScheduleCalculator::run(schedule, [&](const RowResult& r) {
            const auto base = static_cast<std::size_t>(3 * (r.row - 1));
            captions[base] = DecimalText::formatAmount(r.spend);
            captions[base + 1] = DecimalText::formatAmount(r.win);
            captions[base + 2] = DecimalText::formatAmount(r.profit);
        });
        benchmark::DoNotOptimize(captions.data());
    }
}
BENCHMARK(BM_RunFormatted);

void BM_RunFormattedBaseline(benchmark::State& state) {
    const StakeSchedule schedule = fullSchedule();
    std::vector<std::string> captions(3 * ROW_COUNT);
    for (auto _ : state) {
        const float prize = baselineToSingle(schedule.prizeText);
        float spend = 0;
        for (int row = 1; row <= ROW_COUNT; ++row) {
            const float stake = baselineToSingle(schedule.stakeText(row));
            spend += stake;
            const float win = prize * stake;
            const auto base = static_cast<std::size_t>(3 * (row - 1));
            captions[base] = baselineFormat(spend);
            captions[base + 1] = baselineFormat(win);
            captions[base + 2] = baselineFormat(win - spend);
        }
        benchmark::DoNotOptimize(captions.data());
    }
}
BENCHMARK(BM_RunFormattedBaseline);

}  // namespace

BENCHMARK_MAIN();
