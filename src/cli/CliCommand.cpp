#include "CliCommand.h"

#include <filesystem>
#include <memory>
#include <ostream>

#include "engine/Clock.h"
#include "engine/NewNamePipeline.h"
#include "engine/OptionLists.h"
#include "engine/TextConvert.h"
#include "execute/OptionSection.h"
#include "execute/RenameOptionsControls.h"
#include "filelist/CollectFolder.h"
#include "filelist/FileList.h"
#include "filelist/PathListImport.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgram = "tolvane-cli: ";

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

    const NewNamePipeline pipeline(options, *clock,
                                   PipelineTexts{AnchorSideItems(texts), BeforeWord(texts)});
    FileList list;
    FileList::AddOptions add;
    // A preview always computes new names and keeps the order of the arguments.
    add.pipeline = &pipeline;
    int status = 0;
    for (const CliArguments::Source& source : arguments.sources) {
        if (source.isList) {
            std::error_code ec;
            if (!fs::is_regular_file(fs::path(source.value), ec)) {
                err << kProgram << "--list " << source.value << ": no such file\n";
                status = 1;
                continue;
            }
            list.AddPaths(ReadPathListFile(fs::path(source.value)), add);
            continue;
        }
        std::string reason;
        const std::wstring path = ResolveArgumentPath(source.value, &reason);
        if (path.empty()) {
            err << kProgram << source.value << ": " << reason << "\n";
            status = 1;
            continue;
        }
        list.AddPaths(BatchForOnePath(path, options.includeSubfolders, options.renameFolders), add);
    }

    std::string line;
    for (size_t r = 0; r < list.RowCount(); ++r) {
        line = EscapeForLine(ToNarrow(list.FullPath(r)));
        line += '\t';
        line += EscapeForLine(ToNarrow(list.Row(r).newName));
        line += '\n';
        out << line;
    }
    out.flush();
    if (!out) {
        err << kProgram << "the output could not be written\n";
        return 1;
    }
    if (pipeline.PatternGaveUp()) {
        err << kProgram << "warning: the find pattern was too slow and was given up; "
            << "the names after the first few it took too long on are not replaced\n";
    }
    return status;
}

}  // namespace tolvane
