#include "workflow/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>
#include <vector>

namespace vextal {

namespace {

// A settings file larger than this is not ours; it reads as unreadable.
constexpr std::size_t MaxSettingsFileBytes = 1 << 20;

constexpr const char* OptionsSection = "Options";
constexpr const char* WindowSizeSection = "WindowSize";
constexpr const char* FilenamesSection = "Filenames";

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

std::string RecentKey(int index) {
    std::string key = "#";
    key += std::to_string(index + 1);
    return key;
}

// The file as sections of lines, kept verbatim so that a rewrite only touches
// the keys this program owns.
class IniText {
public:
    explicit IniText(std::string_view text) {
        if (text.substr(0, 3) == "\xEF\xBB\xBF")
            text.remove_prefix(3);
        bool inSection = false;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find_first_of("\r\n", start);
            if (end == std::string_view::npos)
                end = text.size();
            const std::string_view line = text.substr(start, end - start);
            start = end;
            if (start < text.size() && text[start] == '\r')
                ++start;
            if (start < text.size() && text[start] == '\n')
                ++start;

            const std::string_view trimmed = Trim(line);
            if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
                sections_.push_back({std::string(Trim(trimmed.substr(1, trimmed.size() - 2))), {}, false});
                inSection = true;
            } else if (inSection) {
                sections_.back().Lines.emplace_back(line);
            } else {
                preamble_.emplace_back(line);
            }
        }
    }

    std::optional<std::string> Value(std::string_view section, std::string_view key) const {
        const Section* found = FindSection(section);
        if (found == nullptr)
            return std::nullopt;
        for (const std::string& line : found->Lines)
            if (std::optional<std::string_view> value = ValueOf(line, key))
                return Unquoted(*value);
        return std::nullopt;
    }

    void Set(std::string_view section, std::string_view key, const std::string& value) {
        Section* target = FindSection(section);
        if (target == nullptr) {
            sections_.push_back({std::string(section), {}, true});
            target = &sections_.back();
        }
        const std::string line = std::string(key) + "=" + Quoted(value);
        for (std::string& existing : target->Lines)
            if (ValueOf(existing, key)) {
                existing = line;
                return;
            }
        // New keys go after the section's last non-empty line.
        auto position = target->Lines.end();
        while (position != target->Lines.begin() && Trim(*(position - 1)).empty())
            --position;
        target->Lines.insert(position, line);
    }

    std::string Text() const {
        std::string out;
        const auto append = [&out](std::string_view line) {
            out.append(line);
            out.append("\r\n");
        };
        for (const std::string& line : preamble_)
            append(line);
        for (const Section& section : sections_) {
            // A new section is set off by an empty line; the old ones keep their layout.
            if (section.Added && !out.empty() && !out.ends_with("\r\n\r\n"))
                append("");
            append("[" + section.Name + "]");
            for (const std::string& line : section.Lines)
                append(line);
        }
        return out;
    }

private:
    struct Section {
        std::string Name;
        std::vector<std::string> Lines;
        bool Added;  // not in the previous text
    };

    const Section* FindSection(std::string_view name) const {
        for (const Section& section : sections_)
            if (SameName(section.Name, name))
                return &section;
        return nullptr;
    }
    Section* FindSection(std::string_view name) {
        return const_cast<Section*>(std::as_const(*this).FindSection(name));
    }

    // The value of `line` when it is the entry for `key`; comments never are.
    static std::optional<std::string_view> ValueOf(std::string_view line, std::string_view key) {
        const std::string_view trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() == ';')
            return std::nullopt;
        const std::size_t equals = trimmed.find('=');
        if (equals == std::string_view::npos || !SameName(Trim(trimmed.substr(0, equals)), key))
            return std::nullopt;
        return Trim(trimmed.substr(equals + 1));
    }

    // Values with blanks at either end, or that look quoted, are written in
    // double quotes so that reading gives them back unchanged.
    static std::string Quoted(const std::string& value) {
        if (value.empty())
            return value;
        const bool needsQuotes = Trim(value).size() != value.size() ||
                                 (value.size() >= 2 && value.front() == '"' && value.back() == '"');
        return needsQuotes ? "\"" + value + "\"" : value;
    }
    static std::string Unquoted(std::string_view value) {
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }

    std::vector<std::string> preamble_;
    std::vector<Section> sections_;
};

// A whole number in 0..INT32_MAX, else 0.
int SizeValue(std::string_view text) {
    text = Trim(text);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0)
        return 0;
    return value;
}

bool FlagValue(std::string_view text) {
    text = Trim(text);
    return SameName(text, "T") || SameName(text, "true") || text == "1";
}

