#include "common/ui/ErrorGuard.h"

#include "common/ui/MessageBoxes.h"

#include <cstdio>
#include <exception>

bool ErrorGuard::Run(const std::function<void()>& fn)
{
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        Report(e.what());
    } catch (...) {
        Report("unknown error");
    }
    return false;
}

void ErrorGuard::Report(const char* what)
{
    std::fprintf(stderr, "quillpost: %s\n", what);
    MessageBoxes::Show(QString::fromUtf8(Message));
}
