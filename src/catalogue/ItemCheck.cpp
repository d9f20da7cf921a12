#include "catalogue/ItemCheck.h"

std::string ItemCheck::Message(const std::string& title, const std::string& link, const std::string& linkLine)
{
    std::string message;
    if (title.empty()) message += std::string(TitleLine) + '\r';
    if (link.empty()) message += linkLine + '\r';
    return message;
}
