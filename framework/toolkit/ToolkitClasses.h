// The toolkit's classes in stored layouts: their registration and the names
// of the toolkit's enumerations as layouts write them.
#pragma once

#include <functional>

#include "Graphics.h"
#include "Streaming.h"

// Registers the toolkit's own classes (fonts, controls, panels, forms); safe
// to call more than once.
void RegisterToolkitClasses();

extern const TEnumType kAlignType;
extern const TEnumType kAlignmentType;
extern const TEnumType kButtonLayoutType;
extern const TEnumType kBiDiModeType;
extern const TEnumType kBevelCutType;
extern const TEnumType kFormBorderStyleType;
extern const TEnumType kPositionType;
extern const TEnumType kWindowStateType;
extern const TEnumType kFontStyleType;
extern const TEnumType kFontPitchType;
extern const TEnumType kDragModeType;
extern const TEnumType kAnchorKindType;
extern const TEnumType kBorderIconType;
extern const TEnumType kPopupModeType;

// A picture property stored as the binary data of its image (PNG); an
// empty picture is not stored. Reading data that is no picture is the
// reader's error.
TPropInfo BitmapProperty(const char16_t* Name, std::function<const TBitmap&(TPersistent*)> Get,
                         std::function<void(TPersistent*, const TBitmap&)> Set);
