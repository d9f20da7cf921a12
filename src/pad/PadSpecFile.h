#pragma once

#include "pad/PadRule.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The rules Validate PADs and From PAD use for one program folder, and what the user is to
// be told about them.
struct PadRuleSet {
    std::vector<PadRule> Rules;
    // Empty, or one line saying that pad_spec.xml was not used, why, and that the built-in
    // rules were (the window puts it first in the validation report, the command line on stderr).
    std::string Notice;
    Phrase NoticeSaid{}; // the same line for the window, the file's values apart
};

// pad_spec.xml: the PAD field list in its own published XML form, which an author may put
// beside the program to check against a newer list than ours. Its shape:
//
//   <PAD_Spec> ... <Fields>
//     <Field> <Name>Company_Name</Name> <Path>XML_DIZ_INFO/Company_Info/Company_Name</Path>
//             <RegExDocumentation>Text string 2-40 characters</RegExDocumentation>
//             <RegEx>^[^&lt;\x09]{2,40}\Z</RegEx> ... </Field> ...
//   </Fields> </PAD_Spec>
//
// Each Field becomes a rule: its Path, its RegEx (Perl-style, run with PCRE2 as ours are), its
// RegExDocumentation as the message (its Title, or the pattern itself, when it has none). The
// file says nothing of which fields a PAD file must have, so a field counts as required when
// its RegEx does not match the empty text (a field that may be empty may also be left out).
// Read with PadXml's hardened reader: entities, external references and deep nesting are
// refused, and the file is read only up to MaxBytes. A file that cannot be read, that is not of
// this shape, that lists no field or more than MaxFields, or one of whose patterns PCRE2 does
// not take, gives no rules at all: half a rule table would let bad PAD files pass.
class PadSpecFile {
public:
    static constexpr const char* FileName = "pad_spec.xml";
    static constexpr std::size_t MaxBytes = 4u * 1024u * 1024u;
    // The published list has a few hundred; thousands only make every validation slow.
    static constexpr std::size_t MaxFields = 1000;

    // The rules of a pad_spec.xml's bytes, in the file's order (a path listed again is taken
    // once, from its first Field). False, and why in `error`, when the file cannot be used.
    static bool Parse(std::string_view bytes, std::vector<PadRule>& rules, Phrase& error);

    // The rules in use for the program in `programFolder`: those of its pad_spec.xml when it
    // has one that can be used, otherwise our built-in table (with a Notice when there was a
    // file). Reads the file at each call, so a file put there or changed counts from the next
    // validation on.
    static PadRuleSet RulesIn(const std::string& programFolder);
};
