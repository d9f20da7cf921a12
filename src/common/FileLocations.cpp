#include "common/FileLocations.h"

#include "common/FileReplace.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* UserFolder = "quillpost/";

// The files a start or a close may write in data/. The history is not among them: one that
// may not be written costs the record of the runs (the user is told once), not the catalogue's
// place; moving would start the user on fresh copies of the shipped files instead.
constexpr const char* WrittenDataFiles[] = {"products.dat", "sites.dat", "autosites.dat"};

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

// An XDG base folder: the variable when it holds an absolute path, else `fallback` below home.
std::string BaseFolder(const std::string& value, const std::string& home, const char* fallback)
{
    if (!value.empty() && value.front() == '/') return WithSlash(value);
    return WithSlash(home) + fallback;
}

bool Exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

} // namespace

FileLocations::Environment FileLocations::Environment::Real()
{
    Environment env;
    env.DataHome = Env("XDG_DATA_HOME");
    env.ConfigHome = Env("XDG_CONFIG_HOME");
    env.Home = Env("HOME");
    if (env.Home.empty())
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) env.Home = pw->pw_dir;
    env.Writable = [](const std::string& path) { return ::access(path.c_str(), W_OK) == 0; };
    return env;
}

FileLocations::FileLocations(std::string programFolder, const std::string& settingsName, const Environment& env)
    : program_(WithSlash(std::move(programFolder)))
{
    const std::string data = program_ + DataFolder;
    const std::string reports = program_ + ReportsFolder;
    const std::string settings = program_ + settingsName;
    // A folder that exists must take new files; a file that exists must take new bytes.
    auto writableIfThere = [&env](const std::string& path) { return !Exists(path) || env.Writable(path); };
    portable_ =
        env.Writable(program_) && writableIfThere(data) && writableIfThere(reports) && writableIfThere(settings);
    for (const char* name : WrittenDataFiles) portable_ = portable_ && writableIfThere(data + name);

    if (portable_) {
        files_ = program_;
        settings_ = settings;
    } else {
        files_ = BaseFolder(env.DataHome, env.Home, ".local/share/") + UserFolder;
        settings_ = BaseFolder(env.ConfigHome, env.Home, ".config/") + UserFolder + settingsName;
    }
}

std::string FileLocations::FillUserFolders() const
{
    if (portable_) return {};
    std::string failures;
    auto fail = [&failures](const std::string& what, const std::error_code& ec) {
        failures += what + ": " + ec.message() + "\n";
    };
    auto copyIfMissing = [&](const fs::path& from, const fs::path& to) {
        std::error_code ec;
        if (fs::exists(to, ec) || ec) return; // the user's own file stays as it is
        if (!fs::copy_file(from, to, fs::copy_options::skip_existing, ec) && ec)
            fail("Cannot copy " + from.string() + " to " + to.string(), ec);
    };

    const fs::path userData = files_ + DataFolder;
    std::error_code ec;
    fs::create_directories(userData, ec);
    if (ec) {
        fail("Cannot create " + userData.string(), ec);
    } else {
        for (fs::directory_iterator it(program_ + DataFolder, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code typeEc;
            if (it->path().extension() == ".dat" && it->is_regular_file(typeEc))
                copyIfMissing(it->path(), userData / it->path().filename());
        }
    }

    const fs::path settings(settings_);
    fs::create_directories(settings.parent_path(), ec);
    if (ec)
        fail("Cannot create " + settings.parent_path().string(), ec);
    else if (const fs::path shipped = program_ + settings.filename().string(); Exists(shipped.string()))
        copyIfMissing(shipped, settings);
    return failures;
}

int FileLocations::RemoveLeftovers() const
{
    const std::string settingsFolder = fs::path(settings_).parent_path().string();
    return FileReplace::RemoveLeftovers(files_ + DataFolder) + FileReplace::RemoveLeftovers(files_ + ReportsFolder) +
           FileReplace::RemoveLeftovers(settingsFolder.empty() ? "." : settingsFolder);
}
