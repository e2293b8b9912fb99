#include "assets/MD2ModelCache.h"

#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <stdexcept>

namespace {

// Which file a name led to, and which version of it.
struct FileStamp {
    dev_t device;
    ino_t inode;
    off_t size;
    struct timespec modified;

    bool operator==(const FileStamp& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

struct Entry {
    FileStamp stamp;
    std::shared_ptr<const MD2ModelData> data;
};

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

} // namespace

std::shared_ptr<const MD2ModelData> MD2ModelCache::load(const std::string& fileName) {
    // Kept for the whole run: the figures come back again and again.
    static std::map<std::string, Entry> entries;
    std::unique_ptr<FILE, FileCloser> file(std::fopen(fileName.c_str(), "rb"));
    if (!file) {
        throw std::runtime_error("Couldn't open file");
    }
    struct stat info = {};
    const bool stamped = fstat(fileno(file.get()), &info) == 0;
    const FileStamp stamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
    auto it = entries.find(fileName);
    if (stamped && it != entries.end() && it->second.stamp == stamp) {
        return it->second.data;
    }
    if (it != entries.end()) {
        entries.erase(it);
    }
    auto data = std::make_shared<const MD2ModelData>(file.get());
    if (stamped) {
        entries[fileName] = Entry{stamp, data};
    }
    return data;
}
