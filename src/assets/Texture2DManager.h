#pragma once

#include "assets/DataManager.h"
#include "assets/Texture2D.h"

#include <set>
#include <string>

// The texture cache: one texture per file name, owned for the whole run.
class Texture2DManager : public DataManager<Texture2D, Texture2DManager> {
public:
    static Texture2DManager* getInstance();
    virtual ~Texture2DManager() {}

    // The one texture made from fileName, made on first use; null when the
    // file cannot be made into a texture. A file that failed is not tried,
    // or reported, again: figures, shots and materials ask for their
    // pictures over and over.
    Texture2D* load(const std::string& fileName);

private:
    static Texture2DManager* instance;
    std::set<std::string> failed;
};
