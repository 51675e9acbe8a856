// The program block: initialise the application, create the main window from
// its stored layout and run the event loop until the window closes.
#include <cstdio>

#include "BatchMode.h"
#include "Forms.h"
#include "Platform.h"
#include "ProgramIcon.h"
#include "SysUtils.h"
#include "Unit1.h"

int main(int argc, char** argv) {
    const TCommandLine commandLine = ParseCommandLine(argc, argv);
    if (commandLine.Request != TCommandLine::Run) {
        std::fputs((commandLine.Request == TCommandLine::Help ? HelpText() : VersionText()).c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (!commandLine.Error.empty()) {
        std::fprintf(stderr, "lumivar: %s\n%s", commandLine.Error.c_str(), UsageText().c_str());
        return 1;
    }
    if (commandLine.Batch) return RunBatch(commandLine, argc, argv);
    if (!DisplayAvailable()) {
        std::fprintf(stderr, "lumivar: no display available; use --batch to run without one\n%s", UsageText().c_str());
        return 1;
    }
    StartPlatform(argc, argv, TPlatformMode::Desktop);
    if (commandLine.ClassicPalette) UseClassicPalette();
    TForm1::SetStartupFileName(FileNameFromBytes(commandLine.FileName));

    Application->Initialize();
    UseProgramIcon();
    Application->SetMainFormOnTaskBar(true);
    Application->CreateForm(Form1);
    Application->Run();

    Application->Free();
    StopPlatform();
    return 0;
}
