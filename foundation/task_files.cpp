#include "foundation/task_files.h"

#include "foundation/log.h"
#include "foundation/program_start.h"
#include "platform/core/codepage.h"
#include "platform/core/file.h"
#include "platform/core/process.h"

namespace {

std::string EscapeXml(std::string_view text)
{
    std::string out;
    for (char ch : text) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out.push_back(ch);
        }
    }
    return out;
}

std::string JoinArguments(const std::vector<std::string>& arguments)
{
    std::string joined;
    for (const std::string& argument : arguments) {
        if (!joined.empty())
            joined += ' ';
        joined += argument;
    }
    return joined;
}

// The definition's lines, UTF-8. Two blanks per level of nesting.
std::vector<std::string> TaskLines(const std::string& programFolder, const TNScheduledTask& task)
{
    std::string command = "\"" + EscapeXml(programFolder) + kProgramFileName + "\"";
    return {
        R"(<?xml version="1.0" encoding="UTF-16"?>)",
        R"(<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">)",
        "  <Triggers>",
        "    <TimeTrigger>",
        "      <StartBoundary>2050-01-01T01:00:00</StartBoundary>",
        "      <Enabled>true</Enabled>",
        "    </TimeTrigger>",
        "  </Triggers>",
        "  <Principals>",
        R"(    <Principal id="Author">)",
        "      <LogonType>InteractiveToken</LogonType>",
        "      <RunLevel>HighestAvailable</RunLevel>",
        "    </Principal>",
        "  </Principals>",
        "  <Settings>",
        "    <MultipleInstancesPolicy>Parallel</MultipleInstancesPolicy>",
        "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>",
        "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>",
        "    <AllowHardTerminate>false</AllowHardTerminate>",
        "    <StartWhenAvailable>false</StartWhenAvailable>",
        "    <RunOnlyIfNetworkAvailable>false</RunOnlyIfNetworkAvailable>",
        "    <IdleSettings>",
        "      <StopOnIdleEnd>false</StopOnIdleEnd>",
        "      <RestartOnIdle>false</RestartOnIdle>",
        "    </IdleSettings>",
        "    <AllowStartOnDemand>true</AllowStartOnDemand>",
        "    <Enabled>true</Enabled>",
        "    <Hidden>false</Hidden>",
        "    <RunOnlyIfIdle>false</RunOnlyIfIdle>",
        "    <WakeToRun>false</WakeToRun>",
        "    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>",
        "    <Priority>7</Priority>",
        "  </Settings>",
        R"(  <Actions Context="Author">)",
        "    <Exec>",
        "      <Command>" + command + "</Command>",
        "      <Arguments>" + EscapeXml(JoinArguments(task.Arguments)) + "</Arguments>",
        "    </Exec>",
        "  </Actions>",
        "</Task>",
    };
}

} // namespace

const std::vector<TNScheduledTask>& ScheduledTasks()
{
    static const std::vector<TNScheduledTask> tasks = {
        {kUpdateTaskName, {"-autorun", "-update"}},
        {kRestoreTaskName, {"-restore"}},
    };
    return tasks;
}

const TNScheduledTask* FindScheduledTask(const std::string& name)
{
    for (const TNScheduledTask& task : ScheduledTasks()) {
        if (name == task.Name)
            return &task;
    }
    return nullptr;
}

std::string TaskFileContents(const std::string& programFolder, const TNScheduledTask& task)
{
    std::string text;
    for (const std::string& line : TaskLines(programFolder, task))
        text += line + "\r\n";
    std::u16string units = plat::Utf8ToUtf16(text);
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + 2 * units.size());
    for (char16_t unit : units) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

int WriteTaskFiles(const std::string& programFolder)
{
    if (programFolder.empty())
        return 0;
    int written = 0;
    for (const TNScheduledTask& task : ScheduledTasks()) {
        std::string path = programFolder + task.Name + ".xml";
        if (plat::WriteFileAtomically(path, TaskFileContents(programFolder, task), 0644))
            ++written;
    }
    return written;
}

bool RunScheduledTaskIn(const std::string& programFolder, const std::string& name)
{
    const TNScheduledTask* task = FindScheduledTask(name);
    if (task == nullptr) {
        LogWrite("[RunScheduledTask][ERROR] Unknown task: ", name.c_str(), false);
        return false;
    }
    // Without the folder a bare name would be looked up in PATH and could
    // start another program.
    if (programFolder.empty() || programFolder[0] != '/') {
        LogWrite("[RunScheduledTask][ERROR] No program folder; task not started: ", name.c_str(), false);
        return false;
    }
    std::vector<std::string> argv = {programFolder + kProgramFileName};
    argv.insert(argv.end(), task->Arguments.begin(), task->Arguments.end());
    int error = 0;
    if (!plat::StartDetached(argv, &error)) {
        LogWrite("[RunScheduledTask][ERROR] Start failed: ", name.c_str(), false);
        return false;
    }
    LogWrite("[RunScheduledTask] Started: ", name.c_str(), false);
    return true;
}

bool RunScheduledTask(const std::string& name)
{
    return RunScheduledTaskIn(GetProgramFolder(), name);
}
