#pragma once

#include <QString>

class BrowserEngineFactory;

// Finds and loads the browser module (the one part of the program that links Qt WebEngine)
// on first use, so that a start which never shows a web page neither loads nor initialises
// the web engine. The module is the file modules/quillpost-browser.so in the program's folder.
//
// Loaded once and never unloaded (the engine's threads and helper processes outlive any
// page). Before the module, it sets up the OpenGL context that the engine's frames are
// shared through; a Qt that lacks the unpublished function for that is a load that failed,
// with its own reason, rather than a crash. A load that failed is tried again at the next
// call: the file may have been put back meanwhile. GUI thread only.
class BrowserModule {
public:
    // The module's factory, or nullptr with `error` set to a sentence that says which file
    // could not be loaded and the loader's reason.
    static BrowserEngineFactory* Factory(QString& error);
    // The file looked for.
    static QString Path();
    // Test hook: look for the module at `path` instead (an empty path restores the default).
    static void SetPath(const QString& path);

    // Finds a function of the libraries already loaded by its symbol name; nullptr when none
    // has it.
    using SymbolLookup = void* (*)(const char* name);
    // Test hook: find Qt's unpublished functions with `lookup` instead of the dynamic linker
    // (nullptr restores it), to play a Qt that lacks one.
    static void SetSymbolLookup(SymbolLookup lookup);
};
