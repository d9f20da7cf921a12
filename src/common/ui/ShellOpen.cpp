#include "common/ui/ShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

std::function<void(const QString&, bool)>& Hook()
{
    static std::function<void(const QString&, bool)> hook;
    return hook;
}

} // namespace

void ShellOpen::File(const QString& path)
{
    if (Hook()) {
        Hook()(path, true);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void ShellOpen::Address(const QString& address)
{
    if (Hook()) {
        Hook()(address, false);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

void ShellOpen::setHook(std::function<void(const QString&, bool)> fn)
{
    Hook() = std::move(fn);
}
