#include "assets/DemoFile.h"

bool DemoEvent::operator==(const DemoEvent& other) const {
    return type == other.type && gain == other.gain && state == other.state &&
           scancode == other.scancode && sym == other.sym && mod == other.mod &&
           unicode == other.unicode && button == other.button && x == other.x && y == other.y &&
           xrel == other.xrel && yrel == other.yrel;
}

bool DemoFrame::operator==(const DemoFrame& other) const {
    return ticks == other.ticks && events == other.events && keys == other.keys &&
           buttons == other.buttons && focus == other.focus && counter == other.counter;
}
