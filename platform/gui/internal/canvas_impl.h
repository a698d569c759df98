#pragma once

// Internal: what a canvas draws on. Includes Qt.

#include "platform/gui/canvas.h"
#include "platform/gui/graphic_control.h"

#include <QImage>
#include <QPainter>

#include <memory>
#include <optional>

namespace plat {

struct CanvasImpl {
    // Drawing inside a paint event.
    QPainter* painter = nullptr;
    // Drawing on a bitmap; a painter is opened for each operation.
    QImage* image = nullptr;
    TPoint penPos;

    static std::unique_ptr<CanvasImpl> ForPainter(QPainter& painter);
    static std::unique_ptr<CanvasImpl> ForImage(QImage& image);
};

// The painter of one canvas operation.
class PainterLease {
public:
    explicit PainterLease(const CanvasImpl& impl);
    QPainter& operator*() { return *painter_; }
    QPainter* operator->() { return painter_; }

private:
    std::optional<QPainter> own_;
    QPainter* painter_;
};

} // namespace plat
