#pragma once

#include "assets/DemoFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the demo writer and reader share: the layout's numbers, its
// checksum, which fields each event carries and the checks on values, so
// that the writer never writes what the reader would refuse.
namespace demoformat {

constexpr char MAGIC[] = "MRWFDEMO";
constexpr size_t MAGIC_SIZE = 8;
constexpr uint16_t FORMAT_VERSION = 1;
constexpr size_t MAX_VERSION_LENGTH = 32;
constexpr uint8_t FRAME_TAG = 'F';
constexpr uint8_t END_TAG = 'E';
constexpr uint32_t MAX_PAYLOAD = 1u << 20;
// SDL 1.2's SDLK_LAST: every key code lies below it.
constexpr uint16_t KEY_CODES = 323;
// SDL_APPMOUSEFOCUS | SDL_APPINPUTFOCUS | SDL_APPACTIVE.
constexpr uint8_t MAX_FOCUS = 7;

enum RecordKind : uint8_t { TICKS = 1, EVENT = 2, KEYS = 3, BUTTONS = 4, FOCUS = 5, COUNTER = 6 };

// CRC-32 with the IEEE polynomial, reflected (as zip and PNG use it).
uint32_t crc32(const uint8_t* data, size_t size);

// Calls visit on each field an event of its type carries, in their order in
// the file; false for a type the format does not know. The one list serves
// writing and reading, so the two cannot disagree.
template <class Event, class Visit> bool visitEventFields(Event& event, Visit&& visit) {
    switch (event.type) {
    case DemoEvent::NONE:
    case DemoEvent::QUIT:
    case DemoEvent::EXPOSE:
        return true;
    case DemoEvent::ACTIVE:
        visit(event.gain);
        visit(event.state);
        return true;
    case DemoEvent::KEY_DOWN:
    case DemoEvent::KEY_UP:
        visit(event.state);
        visit(event.scancode);
        visit(event.sym);
        visit(event.mod);
        visit(event.unicode);
        return true;
    case DemoEvent::MOTION:
        visit(event.state);
        visit(event.x);
        visit(event.y);
        visit(event.xrel);
        visit(event.yrel);
        return true;
    case DemoEvent::BUTTON_DOWN:
    case DemoEvent::BUTTON_UP:
        visit(event.state);
        visit(event.button);
        visit(event.x);
        visit(event.y);
        return true;
    case DemoEvent::RESIZE:
        visit(event.x);
        visit(event.y);
        return true;
    default:
        return false;
    }
}

// Each says what is wrong, in words a refusal can use, or nothing when all
// is well.
std::string versionProblem(const std::string& gameVersion);
std::string startProblem(const DemoStart& start);
std::string keyCountProblem(size_t count);
std::string keysProblem(const std::vector<uint16_t>& keys);
std::string focusProblem(uint8_t focus);
std::string eventTypeProblem(uint8_t type);
// frame counts from 1.
std::string payloadProblem(long frame, size_t payloadSize);

} // namespace demoformat
