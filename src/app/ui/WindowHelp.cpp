#include "app/ui/WindowHelp.h"

#include "app/ProgramFiles.h"
#include "common/ui/LocalText.h"
#include "common/ui/ShellOpen.h"
#include "lang/ui/THelpViewer.h"

void WindowHelp::Content() const
{
    const std::string help = files_.Help(language_);
    if (help.empty()) return;
    const QString path = LocalText::ToQ(help);
    // Where the desktop has no program for text files, the text shows in our own viewer.
    if (!ShellOpen::File(path)) THelpViewer::Open(path, window_);
}

void WindowHelp::At(const QString& heading) const
{
    const std::string help = files_.Help(language_);
    if (!help.empty()) THelpViewer::Open(LocalText::ToQ(help), window_, heading);
}
