// The author's own automatic sites in the real main window: the dialogs, the list, the file,
// and a Submit All against servers on 127.0.0.1.
#include "app/ui/TestProgram.h"
#include "catalogue/ListColumns.h"
#include "submit/SiteTable.h"
#include "submit/ui/TFormAuthorEmail.h"
#include "submit/ui/TFormAutoSite.h"
#include "support/ScriptedServer.h"

#include "submit/ui/WindowRunHelpers.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

using S = ScriptedServer;

// Clears the dialogs' hooks however the test ends.
struct Hooks {
    ~Hooks()
    {
        TFormAutoSite::setExecHook(nullptr);
        TFormAuthorEmail::setExecHook(nullptr);
    }
};

} // namespace

TEST(OwnSitesWindow, AddedSitesFollowTheBuiltInOnesAndOnlyTheyGetTheAuthorsAddress)
{
    Hooks hooks;
    S builtIn(Answer("PAD submitted successfully"));
    S mail(Answer("taken"));
    S plain(Answer("PAD submitted successfully"));
    const SiteTable table(
        {SiteRecord{"Built In", builtIn.Url() + "/addpad.php", "GET", "padurl", "padcat", "email", "successfully"}});
    TestProgram p;
    p.dir.Write("data/products.dat", "Tool|http://pad.example/tool.xml|Utilities|\r\n");
    p.dir.Write("data/autosites.dat", "Own Mail|" + mail.Url() +
                                          "/add.php|POST|link|cat|contact|taken|\r\n"
                                          "broken|line|\r\n");
    auto form = p.Start(&table);
    // The broken line is told with its number.
    const std::vector<std::string> atStart = p.Messages();
    ASSERT_EQ(atStart.size(), 1u);
    EXPECT_NE(atStart[0].find("line 2: "), std::string::npos) << atStart[0];
    EXPECT_EQ(Captions(form->AutoList()), (std::vector<std::string>{"Built In", "Own Mail"}));

    // Settings > Author E-mail...: a bad address is refused, a good one kept in the settings.
    TFormAuthorEmail::setExecHook([&](TFormAuthorEmail& f) {
        f.EditAuthorEmail()->setText(QStringLiteral("no at sign"));
        QTest::mouseClick(f.ButtonOk(), Qt::LeftButton);
        ASSERT_TRUE(f.isVisible());
        f.EditAuthorEmail()->setText(QStringLiteral("me@author.example"));
        QTest::mouseClick(f.ButtonOk(), Qt::LeftButton);
    });
    FindAction(form.get(), "AAuthorEmail")->trigger();
    EXPECT_EQ(p.Messages().size(), 1u);
    EXPECT_NE(p.dir.Read("quillpost.ini").find("AuthorEmail=me@author.example"), std::string::npos);

    // Add Site...: the defaults, then the refusals, the dialog staying open, then a good site.
    std::vector<std::string> refusals;
    TFormAutoSite::setExecHook([&](TFormAutoSite& f) {
        EXPECT_EQ(f.ComboMethod()->currentText(), QStringLiteral("GET"));
        EXPECT_EQ(f.EditLinkField()->text(), QStringLiteral("padurl"));
        EXPECT_EQ(f.EditCategoryField()->text(), QStringLiteral("padcat"));
        EXPECT_EQ(f.EditEmailField()->text(), QString());
        EXPECT_EQ(f.EditMarker()->text(), QStringLiteral("successfully"));
        auto refused = [&] {
            QTest::mouseClick(f.ButtonOk(), Qt::LeftButton);
            EXPECT_TRUE(f.isVisible());
            const std::vector<std::string> shown = p.Messages();
            refusals.push_back(shown.empty() ? std::string() : shown.back());
        };
        refused(); // no title
        f.EditTitle()->setText(QStringLiteral("Own Mail"));
        f.EditScript()->setText(QString::fromStdString(plain.Url() + "/add.php"));
        refused(); // the title is taken
        f.EditTitle()->setText(QStringLiteral("Another Own"));
        f.EditScript()->setText(QStringLiteral("ftp://files.example/add.php"));
        refused();
        f.EditScript()->setText(QString::fromStdString(plain.Url() + "/add.php"));
        f.EditCategoryField()->setText(QStringLiteral("cat&x"));
        refused();
        f.EditCategoryField()->setText(QStringLiteral("padcat"));
        QTest::mouseClick(f.ButtonOk(), Qt::LeftButton);
    });
    FindAction(form.get(), "AAddSiteAuto")->trigger();
    ASSERT_EQ(refusals.size(), 4u);
    for (const std::string& r : refusals) EXPECT_FALSE(r.empty());
    EXPECT_NE(refusals[1].find("already exists"), std::string::npos) << refusals[1];
    EXPECT_NE(refusals[2].find("http://"), std::string::npos) << refusals[2];
    EXPECT_EQ(Captions(form->AutoList()), (std::vector<std::string>{"Built In", "Another Own", "Own Mail"}));
    EXPECT_EQ(form->AutoList().CheckedCount(), 3);
    // The broken line is kept at the end of the file.
    EXPECT_EQ(p.dir.Read("data/autosites.dat"),
              "Another Own|" + plain.Url() + "/add.php|GET|padurl|padcat||successfully|\r\n" + "Own Mail|" +
                  mail.Url() + "/add.php|POST|link|cat|contact|taken|\r\nbroken|line|\r\n");

    // Submit All: the own site naming an e-mail field gets the address, the others do not.
    form->ProductsList().SetChecked(0, true);
    TFormProgress::setExecHook([](TFormProgress& f) { WaitFor([&] { return !f.isVisible(); }); });
    FindAction(form.get(), "ASubmitAllAuto")->trigger();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Finished.\rSuccess: 3\nFailed: 0"});
    EXPECT_EQ(builtIn.Received(0).substr(0, builtIn.Received(0).find(" HTTP/")),
              "GET /addpad.php?padurl=http://pad.example/tool.xml&padcat=Utilities");
    EXPECT_EQ(plain.Received(0).substr(0, plain.Received(0).find(" HTTP/")),
              "GET /add.php?padurl=http://pad.example/tool.xml&padcat=Utilities");
    const std::string posted = mail.Received(0);
    EXPECT_EQ(posted.rfind("POST /add.php?link=http://pad.example/tool.xml&cat=Utilities&contact=me@author.example "
                           "HTTP/",
                           0),
              0u)
        << posted;

    // Edit and Delete are for the author's rows only.
    form->AutoList().SetSelected(0, true);
    form->ListViewAutoSelectItem(0, true);
    EXPECT_FALSE(FindAction(form.get(), "AEditSiteAuto")->isEnabled());
    EXPECT_FALSE(FindAction(form.get(), "ADeleteSiteAuto")->isEnabled());
    // ... and so are the menu entries that run them.
    for (const char* entry : {"MEditSiteAuto", "MDeleteSiteAuto", "PMAutoEditSite", "PMAutoDeleteSite"})
        EXPECT_FALSE(FindAction(form.get(), entry)->isEnabled()) << entry;
    form->AutoList().SetSelected(0, false);
    form->AutoList().SetSelected(1, true);
    form->ListViewAutoSelectItem(1, true);
    ASSERT_TRUE(FindAction(form.get(), "ADeleteSiteAuto")->isEnabled());
    EXPECT_TRUE(FindAction(form.get(), "MDeleteSiteAuto")->isEnabled());
    // Asked first, as every delete; Cancel keeps the site.
    const std::vector<std::string> before = Captions(form->AutoList());
    p.Messages();
    MessageBoxes::setNextAnswer(MessageBoxes::Answer::Cancel);
    FindAction(form.get(), "ADeleteSiteAuto")->trigger();
    EXPECT_EQ(Captions(form->AutoList()), before);
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Are you sure ?"});
    FindAction(form.get(), "ADeleteSiteAuto")->trigger();
    EXPECT_EQ(Captions(form->AutoList()), (std::vector<std::string>{"Built In", "Own Mail"}));
    EXPECT_EQ(form->AutoList().Text(1, SiteColumn::Status), "Ok"); // the other row keeps what it showed
    EXPECT_EQ(p.dir.Read("data/autosites.dat"),
              "Own Mail|" + mail.Url() + "/add.php|POST|link|cat|contact|taken|\r\nbroken|line|\r\n");
}
