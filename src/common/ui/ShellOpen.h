#pragma once

#include <QString>

#include <functional>

// Opens a document or an address with the program the desktop associates with it. File
// tells whether the desktop took the document (false where it has no program for it, or
// no way to start one); Address does not look. Tests set a hook that receives the target
// instead and answers for the desktop.
class ShellOpen {
public:
    static bool File(const QString& path);
    static void Address(const QString& address);

    // fn(target, isFile) returns whether the desktop took it; an empty function restores
    // the desktop.
    static void setHook(std::function<bool(const QString&, bool)> fn);
};
