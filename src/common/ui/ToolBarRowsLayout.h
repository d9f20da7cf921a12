#pragma once

#include <QLayout>
#include <QList>

// Lays tool bars out left to right at their natural widths, and starts a new row only
// where the next bar does not fit in the width there is: a window wide enough shows them
// all in one row, a narrow one stacks them instead of hiding buttons.
class ToolBarRowsLayout : public QLayout {
public:
    explicit ToolBarRowsLayout(QWidget* parent = nullptr);
    ~ToolBarRowsLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the bars in `rect` (only measures when `apply` is false); returns the height used.
    int Place(const QRect& rect, bool apply) const;

    QList<QLayoutItem*> items_;
};
