#pragma once

// Sets one of GLEW's extension flags for the life of the object, so a test
// can take the path a driver with that extension would. The game never
// initialises GLEW, so every flag starts out false.
class ScopedGlewFlag {
public:
    enum Flag { Bgra, GenerateMipmap, S3tcCompression, ArbCompression };

    ScopedGlewFlag(Flag flag, bool value);
    ~ScopedGlewFlag();
    ScopedGlewFlag(const ScopedGlewFlag&) = delete;
    ScopedGlewFlag& operator=(const ScopedGlewFlag&) = delete;

private:
    unsigned char* variable;
    unsigned char saved;
};
