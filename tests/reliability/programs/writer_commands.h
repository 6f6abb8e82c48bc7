// The fault commands of reliability_writer (see writer_main.cpp for the
// command lines, output lines and exit codes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qe::reliability {

// First frame index of the rows the insert command writes; no acquisition
// batch reaches it.
inline constexpr int32_t kFaultFirstFrame = 1000000000;

// Writes line and a newline to stdout at once.
void Report(const std::string& line);

int FaultCreate(const std::vector<std::string>& args);
int FaultInsert(const std::vector<std::string>& args);
int FaultUpgrade(const std::vector<std::string>& args);
int FaultMerge(const std::vector<std::string>& args);
int ReadOnlyProject(const std::vector<std::string>& args);
int ReadOnlyRun(const std::vector<std::string>& args);

}  // namespace qe::reliability
