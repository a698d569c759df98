#include "platform/testing/gui_harness.h"

#include "platform/gui/form.h"
#include "platform/gui/gui_application.h"
#include "platform/gui/internal/key_codes.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/text_metrics.h"
#include "platform/gui/win_control.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTextDocument>
#include <QWindow>

#include <algorithm>
#include <cstdlib>

namespace plat::testing {
namespace {

QWidget* HostWidget(const TControl& control)
{
    if (control.IsWindowed())
        return static_cast<const TWinControl&>(control).Impl().widget;
    return control.Parent() != nullptr ? control.Parent()->Impl().widget : nullptr;
}

// A point of the control's client area in its host widget's coordinates.
QPoint HostPoint(const TControl& control, int x, int y)
{
    if (control.IsWindowed()) {
        const TPoint offset = static_cast<const TWinControl&>(control).ClientOffset();
        return QPoint(x + offset.x, y + offset.y);
    }
    const TPoint offset = control.Parent()->ClientOffset();
    return QPoint(x + control.Left() + offset.x, y + control.Top() + offset.y);
}

// The control's point in its form window's coordinates.
QWindow* WindowAt(const TControl& control, int x, int y, QPoint& local)
{
    QWidget* host = HostWidget(control);
    if (host == nullptr)
        return nullptr;
    const QPoint inHost = HostPoint(control, x, y);
    QWidget* top = host->window();
    local = host->mapTo(top, inHost);
    return top->windowHandle();
}

Qt::MouseButton ToQtButton(TMouseButton button)
{
    switch (button) {
    case TMouseButton::mbRight:
        return Qt::RightButton;
    case TMouseButton::mbMiddle:
        return Qt::MiddleButton;
    case TMouseButton::mbLeft:
        break;
    }
    return Qt::LeftButton;
}

QImage GrabImage(const TControl& control)
{
    QWidget* host = HostWidget(control);
    if (host == nullptr)
        return QImage();
    // A form's menu bar is no part of its client area.
    const QRect area = control.IsWindowed() ? host->rect().adjusted(0, HostPoint(control, 0, 0).y(), 0, 0)
                                            : QRect(HostPoint(control, 0, 0), QSize(control.Width(), control.Height()));
    return host->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
}

// Compares with a golden PNG; see MatchesGolden.
void BlackOut(QImage& image, const std::vector<TRect>& areas)
{
    QPainter painter(&image);
    for (const TRect& area : areas)
        painter.fillRect(QRect(area.Left, area.Top, area.Width(), area.Height()), Qt::black);
}

::testing::AssertionResult ImageMatchesGolden(const QImage& grab, const std::string& goldenPath,
                                              const std::string& outputFolder, int tolerance, double maxShare,
                                              const std::vector<TRect>& ignored = {})
{
    QImage actual = grab;
    BlackOut(actual, ignored);
    const QString golden = QString::fromStdString(goldenPath);
    const char* update = std::getenv("DALMORA_UPDATE_GOLDENS");
    if (update != nullptr && std::string(update) == "1") {
        actual.save(golden, "PNG");
        return ::testing::AssertionSuccess() << "golden rewritten";
    }
    QImage expected = QImage(golden).convertToFormat(QImage::Format_RGB32);
    if (!expected.isNull())
        BlackOut(expected, ignored);
    const QString name = QFileInfo(golden).completeBaseName();
    QDir().mkpath(QString::fromStdString(outputFolder));
    const QString actualPath = QString::fromStdString(outputFolder) + "/" + name + ".actual.png";
    const QString diffPath = QString::fromStdString(outputFolder) + "/" + name + ".diff.png";
    if (expected.isNull()) {
        actual.save(actualPath, "PNG");
        return ::testing::AssertionFailure() << "no golden at " << goldenPath;
    }
    if (expected.size() != actual.size()) {
        actual.save(actualPath, "PNG");
        return ::testing::AssertionFailure() << "size " << actual.width() << "x" << actual.height() << ", golden "
                                             << expected.width() << "x" << expected.height();
    }
    QImage diff(actual.size(), QImage::Format_RGB32);
    diff.fill(Qt::white);
    long long differing = 0;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y);
            const QRgb e = expected.pixel(x, y);
            const int worst =
                std::max({std::abs(qRed(a) - qRed(e)), std::abs(qGreen(a) - qGreen(e)), std::abs(qBlue(a) - qBlue(e))});
            if (worst > tolerance) {
                ++differing;
                diff.setPixel(x, y, qRgb(255, 0, 0));
            }
        }
    }
    const double share = static_cast<double>(differing) / (static_cast<double>(actual.width()) * actual.height());
    if (share <= maxShare)
        return ::testing::AssertionSuccess();
    actual.save(actualPath, "PNG");
    diff.save(diffPath, "PNG");
    return ::testing::AssertionFailure() << differing << " pixels differ (share " << share << " > " << maxShare
                                         << "); actual and diff written to " << outputFolder;
}

} // namespace

