#pragma once

#include <functional>
#include <string>
#include <vector>

// The steps of the program's start, and what the user is told of them afterwards. Each step
// runs even when one before it failed. A catalogue file read only in part (IncompleteRead) is
// told in its own words, file by file; every other failure joins one text, "; " between them.
//
// A plain value; the thread that starts the program.
class StartSteps {
public:
    void Run(const std::function<void()>& step);
    // A text to tell in its own words, found otherwise than by an error.
    void Tell(std::string text);

    const std::string& Failures() const { return failures_; }
    const std::vector<std::string>& Told() const { return told_; }

private:
    std::string failures_;
    std::vector<std::string> told_;
};
