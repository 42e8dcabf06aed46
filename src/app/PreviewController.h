#pragma once

#include <QObject>
#include <QString>

class QTimer;

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "JobThreads.h"
#include "SharedRows.h"
#include "engine/NewNamePipeline.h"
#include "engine/RenameOptions.h"

namespace tolvane {

class Clock;
class FileList;

// Keeps the new names of the list up to date with the options without making typing
// wait: each request computes the new names on a thread of its own from a copy of the
// rows' names (shared until the rows change); a newer request cancels an older one that
// has not finished, and a result is taken only while the rows are still those it was
// computed for. Before renaming, Flush() makes sure the names are those of the options
// at that moment.
class PreviewController : public QObject {
    Q_OBJECT

  public:
    PreviewController(FileList& list, SharedRows& rows, const Clock& clock,
                      QObject* parent = nullptr);
    ~PreviewController() override;

    // Computes the names of `options` in the background.
    void Request(const RenameOptions& options, const PipelineTexts& texts);
    // The names are those of `options` when this returns: a computation that is not
    // finished, or one of older options, is replaced by one on this thread.
    void Flush(const RenameOptions& options, const PipelineTexts& texts);
    // The names the list shows were set by hand (pasted, typed in text mode) while the
    // options were `options`: a flush keeps them until an option changes.
    void Adopt(const RenameOptions& options);
    // The same with the options the shown names were made for, for rows that may have
    // moved since; nothing while a computation runs or before the first one.
    void KeepNames();
    // The new-name column was blanked (the refresh after a pass): the next flush
    // computes every name again, and `Restore` brings them back before one is edited.
    void Forget();
    void Restore(const RenameOptions& options, const PipelineTexts& texts);
    bool Busy() const { return job_ != nullptr; }
    // A computation of the names of `options` runs and reads the files themselves (a
    // template of metadata tokens): its names come with Finished(), and a flush would
    // read again, on the window's thread, every file it has not read yet.
    bool ReadingFilesFor(const RenameOptions& options) const;
    // Calls `done` once, when the computation running now ends: with true when its
    // names are in the list, with false when it was cancelled or the rows changed
    // meanwhile. Called at once with false when none runs.
    void AfterRunning(std::function<void(bool named)> done);
    // The list shows the names of `options` for the rows as they are, and nothing
    // computes others.
    bool Shows(const RenameOptions& options) const;
    // What the last finished computation said of the find pattern.
    bool PatternGaveUp() const { return gaveUp_; }
    bool PatternInvalid() const { return invalid_; }
    const QString& PatternError() const { return error_; }
    // The rows the last computation was made for, and the new names it gave them (a
    // copy made on its thread), handed to the conflict check that follows: the copy is
    // not kept here, so that it is freed once the check is done with it.
    std::shared_ptr<const RowsSnapshot> Rows() const { return rows_; }
    std::shared_ptr<const NewNamesCopy> TakeNewNames() { return std::move(newNames_); }

  signals:
    // A computation of `rows` rows started and has been running for a while, made
    // progress, and finished (its names are in the list).
    void Running(int rows);
    void Progressed(int row);
    void Finished();

  private:
    struct Job;
    void Start(const RenameOptions& options, const PipelineTexts& texts);
    void Take(const std::shared_ptr<Job>& job);
    void CancelRunning();
    void EndWaits(bool named);

    FileList& list_;
    SharedRows& sharedRows_;
    const Clock& clock_;
    std::shared_ptr<Job> job_;
    std::vector<std::function<void(bool)>> afterRunning_;  // for job_
    JobThreads threads_;
    std::shared_ptr<const RowsSnapshot> rows_;
    std::shared_ptr<const NewNamesCopy> newNames_;
    std::vector<std::wstring> replaced_;  // the names the last computation replaced
    QTimer* disposeTimer_;
    // The options whose names the list shows, and the rows they were computed for.
    std::optional<RenameOptions> shown_;
    std::uint64_t shownGeneration_ = 0;
    bool gaveUp_ = false;
    bool invalid_ = false;
    QString error_;
};

}  // namespace tolvane
