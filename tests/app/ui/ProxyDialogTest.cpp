// Settings > Proxy...: the dialog, the settings file, and runs that go through the proxy.
#include "app/ui/TFormProxy.h"
#include "app/ui/TestProgram.h"
#include "catalogue/ListColumns.h"
#include "common/IniFile.h"
#include "common/ProxySetting.h"
#include "submit/SiteTable.h"
#include "submit/ui/PadCommands.h"
#include "submit/ui/SubmitCommands.h"
#include "support/ScriptedProxy.h"
#include "support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QNetworkProxy>
#include <QPushButton>
#include <QTest>

#include <string>
#include <vector>

namespace {

std::string Stored(const TestProgram& p)
{
    return IniFile::ReadString(p.dir.File("quillpost.ini"), "Configuration", "Proxy", "<none>");
}

template <class Pred>
bool WaitFor(Pred done)
{
    for (int i = 0; i < 1000 && !done(); ++i) QTest::qWait(10);
    return done();
}

// Types host and port into the dialog and presses OK.
void Enter(TFormProxy& f, const char* host, const char* port)
{
    f.CheckBoxUseProxy()->setChecked(true);
    f.EditProxyHost()->setText(QString::fromUtf8(host));
    f.EditProxyPort()->setText(QString::fromUtf8(port));
    QTest::mouseClick(f.ButtonOk(), Qt::LeftButton);
}

} // namespace

TEST(ProxyDialog, RefusesBadValuesWithTheirFaultAndStoresAGoodOneAtOnce)
{
    TestProgram p;
    auto form = p.Start();
    QAction* proxy = FindAction(form.get(), "AProxy");
    std::vector<bool> stillOpen;
    TFormProxy::setExecHook([&](TFormProxy& f) {
        for (auto [host, port] : std::vector<std::pair<const char*, const char*>>{
                 {"", "8080"}, {"proxy host", "8080"}, {"proxy", ""}, {"proxy", "65536"}, {"proxy", "0"}}) {
            Enter(f, host, port);
            stillOpen.push_back(f.isVisible());
        }
    });
    proxy->trigger();
    EXPECT_EQ(stillOpen, std::vector<bool>(5, true));
    EXPECT_EQ(p.Messages(),
              (std::vector<std::string>{ProxySetting::NoHostText, ProxySetting::BadHostText, ProxySetting::NoPortText,
                                        ProxySetting::BadPortText, ProxySetting::BadPortText}));
    EXPECT_EQ(Stored(p), "<none>"); // the dialog left open is cancelled: nothing stored
    EXPECT_FALSE(form->Submission().Proxy().Used());

    TFormProxy::setExecHook([](TFormProxy& f) { Enter(f, " proxy.example ", "3128"); });
    proxy->trigger();
    EXPECT_TRUE(p.Messages().empty());
    EXPECT_EQ(Stored(p), "proxy.example:3128"); // written before the program closes
    EXPECT_EQ(form->Submission().Proxy().Text(), "proxy.example:3128");
    EXPECT_EQ(QNetworkProxy::applicationProxy().type(), QNetworkProxy::HttpProxy);
    EXPECT_EQ(QNetworkProxy::applicationProxy().hostName(), QStringLiteral("proxy.example"));
    EXPECT_EQ(QNetworkProxy::applicationProxy().port(), 3128);

    // The dialog opens with the stored value; Cancel keeps it.
    TFormProxy::setExecHook([](TFormProxy& f) {
        EXPECT_TRUE(f.CheckBoxUseProxy()->isChecked());
        EXPECT_EQ(f.EditProxyHost()->text(), QStringLiteral("proxy.example"));
        EXPECT_EQ(f.EditProxyPort()->text(), QStringLiteral("3128"));
        f.EditProxyPort()->setText(QStringLiteral("1"));
        QTest::mouseClick(f.ButtonCancel(), Qt::LeftButton);
    });
    proxy->trigger();
    EXPECT_EQ(Stored(p), "proxy.example:3128");

    // Switched off: an empty value, and the browser connects directly again.
    TFormProxy::setExecHook([](TFormProxy& f) {
        f.CheckBoxUseProxy()->setChecked(false);
        QTest::mouseClick(f.ButtonOk(), Qt::LeftButton);
    });
    proxy->trigger();
    EXPECT_EQ(Stored(p), "");
    EXPECT_FALSE(form->Submission().Proxy().Used());
    EXPECT_EQ(QNetworkProxy::applicationProxy().type(), QNetworkProxy::NoProxy);
    QNetworkProxy::setApplicationProxy(QNetworkProxy());
}

TEST(ProxyDialog, ADamagedStoredValueIsNotUsed)
{
    TestProgram p;
    p.dir.Write("quillpost.ini", "[Configuration]\r\nProxy=proxy.example:99999\r\n");
    auto form = p.Start();
    EXPECT_TRUE(p.Messages().empty());
    EXPECT_FALSE(form->Submission().Proxy().Used());
}

TEST(ProxyDialog, SubmitAllGoesThroughTheStoredProxyAndTestPadConnectsDirectly)
{
    ScriptedProxy proxy(
        [](const std::string&) { return ScriptedProxy::Reply("HTTP/1.0 200 OK\r\n\r\nPAD submitted successfully"); });
    ScriptedServer padServer({ScriptedServer::Close()});
    // Nothing listens on the site's port: only a request through the proxy can succeed.
    const std::string script = "http://127.0.0.1:" + std::to_string(ScriptedServer::RefusingPort()) + "/addpad.php";
    const SiteTable table({{"Site", script, "GET", "padurl", "padcat", "email", "successfully"}});
    TestProgram p;
    p.dir.Write("quillpost.ini", "[Configuration]\r\nProxy=" + proxy.Address() + "\r\n");
    p.dir.Write("data/products.dat", "Tool|" + padServer.Url() + "/tool.xml|Utilities|\r\n");
    auto form = p.Start(&table);
    form->ProductsList().SetChecked(0, true);

    TFormProgress::setExecHook([](TFormProgress& f) { WaitFor([&] { return !f.isVisible(); }); });
    FindAction(form.get(), "ASubmitAllAuto")->trigger();
    EXPECT_EQ(form->AutoList().Text(0, SiteColumn::Status), "Ok");
    ASSERT_EQ(proxy.Count(), 1u);
    const std::string line = proxy.RequestLines()[0];
    EXPECT_EQ(line.rfind("GET " + script + "?padurl=", 0), 0u) << line;

    // The PAD test reaches the PAD server itself.
    form->ListViewProducts()->SelectRows({0});
    FindAction(form.get(), "ATestPad")->trigger();
    EXPECT_TRUE(padServer.WaitFinished(1));
    EXPECT_TRUE(WaitFor([&] { return form->ProductsList().Text(0, ProductColumn::Status) == "Ok"; }));
    EXPECT_TRUE(WaitFor([&] { return form->PadChecks().Tests().LiveWorkers() == 0; }));
    EXPECT_EQ(proxy.Count(), 1u);
    TFormProgress::setExecHook(nullptr);
    QNetworkProxy::setApplicationProxy(QNetworkProxy());
}
