// What a script run is told before it starts, and how it ends: for whoever
// runs scripts without needing the runner itself (a suite, its options).
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/exit_status.h"

namespace script {

class RunObserver;

// A script's outcome as the program's exit status.
inline constexpr int kExitPassed = platform::kExitSuccess;
inline constexpr int kExitFailed = platform::kExitFailure;
inline constexpr int kExitMalformed = platform::kExitUsage;

struct RunnerOptions {
    // Where `screenshot` puts a relative file; empty: the script's folder.
    std::filesystem::path screenshotFolder;
    // How long the system may keep running on its own (real time) before
    // the script fails instead of hanging.
    std::chrono::milliseconds settleLimit{20000};
    // Written when the last command has run, before the windows close: the
    // screen (PNG) and its windows and controls (JSON).
    std::filesystem::path finalScreenshot;
    std::filesystem::path finalWindowTree;
    // On real time a target that does not settle (a thread busy on a host
    // device) is waited for this long before each command, then the command
    // runs anyway.
    std::chrono::milliseconds realTimeSettle{250};
    // Where a failure leaves its evidence (the screen at that moment, the
    // debug lines, the actual and difference pictures of a screen
    // comparison); empty: nowhere.
    std::filesystem::path artifactsFolder;
    // A failed `expect screen` writes its reference from the screen
    // instead of failing.
    bool updateScreens = false;
    // The backend the run is on ("host", "win32"): `expect screen FILE.png`
    // takes FILE.<backend>.png beside it first. Empty: the shared one only.
    std::string backend;
    // Told about each command as it starts and ends; nullptr: nobody.
    RunObserver* observer = nullptr;
    // The wall-clock time by which the script must have ended (its time
    // limit, timeLimit, counted from its start): past it the script fails on
    // the line it is on. Checked between the runner's steps; nullopt: none.
    std::optional<std::chrono::steady_clock::time_point> deadline;
    std::chrono::milliseconds timeLimit{0};
    // The run stops, settled, before the command of this index (a window
    // takes the unit over there): its windows stay as they are and the
    // framework goes on with another presenter. nullopt: to the end.
    std::optional<std::size_t> stopBefore;
};

}  // namespace script