// A value that fits on one line; anything else is stored empty.
std::string OneLine(const std::string& value) {
    return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos ? value : std::string();
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text(MaxSettingsFileBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad())
        return std::nullopt;
    const std::size_t count = static_cast<std::size_t>(in.gcount());
    if (count > MaxSettingsFileBytes)
        return std::nullopt;
    text.resize(count);
    return text;
}

int WriteAll(int descriptor, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(descriptor, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

} // namespace

ProgramSettings DefaultProgramSettings(char systemDecimalSeparator, const std::string& programFolder) {
    ProgramSettings settings;
    settings.DecimalSeparator = systemDecimalSeparator;
    settings.VextalFolder = programFolder;
    settings.ImportFolder = programFolder;
    return settings;
}

ProgramSettings ReadSettingsText(std::string_view text, const ProgramSettings& defaults) {
    const IniText ini(text);
    ProgramSettings settings = defaults;
    if (const auto separator = ini.Value(OptionsSection, "DecimalSeparator"))
        settings.DecimalSeparator = *separator == "." ? '.' : ',';
    if (const auto folder = ini.Value(OptionsSection, "Vextal folder"))
        settings.VextalFolder = *folder;
    if (const auto folder = ini.Value(OptionsSection, "Import folder"))
        settings.ImportFolder = *folder;
    if (const auto hints = ini.Value(OptionsSection, "ShowNewUserHints"))
        settings.ShowNewUserHints = FlagValue(*hints);
    if (const auto width = ini.Value(WindowSizeSection, "Width"))
        settings.Width = SizeValue(*width);
    if (const auto height = ini.Value(WindowSizeSection, "Height"))
        settings.Height = SizeValue(*height);
    for (int index = 0; index < RecentFileCount; ++index)
        if (const auto path = ini.Value(FilenamesSection, RecentKey(index)))
            settings.RecentFiles[static_cast<std::size_t>(index)] = *path;
    return settings;
}

std::string WriteSettingsText(const ProgramSettings& settings, std::string_view previousText) {
    IniText ini(previousText);
    ini.Set(OptionsSection, "DecimalSeparator", std::string(1, settings.DecimalSeparator));
    ini.Set(OptionsSection, "Vextal folder", OneLine(settings.VextalFolder));
    ini.Set(OptionsSection, "Import folder", OneLine(settings.ImportFolder));
    ini.Set(OptionsSection, "ShowNewUserHints", settings.ShowNewUserHints ? "T" : "F");
    ini.Set(WindowSizeSection, "Width", std::to_string(settings.Width));
    ini.Set(WindowSizeSection, "Height", std::to_string(settings.Height));
    for (int index = 0; index < RecentFileCount; ++index)
        ini.Set(FilenamesSection, RecentKey(index), OneLine(settings.RecentFiles[static_cast<std::size_t>(index)]));
    return ini.Text();
}

ProgramSettings ReadSettingsFile(const std::string& path, const ProgramSettings& defaults) {
    const std::optional<std::string> text = ReadWholeFile(path);
    return text ? ReadSettingsText(*text, defaults) : defaults;
}

int WriteSettingsFile(const std::string& path, const ProgramSettings& settings) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path target(path);
    if (fs::is_symlink(target, error)) {
        const fs::path resolved = fs::weakly_canonical(target, error);
        if (!error)
            target = resolved;
    }
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), error);

    const std::optional<std::string> previous = ReadWholeFile(target.string());
    const std::string text = WriteSettingsText(settings, previous.value_or(std::string()));

    std::string temporary = target.string() + ".XXXXXX";
    const int descriptor = ::mkstemp(temporary.data());
    if (descriptor < 0)
        return errno;
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0)
        ::fchmod(descriptor, existing.st_mode & 07777);
    int result = WriteAll(descriptor, text);
    if (result == 0 && ::fsync(descriptor) != 0)
        result = errno;
    if (::close(descriptor) != 0 && result == 0)
        result = errno;
    if (result == 0 && std::rename(temporary.c_str(), target.c_str()) != 0)
        result = errno;
    if (result != 0)
        ::unlink(temporary.c_str());
    return result;
}

WindowSize StartWindowSize(const ProgramSettings& settings, int screenWidth, int screenHeight) {
    if (settings.Width <= 0 || settings.Height <= 0)
        return {640, 480};
    WindowSize size{settings.Width, settings.Height};
    if (screenWidth > 0)
        size.Width = std::min(size.Width, screenWidth);
    if (screenHeight > 0)
        size.Height = std::min(size.Height, screenHeight);
    return size;
}

} // namespace vextal
