#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "SettingsKeys.h"

namespace tolvane {

// Where Tolvane.ini and the language folder are.
struct SettingsPaths {
    std::filesystem::path settingsFile;
    std::filesystem::path languageFolder;
};

// The folder of the running executable.
std::filesystem::path ExecutableFolder();

// Reads one variable of the environment; none when it is not set.
using GetEnv = std::function<std::optional<std::string>(const char*)>;
std::optional<std::string> ProcessEnvironment(const char* name);

// A base folder of the user's as the XDG rules name it: `variable` when it holds an
// absolute path (a relative one is ignored), else $HOME/`underHome`; empty when
// neither is known.
std::filesystem::path XdgFolder(const char* variable, const char* underHome,
                                const GetEnv& getEnv = ProcessEnvironment);

// Tolvane.ini beside the executable when it exists there (portable use), else
// $XDG_CONFIG_HOME/tolvane/Tolvane.ini (default ~/.config/tolvane). The language
// folder is Language/ beside the executable when present, else
// <prefix>/share/tolvane/Language with <prefix> the executable's parent folder.
SettingsPaths LocateSettings(const std::filesystem::path& executableFolder, const GetEnv& getEnv);
SettingsPaths LocateSettings();

// Reads and writes Tolvane.ini key by key. Nothing is cached: every read sees the
// file as it is at that moment, so a value written by the settings dialog reaches
// the next reader at once. A missing or unreadable file reads as empty; a failed
// write changes nothing and returns false.
class Settings {
  public:
    explicit Settings(std::filesystem::path file);

    const std::filesystem::path& File() const { return file_; }
    bool FileExists() const;

    std::wstring Text(const SettingKey& key) const;
    int Number(const SettingKey& key) const;
    // The flag by the key's own rule, or by `rule` (the settings dialog's, say).
    bool Flag(const SettingKey& key) const;
    bool Flag(const SettingKey& key, ValueRule rule) const;
    bool Write(const SettingKey& key, std::wstring_view value) const;

    // Keys that are control ids ("remind", "lastSet").
    std::wstring Read(std::wstring_view section, std::wstring_view key) const;
    bool Write(std::wstring_view section, std::wstring_view key, std::wstring_view value) const;

  private:
    std::filesystem::path file_;
};

// Applies a flag rule to a stored text.
bool ReadFlag(std::wstring_view value, ValueRule rule);

// What the window's set-up reads and writes of Tolvane.ini before the window is
// shown, in the order of the first-run handling: the first-run defaults of the
// history size and the toolbar, the history, the user lists, the last options,
// the toolbar, the first-run defaults of the user lists, the window size.
struct StartupSettings {
    bool firstRun = false;
    int remindCount = 0;
    bool loadHistory = false;    // remindCount > 0
    std::wstring userRegex;      // read before a first run writes the defaults,
    std::wstring userTemplates;  // so these show from the second start on
    bool fileExisted = false;    // when the last-options block ran
    bool loadLastSet = false;
    std::optional<bool> hasLastSet;  // none: the file did not exist, keep the button as it is
    bool showToolbar = true;
    int width = 0;
    int height = 0;
};

StartupSettings RunStartupSettings(const Settings& settings);

}  // namespace tolvane
