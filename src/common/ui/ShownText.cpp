#include "common/ui/ShownText.h"

#include "common/FileReplace.h"
#include "common/ui/LocalText.h"

#include <QCoreApplication>
#include <QThread>

namespace {

TextTemplates& Current()
{
    static TextTemplates texts;
    return texts;
}

bool OnGuiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

void ShownText::Use(TextTemplates texts)
{
    if (OnGuiThread()) Current() = std::move(texts);
}

QString ShownText::Message(const Phrase& message)
{
    if (!OnGuiThread()) return LocalText::ToQ(message.English());
    return LocalText::ToQ(Current().Shown(message));
}

Phrase ShownText::Error(const std::exception& e)
{
    if (const auto* file = dynamic_cast<const FileError*>(&e)) return file->Words();
    return Phrase::Text(e.what());
}

QString ShownText::Caption(const char* english)
{
    if (!OnGuiThread()) return QString::fromUtf8(english);
    return LocalText::ToQ(Current().Caption(english));
}
