// A plain progress display: a text panel that shows the parts complete out
// of the total while a filter runs.
#pragma once

#include "StdCtrls.h"

class TProgressPanel : public TPanel {
public:
    LV_CLASS_NAME(TProgressPanel)
    explicit TProgressPanel(TComponent* AOwner);

    int TotalParts() const { return totalParts_; }
    void SetTotalParts(int v);
    int PartsComplete() const { return partsComplete_; }
    void SetPartsComplete(int v);
    int Percent() const { return percent_; }
    void SetPercent(int v);

private:
    void ShowProgress();

    int totalParts_ = 0;
    int partsComplete_ = 0;
    int percent_ = 0;
};

void RegisterStandInClasses();
