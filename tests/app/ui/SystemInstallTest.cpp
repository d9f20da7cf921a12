// The window of a system install, started by a user who may not write the program's folder.
#include "app/ui/TestProgram.h"

#include "catalogue/ListCommands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(SystemInstall, AUserWhoMayNotWriteTheProgramFolderKeepsTheCatalogueAndLanguageBetweenStarts)
{
    if (::geteuid() == 0) GTEST_SKIP() << "root may write a read-only folder";
    TestProgram p;
    TempDir home;
    ::setenv("XDG_DATA_HOME", home.File("share").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);
    const std::string shipped = p.dir.Read("data/products.dat");
    fs::permissions(p.dir.File("data"), fs::perms::owner_write, fs::perm_options::remove);
    fs::permissions(p.dir.Path(), fs::perms::owner_write, fs::perm_options::remove);
    {
        auto form = p.Start();
        EXPECT_TRUE(p.Messages().empty());
        EXPECT_EQ(form->ProductsList().Count(), 3); // the shipped catalogue, copied
        ListCommands::AddProduct(form->ProductsList(), "Mine", "http://pad.example/mine.xml", "Utilities");
        FindAction(form.get(), "MLangRussian")->trigger();
        ASSERT_TRUE(form->close());
        EXPECT_TRUE(p.Messages().empty()); // the close-time save went through
    }
    auto form = p.Start();
    EXPECT_EQ(form->ProductsList().Count(), 4);
    EXPECT_EQ(form->Files().Folder(), p.dir.Path() + "/"); // language and help from the install
    EXPECT_EQ(FindAction(form.get(), "MLangRussian")->isChecked(), true);
    EXPECT_EQ(p.dir.Read("data/products.dat"), shipped);
    EXPECT_NE(home.Read("share/quillpost/data/products.dat").find("Mine|"), std::string::npos);
    form.reset();
    fs::permissions(p.dir.Path(), fs::perms::owner_write, fs::perm_options::add);
    fs::permissions(p.dir.File("data"), fs::perms::owner_write, fs::perm_options::add);
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_CONFIG_HOME");
}
