#include "catalogue/ItemCheck.h"

#include <algorithm>

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

Phrase ItemCheck::Shown(const std::string& message)
{
    std::vector<Phrase> lines;
    for (size_t from = 0, end = 0; from < message.size(); from = end + 1) {
        end = std::min(message.find('\r', from), message.size());
        lines.push_back(Phrase(message.substr(from, end - from)));
    }
    return Phrase("%1\r", {Phrase::Join(std::move(lines), "\r")});
}

std::string ItemCheck::TitleMessage(const std::string& title)
{
    return HasBar(title) ? std::string(TitleBarLine) + '\r' : std::string();
}
