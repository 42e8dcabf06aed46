#include "CliArguments.h"

#include <cstddef>

namespace tolvane {

namespace {

bool ParseSetting(const std::string& text, ControlSetting& setting) {
    const size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0 || eq > 9)
        return false;
    int id = 0;
    for (size_t i = 0; i < eq; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        id = id * 10 + (text[i] - '0');
    }
    setting.id = id;
    setting.value = text.substr(eq + 1);
    return true;
}

}  // namespace

std::string CliUsage() {
    return R"(Usage: tolvane-cli [OPTION]... [--apply] [--list FILE]... [--] PATH...
       tolvane-cli --undo
       tolvane-cli [-p FILE] [-s ID=VALUE]... --save-profile FILE
Preview the new names of files and folders, and with --apply rename them.

Each PATH is added as the window adds it: a folder contributes its files (or, by
the options 1033 and 1034, the files of its immediate subfolders, itself, or its
immediate subfolders), a file is one row. Rows keep the order of the arguments; the
items of a folder come in natural order of their names. A path given twice is listed
once. Output: one line per row, the full path, a tab and the new name; a backslash,
tab or line feed inside them is written as \\, \t or \n. A row whose new name is no
name (empty, longer than any file system takes, or only an extension where the name
had more, as when a template token has no value for the file) also holds the status
and the reason; --apply fails such a row and renames nothing for it.

Options:
  -p, --profile FILE     apply section "set" of the rename configuration FILE, as
                         importing it in the window does (a missing key clears
                         its control; a missing file or section clears them all)
  -s, --set ID=VALUE     set the option control with decimal id ID to VALUE:
                         text for edits and editable boxes, an index for lists
                         (-1 for none), 1 or 0 for check boxes and radio buttons,
                         numbers up to 2147483647 (serial digits 1067: up to 255);
                         repeatable, applied in order after --profile
      --list FILE        add the paths listed in FILE, one per line, as importing a
                         path list in the window does (UTF-8, UTF-16, or GB18030;
                         lines that name nothing are skipped); FILE may be a pipe,
                         such as <(find ...), and - reads standard input; at most
                         256 MiB; repeatable, in order with the PATH arguments
      --apply            rename every row whose new name differs, never over an
                         existing file; renames that depend on each other (a
                         swap, a numbered series shifted by one) are ordered so
                         that they succeed. Each line then also holds the status,
                         and for a failure the reason; a summary line follows
      --undo             revert the most recent --apply (or rename pass of the
                         window) recorded in the journal; again for the one before
      --r2l              delete from back to front (the direction link)
      --save-profile FILE
                         write the options (after --profile and --set) as section
                         "set" of FILE, as exporting a rename configuration does,
                         keeping every other section; then exit without listing
      --now "YYYY-MM-DD HH:MM:SS"
                         the local time used for dates and times in new names
  -h, --help             show this help and exit

Option controls (id: meaning), applied to each name in this order:
  1032 ignore extension: work on the name without its extension, put it back last
  1035 insert text; radios 1080 prefix, 1081 suffix, 1082 at position 1083 (1 is
       before the first character, -1 appends, 0 inserts nothing), 1086 before or
       after the text 1087 (1088: 0 before, 1 after)
  1045 find, 1046 replace with; 1095 on: a regular expression ($1, $& in the
       replacement); off: plain text, or wildcards when it holds * or ?
  radios 1099 delete from position 1050 (1 is the first character; 0 deletes
       nothing), 1100 from the locator text 1101; 1052 characters to delete; they
       go towards the end, or with --r2l the ones just before the position
  1073 conversion: 0 none, 1 extension upper, 2 extension lower, 3 upper, 4 lower,
       5 first letter upper, 6 一->1, 7 1->一, 8 traditional->simplified,
       9 simplified->traditional (letter case: ASCII letters only)
  1072 generated name, replacing the name: 0 none, 1 counter, 2 random string,
       3 date_counter, 4 date_random, 5 name_date
  1060 serial number, replacing the name: 1062 start, 1064 increment, 1067 digits
  1068 template, replacing the name built so far: <self> is that name, <name> the
       old one, <#> the serial number (or the counter), <r> <date> <time> <Y> <M>
       <D> <y> <m> <d>, <mdate> <mtime> <cdate> <ctime> of the file, <dir> its folder;
       read from the file itself (empty when it does not say): <edate> <etime> <EY>
       <EM> <ED> the capture date of a photo, <camera> <width> <height>, and the
       audio tags <artist> <album> <title> <genre> <year> <track>
  Last, the characters / \ : * ? " < > | are removed from every new name, so a name
  that holds them is renamed even when no option changes it.
  1033 include subfolders, 1034 rename folders: what a folder PATH contributes; a
  symbolic link inside it is an item of its own and is never entered.
  The preset lists 1089 and 1071 only record a selection; set 1045 or 1068 instead.
  A profile also holds 1130, 1090 and 1113 (boxes of the window with no effect on
  names), 1114 (text mode), 1118, 1074 (buttons, always 0) and 1136.

Settings come from Tolvane.ini beside the program, or else from
$XDG_CONFIG_HOME/tolvane/ (default ~/.config/tolvane/): the user's own patterns and
templates extend the preset lists 1089 and 1071. The language follows "language" in
that file, or the locale (LC_ALL, LC_MESSAGES, LANG) when it is not set.

The journal of rename passes is kept in $XDG_STATE_HOME/tolvane/ (default
~/.local/state/tolvane/), the last 20 passes.

A settings, language or profile file must be a regular file of at most 16 MiB; a
settings or language file that is not is warned about and left unused.

Exit status: 0 on success; 1 when a path or --list FILE did not exist or could not
be read, a rename failed (--apply), a file could not be moved back or there was
nothing to undo (--undo), or a file could not be written; 2 for a bad command line,
a value that a control cannot take, or a --profile or --save-profile FILE that is
no regular file of at most 16 MiB that we may read.
)";
}

