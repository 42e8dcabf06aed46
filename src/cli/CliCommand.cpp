#include "CliCommand.h"

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>

#include "engine/Clock.h"
#include "engine/LanguageKeys.h"
#include "engine/NewNamePipeline.h"
#include "engine/OptionLists.h"
#include "engine/TextConvert.h"
#include "execute/Journal.h"
#include "execute/JournalReader.h"
#include "execute/OptionSection.h"
#include "execute/PassLock.h"
#include "execute/RenameOptionsControls.h"
#include "execute/RenamePass.h"
#include "execute/RenameTarget.h"
#include "execute/Undo.h"
#include "filelist/CollectFolder.h"
#include "filelist/FileList.h"
#include "filelist/PathListImport.h"
#include "filelist/PathResolver.h"
#include "settings/IniFile.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgram = "tolvane-cli: ";

// The options as --profile and --set leave them; false (after a message) when the
// profile cannot be read or a --set value is refused.
bool EffectiveOptions(const CliArguments& arguments, const Settings& settings,
                      const TextSource& texts, std::ostream& err,
                      std::unique_ptr<RenameOptionsControls>& controls, RenameOptions& options) {
    const RegexPresetList regexPresets =
        BuildRegexPresetList(settings.Text(keys::kUserRegex), texts);
    const std::vector<std::wstring> templatePresets =
        BuildTemplatePresetList(settings.Text(keys::kUserTemplates), texts);
    options = RenameOptions::WindowDefaults();
    controls = std::make_unique<RenameOptionsControls>(options,
                                                       static_cast<int>(regexPresets.items.size()),
                                                       static_cast<int>(templatePresets.size()));
    if (arguments.profile) {
        const fs::path profile(*arguments.profile);
        std::string problem;
        const IniFile document = IniFile::Load(profile, &problem);
        if (!problem.empty()) {
            err << kProgram << "--profile " << *arguments.profile << ": " << problem << "\n";
            return false;
        }
        std::error_code ec;
        if (!fs::exists(profile, ec)) {
            err << kProgram << "warning: profile " << *arguments.profile
                << " does not exist; every option is cleared\n";
        } else if (!document.HasSection(kProfileSection)) {
            err << kProgram << "warning: profile " << *arguments.profile
                << " has no section [set]; every option is cleared\n";
        }
        LoadOptionSection(*controls, document, kProfileSection);
    }
    for (const ControlSetting& setting : arguments.settings) {
        if (auto refused = SetControlValue(*controls, setting.id, ToWide(setting.value))) {
            err << kProgram << "--set " << setting.argument << ": " << *refused << "\n";
            return false;
        }
    }
    if (arguments.rightToLeft)
        options.deleteDirection = DeleteDirection::RightToLeft;
    return true;
}

// Adds the PATH arguments and --list files in order; false when one of them was missing.
bool AddSources(const CliArguments& arguments, const RenameOptions& options,
                const NewNamePipeline& pipeline, FileList& list, std::ostream& err) {
    FileList::AddOptions add;
    // A preview always computes new names and keeps the order of the arguments.
    add.pipeline = &pipeline;
    bool allFound = true;
    for (const CliArguments::Source& source : arguments.sources) {
        if (source.isList) {
            std::string problem;
            const std::vector<std::wstring> paths =
                source.value == "-" ? ReadPathListDescriptor(STDIN_FILENO, &problem)
                                    : ReadPathListFile(fs::path(source.value),
                                                       RelativeLines::FromWorkingFolder, &problem);
            if (!problem.empty()) {
                err << kProgram << "--list " << source.value << ": " << problem << "\n";
                allFound = false;
                continue;
            }
            list.AddPaths(paths, add);
            continue;
        }
        std::string reason;
        const std::wstring path = ResolveArgumentPath(source.value, &reason);
        if (path.empty()) {
            err << kProgram << source.value << ": " << reason << "\n";
            allFound = false;
            continue;
        }
        list.AddPaths(BatchForOnePath(path, options.includeSubfolders, options.renameFolders), add);
    }
    return allFound;
}

// Each row's path and new name; after a pass also its status and the reason of a
// failure. A preview marks the rows a pass would refuse (`refusedText` and the reason),
// as the window's preview does.
void PrintRows(const FileList& list, bool withStatus, const std::wstring& refusedText,
               std::ostream& out) {
    std::string line;
    for (size_t r = 0; r < list.RowCount(); ++r) {
        const FileItem& row = list.Row(r);
        line = EscapeForLine(ToNarrow(list.FullPath(r)));
        line += '\t';
        line += EscapeForLine(ToNarrow(row.newName));
        if (withStatus) {
            line += '\t';
            line += EscapeForLine(ToNarrow(row.status));
            if (!row.statusTip.empty()) {
                line += '\t';
                line += EscapeForLine(ToNarrow(row.statusTip));
            }
        } else if (const RenameTarget target = TargetOf(row.name, row.newName);
                   target.kind == RenameTarget::Kind::Refused) {
            line += '\t';
            line += EscapeForLine(ToNarrow(refusedText));
            line += '\t';
            line += EscapeForLine(ToNarrow(target.reason));
        }
        line += '\n';
        out << line;
    }
}

// What a person can do when another pass or undo holds the lock.
const char* LockAdvice(const PassLock& lock) {
    return lock.Status() == PassLock::State::Busy ? "; try again when it has finished" : "";
}

