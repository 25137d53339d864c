// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtSettingsStore.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <variant>

namespace fl {

namespace {

constexpr const char* organizationName = "Quillmark Software";
constexpr const char* applicationName = "Frameloom 4.0";

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The parts of a section path; empty parts (a trailing or doubled
// backslash) name nothing. Empty when a part is unusable.
std::optional<QStringList> SectionParts(const std::string& section)
{
    QStringList parts;
    for (const QString& part : FromUtf8(section).split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        if (part.contains(QLatin1Char('/')))
            return std::nullopt;
        parts.append(part);
    }
    return parts;
}

bool UsableName(const std::string& key)
{
    return !key.empty() && key.find_first_of("/\\") == std::string::npos;
}

std::optional<QString> FindCaseless(const QStringList& names, const QString& name)
{
    for (const QString& candidate : names)
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            return candidate;
    return std::nullopt;
}

// Enters groups and leaves them all again, also when a write throws.
class TGroupScope {
public:
    explicit TGroupScope(QSettings& settings) : settings_(settings) {}
    ~TGroupScope()
    {
        for (; depth_ > 0; --depth_)
            settings_.endGroup();
    }
    TGroupScope(const TGroupScope&) = delete;
    TGroupScope& operator=(const TGroupScope&) = delete;

    void Enter(const QString& group)
    {
        settings_.beginGroup(group);
        ++depth_;
    }
    // Enters the stored groups matching the parts; false when one is missing.
    bool EnterExisting(const QStringList& parts)
    {
        for (const QString& part : parts) {
            const std::optional<QString> stored = FindCaseless(settings_.childGroups(), part);
            if (!stored)
                return false;
            Enter(*stored);
        }
        return true;
    }
    // Enters the groups, in their stored spelling where they exist.
    void EnterForWriting(const QStringList& parts)
    {
        for (const QString& part : parts)
            Enter(FindCaseless(settings_.childGroups(), part).value_or(part));
    }

private:
    QSettings& settings_;
    int depth_ = 0;
};

// 32-bit decimal, all of it: what setValue(int) leaves in an INI file.
std::optional<int> WholeInteger(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

using TStoredValue = std::variant<std::monostate, int, std::string>;

// What a stored value is. The registry keeps DWORDs and strings apart. An INI
// file keeps only text, so there the terminating NUL that every text is
// written with tells the two apart (QSettings writes such a text as
// "@String(text\0)"): a value with a NUL is a text; one without is an
// integer when it is a whole decimal 32-bit number, as integers are written,
// and otherwise a text written by another hand without the NUL. Such a
// hand-written "12" therefore reads as an integer, not as a text.
TStoredValue Classify(const QVariant& value, bool typed)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Bool:
        return value.toInt();
    case QMetaType::UInt:
        // A DWORD above the signed range reads back as it was written.
        return static_cast<int>(static_cast<std::uint32_t>(value.toUInt()));
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        bool ok = false;
        const qlonglong wide = value.toLongLong(&ok);
        if (!ok || wide < std::numeric_limits<int>::min() || wide > std::numeric_limits<std::uint32_t>::max())
            return std::monostate();
        return static_cast<int>(static_cast<std::uint32_t>(wide));
    }
    case QMetaType::QString: {
        const std::string text = value.toString().toStdString();
        if (text.find('\0') != std::string::npos)
            return TextUpToTerminator(text);
        if (!typed)
            if (const std::optional<int> number = WholeInteger(text))
                return *number;
        return text;
    }
    case QMetaType::QStringList:
        // An INI value with unquoted commas, written by another hand.
        return TextUpToTerminator(value.toStringList().join(QLatin1Char(',')).toStdString());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return TextUpToTerminator(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    default:
        return std::monostate();
    }
}

// The stored value, or nothing when the section or the value is missing.
TStoredValue Lookup(QSettings& settings, bool typed, const std::string& section, const std::string& key)
{
    const std::optional<QStringList> parts = SectionParts(section);
    if (!parts || !UsableName(key))
        return std::monostate();
    TGroupScope scope(settings);
    if (!scope.EnterExisting(*parts))
        return std::monostate();
    const std::optional<QString> stored = FindCaseless(settings.childKeys(), FromUtf8(key));
    if (!stored)
        return std::monostate();
    return Classify(settings.value(*stored), typed);
}

void Write(QSettings& settings, const std::string& section, const std::string& key, const QVariant& value)
{
    const std::optional<QStringList> parts = SectionParts(section);
    if (!parts || !UsableName(key))
        throw std::invalid_argument("Cannot store the setting \"" + key + "\" of \"" + section +
                                    "\": names must not be empty or hold \"/\"");
    TGroupScope scope(settings);
    scope.EnterForWriting(*parts);
    const QString name = FromUtf8(key);
    settings.setValue(FindCaseless(settings.childKeys(), name).value_or(name), value);
}

} // namespace

TQtSettingsStore::TQtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QString::fromLatin1(organizationName),
                                            QString::fromLatin1(applicationName)))
{
#ifdef Q_OS_WIN
    typed_ = true;
#endif
    // Only the program's own key: no organization-wide or system-wide values.
    settings_->setFallbacksEnabled(false);
}

