#pragma once

// One process-wide instance of T, created on first use and never deleted.
// A service derives from Singleton of itself.
template <class T> class Singleton {
public:
    static T* getInstance() {
        if (instance == nullptr) {
            // If T's constructor throws, new releases the memory and
            // instance stays null.
            instance = new T();
        }
        return instance;
    }

    Singleton() {}
    virtual ~Singleton() { instance = nullptr; }

private:
    static T* instance;
};

template <class T> T* Singleton<T>::instance = nullptr;
