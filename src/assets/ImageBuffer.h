#pragma once

#include <string>

// One whole file in memory; the decoders work on this copy.
class ImageBuffer {
public:
    // Reads the whole file; throws ImageException when it cannot.
    explicit ImageBuffer(const std::string& fileName);
    // A copy of bytes already in memory, decoded as if read from fileName.
    ImageBuffer(const std::string& fileName, const unsigned char* bytes, int length);
    ~ImageBuffer();

    ImageBuffer(const ImageBuffer&) = delete;
    ImageBuffer& operator=(const ImageBuffer&) = delete;

    const std::string& getFileName() const { return fileName; }
    const unsigned char* getData() const { return data; }
    int getLength() const { return length; }

private:
    std::string fileName;
    unsigned char* data;
    int length;
};
