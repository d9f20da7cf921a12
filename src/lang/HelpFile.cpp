#include "lang/HelpFile.h"

std::string HelpFile::For(const std::string& language)
{
    if (language == "English") return "help/Help - En.txt";
    if (language == "Russian") return "help/Help - Ru.txt";
    return {};
}
