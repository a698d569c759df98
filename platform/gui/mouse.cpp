#include "platform/gui/mouse.h"

#include "platform/gui/internal/qt_bridge.h"

#include <QCursor>

#include <optional>

namespace plat {
namespace {

std::optional<TPoint> setPosition;
QPoint seenWhenSet;

} // namespace

TPoint Mouse::CursorPos()
{
    const QPoint now = QCursor::pos();
    if (setPosition && now == seenWhenSet)
        return *setPosition;
    setPosition.reset();
    return TPoint{now.x(), now.y()};
}

void Mouse::SetCursorPos(TPoint point)
{
    QCursor::setPos(point.x, point.y);
    setPosition = point;
    seenWhenSet = QCursor::pos();
}

QCursor ToQCursor(TCursor cursor)
{
    switch (cursor) {
    case crCross:
        return QCursor(Qt::CrossCursor);
    case crIBeam:
        return QCursor(Qt::IBeamCursor);
    case crSizeNS:
        return QCursor(Qt::SizeVerCursor);
    case crSizeWE:
        return QCursor(Qt::SizeHorCursor);
    case crHourGlass:
        return QCursor(Qt::WaitCursor);
    case crNo:
        return QCursor(Qt::ForbiddenCursor);
    case crHandPoint:
        return QCursor(Qt::PointingHandCursor);
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

} // namespace plat
