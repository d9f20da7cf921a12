#pragma once

#include <string>

// The texts of the main window's status bar.
class StatusText {
public:
    // First panel: " Total: " and the row count in decimal.
    static std::string Total(int rows);
    // Second panel: a row's title, " - ", and its second text (PAD link, script address
    // or site link, depending on the list).
    static std::string Row(const std::string& title, const std::string& second);
};
