#pragma once

#include "assets/DataManagerException.h"

#include <map>
#include <string>

// Owns named objects of type T, one per name. D is the derived manager.
template <class T, class D> class DataManager {
public:
    DataManager() {}
    virtual ~DataManager() { purge(); }

    DataManager(const DataManager&) = delete;
    DataManager& operator=(const DataManager&) = delete;

    // A lookup only: the stored object, or null.
    T* find(const std::string& name) const {
        auto it = objects.find(name);
        return it == objects.end() ? nullptr : it->second;
    }

    // Takes over object under name; a name already present leaves the map
    // unchanged and throws.
    void registerObject(const std::string& name, T* object) {
        if (objects.find(name) != objects.end()) {
            throw DataManagerException("Name collision", name);
        }
        objects.insert(std::make_pair(name, object));
    }

    // Deletes every stored object and empties the map.
    void purge() {
        for (auto& entry : objects) {
            delete entry.second;
        }
        objects.clear();
    }

    size_t size() const { return objects.size(); }

protected:
    std::map<std::string, T*> objects;
};
