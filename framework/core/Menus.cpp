#include "Menus.h"

#include "Streaming.h"

char16_t GetAccelChar(const String& Caption) {
    for (size_t i = 0; i + 1 < Caption.size(); ++i) {
        if (Caption[i] != u'&') continue;
        if (Caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        return Caption[i + 1];
    }
    return 0;
}

bool IsAccel(char16_t VK, const String& Caption) {
    const char16_t accel = GetAccelChar(Caption);
    return accel != 0 && VK != 0 && SameText(String(1, accel), String(1, VK));
}

namespace {

void RegisterMenus() {
    static const TEnumType kPopupAlignmentType{u"TPopupAlignment", {u"paLeft", u"paRight", u"paCenter"}};
    TClassBuilder<TPopupMenu>(u"TPopupMenu", u"")
        .Enumeration<TPopupAlignment>(u"Alignment", kPopupAlignmentType, &TPopupMenu::Alignment,
                                      &TPopupMenu::SetAlignment, paLeft);
}

}  // namespace

void RegisterMenuClasses() {
    RegisterClassesOnce(RegisterMenus);
}
