// Painting kit costs: gradients at the sizes panels and buttons repaint,
// frames, and the canvas primitives beneath them; and what a click costs the
// rich-text view on a long line scrolled sideways.
//
//   paint_bench [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include "KvCommon.h"
#include "KvGrafx.h"
#include "Forms.h"
#include "Platform.h"
#include "RichEdit.h"

namespace {

void BM_PaintGradient(benchmark::State& state) {
    const auto direction = TGradientDirection(state.range(0));
    const int w = int(state.range(1)), h = int(state.range(2));
    TBitmap target(w, h);
    for (auto _ : state) PaintGradient(target.Canvas(), Rect(0, 0, w, h), direction, clNavy, clWhite, 1);
    state.SetLabel(std::to_string(w) + "x" + std::to_string(h));
}

void GradientArgs(benchmark::internal::Benchmark* b) {
    for (int d = gdDiagonalUp; d <= gdBigSquareBox; ++d) {
        b->Args({d, 25, 25});     // a tool button
        b->Args({d, 800, 30});    // a toolbar
        b->Args({d, 1024, 600});  // a large panel
    }
}
BENCHMARK(BM_PaintGradient)->Apply(GradientArgs)->Unit(benchmark::kMicrosecond);

void BM_DrawInnerOuterBorders(benchmark::State& state) {
    TBitmap target(400, 40);
    for (auto _ : state)
        benchmark::DoNotOptimize(DrawInnerOuterBorders(target.Canvas(), Rect(0, 0, 400, 40), fsRaised, fsLowered, 2,
                                                       sdAllSides, 1, clBtnFace, clBtnHighlight, clBtnShadow,
                                                       clBtnShadow, 0, clBtnFace, clBtnFace, false, false));
}
BENCHMARK(BM_DrawInnerOuterBorders)->Unit(benchmark::kMicrosecond);

void BM_DarkerColor(benchmark::State& state) {
    TColor c = 0x00C08040;
    for (auto _ : state) benchmark::DoNotOptimize(c = DarkerColor(c | 0x00404040, 10));
}
BENCHMARK(BM_DarkerColor);

void BM_FillRect(benchmark::State& state) {
    TBitmap target(100, 100);
    target.Canvas().Brush().SetColor(clRed);
    for (auto _ : state) target.Canvas().FillRect(Rect(10, 10, 20, 20));
}
BENCHMARK(BM_FillRect);

void BM_SetPixel(benchmark::State& state) {
    TBitmap target(100, 100);
    for (auto _ : state) target.Canvas().SetPixel(5, 5, clRed);
}
BENCHMARK(BM_SetPixel);

// The view maps a click near the end of a line of range(0) characters,
// scrolled there sideways.
void BM_ViewPointOnLongLine(benchmark::State& state) {
    const int length = int(state.range(0));
    TOwned<TForm> form(new TForm(nullptr));
    form->SetBounds(0, 0, 1025, 479);
    auto* view = new TRichEdit(form.get());
    view->SetParent(form.get());
    view->SetAlign(alClient);
    view->Font().SetName(u"Consolas");
    view->Font().SetHeight(-13);
    view->Lines()->Add(String(static_cast<size_t>(length), u'x'));
    view->SetSelStart(length);
    view->SetSelLength(0);
    for (auto _ : state) benchmark::DoNotOptimize(view->PositionAt(500, 8));
}
BENCHMARK(BM_ViewPointOnLongLine)->Arg(200)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    StartPlatform(argc, argv, TPlatformMode::Offscreen);
    UseClassicPalette();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    StopPlatform();
    return 0;
}
