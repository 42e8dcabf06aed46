#pragma once

#include <QObject>

#include <memory>
#include <thread>
#include <vector>

namespace tolvane {

class FileList;
class Language;

// Tells before anything is renamed which rows a pass could not rename: their status
// cells say why (in a warning colour, the reason as tool tip), and the count is
// reported. The check reads the disk, so it runs on a thread of its own from a copy
// of the rows; a newer check cancels an older one, and a result is taken only while
// the rows are those it was made for.
class ConflictChecker : public QObject {
    Q_OBJECT

  public:
    ConflictChecker(FileList& list, const Language& language, QObject* parent = nullptr);
    ~ConflictChecker() override;

    // Checks the rows as they are now.
    void Check();
    // The rows changed: a check under way is for rows that are gone.
    void RowsChanged() { ++version_; }
    // Removes the statuses a check wrote (before a pass writes its own).
    void Forget();

  signals:
    void Checked(int conflicts);

  private:
    struct Job;
    void Take(const std::shared_ptr<Job>& job);
    void JoinFinished(bool all);

    FileList& list_;
    std::vector<std::wstring> texts_;  // the statuses of the three kinds, in their order
    std::shared_ptr<Job> job_;
    std::vector<std::pair<std::shared_ptr<Job>, std::thread>> threads_;
    std::uint64_t version_ = 0;
};

}  // namespace tolvane
