#pragma once

#include <SDL_opengl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// One piece of an indexed draw: its indices, 16-bit and counted from its
// lowest vertex `base`, start at `first` in the pieces' short index list; a
// wide piece's are 32-bit ones, as given, in the wide list.
struct IndexPiece {
    size_t first;
    GLsizei count;
    uint32_t base;
    bool wide;
};

// A list of primitives given by 32-bit indices into one vertex array, cut in
// order into pieces the software renderer takes in a single pass: each
// piece has at most MAX_INDICES indices, 16-bit ones counted from the
// piece's lowest vertex. The renderer shades a piece's vertices once each
// when they lie close together, as they do when a model's vertices are
// numbered in the order its primitives first use them; one long draw, or
// 32-bit indices, it instead shades in short runs, many vertices again.
// The primitives are drawn in their order, so the picture is the same.
class IndexPieces {
public:
    static constexpr size_t MAX_INDICES = 4096;

    IndexPieces() {}

    // Cuts `count` indices, `corners` per primitive; a partial primitive at
    // the end is left out, as the driver would leave it.
    template <class Index> void build(const Index* indices, size_t count, size_t corners) {
        pieces.clear();
        shortIndices.clear();
        wideIndices.clear();
        shortIndices.reserve(count);
        const size_t perPiece = MAX_INDICES / corners * corners;
        size_t at = 0;
        while (at + corners <= count) {
            // Grow the piece while it stays short enough and its vertices
            // stay within reach of 16-bit indices from its lowest one.
            uint32_t low = UINT32_MAX;
            uint32_t high = 0;
            size_t end = at;
            while (end + corners <= count && end - at + corners <= perPiece) {
                uint32_t primitiveLow = low;
                uint32_t primitiveHigh = high;
                for (size_t k = end; k < end + corners; ++k) {
                    primitiveLow = std::min(primitiveLow, static_cast<uint32_t>(indices[k]));
                    primitiveHigh = std::max(primitiveHigh, static_cast<uint32_t>(indices[k]));
                }
                if (primitiveHigh - primitiveLow > UINT16_MAX) {
                    break;
                }
                low = primitiveLow;
                high = primitiveHigh;
                end += corners;
            }
            if (end == at) {
                // A primitive whose corners lie further apart than 16 bits
                // reach goes as it is, joined to a wide piece just before it.
                if (pieces.empty() || !pieces.back().wide ||
                    static_cast<size_t>(pieces.back().count) + corners > perPiece) {
                    pieces.push_back(IndexPiece{wideIndices.size(), 0, 0, true});
                }
                pieces.back().count += static_cast<GLsizei>(corners);
                for (size_t k = at; k < at + corners; ++k) {
                    wideIndices.push_back(static_cast<GLuint>(indices[k]));
                }
                at += corners;
                continue;
            }
            pieces.push_back(
                IndexPiece{shortIndices.size(), static_cast<GLsizei>(end - at), low, false});
            for (size_t k = at; k < end; ++k) {
                shortIndices.push_back(static_cast<GLushort>(indices[k] - low));
            }
            at = end;
        }
    }

    // Draws every piece with `mode`; `pointAt(base)` sets the vertex arrays
    // to start at vertex `base` before each piece's draw.
    template <class PointAt> void draw(GLenum mode, PointAt pointAt) const {
        for (const IndexPiece& piece : pieces) {
            pointAt(piece.base);
            if (piece.wide) {
                glDrawElements(mode, piece.count, GL_UNSIGNED_INT,
                               wideIndices.data() + piece.first);
            } else {
                glDrawElements(mode, piece.count, GL_UNSIGNED_SHORT,
                               shortIndices.data() + piece.first);
            }
        }
    }

    const std::vector<IndexPiece>& getPieces() const { return pieces; }
    const std::vector<GLushort>& getShortIndices() const { return shortIndices; }
    const std::vector<GLuint>& getWideIndices() const { return wideIndices; }

private:
    std::vector<IndexPiece> pieces;
    std::vector<GLushort> shortIndices;
    std::vector<GLuint> wideIndices;
};
