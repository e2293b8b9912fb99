#pragma once

// Base of every model. Models are deleted through their own class, never
// through this one, so the destructor is protected and not virtual.
class Model {
public:
    virtual void draw() = 0;

protected:
    Model() {}
    ~Model() {}
};
