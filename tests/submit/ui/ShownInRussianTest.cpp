// The main window in Russian: our words translated, the user's titles and links and a site's
// own words shown as they are, even where they read like one of our messages.
#include "app/ui/TestProgram.h"
#include "submit/ui/SubmitCommands.h"
#include "support/ScriptedServer.h"

#include "submit/ui/WindowRunHelpers.h"

#include <gtest/gtest.h>

#include <QTabWidget>

TEST(ShownInRussian, TheStatusBarAndTheTipsKeepTitlesLinksAndASitesWords)
{
    using S = ScriptedServer;
    S saysNo(Answer("no answer in 5 s"));
    const SiteTable table({Site("Report: My Tool", saysNo.Url() + "/add.php"),
                           Site("Saved Sites", "http://127.0.0.1:" + std::to_string(S::RefusingPort()) + "/a.php")});
    TestProgram p;
    p.dir.Write("quillpost.ini", "[Configuration]\r\nLanguage=Russian\r\n");
    p.dir.Write("data/products.dat", "Tidy Notes (Portable)|http://127.0.0.1:9/Saved Games Backup.xml|Utilities|\r\n");
    p.dir.Write("data/sites.dat", "Report: My Tool|http://127.0.0.1:9/report|\r\n");
    auto form = p.Start(&table);

    ClickRow(form->ListViewProducts(), 0);
    EXPECT_EQ(form->StatusPanelText(1),
              QStringLiteral("Tidy Notes (Portable) - http://127.0.0.1:9/Saved Games Backup.xml"));
    EXPECT_EQ(form->ListViewProducts()->model()->index(0, 0).data(Qt::ToolTipRole).toString(),
              QStringLiteral("http://127.0.0.1:9/Saved Games Backup.xml"));
    form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(2);
    ClickRow(form->ListViewManual(), 0, Qt::NoModifier, 0);
    EXPECT_EQ(form->StatusPanelText(1), QStringLiteral("Report: My Tool - http://127.0.0.1:9/report"));
    // QP_SHOTS names a folder for a picture of the window with that row named.
    if (const QByteArray shots = qgetenv("QP_SHOTS"); !shots.isEmpty())
        form->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/status-ru.png"));

    form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    form->ProductsList().SetChecked(0, true);
    TFormProgress::setExecHook([](TFormProgress& f) { WaitFor([&] { return !f.isVisible(); }); });
    FindAction(form.get(), "ASubmitAllAuto")->trigger();
    const auto tip = [&form](int row) {
        return form->ListViewAuto()->model()->index(row, 0).data(Qt::ToolTipRole).toString();
    };
    EXPECT_EQ(tip(0), QStringLiteral("Tidy Notes (Portable): X\nHTTP 200\nno answer in 5 s"));
    EXPECT_EQ(tip(1), QStringLiteral("Tidy Notes (Portable): Failed\nв соединении отказано"));
    EXPECT_EQ(form->StatusPanelText(1), QStringLiteral("Готово. Успешно: 0 Неудачно: 2"));
    EXPECT_TRUE(WaitFor([&] { return form->Submission().Run().LiveWorkers() == 0; }));
}
