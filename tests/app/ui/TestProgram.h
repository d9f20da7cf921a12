#pragma once

// A temporary program folder for the window tests, with the shipped data/, language/ and
// help/ files copied in (or left out), and the test hooks of the windows switched on.

#include "app/ui/TForm1.h"
#include "app/ui/TFormProxy.h"
#include "catalogue/ui/TItemDialog.h"
#include "common/ui/FileDialogs.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ShellOpen.h"
#include "lang/ui/QtTranslations.h"
#include "lang/ui/TAboutBox.h"
#include "submit/ui/TFormProgress.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QString>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class TestProgram {
public:
    explicit TestProgram(bool shipped = true)
    {
        MessageBoxes::setTestMode(true);
        MessageBoxes::clearShown();
        FileDialogs::setTestMode(true);
        FileDialogs::clearShown();
        TItemDialog::setExecHook(nullptr);
        TFormProgress::setExecHook(nullptr);
        TAboutBox::setExecHook(nullptr);
        TFormProxy::setExecHook(nullptr);
        ShellOpen::setHook([this](const QString& target, bool isFile) {
            opened.push_back({target.toStdString(), isFile});
            return true;
        });
        TForm1::setExitHook([this] { ++exits; });
        if (shipped) {
            namespace fs = std::filesystem;
            for (const char* sub : {"data", "language", "help"})
                fs::copy(fs::path(QP_SOURCE_DIR) / "dist" / sub, fs::path(dir.Path()) / sub,
                         fs::copy_options::recursive);
        } else {
            std::filesystem::create_directories(dir.File("data"));
        }
    }
    ~TestProgram()
    {
        TItemDialog::setExecHook(nullptr);
        TFormProgress::setExecHook(nullptr);
        TAboutBox::setExecHook(nullptr);
        TFormProxy::setExecHook(nullptr);
        ShellOpen::setHook(nullptr);
        TForm1::setExitHook(nullptr);
        QtTranslations::Use("English"); // Qt's texts as the next test expects them
    }

    // `sites`: the automatic sites the window is to use, the built-in ones when null.
    std::unique_ptr<TForm1> Start(const SiteTable* sites = nullptr)
    {
        auto form = std::make_unique<TForm1>(QString::fromStdString(dir.Path()), nullptr, sites);
        form->show();
        QApplication::processEvents();
        return form;
    }

    std::string Data(const std::string& name) const { return dir.File("data/" + name); }
    void Remove(const std::string& rel) const { std::filesystem::remove_all(dir.File(rel)); }

    // The texts of the message boxes shown since the last call.
    std::vector<std::string> Messages()
    {
        std::vector<std::string> out;
        for (const auto& m : MessageBoxes::shown()) out.push_back(m.Text.toStdString());
        MessageBoxes::clearShown();
        return out;
    }

    TempDir dir;
    std::vector<std::pair<std::string, bool>> opened;
    int exits = 0;
};

#include "catalogue/ui/TListView.h"

#include <QTest>

// Clicks row `row` of a list as the user would (Ctrl held adds to the selection).
inline void ClickRow(TListView* view, int row, Qt::KeyboardModifiers mods = Qt::NoModifier, int column = 1)
{
    QRect r = view->visualRect(view->model()->index(row, column));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, mods, r.center());
}

inline QAction* FindAction(QObject* form, const char* name)
{
    return form->findChild<QAction*>(QString::fromUtf8(name));
}

inline std::vector<std::string> Captions(const ListRows& list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Caption(i));
    return out;
}
