#include "history/ui/THistoryWindow.h"

#include "common/FileReplace.h"
#include "common/ReasonWords.h"
#include "common/StatusWords.h"
#include "common/ui/FileDialogs.h"
#include "common/ui/LanguageListeners.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ScreenFit.h"
#include "common/ui/ShownText.h"
#include "history/HistoryPages.h"
#include "history/HistoryStore.h"
#include "history/SiteHealth.h"
#include "history/ui/HistoryCharts.h"
#include "history/ui/HistoryGridModel.h"
#include "history/ui/HistoryRunsList.h"
#include "history/ui/HistoryRunsModel.h"
#include "history/ui/HistoryTitlesModel.h"

#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

template <typename N>
Phrase Number(N n)
{
    return Phrase::Text(std::to_string(n));
}

template <typename T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

QLabel* Caption(const char* name, QWidget* buddy)
{
    auto* label = Named(new QLabel, name);
    label->setBuddy(buddy);
    return label;
}

QTableWidget* List(const char* name, int columns)
{
    auto* list = Named(new QTableWidget(0, columns), name);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->verticalHeader()->hide();
    list->verticalHeader()->setDefaultSectionSize(22);
    list->horizontalHeader()->setStretchLastSection(true);
    return list;
}

void Put(QTableWidget* list, int row, int column, const QString& text)
{
    list->setItem(row, column, new QTableWidgetItem(text));
}

HistoryTime FromSeconds(qint64 seconds)
{
    return HistoryTime(std::chrono::seconds(seconds));
}

// The bytes a filter combo's item stands for (none for the first, "all", item).
std::vector<std::string> Chosen(const QComboBox* combo)
{
    if (combo->currentIndex() <= 0) return {};
    const QByteArray bytes = combo->currentData().toByteArray();
    return {std::string(bytes.constData(), static_cast<size_t>(bytes.size()))};
}

// The titles of a filter box, the one chosen kept when it is still there.
void Refill(QComboBox* combo, HistoryTitlesModel* model, std::vector<std::string> titles)
{
    const QByteArray chosen = combo->currentData().toByteArray();
    const QSignalBlocker block(combo);
    model->SetTitles(std::move(titles));
    const int again = chosen.isEmpty() ? 0 : combo->findData(chosen);
    combo->setCurrentIndex(again < 0 ? 0 : again);
}

} // namespace

THistoryWindow::THistoryWindow(HistoryStore& store, HistoryWindowCalls calls, QWidget* parent)
    : QWidget(parent, Qt::Window),
      store_(store),
      queries_(std::make_unique<HistoryPages>(store)),
      calls_(std::move(calls))
{
    setObjectName(QStringLiteral("HistoryWindow"));
    Build();
    Recaption();
    LanguageListeners::Follow(this, [this] { Recaption(); });
    Refresh();
}

THistoryWindow::~THistoryWindow() = default;

