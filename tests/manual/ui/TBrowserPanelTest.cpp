// The browser panel against pages served by the test itself on 127.0.0.1.
#include "manual/ui/TBrowserPanel.h"
#include "common/ui/ShownText.h"
#include "lang/LanguageTexts.h"
#include "manual/FormFillScript.h"
#include "manual/ui/BrowserModule.h"
#include "support/ui/LocalWebServer.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <functional>
#include <memory>

namespace {

// Generous: the first page of a run starts the whole web engine.
constexpr int kTimeoutMs = 60000;

// Polls in short steps: a web page's events keep coming, so one long event pass would not
// return to check the condition in time.
bool WaitUntil(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > kTimeoutMs) return false;
        QTest::qWait(10);
    }
    return true;
}

QByteArray Page(const QByteArray& title, const QByteArray& body)
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title + "</title></head><body>" + body +
           "</body></html>";
}

class TBrowserPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.IsListening());
        panel = std::make_unique<TBrowserPanel>();
        panel->resize(900, 700);
        panel->show();
    }

    void TearDown() override
    {
        TBrowserPanel::SetPrintDialogHook({});
        TBrowserPanel::SetMessageHook({});
        ShownText::Use({});
    }

    std::string Url(const char* path) const { return server.Url(QString::fromLatin1(path)).toStdString(); }

    // Runs `start` and waits for the load it begins to complete; returns the load's ok.
    bool Loaded(const std::function<void()>& start)
    {
        QSignalSpy spy(panel.get(), &TBrowserPanel::DocumentComplete);
        start();
        if (!spy.wait(kTimeoutMs)) {
            ADD_FAILURE() << "no page completed";
            return false;
        }
        return spy.first().first().toBool();
    }

    // Runs a script in the page and returns its result.
    QVariant Js(const QString& script)
    {
        // The answer may come after a time-out: it lands in state that outlives this call.
        struct Answer {
            bool done = false;
            QVariant value;
        };
        auto answer = std::make_shared<Answer>();
        panel->View()->page()->runJavaScript(script, [answer](const QVariant& value) {
            answer->value = value;
            answer->done = true;
        });
        EXPECT_TRUE(WaitUntil([&] { return answer->done; })) << script.toStdString();
        return answer->value;
    }

    QString Title() { return Js(QStringLiteral("document.title")).toString(); }
    QString BodyText() { return Js(QStringLiteral("document.body ? document.body.textContent : ''")).toString(); }

    // Clicks the middle of the element with that id with the mouse, as a user would (a
    // click from a script carries no user gesture, which the engine treats differently).
    void Click(const char* id)
    {
        const QVariantList box = Js(QStringLiteral("(function () { var r = document.getElementById('%1')"
                                                   ".getBoundingClientRect(); return [r.left + r.width / 2, "
                                                   "r.top + r.height / 2]; })()")
                                        .arg(QString::fromLatin1(id)))
                                     .toList();
        ASSERT_EQ(box.size(), 2) << id;
        QWidget* target = panel->View()->focusProxy() ? panel->View()->focusProxy() : panel->View();
        QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, QPoint(box[0].toInt(), box[1].toInt()));
    }

    // Clicks the element `id` and waits for the load the click begins; returns the load's ok.
    // A page can report itself loaded a moment before its renderer takes input, and a click
    // in that moment is lost: the click is made again (at most three times) while nothing
    // loads, never once something has.
    bool ClickLoaded(const char* id)
    {
        QSignalSpy spy(panel.get(), &TBrowserPanel::DocumentComplete);
        for (int attempt = 0; attempt < 3 && spy.isEmpty(); ++attempt) {
            Click(id);
            spy.wait(kTimeoutMs / 3);
        }
        if (spy.isEmpty()) {
            ADD_FAILURE() << "no page completed after clicking " << id;
            return false;
        }
        return spy.first().first().toBool();
    }

    void PressEnter(Qt::Key key = Qt::Key_Return, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(panel->AddressBox()->lineEdit(), key, modifiers);
    }

    void TypeAddress(const QString& text)
    {
        panel->AddressBox()->lineEdit()->clear();
        QTest::keyClicks(panel->AddressBox()->lineEdit(), text);
    }

    QToolButton* Button(const char* name) { return panel->findChild<QToolButton*>(QString::fromLatin1(name)); }

    LocalWebServer server;
    std::unique_ptr<TBrowserPanel> panel;
};

