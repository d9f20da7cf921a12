#include "lang/ui/ProgramIcon.h"

QIcon ProgramIcon::Get()
{
    return QIcon(QStringLiteral(":/quillpost/io.github.quillpost.Quillpost.svg"));
}
