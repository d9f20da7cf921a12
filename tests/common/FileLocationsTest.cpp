#include "common/FileLocations.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A program folder as shipped, and a home with its own data and config folders.
struct Install {
    Install()
    {
        program.Write("data/categories.dat", "Utilities\r\n");
        program.Write("data/products.dat", "Shipped|http://pad.example/s.xml|Utilities|\r\n");
        program.Write("data/readme.txt", "not a catalogue\r\n");
        program.Write("quillpost.ini", "[Configuration]\r\nLanguage=Russian\r\n");
        program.Write("language/English.ini", "");
        env.DataHome = home.File("share");
        env.ConfigHome = home.File("config");
        env.Home = home.Path();
        env.Writable = [](const std::string& path) { return ::access(path.c_str(), W_OK) == 0; };
    }
    std::string Folder() const { return program.Path() + "/"; }

    TempDir program;
    TempDir home;
    FileLocations::Environment env;
};

} // namespace

TEST(FileLocations, AWritableProgramFolderKeepsEverythingBesideTheExecutable)
{
    Install i;
    FileLocations places(i.program.Path(), "quillpost.ini", i.env);
    EXPECT_TRUE(places.Portable());
    EXPECT_EQ(places.FilesFolder(), i.Folder());
    EXPECT_EQ(places.Settings(), i.Folder() + "quillpost.ini");
    EXPECT_EQ(places.FillUserFolders(), "");
    EXPECT_FALSE(fs::exists(i.home.File("share"))); // nothing made in the user's folders
}

TEST(FileLocations, AnythingTheProgramWritesThatMayNotBeWrittenSendsItsFilesToTheUsersFolders)
{
    Install i;
    // Only the program's own settings file is read-only: that alone loses a close-time save.
    std::set<std::string> readOnly = {i.Folder() + "quillpost.ini"};
    i.env.Writable = [&readOnly](const std::string& path) { return readOnly.count(path) == 0; };
    FileLocations places(i.program.Path(), "quillpost.ini", i.env);
    EXPECT_FALSE(places.Portable());
    EXPECT_EQ(places.FilesFolder(), i.home.File("share") + "/quillpost/");
    EXPECT_EQ(places.Settings(), i.home.File("config") + "/quillpost/quillpost.ini");
    EXPECT_EQ(places.ProgramFolder(), i.Folder());

    // The same for a read-only products.dat; unset or relative XDG folders fall back to home.
    readOnly = {i.Folder() + "data/products.dat"};
    i.env.DataHome = "";
    i.env.ConfigHome = "relative/config";
    FileLocations fallback(i.program.Path(), "quillpost.ini", i.env);
    EXPECT_FALSE(fallback.Portable());
    EXPECT_EQ(fallback.FilesFolder(), i.home.Path() + "/.local/share/quillpost/");
    EXPECT_EQ(fallback.Settings(), i.home.Path() + "/.config/quillpost/quillpost.ini");

    // A missing file the program would make needs only its folder.
    readOnly = {i.Folder() + "data/autosites.dat", i.Folder() + "reports/"};
    EXPECT_TRUE(FileLocations(i.program.Path(), "quillpost.ini", i.env).Portable());

    // A history that may not be written is no reason to move: runs go unrecorded (the user is
    // told), and the catalogue and the history stay beside the executable.
    i.program.Write("data/history.sqlite", "");
    readOnly = {i.Folder() + "data/history.sqlite"};
    const FileLocations stays(i.program.Path(), "quillpost.ini", i.env);
    EXPECT_TRUE(stays.Portable());
    EXPECT_EQ(stays.History(), i.Folder() + "data/history.sqlite");
    EXPECT_EQ(stays.FillUserFolders(), "");
    EXPECT_FALSE(fs::exists(i.home.Path() + "/.local/share/quillpost"));
}

TEST(FileLocations, ASystemInstallFillsTheUsersFoldersOnceAndKeepsTheirChanges)
{
    if (::geteuid() == 0) GTEST_SKIP() << "root may write a read-only folder";
    Install i;
    fs::permissions(i.program.File("data"), fs::perms::owner_write, fs::perm_options::remove);
    fs::permissions(i.program.Path(), fs::perms::owner_write, fs::perm_options::remove);

    FileLocations first(i.program.Path(), "quillpost.ini", i.env);
    EXPECT_FALSE(first.Portable());
    EXPECT_EQ(first.FillUserFolders(), "");
    const std::string userData = i.home.File("share/quillpost/data/");
    EXPECT_EQ(i.home.Read("share/quillpost/data/products.dat"), i.program.Read("data/products.dat"));
    EXPECT_EQ(i.home.Read("share/quillpost/data/categories.dat"), "Utilities\r\n");
    EXPECT_FALSE(fs::exists(userData + "readme.txt")); // only catalogue files
    EXPECT_EQ(i.home.Read("config/quillpost/quillpost.ini"), i.program.Read("quillpost.ini"));

    // The next start keeps the user's changes and brings back only what is missing.
    i.home.Write("share/quillpost/data/products.dat", "Mine|http://pad.example/m.xml|Utilities|\r\n");
    i.home.Write("config/quillpost/quillpost.ini", "[Configuration]\r\nLanguage=English\r\n");
    fs::remove(userData + "categories.dat");
    EXPECT_EQ(FileLocations(i.program.Path(), "quillpost.ini", i.env).FillUserFolders(), "");
    EXPECT_EQ(i.home.Read("share/quillpost/data/products.dat"), "Mine|http://pad.example/m.xml|Utilities|\r\n");
    EXPECT_EQ(i.home.Read("config/quillpost/quillpost.ini"), "[Configuration]\r\nLanguage=English\r\n");
    EXPECT_EQ(i.home.Read("share/quillpost/data/categories.dat"), "Utilities\r\n"); // a missing one comes back

    // A user folder that cannot be made is told, not thrown.
    fs::permissions(i.home.Path(), fs::perms::owner_write, fs::perm_options::remove);
    i.env.DataHome = i.home.File("blocked");
    EXPECT_NE(FileLocations(i.program.Path(), "quillpost.ini", i.env).FillUserFolders().find("Cannot create"),
              std::string::npos);
    fs::permissions(i.home.Path(), fs::perms::owner_write, fs::perm_options::add);
    fs::permissions(i.program.Path(), fs::perms::owner_write, fs::perm_options::add);
    fs::permissions(i.program.File("data"), fs::perms::owner_write, fs::perm_options::add);
}
