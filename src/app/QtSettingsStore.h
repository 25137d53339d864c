// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store of the running program, on QSettings: on Windows the
// registry key HKCU\Software\Quillmark Software\Frameloom 4.0, elsewhere the
// INI file "Quillmark Software/Frameloom 4.0.conf" in the user's config folder.
#pragma once

#include <memory>
#include <string>

#include "platform/SettingsStore.h"

class QSettings;

namespace fl {

// Sections are nested groups ("FormPos\Main" is the group FormPos/Main).
// Names compare without regard to case, as the registry does: reads find a
// group or value in any case, writes keep the spelling that exists already.
// Section parts and value names must not hold "/" (QSettings' separator):
// such a name reads as absent, and writing it throws std::invalid_argument.
// Texts are UTF-8; invalid UTF-8 is written with replacement characters.
class TQtSettingsStore final : public TSettingsStore {
public:
    // The user's store in the system's native format.
    TQtSettingsStore();
    // An INI file of the caller's choice (tests, a portable install).
    explicit TQtSettingsStore(const std::string& iniPath);
    // Writes what is still pending; a store that cannot be written loses
    // only the changes since the last Flush, quietly.
    ~TQtSettingsStore() override;
    TQtSettingsStore(const TQtSettingsStore&) = delete;
    TQtSettingsStore& operator=(const TQtSettingsStore&) = delete;

    std::optional<int> FindInteger(const std::string& section, const std::string& key) const override;
    std::optional<std::string> FindString(const std::string& section, const std::string& key) const override;
    void WriteInteger(const std::string& section, const std::string& key, int value) override;
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
    bool ValueExists(const std::string& section, const std::string& key) const override;
    bool DeleteValue(const std::string& section, const std::string& key) override;
    // Erasing the root (an empty section) does nothing: it would take every
    // setting of the program with it.
    void EraseSection(const std::string& section) override;
    std::vector<std::string> ValueNames(const std::string& section) const override;

    // Writes pending changes now. Answers false, with Problem() saying why,
    // when the store could not be written.
    bool Flush();
    // Empty while the store reads and writes fine; otherwise a sentence for
    // the user, e.g. for a file that is not in INI format (whose readable
    // values are still used).
    std::string Problem() const;
    // The file path or registry key, for messages.
    std::string Location() const;

private:
    // QSettings is not const-correct (reading enters groups), so lookups
    // from const members use it too.
    std::unique_ptr<QSettings> settings_;
    // The registry keeps integers and texts apart; INI files keep only text.
    bool typed_ = false;
};

} // namespace fl
