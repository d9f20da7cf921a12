#include "pad/PadDocument.h"

#include "pad/PadFields.h"
#include "pad/PadXml.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The encoding the declaration names ("" when there is no declaration or it names none).
std::string DeclaredEncoding(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    // "<?xml" and a blank: "<?xml-stylesheet ...?>" is another processing instruction.
    if (bytes.substr(0, 5) != "<?xml" || bytes.size() < 6 ||
        std::string_view(" \t\r\n").find(bytes[5]) == std::string_view::npos)
        return {};
    const std::string_view decl = bytes.substr(0, bytes.find("?>"));
    const auto at = decl.find("encoding");
    if (at == std::string_view::npos) return {};
    auto i = decl.find_first_not_of(" \t\r\n", at + 8);
    if (i == std::string_view::npos || decl[i] != '=') return {};
    i = decl.find_first_not_of(" \t\r\n", i + 1);
    if (i == std::string_view::npos || (decl[i] != '"' && decl[i] != '\'')) return {};
    const auto end = decl.find(decl[i], i + 1);
    if (end == std::string_view::npos) return {};
    return Lower(std::string(decl.substr(i + 1, end - i - 1)));
}

const char* EncodingName(PadDocument::Encoding encoding)
{
    switch (encoding) {
    case PadDocument::Encoding::Latin1: return "ISO-8859-1";
    case PadDocument::Encoding::Ascii: return "US-ASCII";
    case PadDocument::Encoding::Windows1252: return "Windows-1252";
    case PadDocument::Encoding::Utf8: break;
    }
    return "UTF-8";
}

// The next character of strict UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool NextCharacter(const std::string& text, std::size_t& i, std::uint32_t& c)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    int more = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead < 0x80) {
        c = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        c = lead & 0x1Fu;
        more = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        c = lead & 0x0Fu;
        more = 2;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        c = lead & 0x07u;
        more = 3;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return false;
    }
    if (i + static_cast<std::size_t>(more) >= text.size() && more > 0) return false;
    for (int k = 1; k <= more; ++k) {
        const unsigned char next = byte(i + static_cast<std::size_t>(k));
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return false;
        c = (c << 6) | (next & 0x3Fu);
    }
    i += static_cast<std::size_t>(more) + 1;
    return true;
}

std::string CodePoint(std::uint32_t c)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
    return buffer;
}

// The byte of `c` in a one-byte encoding; -1 when it has none.
int ByteOf(std::uint32_t c, PadDocument::Encoding encoding)
{
    switch (encoding) {
    case PadDocument::Encoding::Ascii: return c < 0x80 ? static_cast<int>(c) : -1;
    case PadDocument::Encoding::Latin1: return c < 0x100 ? static_cast<int>(c) : -1;
    case PadDocument::Encoding::Windows1252:
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) return static_cast<int>(c);
        for (int b = 0x80; b < 0xA0; ++b)
            if (PadXml::Windows1252(static_cast<unsigned char>(b)) == static_cast<int>(c)) return b;
        return -1;
    case PadDocument::Encoding::Utf8: break;
    }
    return -1;
}

// `value` (UTF-8) as the text of an element of this file: escaped, in its encoding, with its
// line end. `normal` gets the value as the file will read it back (every line end one LF).
bool Encode(const std::string& field, const std::string& value, PadDocument::Encoding encoding,
            const std::string& lineEnd, std::string& out, std::string& normal, std::string& error)
{
    for (std::size_t i = 0; i < value.size();) {
        const std::size_t from = i;
        std::uint32_t c = 0;
        if (!NextCharacter(value, i, c)) {
            error = field + ": the value is not UTF-8 text";
            return false;
        }
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i < value.size() && value[i] == '\n') ++i;
            normal += '\n';
            out += lineEnd;
            continue;
        }
        if ((c < 0x20 && c != '\t') || c == 0xFFFE || c == 0xFFFF) {
            error = field + ": the value holds the control character " + CodePoint(c) + ", which XML cannot carry";
            return false;
        }
        normal.append(value, from, i - from);
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (encoding == PadDocument::Encoding::Utf8) {
            out.append(value, from, i - from);
        } else if (const int b = ByteOf(c, encoding); b >= 0) {
            out += static_cast<char>(b);
        } else {
            error = field + ": \"" + value.substr(from, i - from) + "\" (" + CodePoint(c) +
                    ") cannot be written in the file's encoding, " + EncodingName(encoding);
            return false;
        }
    }
    return true;
}

bool IsName(const std::string& name)
{
    if (name.empty()) return false;
    const unsigned char first = static_cast<unsigned char>(name[0]);
    if (!std::isalpha(first) && first != '_') return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return std::isalnum(u) || c == '_' || c == '-' || c == '.';
    });
}

std::string LastName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

