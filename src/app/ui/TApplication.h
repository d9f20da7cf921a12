#pragma once

#include <QApplication>

// The application object. An error that a command or handler let escape ends in the
// application-wide handler instead of ending the program.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
