#include "lang/Windows1251Notice.h"

#include <functional>

std::string Windows1251Notice::Tell(const std::string& path, const LanguagePass& pass)
{
    if (!pass.ReadAsWindows1251()) {
        // A file mended and then put back as it was is told again.
        told_.erase(path);
        return {};
    }
    const std::size_t hash = std::hash<std::string>{}(pass.Text());
    const auto [it, added] = told_.try_emplace(path, hash);
    if (!added && it->second == hash) return {};
    it->second = hash;
    const std::string text = Text;
    const size_t slash = path.find_last_of('/');
    return path.substr(slash == std::string::npos ? 0 : slash + 1) + text.substr(2);
}
