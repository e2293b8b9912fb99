#include "text_sound/AudioPlayer.h"

AudioPlayer::AudioPlayer() : music(nullptr), musicFile(nullptr) {}

bool AudioPlayer::loadSound(const char* fileName) {
    Mix_Chunk*& chunk = sounds[fileName];
    if (chunk != nullptr) {
        return false;
    }
    if (silent) {
        return true;
    }
    // SDL_mixer closes the stream, also when the file cannot be read.
    chunk = Mix_LoadWAV_RW(SDL_RWFromFile(fileName, "rb"), 1);
    return true;
}

void AudioPlayer::playSound(const char* fileName) {
    // A busy mixer or a missing effect just stays silent.
    if (silent) {
        return;
    }
    Mix_PlayChannelTimed(-1, sounds[fileName], 0, -1);
}

void AudioPlayer::playMusic(const char* fileName) {
    if (music != nullptr) {
        stopMusic();
    }
    musicFile = fileName;
    toggleMusic();
}

void AudioPlayer::stopMusic() {
    Mix_HaltMusic();
    Mix_FreeMusic(music);
    music = nullptr;
}

void AudioPlayer::toggleMusic() {
    if (music != nullptr) {
        stopMusic();
        return;
    }
    // Nothing to start before the first playMusic.
    if (musicFile == nullptr || silent) {
        return;
    }
    music = Mix_LoadMUS(musicFile);
    // A file that would not load leaves the game silent; SDL_mixer refuses
    // a null music by itself.
    Mix_PlayMusic(music, -1);
}
