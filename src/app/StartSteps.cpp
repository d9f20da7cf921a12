#include "app/StartSteps.h"

#include "catalogue/CatalogueFile.h"

void StartSteps::Run(const std::function<void()>& step)
{
    try {
        step();
    } catch (const IncompleteRead& e) {
        told_.emplace_back(e.what());
    } catch (const std::exception& e) {
        failures_ += std::string(failures_.empty() ? "" : "; ") + e.what();
    }
}

void StartSteps::Tell(std::string text)
{
    if (!text.empty()) told_.push_back(std::move(text));
}
