#include "manual/FormFillScript.h"

#include "manual/JsonString.h"
#include "manual/Utf8Text.h"

bool FormFillScript::Applies(const std::string& addressText, const std::string& scriptUrl)
{
    return !scriptUrl.empty() && addressText == scriptUrl;
}

std::string FormFillScript::Build(const std::string& fieldName, const std::string& padLink)
{
    // One walk over the elements in document order; the first whose name or id attribute
    // equals the field name decides. The result word only helps whoever reads it.
    std::string script;
    script += "(function () {\n";
    script += "  var field = " + JsonString::Quote(Utf8Text::FromLocal8Bit(fieldName)) + ";\n";
    script += "  var value = " + JsonString::Quote(Utf8Text::FromLocal8Bit(padLink)) + ";\n";
    script += "  if (field === \"\") return \"not-found\";\n"
              "  try {\n"
              "    var all = document.getElementsByTagName(\"*\");\n"
              "    for (var i = 0; i < all.length; i++) {\n"
              "      var e = all[i];\n"
              "      if (e.getAttribute(\"name\") !== field && e.getAttribute(\"id\") !== field) continue;\n"
              "      if (String(e.tagName).toUpperCase() !== \"INPUT\") return \"not-input\";\n"
              "      e.value = value;\n"
              "      return \"filled\";\n"
              "    }\n"
              "  } catch (x) {\n"
              "    return \"failed\";\n"
              "  }\n"
              "  return \"not-found\";\n"
              "})();\n";
    return script;
}

PreparedSubmission FormFillScript::ForManualSite(const std::string& siteLink, const std::string& padLink)
{
    return PreparedSubmission{siteLink, ManualLinkField, padLink};
}
