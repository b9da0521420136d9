#pragma once

#include "speech/Speaker.h"

#include <memory>

// The desktop's speech service (DesktopSpeaker, with libspeechd) lives in a module
// of its own, bimbala-speech, loaded once the main menu is on screen.
namespace SpeechModule {

// Raised whenever the function below changes.
inline constexpr int Interface = 1;
inline constexpr char MakeName[] = "bimbala_make_speaker";
// A new DesktopSpeaker for the session's own service.
using Make = Speaker *(*)();

// The module's speaker; without the module, one whose start says why it is silent.
std::unique_ptr<Speaker> makeDesktopSpeaker();

} // namespace SpeechModule
