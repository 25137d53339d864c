// SPDX-License-Identifier: GPL-3.0-or-later
// frameloom-cli: the engine from a shell.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/FormatsProgram.h"

namespace {

void PrintUsage(std::FILE* out)
{
    std::fputs("Usage:\n"
               "  frameloom-cli info [--json] FILE\n"
               "  frameloom-cli copy [--encoding lzw|rle] IN OUT\n"
               "  frameloom-cli quantize [--method 0..9] [--bits 3..8] [--dither 0..6] IN OUT.gif\n"
               "  frameloom-cli render [--speed N] IN OUTDIR\n"
               "  frameloom-cli optimize [--trim] [--merge-pixels] [--cleanup] [--color-tables]\n"
               "                         [--merge-palettes] [--all] [--lossy N] IN OUT\n"
               "  frameloom-cli import IN OUT.gif\n"
               "  frameloom-cli export-frames [--format gif|jpg|bmp] [--frames 0,2,...]\n"
               "                         [--palette netscape|windows[:256..8]|system|gray|mono]\n"
               "                         [--no-optimize] [--quality 0..4] [--progressive] [--grayscale]\n"
               "                         [--fast] [--mono] IN.gif OUT\n"
               "  frameloom-cli html IN.gif OUT.html\n"
               "  frameloom-cli import-avi IN.avi OUT.gif\n"
               "  frameloom-cli import-video [--from S] [--to S] [--fps N] [--no-optimize] IN OUT.gif\n"
               "  frameloom-cli export-avi IN.gif OUT.avi\n",
               out);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        PrintUsage(args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    const std::string command = args[0];
    if (fl::cli::IsFormatsCommand(command.c_str()))
        return fl::cli::RunInFormatsProgram(argv);
    args.erase(args.begin());
    const int status = fl::cli::RunCommand({{"info", fl::cli::RunInfo},
                                            {"copy", fl::cli::RunCopy},
                                            {"quantize", fl::cli::RunQuantize},
                                            {"render", fl::cli::RunRender},
                                            {"optimize", fl::cli::RunOptimize},
                                            {"export-frames", fl::cli::RunExportFrames},
                                            {"html", fl::cli::RunHtml}},
                                           command, args);
    if (status >= 0)
        return status;
    std::fprintf(stderr, "frameloom-cli: unknown command \"%s\"\n", command.c_str());
    PrintUsage(stderr);
    return 2;
}