TEST_F(TBrowserPanelTest, EnterLoadsTheTypedAddressTheBoxDoesNotFollowThePageAndNothingIsCached)
{
    // The server allows caching for an hour; the panel must fetch again anyway.
    server.SetPage("/a.html", Page("page a", "<a id=\"next\" href=\"/b.html\">next</a>"));
    server.SetPage("/b.html", Page("page b", "<p>b</p>"));
    const std::string a = Url("/a.html");
    const QUrl b(server.Url(QStringLiteral("/b.html")));

    // An empty box: the engine is asked for the empty address, nothing is fetched.
    PressEnter();
    EXPECT_EQ(panel->AddressBox()->count(), 0);

    TypeAddress(QString::fromStdString(a));
    ASSERT_TRUE(Loaded([&] { PressEnter(); }));
    EXPECT_EQ(Title(), QStringLiteral("page a"));
    ASSERT_EQ(server.CountFor("/a.html"), 1);
    EXPECT_EQ(server.LastFor("/a.html")->method, "GET");
    EXPECT_EQ(panel->AddressBox()->count(), 0) << "Enter added the address to the list";
    // The bar ends full.
    EXPECT_TRUE(WaitUntil([&] { return panel->Progress()->value() == 100; }));
    EXPECT_EQ(panel->Progress()->maximum(), 100);

    // The keypad's Enter with a modifier held navigates as well.
    ASSERT_TRUE(Loaded([&] { PressEnter(Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier); }));
    EXPECT_EQ(server.CountFor("/a.html"), 2);
    EXPECT_EQ(panel->AddressBox()->count(), 0);
    EXPECT_EQ(panel->AddressText(), a);

    ASSERT_TRUE(ClickLoaded("next"));
    EXPECT_EQ(panel->View()->url(), b);
    EXPECT_EQ(panel->AddressText(), a) << "the box followed a link";

    ASSERT_TRUE(Loaded([&] { QTest::mouseClick(Button("ToolButtonBack"), Qt::LeftButton); }));
    EXPECT_EQ(panel->View()->url(), QUrl(QString::fromStdString(a)));
    ASSERT_TRUE(Loaded([&] { QTest::mouseClick(Button("ToolButtonForward"), Qt::LeftButton); }));
    EXPECT_EQ(panel->View()->url(), b);
    EXPECT_EQ(panel->AddressText(), a);

    // Refresh fetches the page again from the site, and so does a second visit.
    int before = server.CountFor("/b.html");
    ASSERT_TRUE(Loaded([&] { QTest::mouseClick(Button("ToolButtonRefresh"), Qt::LeftButton); }));
    EXPECT_EQ(server.CountFor("/b.html"), before + 1);
    before = server.CountFor("/a.html");
    ASSERT_TRUE(Loaded([&] { panel->NavigateTo(a); }));
    EXPECT_EQ(server.CountFor("/a.html"), before + 1);

    // Home: our own page about the panel.
    ASSERT_TRUE(Loaded([&] { QTest::mouseClick(Button("ToolButtonHome"), Qt::LeftButton); }));
    EXPECT_EQ(Title(), QStringLiteral("Quillpost browser"));
    EXPECT_TRUE(BodyText().contains(QStringLiteral("PAD link")));
    EXPECT_EQ(panel->AddressText(), a);
}

TEST_F(TBrowserPanelTest, AnAddressTheEngineCannotOpenIsExplained)
{
    server.SetPage("/x.html", Page("x", "<p>x</p>"));
    server.SetPage("/before.html", Page("before", "<p>before</p>"));
    // A well-formed address whose answer is no page (a file to download) in a fresh panel:
    // the panel says so, and does not blame the address.
    server.SetPage("/file.bin", "binary");
    panel->NavigateTo(Url("/file.bin"));
    ASSERT_TRUE(WaitUntil([&] { return BodyText().contains(QStringLiteral("file.bin")); }));
    const QString said = BodyText();
    EXPECT_TRUE(said.contains(QStringLiteral("did not answer with a web page"))) << said.toStdString();
    EXPECT_FALSE(said.contains(QStringLiteral("Type the whole"))) << said.toStdString();

    ASSERT_TRUE(Loaded([&] { panel->NavigateTo(Url("/before.html")); }));
    // Passed on as typed; the engine opens nothing for it, so the panel says why.
    for (const QString& text : {QStringLiteral("127.0.0.1:%1/x.html").arg(server.Port()),
                                QStringLiteral("127.0.0.1:%1/<b>x.html").arg(server.Port())}) {
        TypeAddress(text);
        PressEnter();
        const auto said = [&] { return Title() == QStringLiteral("Address not opened") && BodyText().contains(text); };
        ASSERT_TRUE(WaitUntil(said)) << text.toStdString();
        EXPECT_EQ(panel->AddressBox()->currentText(), text) << "the typed text must stay as it was";
    }
    EXPECT_EQ(server.CountFor("/x.html"), 0);

    // The empty address and about:blank are no mistakes: they stay blank.
    for (const char* text : {"", "about:blank"}) {
        ASSERT_TRUE(Loaded([&] { panel->NavigateTo(text); }));
        EXPECT_EQ(Title(), QString()) << text;
    }
}

