#include "StandIns.h"

#include <cmath>

#include "Streaming.h"

TProgressPanel::TProgressPanel(TComponent* AOwner) : TPanel(AOwner) {
    SetBevelOuter(bvLowered);
}

void TProgressPanel::SetTotalParts(int v) {
    if (v == totalParts_) return;
    totalParts_ = v;
    if (IsLoading()) return;
    partsComplete_ = 0;
    SetPercent(0);
}

void TProgressPanel::SetPartsComplete(int v) {
    if (v == partsComplete_) return;
    partsComplete_ = std::min(v, totalParts_);
    if (IsLoading() || totalParts_ == 0) return;
    SetPercent(static_cast<int>(std::nearbyint(100.0 * partsComplete_ / totalParts_)));
}

void TProgressPanel::SetPercent(int v) {
    if (v == percent_) return;
    percent_ = v;
    ShowProgress();
}

void TProgressPanel::ShowProgress() {
    SetCaption(IntToStr(partsComplete_) + u" / " + IntToStr(totalParts_));
    Repaint();
}

void RegisterStandInClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    TClassBuilder<TProgressPanel>(u"TProgressPanel", u"TPanel")
        .Integer(u"PartsComplete", &TProgressPanel::PartsComplete, &TProgressPanel::SetPartsComplete, 0)
        .Integer(u"TotalParts", &TProgressPanel::TotalParts, &TProgressPanel::SetTotalParts, 0)
        .Integer(u"Percent", &TProgressPanel::Percent, &TProgressPanel::SetPercent, 0);
}