CliParseResult ParseCliArguments(const std::vector<std::string>& args) {
    CliParseResult result;
    CliArguments& out = result.arguments;
    bool onlyPaths = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyPaths || arg.empty() || arg[0] != '-' || arg == "-") {
            out.sources.push_back({false, arg});
            continue;
        }
        if (arg == "--") {
            onlyPaths = true;
            continue;
        }
        // "--name=value" and "--name value" both work for options with a value.
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (arg.starts_with("--")) {
            const size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                name = arg.substr(0, eq);
                inlineValue = arg.substr(eq + 1);
            }
        } else if (arg.size() > 2 && (arg[1] == 's' || arg[1] == 'p')) {
            // "-s1035=x" and "-pFILE": the value follows the short option at once.
            name = arg.substr(0, 2);
            inlineValue = arg.substr(2);
        }
        auto takeValue = [&](std::string& value) {
            if (inlineValue) {
                value = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) {
                result.error = "option " + name + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };
        if (name == "-h" || name == "--help") {
            out.help = true;
        } else if (name == "--r2l" && !inlineValue) {
            out.rightToLeft = true;
        } else if (name == "--apply" && !inlineValue) {
            out.apply = true;
        } else if (name == "--undo" && !inlineValue) {
            out.undo = true;
        } else if (name == "-p" || name == "--profile") {
            std::string value;
            if (!takeValue(value))
                return result;
            out.profile = value;
        } else if (name == "--list") {
            std::string value;
            if (!takeValue(value))
                return result;
            out.sources.push_back({true, value});
        } else if (name == "--save-profile") {
            std::string value;
            if (!takeValue(value))
                return result;
            out.saveProfile = value;
        } else if (name == "--now") {
            std::string value;
            if (!takeValue(value))
                return result;
            out.now = value;
        } else if (name == "-s" || name == "--set") {
            std::string value;
            if (!takeValue(value))
                return result;
            ControlSetting setting;
            setting.argument = value;
            if (!ParseSetting(value, setting)) {
                result.error = "--set " + value + ": expected ID=VALUE with a decimal control id";
                return result;
            }
            out.settings.push_back(std::move(setting));
        } else {
            result.error = "unknown option " + arg;
            return result;
        }
    }
    if (out.undo && (out.apply || out.saveProfile || !out.sources.empty())) {
        result.error = "--undo takes no PATH and no --apply or --save-profile";
    } else if (!out.help && !out.undo && !out.saveProfile && out.sources.empty()) {
        result.error = "no PATH given";
    }
    return result;
}

}  // namespace tolvane
