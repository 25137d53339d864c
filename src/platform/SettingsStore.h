// SPDX-License-Identifier: GPL-3.0-or-later
// The program's persistent settings: one per-user tree of sections, each
// holding named integer and text values. Windows get the store backed by the
// system's settings; the engine and tests use the in-memory one.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace fl {

// Where the tree lives in the system's settings.
inline constexpr const char* SettingsRootKey = "Software\\Quillmark Software\\Frameloom 4.0\\";

// Sections of the tree; a backslash separates nested sections.
inline constexpr const char* SectionSettings = "Settings";
inline constexpr const char* SectionToolbars = "Settings\\Toolbars";
inline constexpr const char* SectionStandardToolbar = "Settings\\Toolbars\\Standard";
inline constexpr const char* SectionFrameToolbar = "Settings\\Toolbars\\Frame";
inline constexpr const char* SectionAnimationToolbar = "Settings\\Toolbars\\Animation";
inline constexpr const char* SectionRecentFiles = "Settings\\MRU";
inline constexpr const char* SectionMainForm = "FormPos\\Main";
inline constexpr const char* SectionInspectorForm = "FormPos\\Inspector";
inline constexpr const char* SectionOpenDialogForm = "FormPos\\OpenDialog";
inline constexpr const char* SectionThumbnails = "ThumbNails";
inline constexpr const char* SectionFavorites = "ThumbNails\\Favorites";

// Texts are stored with one NUL after them and read up to their first NUL,
// so a text reads back unchanged and values of other writers, with or
// without the NUL, read the same. The stored form of a text: its characters
// up to any NUL it holds, then one NUL.
std::string TextWithTerminator(std::string_view text);
// The text of a stored value: its characters up to the first NUL.
std::string TextUpToTerminator(std::string_view stored);

// The store. Integers are 32-bit values; booleans are stored as 0 and 1.
// A value read as the other type than it was written counts as absent, so
// the caller's default applies. Section and key names compare without regard
// to case, as the system's settings do.
class TSettingsStore {
public:
    virtual ~TSettingsStore() = default;

    virtual std::optional<int> FindInteger(const std::string& section, const std::string& key) const = 0;
    // Texts read back up to their first NUL character.
    virtual std::optional<std::string> FindString(const std::string& section,
                                                  const std::string& key) const = 0;
    virtual void WriteInteger(const std::string& section, const std::string& key, int value) = 0;
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    virtual bool ValueExists(const std::string& section, const std::string& key) const = 0;
    // Answers whether there was a value to delete.
    virtual bool DeleteValue(const std::string& section, const std::string& key) = 0;
    // Removes a section with its values and nested sections (recent files and
    // favorites are rewritten from scratch).
    virtual void EraseSection(const std::string& section) = 0;
    // The names of the section's own values (not those of nested sections),
    // spelled as they were first written, sorted without regard to case.
    virtual std::vector<std::string> ValueNames(const std::string& section) const = 0;

    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const
    {
        return FindInteger(section, key).value_or(defaultValue);
    }
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const
    {
        return FindString(section, key).value_or(defaultValue);
    }
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const
    {
        return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
    }
    void WriteBool(const std::string& section, const std::string& key, bool value)
    {
        WriteInteger(section, key, value ? 1 : 0);
    }
};

// A store in memory, for the command line and tests.
class TMemorySettingsStore final : public TSettingsStore {
public:
    std::optional<int> FindInteger(const std::string& section, const std::string& key) const override;
    std::optional<std::string> FindString(const std::string& section, const std::string& key) const override;
    void WriteInteger(const std::string& section, const std::string& key, int value) override;
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
    bool ValueExists(const std::string& section, const std::string& key) const override;
    bool DeleteValue(const std::string& section, const std::string& key) override;
    void EraseSection(const std::string& section) override;
    std::vector<std::string> ValueNames(const std::string& section) const override;

    // How many values the store holds.
    int Count() const;

private:
    struct TEntry {
        std::string Name; // as first written
        std::variant<int, std::string> Value;
    };
    using TSection = std::map<std::string, TEntry>; // by lower-cased name
    const TEntry* Find(const std::string& section, const std::string& key) const;

    // Keyed by the lower-cased section path, so that a section and its
    // nested sections sort together.
    std::map<std::string, TSection> sections_;
};

} // namespace fl
