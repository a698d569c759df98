#pragma once

#include <string>
#include <vector>

// The program's two scheduled tasks. "-schtasks" writes their definition
// files beside the program; they are registered outside the program, never
// by it. Running a task by name starts, detached, the command its definition
// holds.

inline constexpr const char* kUpdateTaskName = "DalmoraAktualizace";
inline constexpr const char* kRestoreTaskName = "DalmoraRestore";

// The program the tasks start, in the program folder.
inline constexpr const char* kProgramFileName = "dalmora1";

struct TNScheduledTask {
    const char* Name;
    // The program's arguments, in order.
    std::vector<std::string> Arguments;
};

// Both tasks, the update task first; null for an unknown name.
const std::vector<TNScheduledTask>& ScheduledTasks();
const TNScheduledTask* FindScheduledTask(const std::string& name);

// The bytes of a task's definition file: BOM FF FE, then the text as UTF-16
// little-endian with CR LF line ends. The folder (ending with '/') is decoded
// from UTF-8 and escaped for XML.
std::string TaskFileContents(const std::string& programFolder, const TNScheduledTask& task);

// Writes "<folder><name>.xml" for each task, each through the atomic
// writer; a file that cannot be written is skipped. Returns how many were
// written. An empty folder writes nothing.
int WriteTaskFiles(const std::string& programFolder);

// Starts "<folder>dalmora1" with the task's arguments, detached. False for
// an unknown name (logged), an empty folder or a failed start.
bool RunScheduledTaskIn(const std::string& programFolder, const std::string& name);

// The same in the program folder.
bool RunScheduledTask(const std::string& name);
