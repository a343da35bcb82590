// Costs of the chart and the LCD panel on the window's thread. Run with
// QT_QPA_PLATFORM=offscreen.
#include <benchmark/benchmark.h>

#include <qcustomplot.h>
#include <QApplication>
#include <QFile>
#include <QImage>

#include <cmath>

#include "app/chart/chart_view.h"
#include "app/lcd/jpeg_image.h"
#include "app/lcd/lcd_panel_widget.h"
#include "log/chart_pager.h"

namespace {

// One logged value through the pager into both series, with the event loop turning every
// `batch` values (the queued replot then draws once per turn). range(0): points logged
// before timing starts; range(1): values per event-loop turn.
void BM_ChartLogValue(benchmark::State& state) {
    ChartView chart;
    chart.show();
    TChartControl pager(chart, 100);
    chart.setLeftRange(-6000, 6000);
    for (std::int64_t i = 0; i < state.range(0); ++i)
        pager.AddValue(std::sin(i * 0.01) * 5000);
    QCoreApplication::processEvents();
    const std::int64_t batch = state.range(1);
    std::int64_t n = 0;
    for (auto _ : state) {
        pager.AddValue(std::sin(n * 0.01) * 5000);
        if (++n % batch == 0) QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ChartLogValue)
    ->ArgNames({"logged", "perTurn"})
    ->Args({0, 1})
    ->Args({1'000'000, 1})
    ->Args({0, 100})
    ->Args({1'000'000, 100});

// One full repaint of the chart on a page of 100 points, with `range(0)` points in the series.
void BM_ChartReplot(benchmark::State& state) {
    ChartView chart;
    chart.show();
    TChartControl pager(chart, 100);
    chart.setLeftRange(-6000, 6000);
    for (std::int64_t i = 0; i < state.range(0); ++i)
        pager.AddValue(std::sin(i * 0.01) * 5000);
    for (auto _ : state)
        chart.plot()->replot(QCustomPlot::rpImmediateRefresh);
}
BENCHMARK(BM_ChartReplot)->Arg(1'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

// A packet's panel change and a full paint of the panel (an upper bound of the repaint).
void BM_LcdPanelPaint(benchmark::State& state) {
    LcdPanelWidget panel;
    QImage canvas(panel.size(), QImage::Format_RGB32);
    LcdPanelState a;
    a.digits = {"1", "2", "3", "4"};
    for (LcdElement e : {LcdElement::LcdDa, LcdElement::LcdDb, LcdElement::LcdDc, LcdElement::LcdDd,
                         LcdElement::LcdP2, LcdElement::LcdDc1, LcdElement::LcdAuto,
                         LcdElement::LcdV, LcdElement::LCDsend}) {
        a.setVisible(e, true);
    }
    LcdPanelState b = a;
    b.digits = {"1", "2", "3", "5"};
    b.setVisible(LcdElement::LCDHold, true);
    bool flip = false;
    for (auto _ : state) {
        panel.setPanelState((flip = !flip) ? b : a);
        panel.render(&canvas);
    }
}
BENCHMARK(BM_LcdPanelPaint)->Unit(benchmark::kMicrosecond);

void BM_JpegDecode(benchmark::State& state) {
    loadPicture(QStringLiteral("LCDsend"));  // registers the resources
    QFile file(QStringLiteral(":/pictures/LCDsend.jpg"));
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("picture missing");
        return;
    }
    const QByteArray bytes = file.readAll();
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeJpeg(bytes));
}
BENCHMARK(BM_JpegDecode)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
