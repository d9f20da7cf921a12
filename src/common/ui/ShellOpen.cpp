#include "common/ui/ShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

std::function<bool(const QString&, bool)>& Hook()
{
    static std::function<bool(const QString&, bool)> hook;
    return hook;
}

} // namespace

bool ShellOpen::File(const QString& path)
{
    if (Hook()) return Hook()(path, true);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void ShellOpen::Address(const QString& address)
{
    if (Hook()) {
        Hook()(address, false);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

void ShellOpen::setHook(std::function<bool(const QString&, bool)> fn)
{
    Hook() = std::move(fn);
}
