#pragma once

// Internal: conversions at the edge between the layer and Qt.

#include "platform/gui/types.h"

#include <QColor>
#include <QCursor>
#include <QRect>
#include <QString>

#include <string>
#include <string_view>

namespace plat {

inline QColor ToQColor(TColor color)
{
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}
inline TColor FromQRgb(QRgb rgb)
{
    return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

inline QRect ToQRect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

QCursor ToQCursor(TCursor cursor);

// CP1250 bytes <-> UTF-16.
QString ToQString(std::string_view cp1250);
std::string FromQString(const QString& text);

// A hint as a tool tip: escaped so that Qt shows it literally.
QString ToolTipFor(std::string_view cp1250Hint);

} // namespace plat