THistoryWindow* THistoryWindow::Open(HistoryStore& store, HistoryWindowCalls calls, QWidget* parent)
{
    auto* window = new THistoryWindow(store, std::move(calls), parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Over the middle of the main window, shrunk and moved onto the screen where a small or
    // scaled display cannot hold it whole.
    WindowLayout place;
    if (parent) {
        const QRect owner = parent->frameGeometry();
        place.Left = owner.x() + (owner.width() - window->width()) / 2;
        place.Top = owner.y() + (owner.height() - window->height()) / 2;
    }
    ScreenFit::Apply(window, place);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

const HistoryGrid& THistoryWindow::Grid() const
{
    return model_->Grid();
}

void THistoryWindow::Build()
{
    resize(1000, 700);
    pages_ = Named(new QTabWidget, "HistoryPages");

    // The grid page: filters, the grid over the attempts of its current pair, the buttons.
    auto* gridPage = Named(new QWidget, "TabSheetGrid");
    product_ = Named(new QComboBox, "ProductFilter");
    site_ = Named(new QComboBox, "SiteFilter");
    products_ = new HistoryTitlesModel(ShownText::Caption("(all)"), this);
    sites_ = new HistoryTitlesModel(ShownText::Caption("(all)"), this);
    for (auto [combo, titles] : {std::pair{product_, products_}, std::pair{site_, sites_}}) {
        combo->setModel(titles);
        // Sized by a few characters rather than by measuring every title the history knows
        // (the titles have no icon: none is made room for).
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(12);
        combo->setIconSize(QSize(0, 0));
    }
    outcome_ = Named(new QComboBox, "OutcomeFilter");
    outcome_->addItem(QString());
    for (const char* word : {StatusWords::Ok, StatusWords::NotAccepted, StatusWords::Failed, StatusWords::Invalid})
        outcome_->addItem(QString::fromUtf8(word), QByteArray(word));
    fromCheck_ = Named(new QCheckBox, "FromCheck");
    from_ = Named(new QDateEdit(QDate::currentDate().addDays(-30)), "FromDate");
    toCheck_ = Named(new QCheckBox, "ToCheck");
    to_ = Named(new QDateEdit(QDate::currentDate()), "ToDate");
    for (QDateEdit* date : {from_, to_}) {
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date->setEnabled(false);
    }
    search_ = Named(new QLineEdit, "SearchEdit");
    search_->setClearButtonEnabled(true);

    auto* filters = new QHBoxLayout;
    filters->addWidget(Caption("LabelProduct", product_));
    filters->addWidget(product_, 2);
    filters->addWidget(Caption("LabelSite", site_));
    filters->addWidget(site_, 2);
    filters->addWidget(Caption("LabelOutcome", outcome_));
    filters->addWidget(outcome_);
    filters->addWidget(fromCheck_);
    filters->addWidget(from_);
    filters->addWidget(toCheck_);
    filters->addWidget(to_);
    filters->addWidget(search_, 2);

    model_ = new HistoryGridModel(this);
    grid_ = Named(new QTableView, "HistoryGrid");
    grid_->setModel(model_);
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->horizontalHeader()->setDefaultSectionSize(70);
    grid_->verticalHeader()->setDefaultSectionSize(22);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    attemptsLabel_ = Named(new QLabel, "AttemptsLabel");
    attempts_ = List("AttemptsList", 5);
    auto* detail = new QWidget;
    auto* detailLayout = new QVBoxLayout(detail);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    detailLayout->addWidget(attemptsLabel_);
    detailLayout->addWidget(attempts_);
    auto* split = Named(new QSplitter(Qt::Vertical), "GridSplitter");
    split->addWidget(grid_);
    split->addWidget(detail);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);

    auto* retry = Named(new QPushButton, "RetrySelectedButton");
    auto* exportCsv = Named(new QPushButton, "ExportCsvButton");
    auto* gridButtons = new QHBoxLayout;
    gridButtons->addWidget(retry);
    gridButtons->addWidget(exportCsv);
    gridButtons->addStretch();
    auto* gridLayout = new QVBoxLayout(gridPage);
    gridLayout->addLayout(filters);
    gridLayout->addWidget(split, 1);
    gridLayout->addLayout(gridButtons);
    pages_->addTab(gridPage, QString());

    runsList_ =
        new HistoryRunsList(store_, *queries_, [this](const std::function<void()>& read) { return Read(read); });
    auto* runsPage = Named(new QWidget, "TabSheetRuns");
    (new QVBoxLayout(runsPage))->addWidget(runsList_);
    pages_->addTab(runsPage, QString());

    auto* chartsPage = Named(new QWidget, "TabSheetCharts");
    runsChart_ = Named(new QChartView, "RunsChart");
    runsChart_->setRenderHint(QPainter::Antialiasing);
    runsChart_->setMinimumHeight(260);
    sitesChart_ = Named(new QChartView, "SitesChart");
    sitesScroll_ = Named(new QScrollArea, "SitesChartScroll");
    sitesScroll_->setWidgetResizable(true);
    sitesScroll_->setWidget(sitesChart_);
    auto* uncheck = Named(new QPushButton, "UncheckDeadSitesButton");
    auto* chartsLayout = new QVBoxLayout(chartsPage);
    chartsLayout->addWidget(runsChart_, 2);
    chartsLayout->addWidget(sitesScroll_, 3);
    auto* chartButtons = new QHBoxLayout;
    chartButtons->addWidget(uncheck);
    chartButtons->addStretch();
    chartsLayout->addLayout(chartButtons);
    pages_->addTab(chartsPage, QString());

    auto* refresh = Named(new QPushButton, "RefreshButton");
    auto* closeButton = Named(new QPushButton, "CloseButton");
    status_ = Named(new QLabel, "StatusLabel");
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(refresh);
    bottom->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addLayout(bottom);

    searchDelay_ = new QTimer(this);
    searchDelay_->setSingleShot(true);
    searchDelay_->setInterval(250);

    const auto refill = [this] { FillGrid(); };
    connect(product_, &QComboBox::currentIndexChanged, this, refill);
    connect(site_, &QComboBox::currentIndexChanged, this, refill);
    connect(outcome_, &QComboBox::currentIndexChanged, this, refill);
    connect(fromCheck_, &QCheckBox::toggled, from_, &QWidget::setEnabled);
    connect(toCheck_, &QCheckBox::toggled, to_, &QWidget::setEnabled);
    connect(fromCheck_, &QCheckBox::toggled, this, refill);
    connect(toCheck_, &QCheckBox::toggled, this, refill);
    connect(from_, &QDateEdit::dateChanged, this, [this] {
        if (fromCheck_->isChecked()) FillGrid();
    });
    connect(to_, &QDateEdit::dateChanged, this, [this] {
        if (toCheck_->isChecked()) FillGrid();
    });
    connect(search_, &QLineEdit::textChanged, searchDelay_, qOverload<>(&QTimer::start));
    connect(searchDelay_, &QTimer::timeout, this, refill);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { ShowAttempts(); });
    connect(grid_->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { SizeColumnsInView(); });
    connect(grid_->horizontalScrollBar(), &QScrollBar::rangeChanged, this, [this] { SizeColumnsInView(); });
    connect(retry, &QPushButton::clicked, this, [this] { RetrySelected(); });
    connect(exportCsv, &QPushButton::clicked, this, [this] { ExportCsv(); });
    connect(uncheck, &QPushButton::clicked, this, [this] { UncheckDeadSites(); });
    connect(refresh, &QPushButton::clicked, this, [this] { Refresh(); });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    // The plots are drawn when first looked at: opening the window waits only for the lists.
    connect(pages_, &QTabWidget::currentChanged, this, [this] { FillCharts(); });
}

