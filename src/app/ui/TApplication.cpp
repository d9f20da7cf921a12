#include "app/ui/TApplication.h"

#include "common/ui/ErrorGuard.h"

#include <exception>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ErrorGuard::Report(e.what());
    } catch (...) {
        ErrorGuard::Report("unknown error");
    }
    return false;
}
