#include "support/Frame.h"

#include "support/TestFiles.h"

#include <SDL_opengl.h>

void Frame::save(const std::string& name) const {
    std::string header = "P6\n1024 768\n255\n";
    std::vector<unsigned char> bytes(header.begin(), header.end());
    for (int y = 767; y >= 0; --y) {
        bytes.insert(bytes.end(), at(0, y), at(0, y) + 1024 * 3);
    }
    writeFile(makeScratchDir("frames/" + name) + "/frame.ppm", bytes);
}

Frame readFrame() {
    glFinish();
    Frame f;
    f.rgb.resize(1024 * 768 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 1024, 768, GL_RGB, GL_UNSIGNED_BYTE, f.rgb.data());
    return f;
}
