#pragma once

#include "common/StatusWords.h"

#include <string>
#include <vector>

class ListRows;

// The commands of the Products and Manual Submit pages that change a list, and the texts
// they show. The windows ask the questions; these do the work.
class ListCommands {
public:
    static constexpr const char* SelectItemFirst = "Select Item First ! ";
    static constexpr const char* ConfirmText = "Are you sure ?";
    static constexpr const char* ConfirmCaption = "Delete Confirmation";
    static constexpr const char* NewProductStatus = StatusWords::Added;
    // Asked at close when the manual site list changed since it was loaded or saved.
    static constexpr const char* SaveManualQuestion = "The manual site list has changed. Save it to sites.dat?";

    // Asked when a product is added with a PAD link the list has already; OK adds it all the same.
    static constexpr const char* DuplicateLinkQuestion = "The list has this PAD link already, for \"%1\". Add the "
                                                         "product all the same?";

    // The first product whose PAD link is `link`, byte for byte; -1 when none is.
    static int ProductWithLink(const ListRows& products, const std::string& link);

    // Deletes the selected rows (or the checked ones), keeping the others in order.
    // Returns how many went.
    static int DeleteSelected(ListRows& list);
    static int DeleteChecked(ListRows& list);
    static void DeleteAll(ListRows& list);

    // Starts an edit: the first selected row, with sorting switched off so that its index
    // holds while the dialog is open; -1 (and nothing changed) when no row is selected.
    static int BeginEdit(ListRows& list);

    // Appends a product (Status "?", unchecked) with sorting off, then switches sorting on
    // so the list re-sorts. Returns the new row's index afterwards.
    static int AddProduct(ListRows& products, const std::string& title, const std::string& link,
                          const std::string& category);
    // Rewrites title, link and category of `row`; Status and check mark stay. Sorting is
    // off while the row is written and on afterwards. Returns the row's index afterwards.
    static int EditProduct(ListRows& products, int row, const std::string& title, const std::string& link,
                           const std::string& category);
    // The same for a manual site: a new one has an empty Status.
    static int AddSite(ListRows& sites, const std::string& title, const std::string& link);
    static int EditSite(ListRows& sites, int row, const std::string& title, const std::string& link);

    // The category entry that the Edit Product dialog selects: the last entry equal to
    // `category` byte for byte, or -1 when none is.
    static int CategoryIndex(const std::vector<std::string>& categories, const std::string& category);
};
