#include "common/ui/ShownText.h"

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

QString ShownText::Message(const QString& english)
{
    if (!OnGuiThread()) return english;
    return LocalText::ToQ(Current().Translate(LocalText::ToBytes(english)));
}

QString ShownText::Message(const std::string& english)
{
    if (!OnGuiThread()) return LocalText::ToQ(english);
    return LocalText::ToQ(Current().Translate(english));
}

QString ShownText::Caption(const char* english)
{
    if (!OnGuiThread()) return QString::fromUtf8(english);
    return LocalText::ToQ(Current().Caption(english));
}
