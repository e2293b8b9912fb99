#pragma once

#include <cstdint>
#include <vector>

// A demo file records everything the game read from outside, frame by frame,
// so that playing it back feeds the game the same readings. DemoWriter writes
// one (assets/DemoWriter.h), readDemo reads one (assets/DemoReader.h).
//
// The bytes, all numbers little-endian:
//   header  "MRWFDEMO"; u16 format version (1); u8 length (1..32) and that
//           many bytes of the game's version (printable ASCII); the start:
//           f32 sensitivity, u32 random state, i32 best score
//   frame   u8 'F'; u32 payload length (at most 1 MiB); u32 CRC-32 (IEEE,
//           reflected) of the payload; the payload: records, each a u8 kind
//           and its data:
//             1 ticks    u32
//             2 event    u8 type, then the fields its type carries, in the
//                        order DemoEvent declares them (see below)
//             3 keys     u16 count (<= 323), count u16 codes ascending, < 323
//             4 buttons  u8
//             5 focus    u8 (<= 7)
//             6 counter  i64
//   end     u8 'E'; u32 number of frames; nothing after it
// A file that stops inside a frame or before the end mark holds the whole
// frames before the cut: a recording killed mid-game still plays back.

// One input event as the game took it from SDL 1.2's queue. Types use SDL
// 1.2's numbers. Fields its type does not carry are not recorded and read
// back as 0.
struct DemoEvent {
    enum Type : uint8_t {
        NONE = 0, // the poll found the queue empty
        ACTIVE = 1,
        KEY_DOWN = 2,
        KEY_UP = 3,
        MOTION = 4,
        BUTTON_DOWN = 5,
        BUTTON_UP = 6,
        QUIT = 12,
        RESIZE = 16,
        EXPOSE = 17
    };
    uint8_t type = NONE;
    // ACTIVE: gain, state; KEY_*: state; MOTION: state (buttons); BUTTON_*: state
    uint8_t gain = 0, state = 0;
    uint8_t scancode = 0; // KEY_*, with the three below
    uint16_t sym = 0, mod = 0, unicode = 0;
    uint8_t button = 0; // BUTTON_*
    // MOTION: all four; BUTTON_*: x, y; RESIZE: w in x, h in y.
    uint16_t x = 0, y = 0;
    int16_t xrel = 0, yrel = 0;
    // QUIT, EXPOSE, NONE: no fields.

    bool operator==(const DemoEvent& other) const;
};

// Everything read from outside in one frame, each kind in the order it was
// read.
struct DemoFrame {
    std::vector<uint32_t> ticks;             // millisecond clock readings
    std::vector<DemoEvent> events;           // each poll of the event queue (NONE when empty)
    std::vector<std::vector<uint16_t>> keys; // each look at the held keys: codes, ascending, < 323
    std::vector<uint8_t> buttons;            // each look at the held mouse buttons (SDL's mask)
    std::vector<uint8_t> focus;              // each look at the window's state (SDL_GetAppState)
    std::vector<int64_t> counter;            // each reading of the 10 MHz performance counter

    bool operator==(const DemoFrame& other) const;
};

// What the game started with.
struct DemoStart {
    float sensitivity = 1.0f; // degrees per pointer pixel, finite, > 0 and <= 10
    uint32_t randomState = 1; // the shared pseudo-random source's state
    int32_t bestScore = 0;    // >= 0
};
