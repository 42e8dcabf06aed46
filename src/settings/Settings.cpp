#include "Settings.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "IniFile.h"
#include "engine/StringOps.h"

namespace tolvane {

namespace fs = std::filesystem;

fs::path ExecutableFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return fs::current_path(ec);
    return self.parent_path();
}

std::optional<std::string> ProcessEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

fs::path XdgFolder(const char* variable, const char* underHome, const GetEnv& getEnv) {
    if (auto set = getEnv(variable); set && !set->empty() && set->front() == '/')
        return *set;
    if (auto home = getEnv("HOME"); home && !home->empty())
        return fs::path(*home) / underHome;
    return {};
}

SettingsPaths LocateSettings(const fs::path& executableFolder, const GetEnv& getEnv) {
    SettingsPaths paths;
    std::error_code ec;
    const fs::path portable = executableFolder / "Tolvane.ini";
    if (fs::exists(portable, ec)) {
        paths.settingsFile = portable;
    } else {
        fs::path config = XdgFolder("XDG_CONFIG_HOME", ".config", getEnv);
        if (config.empty())
            config = executableFolder;
        paths.settingsFile = config / "tolvane" / "Tolvane.ini";
    }
    const fs::path beside = executableFolder / "Language";
    paths.languageFolder = fs::is_directory(beside, ec)
                               ? beside
                               : executableFolder.parent_path() / "share" / "tolvane" / "Language";
    return paths;
}

SettingsPaths LocateSettings() {
    return LocateSettings(ExecutableFolder(), ProcessEnvironment);
}

bool ReadFlag(std::wstring_view value, ValueRule rule) {
    switch (rule) {
        case ValueRule::ExactlyOne: return value == L"1";
        case ValueRule::NotZero: return value != L"0";
        case ValueRule::Number: return ReadDecimalPrefix(value) != 0;
        case ValueRule::Text: return !value.empty();
    }
    return false;
}

Settings::Settings(fs::path file) : file_(std::move(file)) {}

bool Settings::FileExists() const {
    std::error_code ec;
    return fs::exists(file_, ec);
}

std::wstring Settings::Read(std::wstring_view section, std::wstring_view key) const {
    return IniFile::ReadValue(file_, section, key);
}

bool Settings::Write(std::wstring_view section, std::wstring_view key,
                     std::wstring_view value) const {
    std::error_code ec;
    // The settings folder under ~/.config may not exist yet on a first run.
    fs::create_directories(file_.parent_path(), ec);
    return IniFile::WriteValue(file_, section, key, value);
}

std::wstring Settings::Text(const SettingKey& key) const {
    return Read(key.section, key.key);
}

int Settings::Number(const SettingKey& key) const {
    return ReadDecimalPrefix(Text(key));
}

bool Settings::Flag(const SettingKey& key) const {
    return Flag(key, key.rule);
}

bool Settings::Flag(const SettingKey& key, ValueRule rule) const {
    return ReadFlag(Text(key), rule);
}

bool Settings::Write(const SettingKey& key, std::wstring_view value) const {
    return Write(key.section, key.key, value);
}

StartupSettings RunStartupSettings(const Settings& settings) {
    StartupSettings s;
    // 1. A first run stores the history size and hides the toolbar at once, so the
    //    reads below already see them.
    s.firstRun = settings.Text(keys::kIsFirstRun).empty();
    if (s.firstRun) {
        settings.Write(keys::kRemindCount, L"5");
        settings.Write(keys::kShowToolbar, L"0");
    }
    // 2. The history is loaded only when it keeps records.
    s.remindCount = settings.Number(keys::kRemindCount);
    s.loadHistory = s.remindCount > 0;
    // 3. The user's own patterns and templates.
    s.userRegex = settings.Text(keys::kUserRegex);
    s.userTemplates = settings.Text(keys::kUserTemplates);
    // 4. The last options, only when the file exists.
    s.fileExisted = settings.FileExists();
    if (s.fileExisted) {
        s.loadLastSet = settings.Flag(keys::kLoadLastSet);
        s.hasLastSet = settings.Flag(keys::kHasLastSet);
    }
    // 5. The toolbar.
    s.showToolbar = settings.Flag(keys::kShowToolbar);
    // 6. The first run's defaults of the user lists, after step 3 has read them.
    if (s.firstRun) {
        settings.Write(keys::kIsFirstRun, L"1");
        settings.Write(keys::kUserRegex, kDefaultUserRegex);
        settings.Write(keys::kUserTemplates, kDefaultUserTemplates);
    }
    // 7. The window size.
    s.width = settings.Number(keys::kWidth);
    s.height = settings.Number(keys::kHeight);
    return s;
}

}  // namespace tolvane
