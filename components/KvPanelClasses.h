// Registration of the classes that KvPanel.h declares, one routine per
// source file beside the classes it registers; RegisterKvPanelClasses runs
// them all.
#pragma once

void RegisterKvStatusBarClasses();
void RegisterKvToolbarClasses();
void RegisterKvRegIniFileClasses();
