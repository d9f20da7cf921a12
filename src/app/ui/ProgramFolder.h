#pragma once

#include "app/ProgramFiles.h"

#include <QString>

// The program folder as the window finds it: the executable's folder, the settings file named
// after the executable, when no folder is given; or else the given folder (tests, portable
// use), with "quillpost.ini" in it.
class ProgramFolder {
public:
    static ProgramFiles Files(const QString& given);
};
