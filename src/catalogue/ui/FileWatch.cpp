#include "catalogue/ui/FileWatch.h"

#include "catalogue/ListDocument.h"
#include "common/ui/ErrorGuard.h"
#include "common/ui/LocalText.h"

#include <QFileInfo>

FileWatch::FileWatch(const std::string& path, std::function<void()> changed, QObject* parent)
    : QObject(parent), path_(LocalText::ToQ(path)), changed_(std::move(changed))
{
    settle_.setSingleShot(true);
    settle_.setInterval(100);
    connect(&settle_, &QTimer::timeout, this, [this] { ErrorGuard::Run(changed_); });
    auto seen = [this] {
        Rewatch();
        settle_.start();
    };
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, seen);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, seen);
    const QString folder = QFileInfo(path_).absolutePath();
    if (QFileInfo::exists(folder)) watcher_.addPath(folder);
    Rewatch();
}

void FileWatch::Follow(ListDocument& document, std::function<void(const Phrase&)> tell, QObject* parent)
{
    new FileWatch(
        document.DataPath(),
        [&document, tell = std::move(tell)] {
            const Phrase told = document.FileChanged();
            if (!told.Empty()) tell(told);
        },
        parent);
}

void FileWatch::Rewatch()
{
    if (!watcher_.files().contains(path_) && QFileInfo::exists(path_)) watcher_.addPath(path_);
}
