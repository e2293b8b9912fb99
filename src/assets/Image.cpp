#include "assets/Image.h"

#include "assets/ImageBuffer.h"
#include "assets/ImageException.h"
#include "platform/BulkMemory.h"

#include <cstring>
#include <stdexcept>

namespace {

bool isPowerOfTwoSide(int side) {
    if (side <= 0) {
        return false;
    }
    long long power = 1;
    while (power < side) {
        power <<= 1;
    }
    return power == side;
}

} // namespace

Image::Image(const std::string& name, int width, int height, GLenum format, int components,
             const unsigned char* source)
    : width(width), height(height), format(format), components(components), pixels(nullptr),
      name(name) {
    // Each factor on its own: two negative sides would make a positive product.
    if (width <= 0 || height <= 0 || components <= 0 || components > 4) {
        throw std::invalid_argument("Image::Image: Invalid width, height or component value");
    }
    if (source == nullptr) {
        throw std::invalid_argument("Image::Image: Invalid pixel data source");
    }
    allocatePixels();
    memcpy(pixels, source, static_cast<size_t>(width) * height * components);
}

Image::Image(const std::string& name)
    : width(0), height(0), format(0), components(0), pixels(nullptr), name(name) {}

Image::~Image() {
    platform::releaseBulk(pixels);
}

void Image::allocatePixels() {
    platform::releaseBulk(pixels);
    pixels = nullptr;
    pixels = platform::allocateBulk(static_cast<size_t>(width) * height * components);
}

bool Image::isPowerOfTwo() const {
    return isPowerOfTwoSide(width) && isPowerOfTwoSide(height);
}

const unsigned char* Image::headerOf(const ImageBuffer& buffer, int headerSize) {
    if (buffer.getLength() < headerSize) {
        throw ImageException("Truncated image header", buffer.getFileName());
    }
    return buffer.getData();
}
