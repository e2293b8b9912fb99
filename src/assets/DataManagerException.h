#pragma once

#include <stdexcept>
#include <string>

// Raised by the resource cache; carries the name that caused the error.
class DataManagerException : public std::runtime_error {
public:
    DataManagerException(const std::string& message, const std::string& name)
        : std::runtime_error(message), name(name) {}
    virtual ~DataManagerException() {}

    virtual const char* what() const noexcept override { return std::runtime_error::what(); }
    virtual const std::string& getName() const { return name; }

private:
    std::string name;
};
