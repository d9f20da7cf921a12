#include "pad/PadXml.h"

#include <expat.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

struct ParseState {
    XML_Parser Parser = nullptr;
    const PadXml::ElementEnded* Ended = nullptr;
    const PadXml::TagSeen* Tags = nullptr;
    std::vector<std::string> Paths; // the path of every open element, innermost last
    std::vector<std::string> Texts; // the text gathered so far inside each open element
    std::string Refusal;            // set when a handler stopped the parser

    void Refuse(std::string why)
    {
        if (Refusal.empty()) Refusal = std::move(why);
        XML_StopParser(Parser, XML_FALSE);
    }
};

ParseState& State(void* data)
{
    return *static_cast<ParseState*>(data);
}

void SeeTag(ParseState& s, bool start)
{
    const XML_Index at = XML_GetCurrentByteIndex(s.Parser);
    const int length = XML_GetCurrentByteCount(s.Parser);
    PadXml::Tag tag;
    tag.Start = start;
    tag.Begin = at < 0 ? 0 : static_cast<std::size_t>(at);
    tag.Length = length < 0 ? 0 : static_cast<std::size_t>(length);
    (*s.Tags)(s.Paths.back(), tag);
}

void XMLCALL StartElement(void* data, const XML_Char* name, const XML_Char**)
{
    ParseState& s = State(data);
    if (static_cast<int>(s.Paths.size()) >= PadXml::MaxDepth) {
        s.Refuse("elements are nested deeper than " + std::to_string(PadXml::MaxDepth) + " levels");
        return;
    }
    if (s.Paths.empty()) {
        s.Paths.emplace_back(name);
    } else {
        s.Paths.push_back(s.Paths.back() + "/" + name);
    }
    s.Texts.emplace_back();
    if (*s.Tags) SeeTag(s, true);
}

void XMLCALL EndElement(void* data, const XML_Char*)
{
    ParseState& s = State(data);
    if (s.Paths.empty()) return;
    if (*s.Tags) SeeTag(s, false);
    (*s.Ended)(s.Paths.back(), s.Texts.back());
    s.Paths.pop_back();
    s.Texts.pop_back();
}

void XMLCALL Characters(void* data, const XML_Char* text, int length)
{
    ParseState& s = State(data);
    if (!s.Texts.empty()) s.Texts.back().append(text, static_cast<std::size_t>(length));
}

void XMLCALL StartDoctype(void* data, const XML_Char*, const XML_Char* systemId, const XML_Char* publicId,
                          int hasInternalSubset)
{
    ParseState& s = State(data);
    if (hasInternalSubset)
        s.Refuse("the DOCTYPE declares an internal subset (entity declarations are refused)");
    else if (systemId != nullptr || publicId != nullptr)
        s.Refuse("the DOCTYPE names an external document type (it is not loaded)");
}

void XMLCALL EntityDecl(void* data, const XML_Char* name, int, const XML_Char*, int, const XML_Char*, const XML_Char*,
                        const XML_Char*, const XML_Char*)
{
    State(data).Refuse(std::string("the file declares the entity \"") + name + "\" (entities are refused)");
}

int XMLCALL ExternalEntity(XML_Parser parser, const XML_Char*, const XML_Char*, const XML_Char*, const XML_Char*)
{
    // Never followed: an external entity would read a local file or another address.
    State(XML_GetUserData(parser)).Refusal = "the file refers to an external entity (it is not loaded)";
    return XML_STATUS_ERROR;
}

bool SameName(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
    return *a == *b;
}

int XMLCALL UnknownEncoding(void*, const XML_Char* name, XML_Encoding* info)
{
    if (!SameName(name, "windows-1252") && !SameName(name, "cp1252")) return XML_STATUS_ERROR;
    for (int byte = 0; byte < 256; ++byte) info->map[byte] = PadXml::Windows1252(static_cast<unsigned char>(byte));
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

} // namespace

int PadXml::Windows1252(unsigned char byte)
{
    // 0x80 to 0x9F; 0 where the code page defines no character.
    static constexpr int High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                     0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (byte < 0x80 || byte > 0x9F) return byte;
    const int c = High[byte - 0x80];
    return c == 0 ? -1 : c;
}

PadXml PadXml::Parse(std::string_view bytes)
{
    PadXml out;
    if (bytes.size() > MaxBytes) {
        out.Error = "the file is larger than 1 MiB (" + std::to_string(bytes.size()) + " bytes)";
        return out;
    }
    out.Error = Read(bytes, MaxBytes, [&out](const std::string& path, std::string& text) {
        if (path.find('/') == std::string::npos) out.Root = path;
        // The first element of a path wins; a repeated element does not replace it.
        out.Fields.emplace(path, std::move(text));
    });
    out.Ok = out.Error.empty();
    if (!out.Ok) {
        out.Fields.clear();
        out.Root.clear();
    }
    return out;
}

std::string PadXml::Read(std::string_view bytes, std::size_t maxBytes, const ElementEnded& ended, const TagSeen& tags)
{
    if (bytes.size() > maxBytes) return "the file is larger than " + std::to_string(maxBytes) + " bytes";
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (parser == nullptr) return "the XML parser could not be created";
    ParseState state;
    state.Parser = parser;
    state.Ended = &ended;
    state.Tags = &tags;
    XML_SetUserData(parser, &state);
    XML_SetElementHandler(parser, StartElement, EndElement);
    XML_SetCharacterDataHandler(parser, Characters);
    XML_SetStartDoctypeDeclHandler(parser, StartDoctype);
    XML_SetEntityDeclHandler(parser, EntityDecl);
    XML_SetExternalEntityRefHandler(parser, ExternalEntity);
    XML_SetUnknownEncodingHandler(parser, UnknownEncoding, nullptr);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);

    const XML_Status status = XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), XML_TRUE);
    std::string error;
    if (!state.Refusal.empty())
        error = state.Refusal;
    else if (status != XML_STATUS_OK)
        error = std::string("not well-formed XML: ") + XML_ErrorString(XML_GetErrorCode(parser)) + " at line " +
                std::to_string(XML_GetCurrentLineNumber(parser));
    XML_ParserFree(parser);
    return error;
}

std::string PadXml::Trimmed(const std::string& text)
{
    const char* blanks = " \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
