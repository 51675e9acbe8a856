#include <gtest/gtest.h>

#include "Graphics.h"
#include "Platform.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    StartPlatform(argc, argv, TPlatformMode::Offscreen);
    UseClassicPalette();
    const int result = RUN_ALL_TESTS();
    StopPlatform();
    return result;
}