TQtSettingsStore::TQtSettingsStore(const std::string& iniPath)
    : settings_(std::make_unique<QSettings>(FromUtf8(iniPath), QSettings::IniFormat))
{
    settings_->setFallbacksEnabled(false);
}

TQtSettingsStore::~TQtSettingsStore()
{
    // QSettings reports a failed write through its status only.
    settings_->sync();
}

std::optional<int> TQtSettingsStore::FindInteger(const std::string& section, const std::string& key) const
{
    const TStoredValue value = Lookup(*settings_, typed_, section, key);
    if (const int* number = std::get_if<int>(&value))
        return *number;
    return std::nullopt;
}

std::optional<std::string> TQtSettingsStore::FindString(const std::string& section, const std::string& key) const
{
    TStoredValue value = Lookup(*settings_, typed_, section, key);
    if (std::string* text = std::get_if<std::string>(&value))
        return std::move(*text);
    return std::nullopt;
}

void TQtSettingsStore::WriteInteger(const std::string& section, const std::string& key, int value)
{
    Write(*settings_, section, key, QVariant(value));
}

void TQtSettingsStore::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    // A registry string carries its NUL already (QSettings writes REG_SZ with
    // it, and would turn a string holding another NUL into REG_BINARY); an
    // INI file keeps the NUL that marks the value as a text.
    Write(*settings_, section, key, FromUtf8(typed_ ? TextUpToTerminator(value) : TextWithTerminator(value)));
}

bool TQtSettingsStore::ValueExists(const std::string& section, const std::string& key) const
{
    const std::optional<QStringList> parts = SectionParts(section);
    if (!parts || !UsableName(key))
        return false;
    TGroupScope scope(*settings_);
    return scope.EnterExisting(*parts) && FindCaseless(settings_->childKeys(), FromUtf8(key)).has_value();
}

bool TQtSettingsStore::DeleteValue(const std::string& section, const std::string& key)
{
    const std::optional<QStringList> parts = SectionParts(section);
    if (!parts || !UsableName(key))
        return false;
    TGroupScope scope(*settings_);
    if (!scope.EnterExisting(*parts))
        return false;
    // Every spelling of the name goes, or a second one would take its place.
    bool deleted = false;
    const QString name = FromUtf8(key);
    for (const QString& stored : settings_->childKeys())
        if (stored.compare(name, Qt::CaseInsensitive) == 0) {
            settings_->remove(stored);
            deleted = true;
        }
    return deleted;
}

void TQtSettingsStore::EraseSection(const std::string& section)
{
    std::optional<QStringList> parts = SectionParts(section);
    if (!parts || parts->isEmpty())
        return;
    const QString last = parts->takeLast();
    TGroupScope scope(*settings_);
    if (!scope.EnterExisting(*parts))
        return;
    // remove() of a group takes its values and nested groups with it.
    for (const QString& stored : settings_->childGroups())
        if (stored.compare(last, Qt::CaseInsensitive) == 0)
            settings_->remove(stored);
}

std::vector<std::string> TQtSettingsStore::ValueNames(const std::string& section) const
{
    std::vector<std::string> names;
    const std::optional<QStringList> parts = SectionParts(section);
    if (!parts)
        return names;
    TGroupScope scope(*settings_);
    if (!scope.EnterExisting(*parts))
        return names;
    QStringList stored = settings_->childKeys();
    std::sort(stored.begin(), stored.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    for (const QString& name : stored)
        names.push_back(name.toStdString());
    return names;
}

bool TQtSettingsStore::Flush()
{
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

std::string TQtSettingsStore::Problem() const
{
    switch (settings_->status()) {
    case QSettings::NoError:
        return {};
    case QSettings::AccessError:
        return "The settings could not be written to " + Location() + ".";
    case QSettings::FormatError:
        return "The settings in " + Location() + " are damaged; only what could be read is used.";
    }
    return {};
}

std::string TQtSettingsStore::Location() const
{
    return settings_->fileName().toStdString();
}

} // namespace fl
