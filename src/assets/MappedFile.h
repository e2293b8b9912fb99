#pragma once

#include <cstddef>
#include <string>

// The bytes of one whole file, read-only: mapped where the system allows,
// so that large models are not copied before they are parsed, and read into
// memory otherwise (pipes and the like).
class MappedFile {
public:
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // False when the file could not be opened or read (a folder cannot).
    bool isOpen() const { return open; }
    const unsigned char* data() const { return bytes; }
    const char* text() const { return reinterpret_cast<const char*>(bytes); }
    size_t size() const { return length; }

private:
    bool open = false;
    bool mapped = false;
    const unsigned char* bytes = nullptr;
    size_t length = 0;
    std::string copy;
};
