// The history window over a history of two runs.
#include "history/ui/THistoryWindow.h"
#include "common/StatusWords.h"
#include "common/ui/FileDialogs.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ShownText.h"
#include "history/HistoryStore.h"
#include "lang/LanguageFile.h"
#include "lang/LanguageTexts.h"
#include "support/TempDir.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QBrush>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

OutcomeRecord Pair(const char* product, const char* site, const char* outcome, int minute)
{
    OutcomeRecord r;
    r.Time = HistoryTime(std::chrono::minutes(29'000'000 + minute));
    r.Product = product;
    r.PadLink = std::string("http://127.0.0.1/") + product + ".xml";
    r.Site = site;
    r.Outcome = StatusWords::ToOutcome(outcome);
    return r;
}

void Record(HistoryStore& store, RunKind kind, int minute, const std::vector<OutcomeRecord>& outcomes)
{
    const auto at = HistoryTime(std::chrono::minutes(29'000'000 + minute));
    const std::int64_t run = store.BeginRun(kind, 10, at);
    store.RecordOutcomes(run, outcomes);
    store.EndRun(run, RunEnd::Finished, at + std::chrono::minutes(1));
}

} // namespace

TEST(THistoryWindowTest, ShowsBothRunsTheLatestOutcomesInStatusColoursAndSendsOnlyFailedOrDeadOnes)
{
    TempDir dir;
    HistoryStore store(dir.File(HistoryStore::FileName));
    std::vector<OutcomeRecord> first;
    for (int i = 0; i < 5; ++i) first.push_back(Pair("Editor", "dead.com", "Failed", i));
    first.push_back(Pair("Editor", "good.com", "X", 5));
    Record(store, RunKind::Submit, 0, first);
    Record(store, RunKind::Retry, 10, {Pair("Editor", "good.com", "Ok", 10), Pair("Viewer", "dead.com", "X", 11)});

    std::vector<std::pair<std::string, std::string>> retried;
    std::vector<std::string> unchecked;
    THistoryWindow window(store, {[&](auto pairs) { retried = pairs; }, [&](auto sites) { unchecked = sites; },
                                  [] {
                                      return std::vector<std::string>{"good.com", "dead.com"};
                                  }});
    window.show();
    QApplication::processEvents();

    const QAbstractItemModel* runs = window.findChild<QTableView*>(QStringLiteral("RunsList"))->model();
    const auto text = [](const QAbstractItemModel* model, int row, int column) {
        return model->index(row, column).data().toString();
    };
    ASSERT_EQ(runs->rowCount(), 2);
    EXPECT_EQ(text(runs, 0, 1), QStringLiteral("Retry")); // newest first
    EXPECT_EQ(text(runs, 0, 4), QStringLiteral("1"));     // its one "Ok"
    EXPECT_EQ(text(runs, 1, 6), QStringLiteral("5"));     // the first run's five "Failed"
    // Products and sites are counted after the list is up, for the rows shown.
    for (int i = 0; i < 20 && (text(runs, 0, 3).isEmpty() || text(runs, 1, 3).isEmpty()); ++i)
        QApplication::processEvents();
    EXPECT_EQ(text(runs, 0, 2) + text(runs, 0, 3), QStringLiteral("22"));
    EXPECT_EQ(text(runs, 1, 2) + text(runs, 1, 3), QStringLiteral("12"));

    auto* grid = window.findChild<QTableView*>(QStringLiteral("HistoryGrid"));
    const QAbstractItemModel* cells = grid->model();
    ASSERT_EQ(cells->rowCount(), 2);
    ASSERT_EQ(cells->columnCount(), 2);
    const auto colour = [&](int row, int column) {
        return cells->index(row, column).data(Qt::ForegroundRole).value<QBrush>().color();
    };
    // Editor at good.com: the retry's "Ok" in green over the first run's "X".
    EXPECT_EQ(cells->index(0, 1).data().toString(), QStringLiteral("Ok"));
    EXPECT_EQ(colour(0, 1), QColor(0, 128, 0));
    EXPECT_EQ(colour(1, 0), QColor(255, 0, 0));        // Viewer at dead.com: "X"
    EXPECT_EQ(colour(0, 0), QColor(0, 0, 0));          // Editor at dead.com: "Failed"
    EXPECT_FALSE(cells->index(1, 1).data().isValid()); // never tried

    grid->selectAll();
    window.findChild<QPushButton*>(QStringLiteral("RetrySelectedButton"))->click();
    EXPECT_EQ(retried,
              (std::vector<std::pair<std::string, std::string>>{{"Editor", "dead.com"}, {"Viewer", "dead.com"}}));

    // Export CSV writes what the grid shows, ".csv" added to a name typed without it.
    FileDialogs::setTestMode(true);
    FileDialogs::setNextFileName(QString::fromStdString(dir.File("grid")));
    window.findChild<QPushButton*>(QStringLiteral("ExportCsvButton"))->click();
    FileDialogs::setTestMode(false);
    EXPECT_EQ(dir.Read("grid.csv"), window.Grid().Csv());

    // The outcome filter reaches the store: only Viewer's "X" is left.
    window.findChild<QComboBox*>(QStringLiteral("OutcomeFilter"))->setCurrentText(QStringLiteral("X"));
    EXPECT_EQ(window.Grid().CellCount(), 1);
    EXPECT_EQ(cells->rowCount(), 1);

    // Uncheck Dead Sites: the "X" at dead.com was an answer, so no site is dead; five answerless
    // attempts after it make it dead, and the question names it with them, newest first.
    const auto uncheckDead = [&] {
        MessageBoxes::setTestMode(true);
        MessageBoxes::clearShown();
        window.findChild<QPushButton*>(QStringLiteral("UncheckDeadSitesButton"))->click();
        MessageBoxes::setTestMode(false);
        return MessageBoxes::shown().size() == 1 ? MessageBoxes::shown()[0].Text : QStringLiteral("no one message");
    };
    EXPECT_EQ(uncheckDead(), QStringLiteral("No checked site has failed to answer in each of its last 5 attempts."));
    EXPECT_TRUE(unchecked.empty());
    std::vector<OutcomeRecord> silent;
    for (int i = 0; i < 4; ++i) silent.push_back(Pair("Viewer", "dead.com", "Failed", 20 + i));
    silent.push_back(Pair("Viewer", "dead.com", "Invalid", 24));
    Record(store, RunKind::Retry, 20, silent);
    const QString question = uncheckDead();
    EXPECT_TRUE(question.startsWith(QStringLiteral("Uncheck these 1 sites"))) << question.toStdString();
    EXPECT_TRUE(question.endsWith(QStringLiteral("\ndead.com: Invalid Failed Failed Failed Failed")));
    EXPECT_EQ(unchecked, std::vector<std::string>{"dead.com"});
}