void StartOffscreenGui()
{
    if (GuiApplication::Started())
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    GuiApplication::Start();
}

std::string MissingFontFamilies()
{
    std::string missing;
    const QStringList families = QFontDatabase::families();
    for (const char* family : {"Roboto Condensed", "Liberation Sans", "DejaVu Sans"}) {
        if (families.contains(QString::fromLatin1(family)))
            continue;
        if (!missing.empty())
            missing += ", ";
        missing += family;
    }
    return missing;
}

void OffscreenGuiTest::SetUp()
{
    StartOffscreenGui();
    const std::string missing = MissingFontFamilies();
    ASSERT_TRUE(missing.empty()) << "font families missing (run tools/setup-debian): " << missing;
    TextMetrics::SetFixed(false);
}

void OffscreenGuiTest::TearDown()
{
    Flush();
    TextMetrics::SetFixed(false);
}

void OffscreenGuiTest::UseFixedMetrics()
{
    TextMetrics::SetFixed(true);
}

bool WaitUntilExposed(const TForm& form)
{
    return QTest::qWaitForWindowExposed(form.Impl().widget, 5000);
}

bool SaveScreenshot(const std::string& path)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr && screen->grabWindow(0).save(QString::fromStdString(path), "PNG");
}

int TopLevelWindowCount()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible())
            ++count;
    return count;
}

int WidgetCount()
{
    // Qt makes its own desktop widget when first asked for a screen.
    const QWidgetList widgets = QApplication::allWidgets();
    return static_cast<int>(std::count_if(widgets.begin(), widgets.end(),
                                          [](const QWidget* widget) { return widget->windowType() != Qt::Desktop; }));
}

void Flush()
{
    GuiApplication::ProcessEvents();
}

void MousePress(const TControl& control, int x, int y, TMouseButton button)
{
    QPoint local;
    if (QWindow* window = WindowAt(control, x, y, local))
        QTest::mousePress(window, ToQtButton(button), Qt::NoModifier, local);
    Flush();
}

void MouseRelease(const TControl& control, int x, int y, TMouseButton button)
{
    QPoint local;
    if (QWindow* window = WindowAt(control, x, y, local))
        QTest::mouseRelease(window, ToQtButton(button), Qt::NoModifier, local);
    Flush();
}

void MouseMove(const TControl& control, int x, int y)
{
    QPoint local;
    if (QWindow* window = WindowAt(control, x, y, local))
        QTest::mouseMove(window, local);
    Flush();
}

void MouseClick(const TControl& control, int x, int y, TMouseButton button)
{
    MousePress(control, x, y, button);
    MouseRelease(control, x, y, button);
}

void MouseDoubleClick(const TControl& control, int x, int y)
{
    QPoint local;
    if (QWindow* window = WindowAt(control, x, y, local))
        QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, local);
    Flush();
}

