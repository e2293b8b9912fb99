#pragma once

#include "assets/Image.h"

class ImageBuffer;

// Decodes a TGA file: colour-mapped, true-colour 16/24/32 and greyscale
// 8/16 bits, raw or run-length encoded. Throws ImageException on a file it
// cannot decode.
class ImageTGA : public Image {
public:
    explicit ImageTGA(const ImageBuffer& buffer);
    virtual ~ImageTGA();
};
