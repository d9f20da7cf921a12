#pragma once

#include <QIcon>

// The program's own icon (a quill over a sheet), the same drawing the desktop's menu entry
// shows. Scales to any size; null only where Qt has no SVG support installed.
class ProgramIcon {
public:
    static QIcon Get();
};
