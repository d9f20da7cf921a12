#pragma once

#include <string>

// A fresh folder under the system's temporary folder, removed with everything in it when
// the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + "/" + name.
    std::string File(const std::string& name) const;
    // Writes bytes to Path()/name (creating folders on the way) and returns the full path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    // The bytes of Path()/name; throws when it cannot be read.
    std::string Read(const std::string& name) const;

private:
    std::string path_;
};
