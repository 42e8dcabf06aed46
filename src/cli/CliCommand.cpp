#include "CliCommand.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <unordered_set>

#include "engine/Clock.h"
#include "engine/OptionLists.h"
#include "engine/Recompute.h"
#include "engine/TextConvert.h"
#include "execute/OptionSection.h"
#include "execute/RenameOptionsControls.h"
#include "filelist/CollectFolder.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgram = "tolvane-cli: ";

// An argument as a full path: relative to the working folder, "." and ".." resolved
// in the text, no trailing '/', so that one file given two ways is one row.
std::wstring FullPathOf(const std::string& argument) {
    fs::path path(argument);
    if (path.is_relative()) {
        std::error_code ec;
        path = fs::current_path(ec) / path;
    }
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return ToWide(text);
}

struct Rows {
    std::vector<std::wstring> names;
    std::vector<std::wstring> folders;
    std::unordered_set<std::wstring> registry;

    void Add(const std::vector<std::wstring>& batch) {
        for (const std::wstring& path : batch) {
            if (!registry.insert(path).second)
                continue;
            SplitPathResult split = SplitFullPath(path);
            names.push_back(std::move(split.name));
            folders.push_back(std::move(split.folder));
        }
    }
};

}  // namespace

std::string EscapeForLine(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

int RunCli(const CliArguments& arguments, std::ostream& out, std::ostream& err) {
    // The user's settings and language, read as the window reads them; nothing is written.
    const SettingsPaths paths = LocateSettings();
    const Settings settings(paths.settingsFile);
    const Language texts(
        ChooseLanguage(settings, LanguageIdOfEnvironment(), paths.languageFolder).file);
    const RegexPresetList regexPresets =
        BuildRegexPresetList(settings.Text(keys::kUserRegex), texts);
    const std::vector<std::wstring> templatePresets =
        BuildTemplatePresetList(settings.Text(keys::kUserTemplates), texts);

    RenameOptions options = RenameOptions::WindowDefaults();
    RenameOptionsControls controls(options, static_cast<int>(regexPresets.items.size()),
                                   static_cast<int>(templatePresets.size()));
    if (arguments.profile) {
        const fs::path profile(*arguments.profile);
        std::error_code ec;
        if (!fs::exists(profile, ec)) {
            err << kProgram << "warning: profile " << *arguments.profile
                << " does not exist; every option is cleared\n";
        }
        LoadOptionSection(controls, kProfileSection, profile);
    }
    for (const ControlSetting& setting : arguments.settings) {
        if (auto refused = SetControlValue(controls, setting.id, ToWide(setting.value))) {
            err << kProgram << "--set " << setting.argument << ": " << *refused << "\n";
            return 2;
        }
    }
    if (arguments.rightToLeft)
        options.deleteDirection = DeleteDirection::RightToLeft;

    if (arguments.saveProfile) {
        if (!SaveOptionSection(controls, kProfileSection, fs::path(*arguments.saveProfile))) {
            err << kProgram << "--save-profile " << *arguments.saveProfile
                << ": the file could not be written\n";
            return 1;
        }
        return 0;
    }

    std::unique_ptr<Clock> clock;
    if (arguments.now) {
        const auto fixed = ParseLocalTime(*arguments.now);
        if (!fixed) {
            err << kProgram << "--now " << *arguments.now
                << ": expected a local time as \"YYYY-MM-DD HH:MM:SS\"\n";
            return 2;
        }
        clock = std::make_unique<FixedClock>(*fixed);
    } else {
        clock = std::make_unique<SystemClock>();
    }

    int status = 0;
    Rows rows;
    for (const std::string& argument : arguments.paths) {
        const std::wstring path = argument.empty() ? std::wstring() : FullPathOf(argument);
        std::vector<std::wstring> batch;
        if (!path.empty() && IsFolder(path)) {
            CollectFolder(path, options.includeSubfolders, options.renameFolders, batch);
        } else if (!path.empty() && PathExists(path)) {
            batch.push_back(path);
        } else {
            err << kProgram << argument << ": no such file or folder\n";
            status = 1;
            continue;
        }
        rows.Add(batch);
    }

    std::vector<NameRow> nameRows;
    nameRows.reserve(rows.names.size());
    for (size_t i = 0; i < rows.names.size(); ++i)
        nameRows.push_back({rows.names[i], rows.folders[i]});

    const NewNamePipeline pipeline(options, *clock,
                                   PipelineTexts{AnchorSideItems(texts), BeforeWord(texts)});
    ItemCounter counter;
    const RecomputeResult result = RecomputeAllNewNames(nameRows, pipeline, counter);

    std::string line;
    for (size_t i = 0; i < nameRows.size(); ++i) {
        line = EscapeForLine(ToNarrow(JoinPath(rows.folders[i], rows.names[i])));
        line += '\t';
        line += EscapeForLine(ToNarrow(result.newNames[i]));
        line += '\n';
        out << line;
    }
    out.flush();
    return status;
}

}  // namespace tolvane
