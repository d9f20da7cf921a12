#pragma once

#include <cstddef>
#include <list>
#include <utility>

// The pages of a long list that are in memory: a page is read when first asked for, and at
// most `kept` are held, the one asked for least recently going first. A reference to a page
// holds until the next Get. A plain value; one thread.
template <typename Page>
class PageCache {
public:
    explicit PageCache(size_t kept) : kept_(kept < 1 ? 1 : kept) {}

    // Page `index`, read by `read(index)` when it is not held.
    template <typename Read>
    Page& Get(size_t index, Read&& read)
    {
        if (Page* held = Find(index)) return *held;
        pages_.emplace_front(index, read(index));
        if (pages_.size() > kept_) pages_.pop_back();
        return pages_.front().second;
    }

    // Page `index` when held (then the most recently used), else null.
    Page* Find(size_t index)
    {
        for (auto it = pages_.begin(); it != pages_.end(); ++it)
            if (it->first == index) {
                pages_.splice(pages_.begin(), pages_, it);
                return &pages_.front().second;
            }
        return nullptr;
    }

    template <typename Visit>
    void ForEach(Visit&& visit) const
    {
        for (const auto& [index, page] : pages_) visit(page);
    }

private:
    size_t kept_;
    std::list<std::pair<size_t, Page>> pages_;
};
