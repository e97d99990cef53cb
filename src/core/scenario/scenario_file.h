#pragma once

#include <chrono>
#include <filesystem>

#include "error.h"
#include "scenario/scenario.h"

namespace linkwright {

// The time limit of an expect whose file names none.
inline constexpr std::chrono::milliseconds kDefaultExpectTime{1000};

// Reads and checks a scenario file (YAML): its settings name known keys with values they take,
// its regular expressions compile, its rows are 1 … 99, its times are numbers of milliseconds
// (or "2s", "200ms"), and every step is of a known kind. A failure is a kInput error (kSystem
// when the file cannot be read) whose message starts with "FILE:LINE:COLUMN: ", so nothing of a
// bad file is ever run. The message file's path is made relative to the scenario's folder.
Error ReadScenarioFile(const std::filesystem::path& path, Scenario& scenario);

}  // namespace linkwright
