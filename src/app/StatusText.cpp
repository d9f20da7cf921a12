#include "app/StatusText.h"

std::string StatusText::Total(int rows)
{
    return " Total: " + std::to_string(rows);
}

std::string StatusText::Row(const std::string& title, const std::string& second)
{
    return title + " - " + second;
}
