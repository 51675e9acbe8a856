// Message words: window messages that the windowing layer turns events into,
// and component messages that controls send each other. A control receives
// every message through its virtual WndProc.
#pragma once

#include <cstdint>

struct TMessage {
    unsigned Msg = 0;
    std::intptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

// Coordinates travel in LParam: X in the low 16 bits, Y in the high 16 bits,
// both signed.
inline std::intptr_t PointToLParam(int x, int y) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(x))) |
                                      (static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16));
}
inline int LParamX(std::intptr_t l) { return static_cast<std::int16_t>(l & 0xFFFF); }
inline int LParamY(std::intptr_t l) { return static_cast<std::int16_t>((l >> 16) & 0xFFFF); }

// Window messages. WM_SIZE carries the size kind in WParam (0 restored,
// 1 minimized, 2 maximized) and width/height in the low/high words of LParam.
constexpr unsigned WM_MOVE = 0x0003;             // a window moved from outside; LParam: its new position
constexpr unsigned WM_SIZE = 0x0005;
constexpr unsigned WM_PAINT = 0x000F;            // WParam: TCanvas* to paint on; LParam: const TRect* update area
constexpr unsigned WM_CLOSE = 0x0010;
constexpr unsigned WM_ERASEBKGND = 0x0014;      // WParam: TCanvas* to erase on; Result 1 = erased
constexpr unsigned WM_SETCURSOR = 0x0020;       // WParam: TControl* under the pointer; LParam: client point
constexpr unsigned WM_WINDOWPOSCHANGED = 0x0047;  // WParam: old width, LParam: old height
constexpr unsigned WM_NCHITTEST = 0x0084;       // LParam: screen point; Result: HT* code
constexpr unsigned WM_SYSCOMMAND = 0x0112;      // WParam: SC_* command
constexpr unsigned WM_MOUSEMOVE = 0x0200;       // LParam: client point; WParam: MK_* flags
constexpr unsigned WM_LBUTTONDOWN = 0x0201;
constexpr unsigned WM_LBUTTONUP = 0x0202;
constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
constexpr unsigned WM_RBUTTONDOWN = 0x0204;
constexpr unsigned WM_RBUTTONUP = 0x0205;
constexpr unsigned WM_RBUTTONDBLCLK = 0x0206;
constexpr unsigned WM_MBUTTONDOWN = 0x0207;
constexpr unsigned WM_MBUTTONUP = 0x0208;
constexpr unsigned WM_MBUTTONDBLCLK = 0x0209;
constexpr unsigned WM_MOUSEWHEEL = 0x020A;      // WParam: wheel delta (120 a notch); LParam: client point
constexpr unsigned WM_SETFOCUS = 0x0007;
constexpr unsigned WM_KILLFOCUS = 0x0008;
constexpr unsigned WM_THEMECHANGED = 0x031A;
constexpr unsigned WM_PRINTCLIENT = 0x0318;     // WParam: TCanvas* to paint the client area on

// Mouse key flags in WParam of mouse messages.
constexpr unsigned MK_LBUTTON = 0x0001;
constexpr unsigned MK_RBUTTON = 0x0002;
constexpr unsigned MK_SHIFT = 0x0004;
constexpr unsigned MK_CONTROL = 0x0008;
constexpr unsigned MK_MBUTTON = 0x0010;
constexpr unsigned MK_ALT = 0x0020;  // ours: the windowing layer reports Alt too
constexpr unsigned MK_PEN = 0x0100;  // ours: the event came from a pen

// System commands: interactive sizing from an edge or a corner (SC_SIZE
// plus the WMSZ_ code of the edge).
constexpr unsigned SC_SIZE = 0xF000;
constexpr unsigned WMSZ_LEFT = 1;
constexpr unsigned WMSZ_RIGHT = 2;
constexpr unsigned WMSZ_TOP = 3;
constexpr unsigned WMSZ_TOPLEFT = 4;
constexpr unsigned WMSZ_TOPRIGHT = 5;
constexpr unsigned WMSZ_BOTTOM = 6;
constexpr unsigned WMSZ_BOTTOMLEFT = 7;
constexpr unsigned WMSZ_BOTTOMRIGHT = 8;

// Hit-test answers.
constexpr int HTNOWHERE = 0;
constexpr int HTCLIENT = 1;
constexpr int HTBOTTOMRIGHT = 17;

// A program's own messages to its windows start here.
constexpr unsigned WM_USER = 0x0400;

// Component messages. The toolkit's own words start at CM_BASE; component
// sets add theirs from CM_BASE + 1000 on.
constexpr unsigned CM_BASE = 0xB000;
constexpr unsigned CM_ENABLEDCHANGED = CM_BASE + 2;
constexpr unsigned CM_COLORCHANGED = CM_BASE + 3;
constexpr unsigned CM_FONTCHANGED = CM_BASE + 4;
constexpr unsigned CM_CURSORCHANGED = CM_BASE + 5;
constexpr unsigned CM_PARENTCOLORCHANGED = CM_BASE + 6;
constexpr unsigned CM_PARENTFONTCHANGED = CM_BASE + 7;
constexpr unsigned CM_PARENTSHOWHINTCHANGED = CM_BASE + 8;
constexpr unsigned CM_PARENTBIDIMODECHANGED = CM_BASE + 9;
constexpr unsigned CM_BIDIMODECHANGED = CM_BASE + 10;
constexpr unsigned CM_SHOWHINTCHANGED = CM_BASE + 11;
constexpr unsigned CM_VISIBLECHANGED = CM_BASE + 12;   // WParam: new visibility
constexpr unsigned CM_TEXTCHANGED = CM_BASE + 14;
constexpr unsigned CM_MOUSEENTER = CM_BASE + 15;       // LParam: the control entered
constexpr unsigned CM_MOUSELEAVE = CM_BASE + 16;       // LParam: the control left
constexpr unsigned CM_HITTEST = CM_BASE + 17;          // LParam: client point; Result: HT* code
constexpr unsigned CM_DIALOGCHAR = CM_BASE + 18;       // WParam: character; Result 1 = handled
constexpr unsigned CM_DIALOGKEY = CM_BASE + 19;       // WParam: key code (Enter, Escape); Result 1 = handled
constexpr unsigned CM_BUTTONPRESSED = CM_BASE + 20;    // WParam: group; LParam: the sender
constexpr unsigned CM_CONTROLCHANGE = CM_BASE + 21;    // WParam: control; LParam: 1 inserted, 0 removed
constexpr unsigned CM_STYLECHANGED = CM_BASE + 23;     // the application style changed (no service here changes it)
constexpr unsigned CM_RELEASE = CM_BASE + 31;
