#pragma once

#include "core/Singleton.h"

#include <string>

// Writes progress and failure lines to standard output.
class Logger : public Singleton<Logger> {
public:
    virtual ~Logger() {}

    // level is accepted for the callers' sake and ignored.
    void log(const std::string& message, int level);
};