void THistoryWindow::Recaption()
{
    setWindowTitle(ShownText::Caption("History"));
    outcome_->setItemText(0, ShownText::Caption("(all)"));
    fromCheck_->setText(ShownText::Caption("From:"));
    toCheck_->setText(ShownText::Caption("To:"));
    search_->setPlaceholderText(ShownText::Caption("Search products and sites"));
    const std::pair<const char*, const char*> texts[] = {
        {"LabelProduct", "Product:"},      {"LabelSite", "Site:"},
        {"LabelOutcome", "Outcome:"},      {"RetrySelectedButton", "Retry Selected"},
        {"ExportCsvButton", "Export CSV"}, {"UncheckDeadSitesButton", "Uncheck Dead Sites"},
        {"RefreshButton", "Refresh"},      {"CloseButton", "Close"},
    };
    for (const auto& [name, english] : texts) {
        QWidget* w = findChild<QWidget*>(QString::fromUtf8(name));
        if (auto* label = qobject_cast<QLabel*>(w)) label->setText(ShownText::Caption(english));
        if (auto* button = qobject_cast<QPushButton*>(w)) button->setText(ShownText::Caption(english));
    }
    attempts_->setHorizontalHeaderLabels({ShownText::Caption("Time"), ShownText::Caption("Outcome"),
                                          ShownText::Caption("HTTP status"), ShownText::Caption("Milliseconds"),
                                          ShownText::Caption("Reason")});
    const char* tabs[] = {"Grid", "Runs", "Charts"};
    for (int i = 0; i < 3; ++i) pages_->setTabText(i, ShownText::Caption(tabs[i]));
    ShowAttempts(); // its heading names the pair under the cursor
    chartsStale_ = true;
    FillCharts();
}

void THistoryWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool THistoryWindow::Read(const std::function<void()>& read)
{
    try {
        read();
        return true;
    } catch (const std::exception& e) {
        status_->setText(ShownText::Message(Phrase("The history could not be read: %1", {Phrase::Text(e.what())})));
        return false;
    }
}

void THistoryWindow::Refresh()
{
    status_->clear();
    // Every product and site the history knows fill the filters, whatever the filters keep;
    // while no filter is set, the same answer is the grid's axes.
    HistoryPages::GridAxes all;
    if (Read([&] { all = queries_->Axes({}, std::nullopt); })) {
        Refill(product_, products_, all.Products.Titles);
        Refill(site_, sites_, all.Sites.Titles);
        const HistoryFilter filter = Filter();
        if (filter.Products.empty() && filter.Sites.empty() && filter.Outcomes.empty() && !filter.Since &&
            filter.Search.empty() && !Until())
            FillGrid(std::move(all.Products), std::move(all.Sites), all.Cells);
        else
            FillGrid();
    }
    runsList_->Fill();
    chartsStale_ = true;
    FillCharts();
}

