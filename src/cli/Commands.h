// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace fl {
class TGIFImage;
}

namespace fl::cli {

// Loads a GIF, printing its warnings; a failure is printed with the path and
// answers false.
bool LoadAnimation(TGIFImage& image, const std::string& path);

// A command of a program: its name, and what runs it.
struct TCommand {
    const char* Name;
    int (*Run)(const std::vector<std::string>& args);
};
// Runs the named command with the arguments after its name and answers its
// exit status; whatever it lets through ends it with its message and status
// 1, never with an abort. -1 when the table has no such command.
int RunCommand(const std::vector<TCommand>& commands, const std::string& name, const std::vector<std::string>& args);

// Each command takes the arguments after its name and answers the exit status.
int RunInfo(const std::vector<std::string>& args);
int RunCopy(const std::vector<std::string>& args);
int RunQuantize(const std::vector<std::string>& args);
int RunRender(const std::vector<std::string>& args);
int RunOptimize(const std::vector<std::string>& args);
int RunImport(const std::vector<std::string>& args);
int RunImportAvi(const std::vector<std::string>& args);
int RunImportVideo(const std::vector<std::string>& args);
int RunExportAvi(const std::vector<std::string>& args);
int RunExportFrames(const std::vector<std::string>& args);
int RunHtml(const std::vector<std::string>& args);

} // namespace fl::cli