TEST_F(TBrowserPanelTest, OurOwnPagesSpeakTheLanguageShownEveryWordOfThem)
{
    ShownText::Use(LanguageTexts::Read(QP_SOURCE_DIR "/dist/language/Russian.ini"));
    ASSERT_TRUE(Loaded([&] { panel->GoHome(); }));
    const QString home = Title() + QLatin1Char(' ') + BodyText();
    // No English word is left but the names and the schemes.
    EXPECT_FALSE(home.contains(QRegularExpression(QStringLiteral("\\b(?!https?\\b)[a-z]{3,}\\b"))))
        << home.toStdString();
    EXPECT_TRUE(home.startsWith(QStringLiteral("Браузер Quillpost"))) << home.toStdString();
    TypeAddress(QStringLiteral("127.0.0.1:%1/<b>x.html").arg(server.Port()));
    PressEnter();
    ASSERT_TRUE(WaitUntil([&] { return Title() == QStringLiteral("Адрес не открыт"); }));
    EXPECT_TRUE(BodyText().contains(QStringLiteral("/<b>x.html не открывается"))) << BodyText().toStdString();
    BrowserModule::SetPath(QStringLiteral("/nonexistent/none.so"));
    TBrowserPanel missing;
    missing.GoHome();
    EXPECT_TRUE(missing.FailureText().contains(QStringLiteral("(файла нет)"))) << missing.FailureText().toStdString();
    BrowserModule::SetPath({});
}

TEST_F(TBrowserPanelTest, AScriptAddressIsRefusedWithAnExplanationAndRunsNothing)
{
    // The page on display stands for a site where the user is logged in; each script
    // would ask the server for its own path from inside that page.
    server.SetPage("/site.html", Page("site", "<p>logged in</p>"));
    const auto refused = [&](const QString& text, const QByteArray& ranPath) {
        const auto settled = [&] {
            return server.CountFor(ranPath) > 0 ||
                   (Title() == QStringLiteral("Address not opened") && BodyText().contains(text.trimmed()));
        };
        EXPECT_TRUE(WaitUntil(settled)) << text.toStdString();
        QTest::qWait(300); // a script that ran late would still be caught
        EXPECT_EQ(server.CountFor(ranPath), 0) << text.toStdString() << " ran";
        EXPECT_TRUE(BodyText().contains(QStringLiteral("runs no scripts"))) << BodyText().toStdString();
        EXPECT_EQ(panel->AddressBox()->currentText(), text) << "the text must stay as it was";
    };

    // Typed into the address box.
    ASSERT_TRUE(Loaded([&] { panel->NavigateTo(Url("/site.html")); }));
    const QString typed = QStringLiteral("javascript:void fetch('/ran-typed')");
    TypeAddress(typed);
    PressEnter();
    refused(typed, "/ran-typed");

    // The link of a manual site (Visit), whatever its letter case.
    ASSERT_TRUE(Loaded([&] { panel->NavigateTo(Url("/site.html")); }));
    const QString visited = QStringLiteral("JavaScript:void fetch('/ran-visit')");
    panel->NavigateTo(visited.toStdString());
    refused(visited, "/ran-visit");

    // Sent with post data.
    ASSERT_TRUE(Loaded([&] { panel->NavigateTo(Url("/site.html")); }));
    const QString posted = QStringLiteral("javascript:void fetch('/ran-post')");
    panel->NavigatePost(posted.toStdString(), "padurl=x");
    refused(posted, "/ran-post");

    // Back returns to the page that was on display, untouched.
    ASSERT_TRUE(Loaded([&] { QTest::mouseClick(Button("ToolButtonBack"), Qt::LeftButton); }));
    EXPECT_EQ(Title(), QStringLiteral("site"));
}

