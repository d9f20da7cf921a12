#pragma once

#include <functional>
#include <string>

class ListRows;
class OwnSites;
class SiteTable;

// The Auto Submit list's rows for a table of sites whose last rows are the author's own:
// row i stands for site i of the table. The built-in rows come first and stay as they are;
// the author's rows follow and are made anew after every change of the author's sites.
//
// Functions over values the caller owns; the thread that owns the list.
class OwnSiteRows {
public:
    // Fills `list` with one checked row per site of `table`, in order.
    static void Fill(ListRows& list, const SiteTable& table);

    // Makes the author's rows anew from `own`: each keeps the check box and status it had
    // under its title; a site that is new, or whose title is `checkedTitle` (the one just added
    // or edited), is checked and has no status.
    static void Show(ListRows& list, const OwnSites& own, const std::string& checkedTitle);

    // The author's site that the list's first selected row stands for; -1 when no row is
    // selected or the row is a built-in one.
    static int Selected(const ListRows& list, const OwnSites& own);

    // Makes `change` to `own` and saves the sites to `path`. Returns what to tell the user and
    // leaves `own` as it was when `change` refuses (its refusal) or the file cannot be
    // written (why); empty when the change was made and saved. `taken`, when given, gets how
    // many sites of the file's the save took in, written there by someone else meanwhile.
    static std::string Change(OwnSites& own, const std::string& path,
                              const std::function<std::string(OwnSites&)>& change, int* taken = nullptr);
};
