#include "app/ui/StatusBarView.h"

#include "catalogue/ui/ListRowsModel.h"
#include "common/ui/LocalText.h"
#include "common/ui/ShownText.h"

#include <QLabel>
#include <QStatusBar>

StatusBarView::StatusBarView(QStatusBar* bar, const std::vector<const ListRowsModel*>& models) : QObject(bar)
{
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 2; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panel->setTextFormat(Qt::PlainText); // titles and links from the files, shown as they are
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panels_[i] = panel;
    }
    panels_[0]->setFixedWidth(100);
    panels_[1]->setMinimumWidth(50);
    bar->addWidget(panels_[0]);
    bar->addWidget(panels_[1], 1);

    for (int page = 0; page < static_cast<int>(models.size()); ++page) {
        const ListRowsModel* model = models[static_cast<size_t>(page)];
        state_.AddPage(model->Rows(), [model](int row) { return model->SecondText(row); });
        auto changed = [this, page] {
            state_.ListChanged(page);
            Show();
        };
        connect(model, &QAbstractItemModel::rowsInserted, this, changed);
        connect(model, &QAbstractItemModel::rowsRemoved, this, changed);
        connect(model, &QAbstractItemModel::modelReset, this, changed);
        connect(model, &QAbstractItemModel::dataChanged, this, changed);
    }
}

QString StatusBarView::PanelText(int panel) const
{
    return panels_[panel]->text();
}

void StatusBarView::ShowPage(int page)
{
    state_.ShowPage(page);
    Show();
}

void StatusBarView::RowSelected(int page, int row)
{
    state_.RowSelected(page, row);
    Show();
}

void StatusBarView::ShowMessage(const Phrase& text)
{
    state_.ShowMessage(text);
    Show();
}

void StatusBarView::Show()
{
    panels_[0]->setText(LocalText::ToQ(state_.Total()));
    panels_[1]->setText(ShownText::Message(state_.Row()));
}
