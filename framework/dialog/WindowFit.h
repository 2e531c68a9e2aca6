#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QEvent;
class QWidget;

// Keeps a top-level window, frame included, within the part of its screen that windows may
// use (the screen less its task bars and docks). The frame that the window manager draws is
// known only once the window has been shown and framed; before that, the frame of the window's
// parent stands in for it, as both come from the same manager.
class TWindowFit {
public:
    TWindowFit() = delete;

    // The usable area of the window's screen, or of its parent's while it is not shown.
    static QRect UsableArea(const QWidget& AWindow);
    // The window's own frame once known, else its parent window's, else none.
    static QMargins FrameMargins(const QWidget& AWindow);
    // The largest client size whose framed window fits the usable area.
    static QSize MaximumClientSize(const QWidget& AWindow);
    // Moves the window so that its frame lies within the usable area, as far as it fits.
    static void KeepInside(QWidget& AWindow);
    // True when AEvent, delivered to the window, tells that its frame is no longer the one it
    // was last fitted with (AFittedWith): the manager announces a new frame with a move.
    static bool FrameChanged(const QWidget& AWindow, const QEvent& AEvent, const QMargins& AFittedWith);
};
