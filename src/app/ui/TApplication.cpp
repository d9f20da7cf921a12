#include "app/ui/TApplication.h"

#include "common/ui/ErrorGuard.h"
#include "lang/ui/ProgramIcon.h"

#include <exception>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // Every window of the program shows it; the desktop finds the same drawing by the
    // menu entry's name.
    setWindowIcon(ProgramIcon::Get());
    setDesktopFileName(QStringLiteral("io.github.quillpost.Quillpost"));
}

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
