#pragma once

#include <QObject>

class QTimer;

#include <memory>
#include <vector>

#include "JobThreads.h"
#include "SharedRows.h"

namespace tolvane {

class FileList;
class Language;

// Tells before anything is renamed which rows a pass could not rename: their status
// cells say why (in a warning colour, the reason as tool tip), and the count is
// reported. The check reads the disk, so it runs on a thread of its own from copies of
// the rows; a newer check cancels an older one, and a result is taken only while the
// rows are those it was made for.
class ConflictChecker : public QObject {
    Q_OBJECT

  public:
    ConflictChecker(FileList& list, SharedRows& rows, const Language& language,
                    QObject* parent = nullptr);
    ~ConflictChecker() override;

    // Checks the rows with the new names a computation has just given them (both
    // copies made off this thread), or, without them, the rows as the list holds them.
    void Check(std::shared_ptr<const RowsSnapshot> rows,
               std::shared_ptr<const NewNamesCopy> newNames);
    void Check();
    // Drops a check under way: the disk it read has changed (a pass ran meanwhile).
    void Cancel();
    // Removes the statuses a check wrote.
    void Forget();
    bool Busy() const { return job_ != nullptr; }

    // How long after the last check the memory it and the preview freed is given back.
    static constexpr int kIdleMs = 1000;

  signals:
    void Checked(int conflicts);

  private:
    struct Job;
    void Take(const std::shared_ptr<Job>& job);

    FileList& list_;
    std::vector<std::wstring> texts_;  // the statuses of the three kinds, in their order
    SharedRows& sharedRows_;
    QTimer* idle_;
    std::shared_ptr<Job> job_;
    JobThreads threads_;
};

}  // namespace tolvane
