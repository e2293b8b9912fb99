#include "assets/IndexPieces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Case {
    std::string name;
    std::vector<uint32_t> indices;
    size_t corners;
    size_t expectedPieces;
};

std::vector<uint32_t> strip(uint32_t triangles, uint32_t from = 0) {
    std::vector<uint32_t> indices;
    for (uint32_t i = 0; i < triangles; ++i) {
        indices.insert(indices.end(), {from + i, from + i + 1, from + i + 2});
    }
    return indices;
}

} // namespace

// Whatever the input, the pieces give back every whole primitive in its
// order: short pieces as 16-bit offsets from their lowest vertex, no longer
// than the renderer takes at once; wide ones as given.
TEST(IndexPiecesTest, PiecesGiveBackEveryWholePrimitiveInOrder) {
    std::vector<uint32_t> spread = strip(1500);
    spread.insert(spread.end(), {0, 100000, 5}); // further apart than 16 bits
    std::vector<uint32_t> tail = strip(1500, 70000);
    spread.insert(spread.end(), tail.begin(), tail.end());
    std::vector<uint32_t> quads;
    for (uint32_t q = 0; q < 2000; ++q) {
        quads.insert(quads.end(), {2 * q, 2 * q + 1, 2 * q + 3, 2 * q + 2});
    }
    quads.push_back(7); // a partial quad at the end
    const std::vector<Case> cases = {
        {"nothing", {}, 3, 0},
        {"one triangle", {4, 5, 6}, 3, 1},
        {"long strip", strip(5000), 3, 4},        // 15000 indices, 4095 a piece
        {"one corner far away", spread, 3, 5},    // 4095 + 405, the wide one, 4095 + 405
        {"quads and a partial one", quads, 4, 2}, // 8000 indices, 4096 a piece
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IndexPieces pieces;
        pieces.build(c.indices.data(), c.indices.size(), c.corners);
        EXPECT_EQ(pieces.getPieces().size(), c.expectedPieces);
        std::vector<uint32_t> back;
        for (const IndexPiece& piece : pieces.getPieces()) {
            EXPECT_GT(piece.count, 0);
            EXPECT_LE(size_t(piece.count), IndexPieces::MAX_INDICES);
            EXPECT_EQ(piece.count % c.corners, 0u);
            uint32_t lowest = UINT32_MAX;
            for (GLsizei k = 0; k < piece.count; ++k) {
                const uint32_t index =
                    piece.wide ? pieces.getWideIndices().at(piece.first + k)
                               : piece.base + pieces.getShortIndices().at(piece.first + k);
                lowest = std::min(lowest, index);
                back.push_back(index);
            }
            if (!piece.wide) {
                EXPECT_EQ(piece.base, lowest) << "offsets count from the lowest vertex";
            }
        }
        const size_t whole = c.indices.size() / c.corners * c.corners;
        EXPECT_EQ(back, std::vector<uint32_t>(c.indices.begin(), c.indices.begin() + whole));
    }
}
