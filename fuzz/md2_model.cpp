// MD2 files as untrusted input: loaded, their animations played, and every
// corner of every frame blended as drawing would.
#include "assets/MD2Animation.h"
#include "assets/MD2ModelData.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    try {
        MD2ModelData data(bytes, size);
        std::vector<std::string> names;
        for (size_t i = 0; i < data.getFrames().size(); ++i) {
            names.push_back(data.frameName(i));
        }
        MD2Animation animation(names);
        for (const auto& entry : animation.getAnimations()) {
            animation.setAnimation(entry.first);
            for (int step = 0; step < 4; ++step) {
                animation.update(0.5f);
                animation.advance();
            }
        }
        const auto& frames = data.getFrames();
        float tc[2], normal[3], position[3];
        for (size_t f = 0; f < frames.size(); ++f) {
            const MD2Frame& next = frames[(f + 1) % frames.size()];
            for (const MD2Triangle& triangle : data.getTriangles()) {
                for (int k = 0; k < 3; ++k) {
                    data.blendCorner(frames[f], next, triangle, k, 0.5f, tc, normal, position);
                }
            }
        }
    } catch (const std::runtime_error&) {
        // A refusal is the expected answer to most inputs.
    }
    return 0;
}
