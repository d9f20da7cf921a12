#include "app/ui/MainMenu.h"

#include "catalogue/ui/ActionList.h"
#include "common/ui/ErrorGuard.h"
#include "common/ui/ToolBars.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <initializer_list>
#include <utility>

namespace {

QMenu* Menu(QWidget* parent, const char* name, const char* title)
{
    auto* m = new QMenu(QString::fromUtf8(title), parent);
    m->setObjectName(QString::fromUtf8(name));
    return m;
}

// An entry of its own that runs `run`.
QAction* PlainEntry(QMenu* m, const char* name, const char* caption, const std::function<void()>& run)
{
    auto* e = new QAction(QString::fromUtf8(caption), m);
    e->setObjectName(QString::fromUtf8(name));
    QObject::connect(e, &QAction::triggered, m, [run] { ErrorGuard::Run(run); });
    m->addAction(e);
    return e;
}

// Entries named by the first of each pair that mirror the action the second names; a pair of
// nulls is a separator.
void Entries(QMenu* m, const ActionList& actions, std::initializer_list<std::pair<const char*, const char*>> list)
{
    for (const auto& [name, action] : list) {
        if (name)
            actions.Entry(m, name, action);
        else
            m->addSeparator();
    }
}

} // namespace

MainMenu::LanguageEntries MainMenu::Build(QMainWindow* window, const ActionList& actions, const Handlers& handlers)
{
    QMenuBar* bar = window->menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = Menu(bar, "MFile", "File");
    actions.Entry(file, "MRestoreUnsaved", "ARestoreUnsaved");
    file->addSeparator();
    PlainEntry(file, "MExit", "Exit", handlers.Exit);
    bar->addMenu(file);

    // Undo and Redo: the actions themselves, whose captions name the step they would take.
    QMenu* edit = Menu(bar, "MEdit", "Edit");
    edit->addAction(actions("AUndo"));
    edit->addAction(actions("ARedo"));
    bar->addMenu(edit);

    QMenu* products = Menu(bar, "MProducts", "Products");
    Entries(products, actions, {{"MProductsAdd", "AAddProduct"}, {"MProductsEdit", "AEditProduct"}});
    QMenu* del = Menu(products, "MProductsDelete", "Delete");
    Entries(del, actions,
            {{"MDeleteProductsSelected", "ADeleteSelectedProduct"},
             {"MDeleteProductsChecked", "ADeleteCheckedProduct"},
             {"MDeleteProductsAll", "ADeleteAllProduct"}});
    products->addMenu(del);
    Entries(products, actions,
            {{nullptr, nullptr},
             {"MProductsLoad", "ALoadProducts"},
             {"MProductsSave", "ASaveProducts"},
             {nullptr, nullptr},
             {"MProductsCheckAll", "ACheckProducts"},
             {"MProductsUncheckAll", "AUnCheckProducts"},
             {nullptr, nullptr},
             {"MProductsTestAll", "ATestPads"},
             {"MProductsValidateAll", "AValidatePads"},
             {nullptr, nullptr},
             {"MProductsEditPad", "AEditPadFile"}});
    bar->addMenu(products);

    QMenu* submit = Menu(bar, "MSubmit", "Submit");
    Entries(submit, actions,
            {{"MSubmitAuto", "ASubmitAllAuto"},
             {"MRetryFailedAuto", "ARetryFailedAuto"},
             {"MHistoryAuto", "AHistoryAuto"}});
    submit->addAction(actions("ASkipAcceptedAuto")); // checkable: the menu shows the action itself
    QMenu* siteSets = Menu(submit, "MSiteSets", "Site Sets");
    if (handlers.SiteSets) handlers.SiteSets(siteSets);
    submit->addMenu(siteSets);
    Entries(submit, actions,
            {{nullptr, nullptr},
             {"MAddSiteAuto", "AAddSiteAuto"},
             {"MEditSiteAuto", "AEditSiteAuto"},
             {"MDeleteSiteAuto", "ADeleteSiteAuto"},
             {nullptr, nullptr},
             {"MOpenReportsAuto", "AOpenReportsAuto"}});
    bar->addMenu(submit);

    QMenu* settings = Menu(bar, "MSettings", "Settings");
    QMenu* language = Menu(settings, "MLanguage", "Language");
    const LanguageEntries languages{PlainEntry(language, "MLangEnglish", "English", handlers.English),
                                    PlainEntry(language, "MLangRussian", "Russian", handlers.Russian)};
    languages.English->setCheckable(true);
    languages.Russian->setCheckable(true);
    settings->addMenu(language);
    Entries(settings, actions, {{"MProxy", "AProxy"}, {"MAuthorEmail", "AAuthorEmail"}});
    settings->addAction(actions("AAllowHttps")); // checkable: the menu shows the action itself
    bar->addMenu(settings);

    QMenu* help = Menu(bar, "MHelp", "Help");
    actions.Entry(help, "MContent", "AContent");
    PlainEntry(help, "MAbout", "About", handlers.About);
    bar->addMenu(help);
    return languages;
}

void MainMenu::BuildKeys(ActionList& actions, std::function<int()> page, std::function<void()> help)
{
    // Add, Edit, Load and Save have one key each, for the list of the page shown.
    auto byPage = [&actions, page](const char* name, QKeySequence key, const char* products, const char* manual) {
        actions.MakeKey(name, key, [&actions, page, products, manual] {
            const int shown = page();
            if (shown == 0) actions(products)->trigger();
            if (shown == 2) actions(manual)->trigger();
        });
    };
    byPage("AKeyAdd", QKeySequence(Qt::CTRL | Qt::Key_N), "AAddProduct", "AAddManual");
    byPage("AKeyEdit", QKeySequence(Qt::CTRL | Qt::Key_E), "AEditProduct", "AEditManual");
    byPage("AKeyLoad", QKeySequence(Qt::CTRL | Qt::Key_O), "ALoadProducts", "ALoadManual");
    byPage("AKeySave", QKeySequence(Qt::CTRL | Qt::Key_S), "ASaveProducts", "ASaveManual");
    actions.MakeKey("AKeyHelp", QKeySequence(Qt::Key_F1), std::move(help));
}

void MainMenu::ShowKeys(QMainWindow* window)
{
    // The window binds these keys once each, for the list of the page shown (Submit All and
    // History... show their actions' own keys).
    auto show = [window](const char* entry, QKeySequence key) {
        ToolBars::ShowKey(window->findChild<QAction*>(QString::fromUtf8(entry)), key);
    };
    for (const char* entry : {"MProductsAdd", "PMAddProduct", "MenuItem3"})
        show(entry, QKeySequence(Qt::CTRL | Qt::Key_N));
    for (const char* entry : {"MProductsEdit", "PMEditProduct", "MenuItem4"})
        show(entry, QKeySequence(Qt::CTRL | Qt::Key_E));
    show("MProductsLoad", QKeySequence(Qt::CTRL | Qt::Key_O));
    show("MProductsSave", QKeySequence(Qt::CTRL | Qt::Key_S));
}
