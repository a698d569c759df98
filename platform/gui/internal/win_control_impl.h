#pragma once

// Internal: the Qt widget behind a windowed control. Includes Qt.

#include "platform/gui/types.h"

#include <QWidget>

namespace plat {

class TWinControl;

// Shows a windowed control's state and routes Qt's events to the layer.
class ControlWidget : public QWidget {
public:
    explicit ControlWidget(TWinControl* control);

    // Null once the control is detached; events then do nothing.
    TWinControl* control;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
};

struct WinControlImpl {
    ControlWidget* widget = nullptr;

    void InvalidateArea(const TRect& area) const;
    // Frees the widget now, or after the running Qt event when the layer is
    // unwinding a dispatch inside one.
    void ReleaseWidget();
};

// Paints a windowed control and its graphic children into the area.
void PaintControlTree(TWinControl& control, QPainter& painter, const QRect& area);

} // namespace plat