TEST_F(TBrowserPanelTest, SubmitsLeaveNoWayBackToAPostAndAreNeverSentAgain)
{
    server.SetPage("/a.html", Page("a", "<p>a</p>"));
    server.SetPage("/submit.php", Page("thanks", "<a id=\"on\" href=\"/c.html\">on</a>"));
    server.SetPage("/c.html", Page("c", "<p>c</p>"));
    const std::string url = Url("/submit.php") + "?padurl=x";
    ASSERT_TRUE(Loaded([&] { panel->NavigateTo(Url("/a.html")); }));
    // The same product to the same site twice: both go out.
    ASSERT_TRUE(Loaded([&] { panel->NavigatePost(url, "padurl=x"); }));
    ASSERT_TRUE(Loaded([&] { panel->NavigatePost(url, "padurl=x"); }));
    ASSERT_EQ(server.CountFor("/submit.php"), 2);
    EXPECT_FALSE(panel->View()->history()->canGoBack()) << "Back would post a submission again";

    // Neither Refresh nor Back from a page reached by a link sends the submission again.
    const auto settle = [&](const char* button) {
        QTest::mouseClick(Button(button), Qt::LeftButton);
        QTest::qWait(500); // a load it started would have reached the server by now
    };
    settle("ToolButtonRefresh");
    ASSERT_TRUE(ClickLoaded("on"));
    settle("ToolButtonBack");
    EXPECT_EQ(server.CountFor("/submit.php"), 2);
    EXPECT_EQ(Title(), QStringLiteral("c"));
}

TEST_F(TBrowserPanelTest, AVisitStartsTheHistoryAfreshOnlyLinksAddSteps)
{
    server.SetPage("/a.html", Page("a", "<a id=\"next\" href=\"/b.html\">b</a>"));
    server.SetPage("/b.html", Page("b", "<p>b</p>"));
    // Visit a, follow its link to b, Visit a: Back neither shows nor fetches b again.
    ASSERT_TRUE(Loaded([&] { panel->NavigateTo(Url("/a.html")); }));
    ASSERT_TRUE(ClickLoaded("next"));
    ASSERT_TRUE(Loaded([&] { panel->NavigateTo(Url("/a.html")); }));
    QTest::mouseClick(Button("ToolButtonBack"), Qt::LeftButton);
    QTest::qWait(500); // a load it started would have reached the server by now
    EXPECT_EQ(Title(), QStringLiteral("a"));
    EXPECT_EQ(server.CountFor("/b.html"), 1);
    // An address the engine opens nothing for: its explanation takes the empty page's place.
    TypeAddress(QStringLiteral("127.0.0.1:%1/b.html").arg(server.Port()));
    PressEnter();
    ASSERT_TRUE(WaitUntil([&] { return Title() == QStringLiteral("Address not opened"); }));
    EXPECT_TRUE(WaitUntil([&] { return !panel->View()->history()->canGoBack(); }));
}

TEST_F(TBrowserPanelTest, PostDataReachesTheServerExactlyAndNewWindowsOpenInThePanel)
{
    server.SetPage("/submit.php", Page("thanks", "<p>Your PAD file was submitted successfully</p>"));
    const std::string url = Url("/submit.php") + "?padurl=http%3A%2F%2Fa.example%2Fpad.xml&padcat=Audio+%26+Video";
    const std::string body = "padurl=http%3A%2F%2Fa.example%2Fpad.xml&padcat=Audio+%26+Video&raw=\xE9\x01";

    ASSERT_TRUE(Loaded([&] { panel->NavigatePost(url, body); }));
    const LocalWebServer::Request* request = server.LastFor("/submit.php");
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->method, "POST");
    EXPECT_EQ(request->target.toStdString(), url.substr(url.find("/submit.php")));
    EXPECT_EQ(request->body.toStdString(), body);
    EXPECT_EQ(request->Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(panel->AddressText(), url);

    // A new-window link and a form posted to a new window both load in the panel.
    server.SetPage("/a.html", Page("a", "<a id=\"blank\" target=\"_blank\" href=\"/b.html\">b</a>"
                                        "<form id=\"f\" method=\"post\" target=\"_blank\" action=\"/post.php\">"
                                        "<input name=\"padurl\" value=\"x y\"><button id=\"go\">Send</button></form>"));
    server.SetPage("/b.html", Page("b", "<p>b</p>"));
    server.SetPage("/post.php", Page("posted", "<p>ok</p>"));
    ASSERT_TRUE(Loaded([&] { panel->NavigateTo(Url("/a.html")); }));
    ASSERT_TRUE(ClickLoaded("blank"));
    EXPECT_EQ(Title(), QStringLiteral("b"));
    ASSERT_TRUE(Loaded([&] { panel->NavigateTo(Url("/a.html")); }));
    ASSERT_TRUE(ClickLoaded("go"));
    ASSERT_NE(server.LastFor("/post.php"), nullptr);
    EXPECT_EQ(server.LastFor("/post.php")->method, "POST");
    EXPECT_EQ(server.LastFor("/post.php")->body, "padurl=x+y");
}

