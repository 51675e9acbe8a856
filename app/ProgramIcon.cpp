#include "ProgramIcon.h"

#include "Forms.h"
#include "Resources.h"

void UseProgramIcon() {
    Application->SetIcon({
        {LumivarIcon16Png, LumivarIcon16PngSize},
        {LumivarIcon24Png, LumivarIcon24PngSize},
        {LumivarIcon32Png, LumivarIcon32PngSize},
        {LumivarIcon48Png, LumivarIcon48PngSize},
        {LumivarIcon64Png, LumivarIcon64PngSize},
        {LumivarIcon128Png, LumivarIcon128PngSize},
        {LumivarIcon256Png, LumivarIcon256PngSize},
    });
}
