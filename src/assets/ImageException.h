#pragma once

#include <stdexcept>
#include <string>

// Raised by the image decoders; carries the file that could not be read.
class ImageException : public std::runtime_error {
public:
    ImageException(const std::string& message, const std::string& fileName);
    virtual ~ImageException();

    const char* what() const noexcept override;
    virtual const std::string& getFileName() const;

private:
    std::string fileName;
};