// The fill as the main window wires it: on every completed load, if the address box holds
// the script address, the script fills the field.
class FormFillTest : public TBrowserPanelTest {
protected:
    void SetUp() override
    {
        TBrowserPanelTest::SetUp();
        QObject::connect(panel.get(), &TBrowserPanel::DocumentComplete, panel.get(), [this](bool) {
            if (FormFillScript::Applies(panel->AddressText(), scriptUrl))
                panel->RunScript(FormFillScript::Build(fieldName, padLink));
        });
    }

    QString Value(const char* id)
    {
        return Js(QStringLiteral("document.getElementById('%1').value").arg(QString::fromLatin1(id))).toString();
    }

    // Prepares a submission for `path` and opens it the way a user would: typed + Enter.
    void Open(const char* path, const std::string& link)
    {
        scriptUrl = Url(path);
        padLink = link;
        TypeAddress(QString::fromStdString(scriptUrl));
        ASSERT_TRUE(Loaded([&] { PressEnter(); }));
    }

    std::string scriptUrl;
    std::string fieldName = "padurl";
    std::string padLink;
};

TEST_F(FormFillTest, FillsOnlyTheFirstTopLevelElementOfThatNameOrId)
{
    const QString link = QStringLiteral("http://www.example.com/pad/app.xml");
    server.SetPage("/two.php", Page("two", "<form><input name=\"padurl\" id=\"first\">"
                                           "<input name=\"padurl\" id=\"second\"></form>"));
    server.SetPage("/byid.php", Page("byid", "<form><input name=\"title\" id=\"title\">"
                                             "<input name=\"url\" id=\"padurl\"></form>"));
    server.SetPage("/textarea.php", Page("textarea", "<form><textarea name=\"padurl\" id=\"area\"></textarea>"
                                                     "<input name=\"padurl\" id=\"after\"></form>"));
    server.SetPage("/select.php", Page("select", "<form><select name=\"padurl\" id=\"sel\">"
                                                 "<option value=\"a\">a</option></select>"
                                                 "<input name=\"padurl\" id=\"after\"></form>"));
    server.SetPage("/frames.php", Page("frames", "<iframe id=\"frame\" src=\"/inner.php\"></iframe>"
                                                 "<form><input name=\"padurl\" id=\"top\"></form>"));
    server.SetPage("/inner.php", Page("inner", "<form><input name=\"padurl\" id=\"inner\"></form>"));

    Open("/two.php", link.toStdString());
    EXPECT_EQ(Value("first"), link);
    EXPECT_EQ(Value("second"), QString());

    Open("/byid.php", link.toStdString());
    EXPECT_EQ(Value("padurl"), link);
    EXPECT_EQ(Value("title"), QString());

    // The first element of that name is not an input: nothing at all is filled.
    Open("/textarea.php", link.toStdString());
    EXPECT_EQ(Value("area"), QString());
    EXPECT_EQ(Value("after"), QString());
    Open("/select.php", link.toStdString());
    EXPECT_EQ(Value("sel"), QStringLiteral("a"));
    EXPECT_EQ(Value("after"), QString());

    // A frame page completes once; the frame's own field of that name is left alone.
    int completions = 0;
    QObject::connect(panel.get(), &TBrowserPanel::DocumentComplete, panel.get(), [&](bool) { ++completions; });
    Open("/frames.php", link.toStdString());
    EXPECT_EQ(Value("top"), link);
    EXPECT_EQ(server.CountFor("/inner.php"), 1);
    EXPECT_EQ(
        Js(QStringLiteral("document.getElementById('frame').contentDocument.getElementById('inner').value")).toString(),
        QString());
    EXPECT_EQ(completions, 1);
}