void MouseWheel(const TControl& control, int x, int y, int delta)
{
    QPoint local;
    QWindow* window = WindowAt(control, x, y, local);
    if (window == nullptr)
        return;
    const QPoint global = window->mapToGlobal(local);
    QWheelEvent event(local, global, QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QWidget* target = HostWidget(control);
    QApplication::sendEvent(target, &event);
    Flush();
}

namespace {

QWidget* KeyTarget(const TWinControl& control)
{
    QWidget* widget = control.Impl().widget;
    return widget->focusProxy() != nullptr ? widget->focusProxy() : widget;
}

} // namespace

namespace {

int QtKeyOf(uint16_t key)
{
    const int qt = QtKeyOfVirtualKey(key);
    return qt != 0 ? qt : Qt::Key_unknown;
}

QString TextOf(uint16_t key, TShiftState shift)
{
    if (shift & (ssCtrl | ssAlt)) {
        if (key >= 'A' && key <= 'Z' && !(shift & ssAlt))
            return QString(QChar(key - 'A' + 1));
        return QString();
    }
    if (key >= 'A' && key <= 'Z')
        return QString(QChar((shift & ssShift) ? key : key + 32));
    if ((key >= '0' && key <= '9') || key == ' ')
        return QString(QChar(key));
    if (key == 0x0D)
        return QStringLiteral("\r");
    if (key == 0x1B)
        return QString(QChar(0x1B));
    if (key == 0x08)
        return QString(QChar(0x08));
    return QString();
}

Qt::KeyboardModifiers QtModifiersOf(TShiftState shift)
{
    Qt::KeyboardModifiers modifiers;
    if (shift & ssShift)
        modifiers |= Qt::ShiftModifier;
    if (shift & ssCtrl)
        modifiers |= Qt::ControlModifier;
    if (shift & ssAlt)
        modifiers |= Qt::AltModifier;
    return modifiers;
}

} // namespace

void SendKey(TWinControl& control, uint16_t key, TShiftState shift, bool press, bool autoRepeat)
{
    QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, QtKeyOf(key), QtModifiersOf(shift),
                    TextOf(key, shift), autoRepeat);
    QApplication::sendEvent(KeyTarget(control), &event);
    Flush();
}

void TapKey(TWinControl& control, uint16_t key, TShiftState shift)
{
    SendKey(control, key, shift, true);
    SendKey(control, key, shift, false);
}

int WindowIconSize(const TForm& form)
{
    const QIcon icon = form.Impl().widget->windowIcon();
    const QList<QSize> sizes = icon.availableSizes();
    return sizes.isEmpty() ? 0 : sizes.last().width();
}

std::string QtTranslation(const char* context, const char* text)
{
    return QCoreApplication::translate(context, text).toStdString();
}

bool ShowsCursor(const TControl& control, TCursor cursor)
{
    QWidget* host = HostWidget(control);
    return host != nullptr && host->cursor().shape() == ToQCursor(cursor).shape();
}

int OverrideCursorDepth()
{
    int depth = 0;
    QList<QCursor> popped;
    while (QGuiApplication::overrideCursor() != nullptr) {
        popped.push_front(*QGuiApplication::overrideCursor());
        QGuiApplication::restoreOverrideCursor();
        ++depth;
    }
    for (const QCursor& cursor : popped)
        QGuiApplication::setOverrideCursor(cursor);
    return depth;
}

bool WindowIsActive(const TForm& form)
{
    return form.Impl().widget->isActiveWindow();
}

bool WindowMapped(const TForm& form)
{
    return form.Impl().widget->isVisible();
}

TPoint WindowPosition(const TForm& form)
{
    const QPoint position = form.Impl().widget->pos();
    return TPoint{position.x(), position.y()};
}

TPoint MappedToScreen(const TWinControl& control)
{
    const QPoint origin = control.Impl().widget->mapToGlobal(QPoint(0, 0));
    return TPoint{origin.x(), origin.y()};
}

