#pragma once

#include <functional>

// The one place where an error raised by a command or handler ends: it shows "Exception -
// Error in program !" in a plain message box and the program runs on. The error's own
// text goes to the standard error output only, save for a file that cannot be replaced
// safely (UnsafeReplaceError): the box names it and says why under the general text.
class ErrorGuard {
public:
    static constexpr const char* Message = "Exception - Error in program !";

    // Runs `fn`; returns false when it raised an error (already reported).
    static bool Run(const std::function<void()>& fn);
    static void Report(const char* what);
};
