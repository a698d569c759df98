#pragma once

#include <cstdint>

namespace plat {

// Colours as the program stores them: 0x00BBGGRR, red in the low byte. The
// high byte is ignored when drawing.
using TColor = uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clGray = 0x808080;
constexpr TColor clBtnFace = 0xF0F0F0;
constexpr TColor clBtnHighlight = 0xFFFFFF;
constexpr TColor clBtnShadow = 0xA0A0A0;
constexpr TColor clWindowText = 0x000000;

constexpr TColor RGB(unsigned r, unsigned g, unsigned b)
{
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr unsigned GetRValue(TColor c)
{
    return c & 0xFF;
}
constexpr unsigned GetGValue(TColor c)
{
    return (c >> 8) & 0xFF;
}
constexpr unsigned GetBValue(TColor c)
{
    return (c >> 16) & 0xFF;
}

struct TPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Right and bottom lie outside the rectangle.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Rect(int left, int top, int right, int bottom)
{
    return TRect{left, top, right, bottom};
}
inline TRect Bounds(int left, int top, int width, int height)
{
    return TRect{left, top, left + width, top + height};
}

// Never reused within a run.
using THandle = uint64_t;

enum class TAlign { alNone, alTop, alClient };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout { tlTop, tlCenter, tlBottom };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Shift state bits, as a set.
using TShiftState = unsigned;
constexpr TShiftState ssShift = 1;
constexpr TShiftState ssAlt = 2;
constexpr TShiftState ssCtrl = 4;
constexpr TShiftState ssLeft = 8;
constexpr TShiftState ssRight = 16;
constexpr TShiftState ssMiddle = 32;
constexpr TShiftState ssDouble = 64;

// Cursor numbers as the program stores and passes them.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crHandPoint = -21;

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psClear };
enum class TBrushStyle { bsSolid, bsClear };
enum class TBevelCut { bvNone, bvLowered, bvRaised };
enum class TShapeType { stRectangle };
enum class TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine };
enum class TBevelStyle { bsLowered, bsRaised };

} // namespace plat