uintptr_t NativeWindowId(const TForm& form)
{
    QWidget* widget = form.Impl().widget;
    widget->winId();
    return widget->windowHandle() != nullptr ? static_cast<uintptr_t>(widget->windowHandle()->winId()) : 0;
}

bool UserCanResize(const TForm& form)
{
    const QWidget* widget = form.Impl().widget;
    return widget->minimumSize() != widget->maximumSize();
}

bool HasMaximizeButton(const TForm& form)
{
    return form.Impl().widget->windowFlags().testFlag(Qt::WindowMaximizeButtonHint);
}

void SimulateOtherProgramActivated()
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(nullptr);
    QT_WARNING_POP
    Flush();
}

bool WindowIsShown(const TForm& form)
{
    return form.Impl().widget->isVisible();
}

bool WindowIsMinimized(const TForm& form)
{
    return form.Impl().widget->isMinimized();
}

void UserRestoresWindow(TForm& form)
{
    QWidget* window = form.Impl().widget;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    Flush();
}

std::string ShownText(const TWinControl& control)
{
    QWidget* editor = control.Impl().editor;
    if (editor == nullptr)
        return std::string();
    const QVariant text = editor->property("text");
    return text.toString().toStdString();
}

void TypeText(TWinControl& control, const std::string& utf8)
{
    QWidget* widget = KeyTarget(control);
    for (const QChar ch : QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())))
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    Flush();
}

namespace {

QMenuBar* MenuBarOf(const TForm& form)
{
    QMenuBar* bar = form.Impl().widget->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
    return bar != nullptr && bar->isVisibleTo(form.Impl().widget) ? bar : nullptr;
}

QList<QAction*> VisibleActions(const QWidget& widget)
{
    QList<QAction*> visible;
    for (QAction* action : widget.actions())
        if (action->isVisible())
            visible.push_back(action);
    return visible;
}

QAction* MenuBarEntry(const TForm& form, int entry)
{
    QMenuBar* bar = MenuBarOf(form);
    if (bar == nullptr)
        return nullptr;
    const QList<QAction*> entries = VisibleActions(*bar);
    return entry >= 0 && entry < entries.size() ? entries[entry] : nullptr;
}

} // namespace

std::vector<std::string> MenuBarEntries(const TForm& form)
{
    std::vector<std::string> entries;
    if (QMenuBar* bar = MenuBarOf(form))
        for (QAction* action : VisibleActions(*bar))
            entries.push_back(action->text().toStdString());
    return entries;
}

std::vector<ShownMenuItem> MenuBarMenu(const TForm& form, int entry)
{
    std::vector<ShownMenuItem> items;
    QAction* action = MenuBarEntry(form, entry);
    if (action == nullptr || action->menu() == nullptr)
        return items;
    for (QAction* item : VisibleActions(*action->menu()))
        items.push_back(ShownMenuItem{item->isSeparator() ? std::string("-") : item->text().toStdString(),
                                      item->isChecked(), item->isEnabled()});
    return items;
}

std::string OpenMenuBarEntry(const TForm& form)
{
    auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QMenuBar* bar = MenuBarOf(form);
    if (open == nullptr || bar == nullptr)
        return std::string();
    for (QAction* action : bar->actions())
        if (action->menu() == open)
            return action->text().toStdString();
    return std::string();
}

void ClickMenuBarEntry(const TForm& form, int entry)
{
    QAction* action = MenuBarEntry(form, entry);
    if (action == nullptr)
        return;
    QMenuBar* bar = MenuBarOf(form);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(action).center());
    Flush();
}

void ClickOpenMenuItem(const std::string& text)
{
    auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (open == nullptr)
        return;
    for (QAction* action : VisibleActions(*open))
        if (action->text().section(QLatin1Char('\t'), 0, 0).toStdString() == text) {
            QTest::mouseClick(open, Qt::LeftButton, Qt::NoModifier, open->actionGeometry(action).center());
            break;
        }
    Flush();
}