HistoryFilter THistoryWindow::Filter() const
{
    HistoryFilter filter;
    filter.Products = Chosen(product_);
    filter.Sites = Chosen(site_);
    filter.Outcomes = Chosen(outcome_);
    if (fromCheck_->isChecked()) filter.Since = FromSeconds(from_->date().startOfDay().toSecsSinceEpoch());
    filter.Search = LocalText::ToBytes(search_->text());
    return filter;
}

std::optional<HistoryTime> THistoryWindow::Until() const
{
    if (!toCheck_->isChecked()) return std::nullopt;
    // The whole of the last day.
    return FromSeconds(to_->date().addDays(1).startOfDay().toSecsSinceEpoch() - 1);
}

void THistoryWindow::FillGrid()
{
    HistoryPages::GridAxes axes;
    if (!Read([&] { axes = queries_->Axes(Filter(), Until()); })) return;
    FillGrid(std::move(axes.Products), std::move(axes.Sites), axes.Cells);
}

void THistoryWindow::FillGrid(HistoryGrid::Axis products, HistoryGrid::Axis sites, std::int64_t cells)
{
    // The grid reads its cells as they are shown, under the filters of this moment.
    auto read = [this, filter = Filter(), until = Until()](const std::vector<std::int64_t>& ids) {
        std::vector<OutcomeRecord> found;
        Read([&] { found = queries_->Cells(filter, until, ids); });
        return found;
    };
    model_->SetGrid(HistoryGrid(std::move(products), std::move(sites), cells, std::move(read)));
    // Columns as wide as their site's title (cells hold one short word). Each width set costs
    // the header a pass over every column, so a grid of many sites has its columns sized as
    // they come into view.
    sized_.assign(Grid().Sites().size(), false);
    if (sized_.size() <= ColumnsSizedAtOnce)
        SizeColumns(0, static_cast<int>(sized_.size()) - 1);
    else
        SizeColumnsInView();
    ShowAttempts();
}

void THistoryWindow::SizeColumns(int first, int last)
{
    const QFontMetrics metrics(grid_->horizontalHeader()->font());
    const int least = metrics.horizontalAdvance(QStringLiteral("Invalid")) + 16;
    const std::vector<std::string>& titles = Grid().Sites();
    for (int column = std::max(first, 0); column <= last && column < static_cast<int>(sized_.size()); ++column) {
        if (sized_[static_cast<size_t>(column)]) continue;
        sized_[static_cast<size_t>(column)] = true;
        const int wanted = metrics.horizontalAdvance(LocalText::ToQ(titles[static_cast<size_t>(column)])) + 16;
        grid_->setColumnWidth(column, std::clamp(wanted, least, 220));
    }
}

void THistoryWindow::SizeColumnsInView()
{
    const QHeaderView* header = grid_->horizontalHeader();
    const int first = header->logicalIndexAt(0);
    if (first < 0) return;
    // Sizing a column moves the next ones: size until the view is full.
    for (int last = -1; last != header->logicalIndexAt(grid_->viewport()->width());) {
        last = header->logicalIndexAt(grid_->viewport()->width());
        SizeColumns(first, last < 0 ? header->count() - 1 : last);
        if (last < 0) break;
    }
}

void THistoryWindow::ShowAttempts()
{
    attempts_->setRowCount(0);
    const QModelIndex current = grid_->currentIndex();
    const std::optional<OutcomeRecord> cell = Grid().Cell(current.row(), current.column());
    if (!cell) {
        attemptsLabel_->setText(ShownText::Caption("Attempts:"));
        return;
    }
    attemptsLabel_->setText(
        ShownText::Caption("Attempts of %1 at %2:").arg(LocalText::ToQ(cell->Product), LocalText::ToQ(cell->Site)));
    std::vector<OutcomeRecord> attempts;
    if (!Read([&] { attempts = store_.Attempts(cell->Product, cell->Site); })) return;
    attempts_->setRowCount(static_cast<int>(attempts.size()));
    // Newest first.
    int row = 0;
    for (auto a = attempts.rbegin(); a != attempts.rend(); ++a, ++row) {
        Put(attempts_, row, 0, HistoryGridModel::TimeText(a->Time));
        Put(attempts_, row, 1, LocalText::ToQ(StatusWords::Word(a->Outcome)));
        Put(attempts_, row, 2, a->HttpStatus > 0 ? QString::number(a->HttpStatus) : QString());
        Put(attempts_, row, 3, a->Ms >= 0 ? QString::number(a->Ms) : QString());
        Put(attempts_, row, 4, ShownText::Message(ReasonWords::Read(a->Reason, a->Outcome == Outcome::NotAccepted)));
    }
    attempts_->resizeColumnsToContents();
}

