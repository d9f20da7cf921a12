#include "common/ui/ErrorGuard.h"

#include "common/FileReplace.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"

#include <cstdio>
#include <exception>

bool ErrorGuard::Run(const std::function<void()>& fn)
{
    try {
        fn();
        return true;
    } catch (const UnsafeReplaceError& e) {
        // A save refused so that no file is ever left cut: which file and why, under the
        // general text; the list stays as it is, for another try or another place.
        std::fprintf(stderr, "quillpost: %s\n", e.what());
        MessageBoxes::Show(QString::fromUtf8(Message) + QStringLiteral("\n\n") + LocalText::ToQ(e.what()));
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
