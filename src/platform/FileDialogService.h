// SPDX-License-Identifier: GPL-3.0-or-later
// The one way the program asks for file names: every open and save dialog
// goes through a dialog service, so that the routines behind them run
// without a window and tests answer them from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace fl {

// Folder chooses one folder (the folder-browse dialog).
enum class TFileDialogKind { Open, Save, Folder };

struct TFileDialogRequest {
    TFileDialogKind Kind = TFileDialogKind::Open;
    std::string Title;
    // "Description|pattern;pattern|Description|pattern", as the program
    // writes its filters.
    std::string Filter;
    std::string InitialDir;
    // Preset file name (a full path or a bare name).
    std::string FileName;
    // Added to a typed name that has no extension, without the dot.
    std::string DefaultExt;
    bool MultiSelect = false;
    // The open dialog shows a preview of the selected image beside its
    // file list (unless the user switched that off).
    bool Preview = false;
};

struct TFileDialogAnswer {
    bool Accepted = false;
    // Full paths, in the order the user chose them; one for a save dialog.
    std::vector<std::string> Files;
};

class TFileDialogService {
public:
    virtual ~TFileDialogService() = default;
    virtual TFileDialogAnswer Run(const TFileDialogRequest& request) = 0;
};

// Answers from a script and records every request; an unscripted dialog is
// cancelled.
class TScriptedFileDialogService final : public TFileDialogService {
public:
    TFileDialogAnswer Run(const TFileDialogRequest& request) override;

    void QueueFiles(std::vector<std::string> files) { answers_.push_back({true, std::move(files)}); }
    void QueueCancel() { answers_.push_back({}); }

    const std::vector<TFileDialogRequest>& Requests() const { return requests_; }
    int PendingAnswers() const { return static_cast<int>(answers_.size()); }

private:
    std::deque<TFileDialogAnswer> answers_;
    std::vector<TFileDialogRequest> requests_;
};

} // namespace fl