int Undo(const PassTexts& texts, std::ostream& out, std::ostream& err) {
    PosixFileSystem fileSystem;
    const fs::path folder = Journal::DefaultFolder();
    // From before the journal is read until the undo is noted there: another copy
    // moving the same files in between would strand them under temporary names.
    const PassLock lock(folder, PassLock::Wait());
    if (!lock.Held()) {
        err << kProgram << "cannot undo: " << ToNarrow(lock.Error()) << "; nothing was moved"
            << LockAdvice(lock) << "\n";
        return 1;
    }
    const UndoablePass latest = LatestUndoablePass(folder, fileSystem);
    if (!latest.error.empty()) {
        err << kProgram << "cannot undo: the journal " << ToNarrow(latest.error)
            << "; nothing was moved\n";
        return 1;
    }
    if (!latest.pass) {
        err << kProgram << "nothing to undo: the journal in " << folder.string()
            << " holds no pass that is not reverted\n";
        return 1;
    }
    const UndoResult result = UndoJournalPass(*latest.pass, fileSystem);
    for (const UndoResult::Line& line : result.lines) {
        out << EscapeForLine(line.newPath) << '\t' << EscapeForLine(line.oldPath) << '\t'
            << ToNarrow(line.error.empty() ? texts.success : texts.failure);
        if (!line.error.empty())
            out << '\t' << EscapeForLine(ToNarrow(line.error));
        out << '\n';
    }
    out << ToNarrow(texts.successLabel) << ' ' << result.reverted << ", "
        << ToNarrow(texts.failureLabel) << ' ' << result.failed << '\n';
    if (!result.journalError.empty()) {
        err << kProgram << ToNarrow(result.journalError)
            << ", so the next --undo will take this pass again\n";
        return 1;
    }
    return result.failed == 0 ? 0 : 1;
}

}  // namespace

int RunCli(const CliArguments& arguments, std::ostream& out, std::ostream& err) {
    // The user's settings and language, read as the window reads them. tolvane-cli
    // writes neither the settings file nor anything but the journal of its renames.
    const SettingsPaths paths = LocateSettings();
    std::string problem;
    IniFile::Load(paths.settingsFile, &problem);
    if (!problem.empty()) {
        err << kProgram << "warning: settings file " << paths.settingsFile.string() << ": "
            << problem << "; the defaults are used\n";
    }
    const Settings settings(paths.settingsFile);
    const LanguageChoice language =
        ChooseLanguage(settings, LanguageIdOfEnvironment(), paths.languageFolder);
    problem.clear();
    const Language texts(language.file, &problem);
    if (!problem.empty()) {
        err << kProgram << "warning: language file " << language.file.string() << ": " << problem
            << "; the built-in texts are used\n";
    }
    const PassTexts passTexts = PassTexts::From(texts);

    if (arguments.undo)
        return Undo(passTexts, out, err);

    RenameOptions options;
    std::unique_ptr<RenameOptionsControls> controls;
    if (!EffectiveOptions(arguments, settings, texts, err, controls, options))
        return 2;

    if (arguments.saveProfile) {
        // Other sections and keys of the file stay: it is read first, and only what
        // could be read whole may be replaced.
        const fs::path target(*arguments.saveProfile);
        std::string unreadable;
        IniFile document = IniFile::Load(target, &unreadable);
        if (!unreadable.empty()) {
            err << kProgram << "--save-profile " << *arguments.saveProfile << ": " << unreadable
                << "\n";
            return 2;
        }
        SaveOptionSection(*controls, document, kProfileSection);
        if (!document.Save(target)) {
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
    if (pipeline.PatternInvalid()) {
        err << kProgram << "warning: the find text 1045 is not a valid "
            << (options.useRegex ? "regular expression" : "wildcard pattern") << " ("
            << ToNarrow(pipeline.PatternError()) << "); names are left as they are by it\n";
    }
    FileList list;
    int status = AddSources(arguments, options, pipeline, list, err) ? 0 : 1;

    std::optional<PassResult> pass;
    if (arguments.apply) {
        if (pipeline.PatternGaveUp()) {
            err << kProgram << "the find pattern ran away and was given up, so some new "
                << "names are incomplete; nothing was renamed\n";
            return 1;
        }
        // From before the files are identified until the pass is journalled.
        const PassLock lock(Journal::DefaultFolder(), PassLock::Wait());
        if (!lock.Held()) {
            err << kProgram << ToNarrow(lock.Error()) << "; nothing was renamed" << LockAdvice(lock)
                << "\n";
            return 1;
        }
        UndoRecord undo;
        PosixFileSystem fileSystem;
        pass = ExecuteRenames(list, undo, passTexts, fileSystem, Journal::DefaultFolder());
        if (pass && !pass->journalWritten) {
            err << kProgram << "the journal in " << Journal::DefaultFolder().string()
                << " could not be written (" << ToNarrow(pass->journalError)
                << "), so nothing was renamed\n";
        }
        if (pass && pass->failed > 0)
            status = 1;
    }

    // With --apply the rows still show their old paths, as the window's list does
    // until it is refreshed.
    PrintRows(list, arguments.apply, texts.Lookup("nameRefused", BuiltInText("nameRefused")), out);
    if (pass)
        out << ToNarrow(pass->summary) << '\n';
    out.flush();
    if (!out) {
        err << kProgram << "the output could not be written\n";
        return 1;
    }
    if (pipeline.PatternGaveUp()) {
        err << kProgram << "warning: the find pattern ran away and was given up; "
            << "the name it ran away on and the ones after it are not replaced\n";
    }
    return status;
}

}  // namespace tolvane
