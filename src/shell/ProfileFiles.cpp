#include "ProfileFiles.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStandardPaths>

#include <unistd.h>

#include "app/CKestrinDlg.h"
#include "app/DisplayText.h"
#include "app/LinkText.h"
#include "app/OptionPanel.h"
#include "engine/Clock.h"
#include "engine/ControlTable.h"
#include "engine/TextConvert.h"
#include "execute/OptionSection.h"
#include "settings/IniFile.h"
#include "settings/MenuTable.h"
#include "settings/SettingsKeys.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

fs::path FromQt(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

QString ToQt(const fs::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::wstring MenuCaption(int commandId) {
    for (const MenuItemInfo& item : MenuItems()) {
        if (item.commandId == commandId)
            return item.text;
    }
    return {};
}

}  // namespace

ProfileFiles::ProfileFiles(CKestrinDlg& window, const Clock& clock)
    : window_(window), clock_(clock) {}

fs::path ProfileFiles::ExportFolder(const fs::path& programFolder, const fs::path& documents,
                                    const fs::path& home) {
    if (!programFolder.empty() && ::access(programFolder.c_str(), W_OK) == 0)
        return programFolder;
    std::error_code ec;
    if (!documents.empty() && fs::is_directory(documents, ec))
        return documents;
    return home;
}

fs::path ProfileFiles::DefaultExportName(const fs::path& folder, const std::tm& now) {
    return folder / (ToNarrow(FormatTime(now, "%Y-%m-%d_%H%M%S")) + ".ini");
}

void ProfileFiles::ConfigureDialog(QFileDialog& dialog, int commandId) const {
    const std::wstring caption =
        window_.Texts().Lookup(std::to_string(commandId), MenuCaption(commandId));
    dialog.setWindowTitle(PlainCaption(DisplayText(caption)));
    dialog.setNameFilter(QStringLiteral("Config (*.ini)"));
    dialog.setDefaultSuffix(QStringLiteral("ini"));
}

void ProfileFiles::Export() {
    const fs::path folder =
        ExportFolder(ExecutableFolder(),
                     FromQt(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)),
                     FromQt(QDir::homePath()));
    QFileDialog dialog(&window_);
    ConfigureDialog(dialog, cmd::kExportProfile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // Exporting onto a profile replaces its options and keeps the rest of the file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDirectory(ToQt(folder));
    dialog.selectFile(ToQt(DefaultExportName(folder, clock_.Now())));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const fs::path path = FromQt(dialog.selectedFiles().front());
    if (SaveOptionSection(window_.Panel(), kProfileSection, path))
        ShowStatus("profileSaved", path);
    else
        ShowStatus("profileNotWritten", path);
}

void ProfileFiles::Import() {
    QFileDialog dialog(&window_);
    ConfigureDialog(dialog, cmd::kImportProfile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const fs::path path = FromQt(dialog.selectedFiles().front());
    std::string problem;
    const IniFile document = IniFile::Load(path, &problem);
    // Something that is no profile (a folder, a device, a huge file) changes nothing.
    if (!problem.empty()) {
        ShowStatus("profileNotRead", path, problem);
        return;
    }
    LoadOptionSection(window_.Panel(), document, kProfileSection);
    window_.RecomputeAllNewNames(cmd::kImportProfile);
    ShowStatus("profileLoaded", path);
}

void ProfileFiles::ShowStatus(const char* key, const fs::path& path,
                              const std::string& reason) const {
    // Both in one pass over the text, so that a "%2" inside the path stays as it is.
    const QString text = DisplayText(window_.Texts().Text(key));
    const QString place = ToQt(path);
    window_.Panel().SetCaption(
        ctl::kStatusLine,
        reason.empty() ? text.arg(place) : text.arg(place, QString::fromStdString(reason)));
}

}  // namespace tolvane
