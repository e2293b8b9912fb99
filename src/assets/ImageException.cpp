#include "assets/ImageException.h"

ImageException::ImageException(const std::string& message, const std::string& fileName)
    : std::runtime_error(message), fileName(fileName) {}

ImageException::~ImageException() {}

const char* ImageException::what() const noexcept {
    return std::runtime_error::what();
}

const std::string& ImageException::getFileName() const {
    return fileName;
}
