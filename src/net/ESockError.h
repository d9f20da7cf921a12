#pragma once

#include <stdexcept>
#include <string>

// Every socket failure of TSockConnection.
class ESockError : public std::runtime_error {
public:
    explicit ESockError(const std::string& message) : std::runtime_error(message) {}
};

// A wait ended by a cancel request or by the time-out while data was being moved.
class EAbortError : public ESockError {
public:
    explicit EAbortError(const std::string& message) : ESockError(message) {}
};
