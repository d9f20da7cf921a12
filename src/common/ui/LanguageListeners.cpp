#include "common/ui/LanguageListeners.h"

LanguageListeners& LanguageListeners::Instance()
{
    static LanguageListeners listeners;
    return listeners;
}

void LanguageListeners::Follow(QObject* window, std::function<void()> recaption)
{
    connect(&Instance(), &LanguageListeners::Changed, window, std::move(recaption));
}

void LanguageListeners::Notify()
{
    emit Instance().Changed();
}
