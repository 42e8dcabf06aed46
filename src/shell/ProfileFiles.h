#pragma once

#include <ctime>
#include <filesystem>

class QFileDialog;

namespace tolvane {

class CKestrinDlg;
class Clock;

// Exporting the rename options to a configuration file and importing them back, from
// the window's commands, through file dialogs with the filter "Config (*.ini)". What
// happened is said in the window's status line; a file that cannot be written is
// left as it was.
class ProfileFiles {
  public:
    ProfileFiles(CKestrinDlg& window, const Clock& clock);

    // The export dialog opens on "<folder>/YYYY-MM-DD_HHMMSS.ini".
    void Export();
    void Import();

    // The folder an export is offered in: the program's folder when we may write
    // there (a copy kept in a folder of the user's), else the documents folder when it
    // exists, else the home folder.
    static std::filesystem::path ExportFolder(const std::filesystem::path& programFolder,
                                              const std::filesystem::path& documents,
                                              const std::filesystem::path& home);
    static std::filesystem::path DefaultExportName(const std::filesystem::path& folder,
                                                   const std::tm& now);

  private:
    void ConfigureDialog(QFileDialog& dialog, int commandId) const;
    void ShowStatus(const char* key, const std::filesystem::path& path,
                    const std::string& reason = {}) const;

    CKestrinDlg& window_;
    const Clock& clock_;
};

}  // namespace tolvane
