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
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
};

// Puts a Qt editor inside a control's widget: it fills the widget (less an
// inset), takes the focus for it, and its keys, focus and right-button
// releases go through the layer first.
class EditorFilter : public QObject {
public:
    EditorFilter(TWinControl* control, QWidget* editor);
    TWinControl* control;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The layer's share of a key event sent to `receiver`; true when the layer
// used it up. A character changed in OnKeyPress reaches the receiver
// instead of the typed one.
bool RouteKeyPress(TWinControl& control, QKeyEvent& event, QWidget& receiver);
bool RouteKeyRelease(TWinControl& control, QKeyEvent& event);
void RouteFocusIn(TWinControl& control, Qt::FocusReason reason);
// Opens the control's popup menu at the release point; true when it did.
bool RouteRightRelease(TWinControl& control, const QPoint& globalPos);

struct WinControlImpl {
    ControlWidget* widget = nullptr;
    // The Qt editor inside the widget, if any.
    QWidget* editor = nullptr;
    EditorFilter* filter = nullptr;
    int editorInset = 0;

    void AttachEditor(TWinControl* control, QWidget* inner, int inset);
    void PlaceEditor() const;

    void InvalidateArea(const TRect& area) const;
    // Frees the widget now, or after the running Qt event when the layer is
    // unwinding a dispatch inside one.
    void ReleaseWidget();
};

// A point of the control's widget in its client coordinates (a form's menu
// bar lies above the client area).
QPoint ClientPointOf(const TWinControl& control, const QPointF& widgetPoint);

// Paints a windowed control and its graphic children into the area.
void PaintControlTree(TWinControl& control, QPainter& painter, const QRect& area);

} // namespace plat
