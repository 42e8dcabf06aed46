#include "ConflictChecker.h"

#include "FreedMemory.h"
#include "JobThreads.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>

#include <atomic>

#include "engine/Colours.h"
#include "execute/FileSystem.h"
#include "execute/PreviewConflicts.h"
#include "filelist/FileList.h"
#include "settings/Language.h"

namespace tolvane {

struct ConflictChecker::Job {
    std::shared_ptr<const RowsSnapshot> rows;
    std::shared_ptr<const NewNamesCopy> newNames;
    std::vector<bool> checked;
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
    std::vector<RowConflict> conflicts;

    void Run() {
        std::vector<ConflictRow> conflictRows;
        conflictRows.reserve(rows->Size());
        for (size_t r = 0; r < rows->Size(); ++r)
            conflictRows.push_back(
                {rows->Name(r), newNames->Of(r, *rows), *rows->folders[r], checked[r]});
        PosixFileSystem fileSystem;
        conflicts = FindConflicts(conflictRows, fileSystem, &cancelled);
        // Freed here rather than by the user-interface thread, which holds no other copy.
        conflictRows = {};
        newNames.reset();
    }
};

ConflictChecker::ConflictChecker(FileList& list, SharedRows& rows, const Language& language,
                                 QObject* parent)
    : QObject(parent),
      list_(list),
      texts_{language.Text("nameTaken"), language.Text("nameTwice"), language.Text("nameRefused")},
      sharedRows_(rows),
      idle_(new QTimer(this)) {
    // The check ends the work that follows a change; once none has followed for a while,
    // what that work freed goes back to the system.
    idle_->setSingleShot(true);
    idle_->setInterval(kIdleMs);
    connect(idle_, &QTimer::timeout, this, [] { ReturnFreedMemoryLater(); });
}

ConflictChecker::~ConflictChecker() {
    if (job_)
        job_->cancelled = true;
    threads_.JoinFinished(true);
}

void ConflictChecker::Check() {
    auto newNames = std::make_shared<NewNamesCopy>();
    newNames->Reserve(list_.RowCount());
    for (size_t r = 0; r < list_.RowCount(); ++r)
        newNames->Add(list_.Row(r).name, list_.Row(r).newName);
    Check(sharedRows_.Now(), std::move(newNames));
}

void ConflictChecker::Check(std::shared_ptr<const RowsSnapshot> rows,
                            std::shared_ptr<const NewNamesCopy> newNames) {
    if (job_)
        job_->cancelled = true;
    job_.reset();
    threads_.JoinFinished(false);
    if (!rows || !newNames || rows->Size() != newNames->Size() ||
        rows->generation != list_.Generation()) {
        Check();  // what was computed is for rows that have changed since
        return;
    }
    auto job = std::make_shared<Job>();
    job->rows = std::move(rows);
    job->newNames = std::move(newNames);
    job->checked.reserve(list_.RowCount());
    for (size_t r = 0; r < list_.RowCount(); ++r)
        job->checked.push_back(list_.Row(r).checked);
    job_ = job;
    QPointer<ConflictChecker> self(this);
    threads_.Start([job, self] {
        job->Run();
        job->finished = true;
        QMetaObject::invokeMethod(
            self,
            [self, job] {
                if (self)
                    self->Take(job);
            },
            Qt::QueuedConnection);
    });
}

void ConflictChecker::Cancel() {
    if (job_)
        job_->cancelled = true;
    job_.reset();
}

void ConflictChecker::Forget() {
    for (size_t r = 0; r < list_.RowCount(); ++r) {
        const std::wstring& status = list_.Row(r).status;
        if (!status.empty() && std::find(texts_.begin(), texts_.end(), status) != texts_.end())
            list_.SetStatus(r, {});
    }
}

void ConflictChecker::Take(const std::shared_ptr<Job>& job) {
    threads_.JoinFinished(false);
    if (job != job_ || job->cancelled)
        return;
    job_.reset();
    if (job->rows->generation != list_.Generation()) {
        Check();  // the rows changed while it ran
        return;
    }
    const FileList::Batch notices(list_);
    Forget();
    std::vector<ColourMark> marks;
    for (const RowConflict& conflict : job->conflicts) {
        const std::wstring& text = texts_[static_cast<size_t>(conflict.kind)];
        list_.SetStatus(conflict.row, text, conflict.reason);
        marks.push_back({static_cast<int>(conflict.row), ColumnLayout::kStatus, kWarningText,
                         kWhiteBackground});
    }
    list_.AppendColours(marks);
    idle_->start();
    emit Checked(static_cast<int>(job->conflicts.size()));
}

}  // namespace tolvane
