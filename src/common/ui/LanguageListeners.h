#pragma once

#include <QObject>

#include <functional>

// The one place a window registers with to follow a change of language: each window asks to
// follow when it is built and is let go when it is destroyed (the connection ends with the
// window), so no window keeps a list of the others. The window that applies a language tells
// the listeners after it has set its own captions and our texts (ShownText), and each window
// then captions itself from ShownText.
//
// Belongs to the GUI thread.
class LanguageListeners : public QObject {
    Q_OBJECT
public:
    static LanguageListeners& Instance();

    // Runs `recaption` after every change of language for as long as `window` lives.
    static void Follow(QObject* window, std::function<void()> recaption);
    // A language was applied: every window that follows captions itself again.
    static void Notify();

signals:
    void Changed();
};