void TapWindowKey(const TForm& form, uint16_t key, TShiftState shift)
{
    QWidget* target = QApplication::activePopupWidget();
    if (target == nullptr) {
        QWidget* focus = QApplication::focusWidget();
        target = focus != nullptr && focus->window() == form.Impl().widget ? focus : form.Impl().widget;
    }
    QTest::keyClick(target, static_cast<Qt::Key>(QtKeyOf(key)), QtModifiersOf(shift));
    Flush();
}

std::string WindowTitle(const TForm& form)
{
    return form.Impl().widget->windowTitle().toStdString();
}

std::string ShownToolTip(const TControl& control)
{
    const QString html = control.IsWindowed() ? static_cast<const TWinControl&>(control).Impl().widget->toolTip()
                                              : ToolTipFor(control.Hint());
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText().toStdString();
}

void Render(const TControl& control)
{
    GrabImage(control);
}

std::string GrabPng(const TControl& control)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    GrabImage(control).save(&buffer, "PNG");
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

TColor Probe(const TControl& control, int x, int y)
{
    QWidget* host = HostWidget(control);
    if (host == nullptr)
        return 0;
    const QImage pixel = host->grab(QRect(HostPoint(control, x, y), QSize(1, 1))).toImage();
    return pixel.isNull() ? 0 : FromQRgb(pixel.pixel(0, 0));
}

TColor ProbeScreen(int x, int y)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QImage pixel = screen->grabWindow(0, x, y, 1, 1).toImage();
    return pixel.isNull() ? 0 : FromQRgb(pixel.pixel(0, 0));
}

std::string GrabScreenPng(const TRect& area)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {};
    const QPixmap grab = screen->grabWindow(0, area.Left, area.Top, area.Width(), area.Height());
    if (grab.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    grab.toImage().convertToFormat(QImage::Format_RGB32).save(&buffer, "PNG");
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

::testing::AssertionResult MatchesGolden(const TControl& control, const std::string& goldenPath,
                                         const std::string& outputFolder, int tolerance, double maxShare)
{
    return ImageMatchesGolden(GrabImage(control), goldenPath, outputFolder, tolerance, maxShare);
}

::testing::AssertionResult PngMatchesGolden(const std::string& png, const std::string& goldenPath,
                                            const std::string& outputFolder, int tolerance, double maxShare)
{
    const QImage actual = QImage::fromData(QByteArray(png.data(), static_cast<qsizetype>(png.size())), "PNG")
                              .convertToFormat(QImage::Format_RGB32);
    if (actual.isNull())
        return ::testing::AssertionFailure() << "no picture to compare with " << goldenPath;
    return ImageMatchesGolden(actual, goldenPath, outputFolder, tolerance, maxShare);
}

::testing::AssertionResult PngMatchesGoldenOutside(const std::string& png, const std::vector<TRect>& ignored,
                                                   const std::string& goldenPath, const std::string& outputFolder,
                                                   int tolerance, double maxShare)
{
    const QImage actual = QImage::fromData(QByteArray(png.data(), static_cast<qsizetype>(png.size())), "PNG")
                              .convertToFormat(QImage::Format_RGB32);
    if (actual.isNull())
        return ::testing::AssertionFailure() << "no picture to compare with " << goldenPath;
    return ImageMatchesGolden(actual, goldenPath, outputFolder, tolerance, maxShare, ignored);
}

} // namespace plat::testing

// Fontconfig and D-Bus (which Qt opens on X11) keep allocations they never
// free; under LeakSanitizer they are not ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}

#if defined(__SANITIZE_ADDRESS__)
// The leak check at the end walks the dynamic thread-local blocks the
// runtime noted; after Qt's image plugins ran, one of those notes is stale
// and the check itself crashes (a test that passed then fails). The heap is
// still checked whole.
extern "C" const char* __asan_default_options()
{
    return "intercept_tls_get_addr=0";
}
#endif
