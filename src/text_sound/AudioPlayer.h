#pragma once

#include "core/Singleton.h"

#include <SDL_mixer.h>

#include <map>

// Plays the sound effects and the looping background music through
// SDL_mixer, on an audio device that start-up has already opened.
//
// Effects are keyed by the caller's file-name pointer, not by its text: a
// caller loads and plays with the same string constant, and two different
// pointers to equal text are two separate effects.
class AudioPlayer : public Singleton<AudioPlayer> {
public:
    AudioPlayer();
    // Frees nothing: the chunks and the music stay with the process.
    virtual ~AudioPlayer() {}

    // Loads the WAV file unless a chunk is already registered under this
    // pointer (then false). A failed load leaves a null chunk and still
    // returns true, so that the next call tries again.
    bool loadSound(const char* fileName);

    // Plays the effect once on the first free channel. An effect that is not
    // loaded, or no free channel, plays nothing and says nothing.
    void playSound(const char* fileName);

    // Replaces any current music by this file, looping for ever.
    void playMusic(const char* fileName);

    // Halts and frees the current music.
    void stopMusic();

    // Stops the music if some is loaded, otherwise starts the last file given
    // to playMusic again from its beginning.
    void toggleMusic();

    // A silent player loads and plays nothing, for a game that never opened
    // the audio device: what it is asked to play is only remembered.
    void setSilent(bool on) { silent = on; }
    bool isSilent() const { return silent; }

    const std::map<const char*, Mix_Chunk*>& getSounds() const { return sounds; }
    Mix_Music* getMusic() const { return music; }
    const char* getMusicFile() const { return musicFile; }

private:
    std::map<const char*, Mix_Chunk*> sounds;
    Mix_Music* music;
    const char* musicFile;
    bool silent = false;
};
