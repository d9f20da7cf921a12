#pragma once

#include <QObject>

// Stands for the themed look of the controls, which the platform style gives here. It
// checks its place when created: its owner must be a window, and a window holds at most
// one of it. Either fault throws std::logic_error.
class TThemeManager : public QObject {
    Q_OBJECT
public:
    static constexpr const char* NotAFormError = "Control parent must be a form!";
    static constexpr const char* SecondInstanceError = "Only one instance of TThemeManager allowed on form";

    explicit TThemeManager(QObject* owner);

private:
    static QObject* CheckedOwner(QObject* owner);
};
