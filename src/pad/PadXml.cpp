#include "pad/PadXml.h"

#include <expat.h>

#include <string>
#include <vector>

namespace {

struct ParseState {
    XML_Parser Parser = nullptr;
    PadXml* Out = nullptr;
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

void XMLCALL StartElement(void* data, const XML_Char* name, const XML_Char**)
{
    ParseState& s = State(data);
    if (static_cast<int>(s.Paths.size()) >= PadXml::MaxDepth) {
        s.Refuse("elements are nested deeper than " + std::to_string(PadXml::MaxDepth) + " levels");
        return;
    }
    if (s.Paths.empty()) {
        s.Out->Root = name;
        s.Paths.emplace_back(name);
    } else {
        s.Paths.push_back(s.Paths.back() + "/" + name);
    }
    s.Texts.emplace_back();
}

void XMLCALL EndElement(void* data, const XML_Char*)
{
    ParseState& s = State(data);
    if (s.Paths.empty()) return;
    // The first element of a path wins; a repeated element does not replace it.
    s.Out->Fields.emplace(std::move(s.Paths.back()), std::move(s.Texts.back()));
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

} // namespace

PadXml PadXml::Parse(std::string_view bytes)
{
    PadXml out;
    if (bytes.size() > MaxBytes) {
        out.Error = "the file is larger than 1 MiB (" + std::to_string(bytes.size()) + " bytes)";
        return out;
    }
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (parser == nullptr) {
        out.Error = "the XML parser could not be created";
        return out;
    }
    ParseState state;
    state.Parser = parser;
    state.Out = &out;
    XML_SetUserData(parser, &state);
    XML_SetElementHandler(parser, StartElement, EndElement);
    XML_SetCharacterDataHandler(parser, Characters);
    XML_SetStartDoctypeDeclHandler(parser, StartDoctype);
    XML_SetEntityDeclHandler(parser, EntityDecl);
    XML_SetExternalEntityRefHandler(parser, ExternalEntity);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);

    const XML_Status status = XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), XML_TRUE);
    if (!state.Refusal.empty()) {
        out.Error = state.Refusal;
    } else if (status != XML_STATUS_OK) {
        out.Error = std::string("not well-formed XML: ") + XML_ErrorString(XML_GetErrorCode(parser)) + " at line " +
                    std::to_string(XML_GetCurrentLineNumber(parser));
    } else {
        out.Ok = true;
    }
    XML_ParserFree(parser);
    if (!out.Ok) out.Fields.clear();
    return out;
}
