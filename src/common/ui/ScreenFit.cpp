#include "common/ui/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

std::vector<WindowLayout::Rect> ScreenFit::Screens()
{
    std::vector<WindowLayout::Rect> screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    auto add = [&screens](const QScreen* s) {
        const QRect a = s->availableGeometry();
        screens.push_back({a.x(), a.y(), a.width(), a.height()});
    };
    if (primary) add(primary);
    for (const QScreen* s : QGuiApplication::screens())
        if (s != primary) add(s);
    return screens;
}

WindowLayout::Margins ScreenFit::Frame(const QWidget* window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    if (window->isVisible())
        return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                outer.bottom() - inner.bottom()};
    return {0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window), 0, 0};
}

void ScreenFit::Apply(QWidget* window, const WindowLayout& layout)
{
    WindowLayout placed = layout;
    if (!placed.Left || !placed.Top) {
        // Without a saved place the window keeps its own, if that shows.
        placed.Left = window->x();
        placed.Top = window->y();
    }
    const WindowLayout::Rect r = placed.Fitted(Screens(), Frame(window), window->width(), window->height());
    window->resize(r.Width, r.Height);
    window->move(r.X, r.Y);
    if (layout.Maximized.value_or(false)) window->setWindowState(window->windowState() | Qt::WindowMaximized);
}