void THistoryWindow::FillCharts()
{
    if (!chartsStale_ || pages_->currentWidget()->objectName() != QStringLiteral("TabSheetCharts")) return;
    std::vector<SiteRecent> recent;
    std::vector<RunSummary> sent;
    if (!Read([&] {
            recent = store_.RecentBySite(HistoryStore::RecentKept);
            sent = queries_->LatestSent(HistoryCharts::RunsShown);
        }))
        return;
    chartsStale_ = false;
    const std::vector<SiteHealth::Share> shares = SiteHealth::OkShares(recent);
    // setChart takes the new plot and lets go of the old one, which is then ours to delete.
    for (auto [view, chart] : {std::pair{runsChart_, HistoryCharts::OutcomesPerRun(sent)},
                               std::pair{sitesChart_, HistoryCharts::OkShares(shares)}}) {
        QChart* old = view->chart();
        view->setChart(chart);
        delete old;
    }
    sitesChart_->setMinimumHeight(110 + 30 * static_cast<int>(shares.size()));
}

void THistoryWindow::RetrySelected()
{
    // By the selection's rectangles: a whole grid selected is one, however many cells.
    std::vector<HistoryGrid::Range> ranges;
    for (const QItemSelectionRange& range : grid_->selectionModel()->selection())
        ranges.push_back({range.top(), range.left(), range.bottom(), range.right()});
    std::vector<HistoryGrid::Pair> pairs = Grid().Retryable(ranges);
    if (pairs.empty()) {
        MessageBoxes::Show(Phrase("No failed pair is selected in the grid."));
        return;
    }
    status_->setText(ShownText::Message(Phrase("Sending %1 pairs again.", {Number(pairs.size())})));
    if (calls_.RetrySelected) calls_.RetrySelected(std::move(pairs));
}

void THistoryWindow::ExportCsv()
{
    if (!Grid().CsvFits()) {
        MessageBoxes::Show(Phrase("The grid has %1 products and %2 sites, too many cells for one CSV file. Narrow it "
                                  "with the filters first.",
                                  {Number(Grid().Products().size()), Number(Grid().Sites().size())}));
        return;
    }
    const QString name = FileDialogs::SaveAs(this, QStringLiteral("history.csv"),
                                             ShownText::Caption("CSV File (*.csv)").toUtf8().constData(), "csv");
    if (name.isEmpty()) return;
    try {
        FileReplace::Write(QFile::encodeName(name).toStdString(), Grid().Csv());
        status_->setText(ShownText::Message(Phrase("Saved %1", {Phrase::Text(LocalText::ToBytes(name))})));
    } catch (const std::exception& e) {
        MessageBoxes::Show(ShownText::Error(e));
    }
}

void THistoryWindow::UncheckDeadSites()
{
    std::vector<SiteRecent> recent;
    if (!Read([&] { recent = store_.RecentBySite(SiteHealth::DeadAfter); })) return;
    // Without the Auto Submit page's checks to go by, every site the history knows is judged.
    std::vector<std::string> checked;
    if (calls_.CheckedSites)
        checked = calls_.CheckedSites();
    else
        for (const SiteRecent& site : recent) checked.push_back(site.Site);
    const std::vector<SiteRecent> dead = SiteHealth::Dead(recent, checked);
    if (dead.empty()) {
        MessageBoxes::Show(Phrase("No checked site has failed to answer in each of its last %1 attempts.",
                                  {Number(SiteHealth::DeadAfter)}));
        return;
    }
    const Phrase question = SiteHealth::UncheckQuestion(dead);
    if (MessageBoxes::Ask(question, ShownText::Caption("Uncheck Dead Sites")) != MessageBoxes::Answer::Ok) return;
    status_->setText(ShownText::Message(Phrase("Unchecked %1 sites.", {Number(dead.size())})));
    std::vector<std::string> titles;
    for (const SiteRecent& site : dead) titles.push_back(site.Site);
    if (calls_.UncheckSites) calls_.UncheckSites(std::move(titles));
}
