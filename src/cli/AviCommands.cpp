// SPDX-License-Identifier: GPL-3.0-or-later
// `import-avi` and `export-avi`: an AVI video as an animation and back.
#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "gif/GIFImage.h"
#include "io/AviExport.h"
#include "io/AviImport.h"

namespace fl::cli {

int RunImportAvi(const std::vector<std::string>& args)
{
    if (args.size() != 2) {
        std::fputs("Usage: frameloom-cli import-avi IN.avi OUT.gif\n", stderr);
        return 2;
    }
    TGIFImage image;
    image.WarningHandler = [](TGIFImage&, TGIFItem*, int, const std::string& message) {
        std::fprintf(stderr, "warning: %s\n", message.c_str());
    };
    try {
        ImportAvi(image, args[0]);
        if (image.IsEmpty()) {
            std::fprintf(stderr, "Error importing %s to GIF.\n", args[0].c_str());
            return 1;
        }
        image.SaveToFile(args[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", args[0].c_str(), error.what());
        return 1;
    }
    std::printf("%d frames\n", image.Frames.Count());
    return 0;
}

int RunExportAvi(const std::vector<std::string>& args)
{
    if (args.size() != 2) {
        std::fputs("Usage: frameloom-cli export-avi IN.gif OUT.avi\n", stderr);
        return 2;
    }
    TGIFImage source;
    if (!LoadAnimation(source, args[0]))
        return 1;
    TGIFImage copy;
    try {
        copy.CopyFrom(&source);
    } catch (const std::exception&) {
        // What was copied is exported; an empty copy is reported below.
    }
    // The copy ends without handlers of its own.
    copy.WarningHandler = source.WarningHandler;
    if (copy.IsEmpty()) {
        std::fputs("Error exporting animation to AVI! Unable to complete export.\n", stderr);
        return 1;
    }
    try {
        PrepareAviExport(copy);
        ExportAvi(args[1], copy);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", args[1].c_str(), error.what());
        return 1;
    }
    std::printf("%d frames\n", copy.Frames.Count());
    return 0;
}

} // namespace fl::cli