bool PadDocument::Open(std::string_view bytes, std::string& error)
{
    if (bytes.size() > PadXml::MaxBytes) {
        error = "the file is larger than 1 MiB (" + std::to_string(bytes.size()) + " bytes)";
        return false;
    }
    if (bytes.substr(0, 2) == "\xFE\xFF" || bytes.substr(0, 2) == "\xFF\xFE" ||
        (bytes.size() >= 2 && (bytes[0] == '\0' || bytes[1] == '\0'))) {
        error = "the file is in UTF-16; only UTF-8, ISO-8859-1 and Windows-1252 files can be changed";
        return false;
    }
    const std::string declared = DeclaredEncoding(bytes);
    Encoding encoding = Encoding::Utf8;
    if (declared == "iso-8859-1") {
        encoding = Encoding::Latin1;
    } else if (declared == "us-ascii") {
        encoding = Encoding::Ascii;
    } else if (declared == "windows-1252" || declared == "cp1252") {
        encoding = Encoding::Windows1252;
    } else if (!declared.empty() && declared != "utf-8") {
        error = "the file is in " + declared + "; only UTF-8, ISO-8859-1 and Windows-1252 files can be changed";
        return false;
    }
    if (!Index(bytes, error)) return false;
    encoding_ = encoding;
    bytes_.assign(bytes);

    lineEnd_.clear();
    if (const auto lf = bytes_.find('\n'); lf != std::string::npos)
        lineEnd_ = lf > 0 && bytes_[lf - 1] == '\r' ? "\r\n" : "\n";
    else if (bytes_.find('\r') != std::string::npos)
        lineEnd_ = "\r";
    indentUnit_.clear();
    if (!lineEnd_.empty()) {
        indentUnit_ = "\t";
        const auto first = std::find_if(nodes_.begin(), nodes_.end(), [](const Node& n) { return n.Parent == 0; });
        bool rootOwn = false, childOwn = false;
        const std::string rootIndent = IndentOf(nodes_[0], rootOwn);
        if (first != nodes_.end()) {
            const std::string childIndent = IndentOf(*first, childOwn);
            if (childOwn && childIndent.size() > rootIndent.size() &&
                childIndent.compare(0, rootIndent.size(), rootIndent) == 0)
                indentUnit_ = childIndent.substr(rootIndent.size());
        }
    }
    return true;
}

bool PadDocument::Index(std::string_view bytes, std::string& error)
{
    std::vector<Node> nodes;
    std::vector<int> open;
    std::string rootName;
    const auto relative = [](const std::string& path) {
        const auto slash = path.find('/');
        return slash == std::string::npos ? std::string() : path.substr(slash + 1);
    };
    const PadXml::TagSeen tags = [&](const std::string& path, const PadXml::Tag& tag) {
        if (tag.Start) {
            Node node;
            node.Path = relative(path);
            node.Begin = tag.Begin;
            node.OpenEnd = tag.Begin + tag.Length;
            node.Parent = open.empty() ? -1 : open.back();
            if (open.empty()) rootName = path;
            if (node.Parent >= 0) ++nodes[static_cast<std::size_t>(node.Parent)].Children;
            open.push_back(static_cast<int>(nodes.size()));
            nodes.push_back(std::move(node));
            return;
        }
        Node& node = nodes[static_cast<std::size_t>(open.back())];
        node.SelfClosing = tag.Length == 0;
        node.CloseBegin = node.SelfClosing ? node.OpenEnd : tag.Begin;
        node.End = node.SelfClosing ? node.OpenEnd : tag.Begin + tag.Length;
    };
    const PadXml::ElementEnded ended = [&](const std::string&, std::string& text) {
        nodes[static_cast<std::size_t>(open.back())].Text = std::move(text);
        open.pop_back();
    };
    error = PadXml::Read(bytes, PadXml::MaxBytes, ended, tags);
    if (!error.empty()) return false;
    if (rootName != PadFields::Root) {
        error = "the root element is " + rootName + ", not " + PadFields::Root;
        return false;
    }
    nodes_ = std::move(nodes);
    return true;
}

int PadDocument::Find(const std::string& path) const
{
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        if (nodes_[i].Path == path) return static_cast<int>(i);
    return -1;
}

void PadDocument::AddKnownFields(const std::vector<std::string>& paths)
{
    known_.insert(known_.end(), paths.begin(), paths.end());
}

bool PadDocument::Known(const std::string& path) const
{
    const auto& order = PadFields::PublicOrder();
    return std::find(order.begin(), order.end(), path) != order.end() ||
           std::find(known_.begin(), known_.end(), path) != known_.end();
}

