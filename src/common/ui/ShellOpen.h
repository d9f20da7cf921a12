#pragma once

#include <QString>

#include <functional>

// Opens a document or an address with the program the desktop associates with it. The
// result is not looked at. Tests set a hook that receives the target instead.
class ShellOpen {
public:
    static void File(const QString& path);
    static void Address(const QString& address);

    // fn(target, isFile); an empty function restores the desktop.
    static void setHook(std::function<void(const QString&, bool)> fn);
};
