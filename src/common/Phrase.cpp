#include "common/Phrase.h"

Phrase::Phrase(std::string english, std::vector<Phrase> parts)
    : kind_(Kind::Ours), words_(std::move(english)), parts_(std::move(parts))
{}

Phrase Phrase::Text(std::string text)
{
    Phrase p;
    p.words_ = std::move(text);
    return p;
}

Phrase Phrase::Join(std::vector<Phrase> pieces, std::string separator)
{
    Phrase p;
    p.kind_ = Kind::Joined;
    p.words_ = std::move(separator);
    for (Phrase& piece : pieces)
        if (!piece.Empty()) p.parts_.push_back(std::move(piece));
    return p;
}

bool Phrase::Empty() const
{
    switch (kind_) {
    case Kind::Text: return words_.empty();
    case Kind::Ours: return words_.empty();
    case Kind::Joined: return parts_.empty();
    }
    return true;
}

std::string Phrase::English() const
{
    switch (kind_) {
    case Kind::Text: return words_;
    case Kind::Ours: return Fill(words_, parts_.size(), [this](size_t i) { return parts_[i].English(); });
    case Kind::Joined: break;
    }
    std::string out;
    for (size_t i = 0; i < parts_.size(); ++i) {
        if (i > 0) out += words_;
        out += parts_[i].English();
    }
    return out;
}