std::optional<std::string> PadDocument::FieldPath(const std::string& given, std::string& error) const
{
    std::string path = given;
    const std::string rootPrefix = std::string(PadFields::Root) + "/";
    if (path.compare(0, rootPrefix.size(), rootPrefix) == 0) path.erase(0, rootPrefix.size());
    std::size_t from = 0;
    while (true) {
        const auto slash = path.find('/', from);
        const std::string name = path.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
        if (name.empty()) {
            error = "\"" + given + "\" has an empty name in it";
            return std::nullopt;
        }
        if (!IsName(name)) {
            error = "\"" + given + "\": \"" + name + "\" is not an element name";
            return std::nullopt;
        }
        if (slash == std::string::npos) break;
        from = slash + 1;
    }
    const int node = Find(path);
    if (PadFields::IsGroup(path) || (node >= 0 && nodes_[static_cast<std::size_t>(node)].Children > 0)) {
        error = "\"" + given + "\" is a group of fields, not a field";
        return std::nullopt;
    }
    if (node < 0 && !Known(path)) {
        error = "\"" + given + "\" is not a field of the PAD field list, nor in the file";
        return std::nullopt;
    }
    return path;
}

std::optional<std::string> PadDocument::Value(const std::string& path) const
{
    const int node = Find(path);
    if (node < 0) return std::nullopt;
    return nodes_[static_cast<std::size_t>(node)].Text;
}

std::string PadDocument::IndentOf(const Node& node, bool& ownLine) const
{
    std::size_t from = node.Begin;
    while (from > 0 && (bytes_[from - 1] == ' ' || bytes_[from - 1] == '\t')) --from;
    ownLine = from == 0 || bytes_[from - 1] == '\n' || bytes_[from - 1] == '\r';
    return ownLine ? bytes_.substr(from, node.Begin - from) : std::string();
}

bool PadDocument::Insertion(const std::string& path, const std::string& text, std::size_t& at, std::size_t& erase,
                            std::string& out) const
{
    std::vector<std::string> names;
    for (std::size_t from = 0;;) {
        const auto slash = path.find('/', from);
        names.push_back(path.substr(from, slash == std::string::npos ? std::string::npos : slash - from));
        if (slash == std::string::npos) break;
        from = slash + 1;
    }
    // The innermost group the file has, and the names to make inside it.
    std::size_t have = names.size() - 1;
    int parent = 0;
    for (; have > 0; --have) {
        std::string group = names[0];
        for (std::size_t k = 1; k < have; ++k) group += "/" + names[k];
        if ((parent = Find(group)) >= 0) break;
    }
    if (have == 0) parent = 0;
    const Node& p = nodes_[static_cast<std::size_t>(parent)];
    const std::vector<std::string> chain(names.begin() + static_cast<std::ptrdiff_t>(have), names.end());

    // The element and the groups around it, indented from `indent` on, or all on one line.
    const auto element = [&](const std::string& indent, bool flat) {
        std::string inner = text;
        std::string deeper = indent;
        for (std::size_t k = 1; k < chain.size(); ++k) deeper += indentUnit_;
        for (std::size_t k = chain.size(); k-- > 0;) {
            const std::string& name = chain[k];
            if (k + 1 < chain.size()) {
                const std::string outer = deeper.substr(0, deeper.size() - indentUnit_.size());
                inner = flat ? inner : lineEnd_ + deeper + inner + lineEnd_ + outer;
                deeper = outer;
            }
            inner = "<" + name + ">" + inner + "</" + name + ">";
        }
        return inner;
    };

    std::vector<int> children;
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        if (nodes_[i].Parent == parent) children.push_back(static_cast<int>(i));
    const std::vector<std::string> order = PadFields::ChildrenOf(p.Path);
    const auto position = std::find(order.begin(), order.end(), chain[0]);
    int after = -1;
    if (position == order.end()) {
        if (!children.empty()) after = children.back();
    } else {
        for (auto name = position; name != order.begin() && after < 0;) {
            --name;
            const std::string sibling = p.Path.empty() ? *name : p.Path + "/" + *name;
            for (int child : children)
                if (nodes_[static_cast<std::size_t>(child)].Path == sibling) after = child;
        }
    }
    bool own = false;
    if (after >= 0) {
        const Node& s = nodes_[static_cast<std::size_t>(after)];
        const std::string indent = IndentOf(s, own);
        own = own && !lineEnd_.empty();
        at = s.End;
        erase = 0;
        out = own ? lineEnd_ + indent + element(indent, false) : element("", true);
        return true;
    }
    if (!children.empty()) {
        const Node& f = nodes_[static_cast<std::size_t>(children.front())];
        const std::string indent = IndentOf(f, own);
        own = own && !lineEnd_.empty();
        at = f.Begin;
        erase = 0;
        out = own ? element(indent, false) + lineEnd_ + indent : element("", true);
        return true;
    }
    const std::string indent = IndentOf(p, own);
    own = own && !lineEnd_.empty();
    const std::string content =
        own ? lineEnd_ + indent + indentUnit_ + element(indent + indentUnit_, false) + lineEnd_ + indent
            : element("", true);
    if (p.SelfClosing) {
        if (p.End < 2 || bytes_.compare(p.End - 2, 2, "/>") != 0) return false;
        const std::string name = p.Path.empty() ? std::string(PadFields::Root) : LastName(p.Path);
        at = p.End - 2;
        erase = 2;
        out = ">" + content + "</" + name + ">";
        return true;
    }
    const std::string between = bytes_.substr(p.OpenEnd, p.CloseBegin - p.OpenEnd);
    if (between.find_first_not_of(" \t\r\n") == std::string::npos) {
        at = p.OpenEnd;
        erase = between.size();
        out = content;
    } else {
        at = p.CloseBegin;
        erase = 0;
        out = element("", true);
    }
    return true;
}

