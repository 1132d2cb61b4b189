// ELABORA with all fifteen rows filled, in the real window offscreen: from the click to the last
// of the forty-five cells repainted.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "main_window.h"
#include "qt_window_port.h"

namespace {

using namespace stakora;

void BM_ElaboraFifteenRows(benchmark::State& state) {
    auto owned = std::make_unique<qt::QtWindowPort>();
    qt::QtWindowPort& window = *owned;
    MainWindow handlers(std::move(owned));
    window.showCentred();
    if (!QTest::qWaitForWindowExposed(&window)) {
        state.SkipWithError("the window was not exposed");
        return;
    }
    for (int row = 1; row <= ROW_COUNT; ++row) {
        window.textBox(txtPuntata(row))->setText(QString::number(row * 3) + ",5");
    }
    QWidget* elabora = window.widget(cmdElabora());
    for (auto _ : state) {
        QTest::mouseClick(elabora, Qt::LeftButton);
    }
    if (window.label(lblUtile(ROW_COUNT))->text().isEmpty()) {
        state.SkipWithError("ELABORA wrote nothing");
    }
}
BENCHMARK(BM_ElaboraFifteenRows)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
