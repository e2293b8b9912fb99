#include "assets/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

MappedFile::MappedFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return;
    }
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
        void* p = mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (p != MAP_FAILED) {
            mapped = true;
            bytes = static_cast<const unsigned char*>(p);
            length = size_t(info.st_size);
            open = true;
            ::close(fd);
            return;
        }
    }
    char chunk[65536];
    ssize_t got;
    while ((got = ::read(fd, chunk, sizeof chunk)) > 0) {
        copy.append(chunk, size_t(got));
    }
    ::close(fd);
    if (got < 0) {
        return;
    }
    bytes = reinterpret_cast<const unsigned char*>(copy.data());
    length = copy.size();
    open = true;
}

MappedFile::~MappedFile() {
    if (mapped) {
        munmap(const_cast<unsigned char*>(bytes), length);
    }
}
