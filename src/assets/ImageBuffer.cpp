#include "assets/ImageBuffer.h"

#include "assets/ImageException.h"
#include "platform/BulkMemory.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};

struct BulkRelease {
    void operator()(unsigned char* bytes) const { platform::releaseBulk(bytes); }
};

} // namespace

ImageBuffer::ImageBuffer(const std::string& fileName)
    : fileName(fileName), data(nullptr), length(0) {
    std::unique_ptr<FILE, FileCloser> file(fopen(fileName.c_str(), "rb"));
    // A directory opens on this platform but is no file to read.
    struct stat info;
    if (!file || fstat(fileno(file.get()), &info) != 0 || S_ISDIR(info.st_mode)) {
        throw ImageException("Couldn't open file", fileName);
    }
    if (fseek(file.get(), 0, SEEK_END) != 0) {
        throw ImageException("Couldn't read file", fileName);
    }
    long size = ftell(file.get());
    if (size < 0 || fseek(file.get(), 0, SEEK_SET) != 0) {
        throw ImageException("Couldn't read file", fileName);
    }
    if (size > INT_MAX) {
        throw ImageException("File too large", fileName);
    }
    std::unique_ptr<unsigned char, BulkRelease> bytes(platform::allocateBulk(size));
    if (size > 0 && fread(bytes.get(), 1, size, file.get()) != static_cast<size_t>(size)) {
        throw ImageException("Couldn't read file", fileName);
    }
    data = bytes.release();
    length = static_cast<int>(size);
}

ImageBuffer::ImageBuffer(const std::string& fileName, const unsigned char* bytes, int length)
    : fileName(fileName), data(nullptr), length(length > 0 ? length : 0) {
    data = platform::allocateBulk(this->length);
    if (this->length > 0) {
        memcpy(data, bytes, this->length);
    }
}

ImageBuffer::~ImageBuffer() {
    platform::releaseBulk(data);
}