TEST_F(FormFillTest, OnlyTheExactScriptAddressIsFilled)
{
    server.SetPage("/two.php", Page("two", "<form><input name=\"padurl\" id=\"first\"></form>"));
    scriptUrl = Url("/two.php");
    padLink = "http://www.example.com/pad/app.xml";

    // The same page under a different letter case of the address: loaded, not filled.
    TypeAddress(QString::fromStdString("HTTP" + scriptUrl.substr(4)));
    ASSERT_TRUE(Loaded([&] { PressEnter(); }));
    EXPECT_EQ(Title(), QStringLiteral("two"));
    EXPECT_EQ(Value("first"), QString());

    // With a query after it (as the one-product Submit loads it): not filled either.
    ASSERT_TRUE(Loaded([&] { panel->NavigatePost(scriptUrl + "?padurl=x", "padurl=x"); }));
    EXPECT_EQ(Value("first"), QString());

    // Visit of a site whose link is exactly the script address: filled.
    ASSERT_TRUE(Loaded([&] { panel->NavigateTo(scriptUrl); }));
    EXPECT_EQ(Value("first"), QString::fromStdString(padLink));
}

TEST_F(FormFillTest, HostileTextsLandExactlyAsTypedAndRunNothing)
{
    const std::string hostile = "http://x/\"; window.pwned = 1; //\\'`${window.pwned=2}`\n\r\t"
                                "</script><script>window.pwned=3</script>"
                                "\xE2\x80\xA8window.pwned=4\xE2\x80\xA9<!-- ]]> & \xC3\xA9\xF0\x9F\x98\x80 \xFF.";
    const QString expected = QString::fromUtf8("http://x/\"; window.pwned = 1; //\\'`${window.pwned=2}`\n\r\t"
                                               "</script><script>window.pwned=3</script>"
                                               "\xE2\x80\xA8window.pwned=4\xE2\x80\xA9<!-- ]]> & "
                                               "\xC3\xA9\xF0\x9F\x98\x80 \xEF\xBF\xBD.");
    // A hidden input keeps line breaks (a text input would strip them by itself).
    server.SetPage("/hostile.php", Page("hostile", "<form><input type=\"hidden\" name=\"padurl\" id=\"p\">"
                                                   "<input id=\"q\" name=\"pad&quot;url&lt;/script&gt;\"></form>"));

    Open("/hostile.php", hostile);
    EXPECT_EQ(Value("p"), expected);
    EXPECT_EQ(Js(QStringLiteral("typeof window.pwned")).toString(), QStringLiteral("undefined"));

    // The field name is escaped the same way.
    fieldName = "pad\"url</script>";
    Open("/hostile.php", "http://example.com/\"'\\pad.xml");
    EXPECT_EQ(Value("q"), QStringLiteral("http://example.com/\"'\\pad.xml"));
    EXPECT_EQ(Value("p"), QString());
    EXPECT_EQ(Js(QStringLiteral("typeof window.pwned")).toString(), QStringLiteral("undefined"));
}

TEST_F(FormFillTest, APageThatRedefinesTheDomFunctionsCannotMisleadTheFill)
{
    // The page's own scripts point every lookup at a decoy field.
    server.SetPage("/lying.php", Page("lying", "<form><input name=\"padurl\" id=\"real\">"
                                               "<input name=\"email\" id=\"decoy\"></form><script>"
                                               "var decoy = document.getElementById('decoy');"
                                               "Document.prototype.getElementsByTagName = function () {"
                                               "  return [decoy]; };"
                                               "document.getElementsByTagName = Document.prototype"
                                               ".getElementsByTagName;"
                                               "Element.prototype.getAttribute = function () {"
                                               "  return 'padurl'; };"
                                               "</script>"));
    Open("/lying.php", "http://www.example.com/pad/app.xml");
    EXPECT_EQ(Value("real").toStdString(), "http://www.example.com/pad/app.xml");
    EXPECT_EQ(Value("decoy").toStdString(), "");
}