bool PadDocument::Set(const std::string& given, const std::string& value, std::string& error)
{
    const std::optional<std::string> path = FieldPath(given, error);
    if (!path) return false;
    std::string text, normal;
    if (!Encode(*path, value, encoding_, lineEnd_.empty() ? "\n" : lineEnd_, text, normal, error)) return false;
    if (Value(*path) == normal) return true; // unchanged: the author's own spelling of it stays

    std::string bytes = bytes_;
    if (const int found = Find(*path); found >= 0) {
        const Node& node = nodes_[static_cast<std::size_t>(found)];
        if (node.SelfClosing) {
            if (node.End < 2 || bytes.compare(node.End - 2, 2, "/>") != 0) {
                error = *path + ": the element's tag could not be rewritten";
                return false;
            }
            bytes.replace(node.End - 2, 2, ">" + text + "</" + LastName(*path) + ">");
        } else {
            bytes.replace(node.OpenEnd, node.CloseBegin - node.OpenEnd, text);
        }
    } else {
        std::size_t at = 0, erase = 0;
        std::string element;
        if (!Insertion(*path, text, at, erase, element)) {
            error = *path + ": the field could not be put in";
            return false;
        }
        bytes.replace(at, erase, element);
    }

    PadDocument changed = *this;
    std::string why;
    if (!changed.Index(bytes, why)) {
        error = *path + ": the changed file would not be read back (" + why + ")";
        return false;
    }
    changed.bytes_ = std::move(bytes);
    if (changed.Value(*path) != normal) {
        error = *path + ": the changed file reads back another value";
        return false;
    }
    *this = std::move(changed);
    return true;
}

std::string PadDocument::SizeInK(std::uint64_t size)
{
    std::uint64_t k = size / 1024 + (size % 1024 >= 512 ? 1 : 0);
    if (size > 0 && k == 0) k = 1;
    return std::to_string(k);
}

std::string PadDocument::SizeInMB(std::uint64_t size)
{
    constexpr std::uint64_t MB = 1024 * 1024;
    std::uint64_t whole = size / MB;
    std::uint64_t hundredths = ((size % MB) * 100 + MB / 2) / MB;
    if (hundredths == 100) {
        ++whole;
        hundredths = 0;
    }
    if (size > 0 && whole == 0 && hundredths == 0) hundredths = 1;
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, ".%02u", static_cast<unsigned>(hundredths));
    return std::to_string(whole) + buffer;
}

bool PadDocument::SetSizes(std::uint64_t size, std::string& error)
{
    PadDocument changed = *this;
    if (!changed.Set("Program_Info/File_Info/File_Size_Bytes", std::to_string(size), error) ||
        !changed.Set("Program_Info/File_Info/File_Size_K", SizeInK(size), error) ||
        !changed.Set("Program_Info/File_Info/File_Size_MB", SizeInMB(size), error))
        return false;
    *this = std::move(changed);
    return true;
}

bool PadDocument::SetReleaseDate(int year, int month, int day, std::string& error)
{
    static constexpr int Days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const auto twoDigits = [](int n) { return std::string(n >= 0 && n < 10 ? "0" : "") + std::to_string(n); };
    const std::string m = twoDigits(month), d = twoDigits(day);
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    if (year < 1000 || year > 9999 || month < 1 || month > 12 || day < 1 || day > Days[month - 1] ||
        (month == 2 && day == 29 && !leap)) {
        error = "there is no such day as " + std::to_string(year) + "-" + m + "-" + d;
        return false;
    }
    PadDocument changed = *this;
    if (!changed.Set("Program_Info/Program_Release_Year", std::to_string(year), error) ||
        !changed.Set("Program_Info/Program_Release_Month", m, error) ||
        !changed.Set("Program_Info/Program_Release_Day", d, error))
        return false;
    *this = std::move(changed);
    return true;
}
