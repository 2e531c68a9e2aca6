#include "WindowFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

QMargins OwnFrame(const QWidget& AWindow)
{
    const QWindow* handle = AWindow.windowHandle();
    return handle != nullptr && AWindow.isVisible() ? handle->frameMargins() : QMargins();
}

} // namespace

QRect TWindowFit::UsableArea(const QWidget& AWindow)
{
    const QWidget* parent = AWindow.parentWidget();
    QScreen* screen = !AWindow.isVisible() && parent != nullptr ? parent->window()->screen() : AWindow.screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

QMargins TWindowFit::FrameMargins(const QWidget& AWindow)
{
    const QMargins own = OwnFrame(AWindow);
    if (!own.isNull() || AWindow.parentWidget() == nullptr)
        return own;
    return OwnFrame(*AWindow.parentWidget()->window());
}

QSize TWindowFit::MaximumClientSize(const QWidget& AWindow)
{
    const QMargins frame = FrameMargins(AWindow);
    const QSize area = UsableArea(AWindow).size();
    return QSize(std::max(0, area.width() - frame.left() - frame.right()),
                 std::max(0, area.height() - frame.top() - frame.bottom()));
}

void TWindowFit::KeepInside(QWidget& AWindow)
{
    const QRect area = UsableArea(AWindow);
    if (area.isEmpty())
        return;
    const QMargins frame = FrameMargins(AWindow);
    const QRect framed = AWindow.geometry().marginsAdded(frame);
    // Right and bottom first, so that a window larger than the area keeps its top left corner
    // (the title bar) in view.
    const int left = std::max(area.left(), std::min(framed.left(), area.right() - framed.width() + 1));
    const int top = std::max(area.top(), std::min(framed.top(), area.bottom() - framed.height() + 1));
    if (left != framed.left() || top != framed.top())
        AWindow.move(left, top);
}

bool TWindowFit::FrameChanged(const QWidget& AWindow, const QEvent& AEvent, const QMargins& AFittedWith)
{
    return (AEvent.type() == QEvent::Show || AEvent.type() == QEvent::Move) && FrameMargins(AWindow) != AFittedWith;
}
