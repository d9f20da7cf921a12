#include "app/ui/ProgramFolder.h"

#include "common/ui/LocalText.h"

#include <QCoreApplication>
#include <QFileInfo>

ProgramFiles ProgramFolder::Files(const QString& given)
{
    if (!given.isEmpty()) return ProgramFiles(LocalText::ToBytes(given), "quillpost");
    return ProgramFiles(LocalText::ToBytes(QCoreApplication::applicationDirPath()),
                        LocalText::ToBytes(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()));
}
