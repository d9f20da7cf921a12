// A save the window cannot make safely, driven through the real main window.
#include "app/ui/TestProgram.h"

#include "common/ui/ErrorGuard.h"
#include "support/PermissionsBind.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// A data folder that takes no new file: Save and the save at close are refused with a box that
// names the file and says why, the file stays as it was, and the list keeps its rows.
TEST(SaveRefused, AFolderThatTakesNoNewFileIsToldAndTheListIsKept)
{
    TestProgram p;
    p.dir.Write("data/products.dat", "Tidy|http://tidy.example/pad.xml|\r\n");
    auto form = p.Start();
    ListRows& list = form->ProductsList();
    list.Add("Neat");
    p.Messages();
    ::chmod(p.dir.File("data").c_str(), 0555);
    {
        PermissionsBind bind;
        if (!bind.Active()) GTEST_SKIP() << "root, and the permission overrides could not be dropped";
        const std::string told = std::string(ErrorGuard::Message) + "\n\nCannot write file \"" +
                                 p.Data("products.dat") +
                                 "\": it cannot be replaced safely: its folder takes no new files (Permission denied)";
        FileDialogs::setNextFileName(QString::fromStdString(p.Data("products.dat")));
        FindAction(form.get(), "ASaveProducts")->trigger();
        EXPECT_EQ(p.Messages(), std::vector<std::string>{told});
        EXPECT_FALSE(form->close()) << "the window closed without its list";
        EXPECT_EQ(p.Messages(), std::vector<std::string>{told});
        EXPECT_EQ(p.dir.Read("data/products.dat"), "Tidy|http://tidy.example/pad.xml|\r\n");
        EXPECT_EQ(Captions(list), (std::vector<std::string>{"Neat", "Tidy"}));
    }
    ::chmod(p.dir.File("data").c_str(), 0755);
}

} // namespace