TEST_F(TBrowserPanelTest, PagesCannotOpenLocalFilesNorOtherPrograms)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto write = [&](const char* name, const QByteArray& html) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(html);
    };
    write("a.html", Page("local a", "<a id=\"link\" href=\"b.html\">b</a>"));
    write("b.html", Page("local b", "<p>secret</p>"));
    const QUrl localA = QUrl::fromLocalFile(dir.filePath(QStringLiteral("a.html")));
    const QUrl localB = QUrl::fromLocalFile(dir.filePath(QStringLiteral("b.html")));

    // Typed by the user: allowed.
    TypeAddress(localA.toString());
    ASSERT_TRUE(Loaded([&] { PressEnter(); }));
    EXPECT_EQ(Title(), QStringLiteral("local a"));

    // A link of that local page to another local file: refused.
    QSignalSpy refused(panel.get(), &TBrowserPanel::NavigationRefused);
    Click("link");
    ASSERT_TRUE(refused.wait(kTimeoutMs));
    EXPECT_EQ(refused.first().first().toUrl(), localB);
    EXPECT_EQ(panel->View()->url(), localA);
    EXPECT_EQ(Title(), QStringLiteral("local a"));

    // A web page's link, a new-window link and a script: none of them gets there. A mail
    // link is not handed to the mail program either.
    server.SetPage("/web.html",
                   Page("web", "<a id=\"link\" href=\"" + localB.toEncoded() +
                                   "\">b</a><a id=\"blank\" target=\"_blank\" href=\"" + localB.toEncoded() +
                                   "\">b</a><a id=\"mail\" href=\"mailto:someone@example.invalid\">"
                                   "mail</a>"));
    ASSERT_TRUE(Loaded([&] { panel->NavigateTo(Url("/web.html")); }));
    refused.clear();
    Click("mail");
    ASSERT_TRUE(refused.wait(kTimeoutMs));
    EXPECT_EQ(refused.first().first().toUrl(), QUrl(QStringLiteral("mailto:someone@example.invalid")));
    QSignalSpy loads(panel.get(), &TBrowserPanel::DocumentComplete);
    Click("link");
    Click("blank");
    Js(QStringLiteral("location.href = '%1'").arg(QString::fromLatin1(localB.toEncoded())));
    // Nothing should load: give a wrong navigation time to show itself.
    loads.wait(3000);
    EXPECT_EQ(panel->View()->url(), QUrl(server.Url(QStringLiteral("/web.html"))));
    EXPECT_EQ(Title(), QStringLiteral("web"));

    // Visit of a manual site whose link is a local file: allowed, as typed.
    ASSERT_TRUE(Loaded([&] { panel->NavigateTo(localB.toString().toStdString()); }));
    EXPECT_EQ(Title(), QStringLiteral("local b"));
}

TEST_F(TBrowserPanelTest, OnlyThePrintButtonPrintsThroughTheDialogToAPdfFileAndPagesCannotAsk)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    server.SetPage("/print.html", Page("print", "<h1>Printed page</h1>"));
    ASSERT_TRUE(Loaded([&] { panel->NavigateTo(Url("/print.html")); }));

    int dialogs = 0;
    bool accept = false; // Cancel first
    TBrowserPanel::SetPrintDialogHook([&](QPrinter& printer) {
        ++dialogs;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return accept;
    });
    QTest::mouseClick(Button("ToolButtonPrint"), Qt::LeftButton);
    EXPECT_EQ(dialogs, 1);
    // A page asking to print, over and over, opens no dialog: it would keep the user in
    // print dialogs. It goes on asking for the rest of the test.
    Js(QStringLiteral("window.print(); window.print(); setInterval(function () { window.print(); }, 20); 1"));
    QTest::qWait(1500);
    EXPECT_EQ(dialogs, 1) << "a page's print request opened the print dialog";
    EXPECT_FALSE(QFile::exists(pdf));

    accept = true;
    QStringList messages;
    TBrowserPanel::SetMessageHook([&](const QString& text) { messages.append(text); });
    QSignalSpy finished(panel.get(), &TBrowserPanel::PrintFinished);
    QTest::mouseClick(Button("ToolButtonPrint"), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(kTimeoutMs));
    EXPECT_TRUE(finished.first().first().toBool());
    EXPECT_EQ(dialogs, 2);
    EXPECT_TRUE(messages.isEmpty());
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF")) << "not a PDF";
    EXPECT_TRUE(Button("ToolButtonPrint")->isEnabled());
}

} // namespace
