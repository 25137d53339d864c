// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/AnimationFiles.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "editing/NormalizeExtensions.h"
#include "gif/GIFImage.h"
#include "platform/FileProblems.h"
#include "platform/FileReplace.h"
#include "platform/MessageService.h"
#include "platform/Stream.h"

namespace fl {

namespace {

namespace fs = std::filesystem;

bool FileExists(const std::string& path)
{
    std::error_code error;
    return fs::exists(fs::path(path), error);
}

} // namespace

bool LoadAnimationFile(TMessageService& messages, TGIFImage& image, const std::string& path)
{
    TBusyCursor busy(messages);
    // A file that is not there or cannot be read is said so: the file type
    // is not what went wrong.
    std::string problem = FileReadProblem(path);
    if (problem.empty()) {
        try {
            image.LoadFromFile(path);
            return true;
        } catch (const std::exception&) {
            problem = "Frameloom does not support the file type or it is a corrupted file.";
        }
    }
    messages.Beep();
    ShowErrorMessage(messages, "Error loading " + path + "! " + problem);
    return false;
}

bool SaveAnimationFile(TMessageService& messages, TGIFImage& image, const std::string& path,
                       bool restoreBackground, bool force, const TAnimationDefaults& defaults)
{
    if (!force && !FileExists(path))
        return false;
    // Whatever fails, the old file stays (see ReplaceFileContents); why it
    // failed follows the message, in the system's words where it has them.
    std::string problem;
    try {
        NormalizeExtensions(image, !restoreBackground, defaults);
        TMemoryStream bytes;
        image.SaveToStream(bytes);
        ReplaceFileContents(path, bytes.Data(), static_cast<size_t>(bytes.Size()));
        return true;
    } catch (const EStreamError& error) {
        problem = WriteProblem(error);
    } catch (const std::exception& error) {
        problem = error.what();
    }
    ShowErrorMessage(messages, "Error saving file! Unable to save " + path + " to disk.\n\n" + problem);
    return false;
}

} // namespace fl
