// How long the signal-bar graph takes to paint a full-screen picture, and a
// layout pass over 100 anchored controls takes. Runs offscreen.
#include "bus/BusLimits.h"
#include "controls/RssiCtrl.h"
#include "layout/AnchorLayout.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

// A graph in the middle of a scan: every channel has bars, peaks and averages.
void FillScan(CRssiCtrl& graph)
{
    for (int round = 0; round < 19; ++round)
        for (int channel = bus::kFirstChannel; channel <= bus::kLastChannel; ++channel)
            graph.SetLevel(channel, (channel * 37 + round * 53) % 256);
}

// The picture alone, drawn into the off-screen image.
void BM_RssiRender1920x1080(benchmark::State& state)
{
    CRssiCtrl graph {bus::kFirstChannel, bus::kChannelCount};
    FillScan(graph);
    QImage image(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        graph.Render(image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RssiRender1920x1080)->Unit(benchmark::kMillisecond);

// The whole paint of the widget: the picture and its copy to the target.
void BM_RssiPaint1920x1080(benchmark::State& state)
{
    CRssiCtrl graph {bus::kFirstChannel, bus::kChannelCount};
    graph.resize(1920, 1080);
    FillScan(graph);
    QImage target(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        graph.render(&target, {}, {}, QWidget::RenderFlags()); // the widget paints every pixel
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_RssiPaint1920x1080)->Unit(benchmark::kMillisecond);

class BenchLayout : public CAnchorLayout {
public:
    QWidget window;

protected:
    QWidget* GetLayoutWindow() const override { return const_cast<QWidget*>(&window); }
};

// A shown window with 100 controls of the form's kinds under the form's
// anchors, resized between two sizes so that every pass moves every control.
void BM_LayoutPass100Controls(benchmark::State& state)
{
    constexpr Anchor anchors[][2] = {
        {ANCHOR_TOP_RIGHT, ANCHOR_NONE},          {ANCHOR_TOP_LEFT, ANCHOR_MIDDLE_RIGHT},
        {ANCHOR_MIDDLE_LEFT, ANCHOR_BOTTOM_RIGHT}, {ANCHOR_BOTTOM_CENTER, ANCHOR_BOTTOM_CENTER},
        {ANCHOR_TOP_CENTER, ANCHOR_TOP_CENTER},
    };
    BenchLayout layout;
    layout.window.resize(800, 600);
    for (int i = 0; i < 100; ++i) {
        QWidget* control = nullptr;
        switch (i % 4) {
        case 0: control = new QLabel(QStringLiteral("Label"), &layout.window); break;
        case 1: control = new QLineEdit(&layout.window); break;
        case 2: control = new QPushButton(QStringLiteral("Button"), &layout.window); break;
        default: control = new QWidget(&layout.window); break;
        }
        control->setGeometry((i % 10) * 70 + 5, (i / 10) * 55 + 5, 60, 20);
        layout.AnchorControl(control, anchors[i % 5][0], anchors[i % 5][1]);
    }
    layout.window.show();
    QApplication::processEvents();

    bool wide = false;
    std::size_t moved = 0;
    for (auto _ : state) {
        state.PauseTiming();
        wide = !wide;
        layout.window.resize(wide ? QSize(1000, 750) : QSize(800, 600));
        moved += layout.PlanArrangement().size();
        state.ResumeTiming();
        layout.ArrangeControls();
    }
    state.counters["moved"] = benchmark::Counter(static_cast<double>(moved), benchmark::Counter::kAvgIterations);
    QApplication::processEvents();
}
BENCHMARK(BM_LayoutPass100Controls)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
