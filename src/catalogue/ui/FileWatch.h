#pragma once

#include "common/Phrase.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <functional>
#include <string>

class ListDocument;

// Tells when one of the program's files may have been written by someone else. It watches the
// file and its folder: a save that renames a new file over the old one ends the watch of the
// old file, so the path is watched anew, and a file that appears later is watched from then on.
// Signals that come together are told once. The call decides whether the file really changed
// (FileStamp); a call for nothing is harmless.
//
// GUI thread.
class FileWatch : public QObject {
    Q_OBJECT
public:
    FileWatch(const std::string& path, std::function<void()> changed, QObject* parent);
    // Watches the document's own file: the document hears of each change (FileChanged), and
    // what it has to say goes to `tell`.
    static void Follow(ListDocument& document, std::function<void(const Phrase&)> tell, QObject* parent);

private:
    void Rewatch();

    QString path_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
    std::function<void()> changed_;
};
