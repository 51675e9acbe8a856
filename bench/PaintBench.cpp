// Painting kit costs: gradients at the sizes panels and buttons repaint,
// frames, and the canvas primitives beneath them; and what a click costs the
// rich-text view on a long line scrolled sideways; and one screen of a big
// log painted and clicked at its top, middle and end.
//
//   paint_bench [--benchmark_filter=...]
//   LUMIVAR_PAINT_LOG=FILE paint_bench --benchmark_filter=ViewScreen

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>

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

// Scrolls a view of the log named by LUMIVAR_PAINT_LOG to its top (0),
// middle (1) or end (2), paints the window and clicks into the middle of
// the screen: the cost must not depend on where in the file the screen is.
void BM_ViewScreenAt(benchmark::State& state) {
    const char* log = std::getenv("LUMIVAR_PAINT_LOG");
    if (!log) {
        state.SkipWithError("set LUMIVAR_PAINT_LOG to a log file");
        return;
    }
    static TForm* form = nullptr;
    static TRichEdit* view = nullptr;
    if (!form) {
        form = new TForm(nullptr);
        form->SetBounds(0, 0, 1025, 479);
        view = new TRichEdit(form);
        view->SetParent(form);
        view->SetAlign(alClient);
        view->Font().SetName(u"Consolas");
        view->Font().SetHeight(-13);
        view->Lines()->LoadFromFile(Utf8ToString(log));
    }
    const int count = view->Lines()->Count();
    const int top = state.range(0) == 0 ? 0 : state.range(0) == 1 ? count / 2 : std::max(0, count - view->VisibleLineCount());
    TBitmap shot;
    for (auto _ : state) {
        view->SetTopLine(top);
        form->GetWindowImage(shot);
        SimulateMouseDown(form, mbLeft, 300, 200);
        SimulateMouseUp(form, mbLeft, 300, 200);
        benchmark::DoNotOptimize(view->SelStart());
    }
    state.SetLabel(state.range(0) == 0 ? "top" : state.range(0) == 1 ? "middle" : "end");
}
BENCHMARK(BM_ViewScreenAt)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

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
