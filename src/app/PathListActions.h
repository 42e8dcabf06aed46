#pragma once

#include <QObject>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QMimeData;
class QWidget;

namespace tolvane {

class AddingFiles;
class FileList;
class Language;

// F6, F7 and drops: items named by a path list, one path per line, from a text file
// (UTF-8, UTF-16 or GB18030), from the clipboard or from a drop (a file manager's
// files, or text).
// The lines are read and looked up on a thread of their own, so that a list of a
// million lines, or a binary file, never holds up the window; what exists is added
// as one batch, as a drop adds it.
class PathListActions : public QObject {
    Q_OBJECT

  public:
    PathListActions(FileList& list, AddingFiles& adding, const Language& language, QWidget* window);
    ~PathListActions() override;

    // F6: asks for a text file, then imports it.
    void ImportFromDialog();
    void ImportFile(const std::filesystem::path& file);
    // F7.
    void ImportFromClipboard();
    // What a drop carries (see DropReader); a folder adds what the folder boxes asked
    // for when it was dropped.
    void AddDropped(const QMimeData& data, bool includeSubfolders, bool renameFolders);
    bool Busy() const { return running_ > 0; }

  signals:
    // A batch of `count` existing paths was handed to the list.
    void Imported(int count);
    // F7 gave up: the program holding the clipboard did not answer.
    void ClipboardSilent();

  private:
    void Run(std::function<std::vector<std::wstring>()> work, bool clearColours);

    FileList& list_;
    AddingFiles& adding_;
    const Language& language_;
    QWidget* window_;
    struct Worker {
        std::shared_ptr<std::atomic<bool>> done;
        std::thread thread;
    };
    std::vector<Worker> workers_;
    int running_ = 0;
};

}  // namespace tolvane
