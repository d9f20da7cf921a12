#include "app/ui/WindowLayoutView.h"

#include "catalogue/ui/TListView.h"
#include "common/ui/LocalText.h"
#include "common/ui/ScreenFit.h"

#include <QFont>
#include <QHeaderView>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QWidget>

WindowLayout WindowLayoutView::Read(const Settings& settings, const Parts& parts)
{
    WindowLayout::Shape shape{parts.Pages->count(), {}};
    for (const TListView* view : parts.Lists)
        shape.Lists.emplace_back(LocalText::ToBytes(view->objectName()), view->model()->columnCount());
    return settings.Layout(shape);
}

void WindowLayoutView::Apply(const WindowLayout& l, const Parts& parts)
{
    ScreenFit::Apply(parts.Window, l);

    for (TListView* view : parts.Lists) {
        const auto it = l.Widths.find(LocalText::ToBytes(view->objectName()));
        if (it == l.Widths.end()) continue;
        for (size_t column = 0; column < it->second.size(); ++column)
            view->header()->resizeSection(static_cast<int>(column), it->second[column]);
    }
    if (!l.Split.empty() && parts.Split) parts.Split->setSizes({l.Split[0], l.Split[1]});
    if (l.Page) parts.Pages->setCurrentIndex(*l.Page);
}

WindowLayout WindowLayoutView::Take(const Parts& parts)
{
    const QWidget* window = parts.Window;
    WindowLayout l;
    // The place and size the window has when not maximised; the place is its frame's.
    const QRect normal = window->isMaximized() ? window->normalGeometry() : window->geometry();
    if (normal.isValid()) {
        const QPoint frame = window->geometry().topLeft() - window->pos();
        l.Left = normal.x() - frame.x();
        l.Top = normal.y() - frame.y();
        l.Width = normal.width();
        l.Height = normal.height();
    }
    l.Maximized = window->isMaximized();
    l.Page = parts.Pages->currentIndex();
    for (const TListView* view : parts.Lists) {
        std::vector<int>& widths = l.Widths[LocalText::ToBytes(view->objectName())];
        for (int column = 0; column < view->header()->count(); ++column)
            widths.push_back(view->header()->sectionSize(column));
    }
    if (parts.Split && parts.SplitShown) {
        const QList<int> sizes = parts.Split->sizes();
        if (sizes.size() == 2 && sizes[0] + sizes[1] > 0) l.Split = {sizes[0], sizes[1]};
    }
    return l;
}

void WindowLayoutView::FirstLook(QWidget* window)
{
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    window->setFont(font);
    window->resize(597, 454);
    if (QScreen* s = window->screen()) window->move(s->availableGeometry().center() - window->rect().center());
}
