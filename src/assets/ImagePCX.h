#pragma once

#include "assets/Image.h"

class ImageBuffer;

// Decodes a run-length encoded PCX file of 1, 4 (four 1-bit planes), 8 or
// 24 (three 8-bit planes) bits per pixel. Throws ImageException on a file it
// cannot decode.
class ImagePCX : public Image {
public:
    explicit ImagePCX(const ImageBuffer& buffer);
    virtual ~ImagePCX();
};