// The window's own captions and its messages follow the language applied; the run words of the
// history (stored in English) are shown in it too. QP_SHOTS names a folder for a picture of it.
TEST(THistoryWindowTest, ShowsItsCaptionsRunKindsAndMessagesInTheLanguageApplied)
{
    TempDir dir;
    HistoryStore store(dir.File(HistoryStore::FileName));
    Record(store, RunKind::Submit, 0, {Pair("Editor", "dead.com", "Failed", 0), Pair("Editor", "good.com", "Ok", 1)});
    Record(store, RunKind::Retry, 10, {Pair("Editor", "dead.com", "X", 10), Pair("Viewer", "good.com", "Ok", 11)});
    for (const char* language : {"Russian", "English"}) {
        ShownText::Use(LanguageTexts::Read(LanguageFile::PathFor(std::string(QP_SOURCE_DIR) + "/dist", language)));
        const bool russian = std::string(language) == "Russian";
        THistoryWindow window(store, {});
        window.show();
        QApplication::processEvents();
        EXPECT_EQ(window.windowTitle(), russian ? QStringLiteral("История") : QStringLiteral("History"));
        auto* pages = window.findChild<QTabWidget*>(QStringLiteral("HistoryPages"));
        EXPECT_EQ(pages->tabText(1), russian ? QStringLiteral("Отправки") : QStringLiteral("Runs"));
        const QAbstractItemModel* runs = window.findChild<QTableView*>(QStringLiteral("RunsList"))->model();
        EXPECT_EQ(runs->index(0, 1).data().toString(), russian ? QStringLiteral("Повтор") : QStringLiteral("Retry"));
        EXPECT_EQ(runs->index(0, 4).data().toString(), QStringLiteral("1")); // "Ok" counts stay numbers
        MessageBoxes::setTestMode(true);
        MessageBoxes::clearShown();
        window.findChild<QPushButton*>(QStringLiteral("RetrySelectedButton"))->click(); // nothing selected
        MessageBoxes::setTestMode(false);
        ASSERT_EQ(MessageBoxes::shown().size(), 1u);
        EXPECT_EQ(MessageBoxes::shown()[0].Text, russian
                                                     ? QStringLiteral("В таблице не выделено ни одной неудачной пары.")
                                                     : QStringLiteral("No failed pair is selected in the grid."));
        if (const QByteArray shots = qgetenv("QP_SHOTS"); !shots.isEmpty()) {
            window.resize(1000, 560);
            pages->setCurrentIndex(1);
            QApplication::processEvents();
            window.grab().save(
                QString::fromLocal8Bit(shots) +
                QStringLiteral("/history-window-%1.png").arg(russian ? QStringLiteral("ru") : QStringLiteral("en")));
        }
    }
    ShownText::Use(TextTemplates{});
}

TEST(THistoryWindowTest, CloseAndEscapeFromTheGridOrTheSearchBoxCloseTheWindow)
{
    TempDir dir;
    HistoryStore store(dir.File(HistoryStore::FileName));
    Record(store, RunKind::Submit, 0, {Pair("Editor", "good.com", "Ok", 0)});
    for (const char* from : {"CloseButton", "HistoryGrid", "SearchEdit"}) {
        SCOPED_TRACE(from);
        QPointer<THistoryWindow> window = THistoryWindow::Open(store, {}, nullptr);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        auto* control = window->findChild<QWidget*>(QString::fromUtf8(from));
        ASSERT_NE(control, nullptr);
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            EXPECT_EQ(button->text(), QStringLiteral("Close"));
            button->click();
        } else {
            control->setFocus();
            QTest::keyClick(control, Qt::Key_Escape);
        }
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull());
        delete window.data();
    }
}
