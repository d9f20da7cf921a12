#pragma once

#include "common/Phrase.h"

#include <QString>

class BrowserEngineFactory;

// Finds and loads the browser module (the one part of the program that links Qt WebEngine)
// on first use, so that a start which never shows a web page neither loads nor initialises
// the web engine. The module is the file modules/quillpost-browser.so in the program's folder.
//
// Loaded once and never unloaded (the engine's threads and helper processes outlive any
// page). A load that failed is tried again at the next call: the file may have been put
// back meanwhile. GUI thread only.
class BrowserModule {
public:
    // The module's factory, or nullptr with `error` set to a sentence that says which file
    // could not be loaded and the loader's reason.
    static BrowserEngineFactory* Factory(Phrase& error);
    // The file looked for.
    static QString Path();
    // Test hook: look for the module at `path` instead (an empty path restores the default).
    static void SetPath(const QString& path);
};
