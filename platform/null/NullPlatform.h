#ifndef VAULTREACH_PLATFORM_NULL_NULLPLATFORM_H
#define VAULTREACH_PLATFORM_NULL_NULLPLATFORM_H

// The null platform in one call: the virtual clock, a recording console (not yet set up: the
// game does that itself) and, unless the caller wants SDL_mixer's, the silent audio, each
// with the record a test reads afterwards. Standard input and output are the caller's to
// redirect (std::cin and std::cout take any stream buffer).

#include <memory>

#include "platform/null/RecordingConsole.h"
#include "platform/null/SilentAudio.h"
#include "platform/null/VirtualClock.h"

struct cNullPlatform {
    cVirtualClock* clock = nullptr;  // owned by the platform until the next install
    std::shared_ptr<cConsoleRecord> console;
    std::shared_ptr<cAudioRecord> audio;  // null with SDL_mixer's audio
};

inline cNullPlatform InstallNullPlatform(bool consoleUsable = true, bool silentAudio = true) {
    cNullPlatform platform;
    auto clock = std::make_unique<cVirtualClock>();
    platform.clock = clock.get();
    Sys_InstallClock(std::move(clock));
    platform.console = std::make_shared<cConsoleRecord>();
    Sys_InstallConsole(std::make_unique<cRecordingConsole>(platform.console, consoleUsable));
    if (silentAudio) {
        platform.audio = std::make_shared<cAudioRecord>();
        Sys_InstallAudioBackend(std::make_unique<cSilentAudio>(platform.audio));
    } else {
        Sys_InstallAudioBackend(nullptr);
    }
    return platform;
}

#endif
