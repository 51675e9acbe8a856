// The toolkit's classes in stored layouts: their registration and the names
// of the toolkit's enumerations as layouts write them.
#pragma once

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
