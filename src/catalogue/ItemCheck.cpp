#include "catalogue/ItemCheck.h"

namespace {

bool HasBar(const std::string& text)
{
    return text.find('|') != std::string::npos;
}

} // namespace

std::string ItemCheck::Message(const std::string& title, const std::string& link, const std::string& linkLine,
                               const std::string& category)
{
    std::string message;
    if (title.empty()) message += std::string(TitleLine) + '\r';
    message += TitleMessage(title);
    if (link.empty()) message += linkLine + '\r';
    if (HasBar(link)) message += std::string(LinkBarLine) + '\r';
    if (HasBar(category)) message += std::string(CategoryBarLine) + '\r';
    return message;
}

std::string ItemCheck::TitleMessage(const std::string& title)
{
    return HasBar(title) ? std::string(TitleBarLine) + '\r' : std::string();
}
