#pragma once

#include <SDL_opengl.h>

#include <string>

class ImageBuffer;

// A decoded picture: 8-bit channels, bottom row first, rows packed.
class Image {
public:
    // Copies width x height x components bytes from pixels.
    Image(const std::string& name, int width, int height, GLenum format, int components,
          const unsigned char* pixels);
    virtual ~Image();

    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    GLenum getFormat() const { return format; }
    int getComponents() const { return components; }
    // Null when nothing was decoded.
    const unsigned char* getPixels() const { return pixels; }
    const std::string& getName() const { return name; }

    bool isPowerOfTwo() const;

protected:
    // For decoders, which set the fields and fill the pixels themselves.
    explicit Image(const std::string& name);
    // Allocates width x height x components bytes (uninitialised).
    void allocatePixels();
    // The start of the file, which holds at least headerSize bytes.
    static const unsigned char* headerOf(const ImageBuffer& buffer, int headerSize);

    int width;
    int height;
    GLenum format;
    int components;
    unsigned char* pixels;
    std::string name;
};
