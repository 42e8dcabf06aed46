#include "ConflictChecker.h"

#include <QPointer>

#include <algorithm>

#include <atomic>

#include "engine/Colours.h"
#include "execute/FileSystem.h"
#include "execute/PreviewConflicts.h"
#include "filelist/FileList.h"
#include "settings/Language.h"

namespace tolvane {

struct ConflictChecker::Job {
    std::vector<std::wstring> names;
    std::vector<std::wstring> newNames;
    std::vector<std::shared_ptr<const std::wstring>> folders;
    std::vector<bool> checked;
    std::uint64_t version = 0;
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
    std::vector<RowConflict> conflicts;

    void Run() {
        std::vector<ConflictRow> rows;
        rows.reserve(names.size());
        for (size_t r = 0; r < names.size(); ++r)
            rows.push_back({names[r], newNames[r], *folders[r], checked[r]});
        PosixFileSystem fileSystem;
        conflicts = FindConflicts(rows, fileSystem, &cancelled);
    }
};

ConflictChecker::ConflictChecker(FileList& list, const Language& language, QObject* parent)
    : QObject(parent),
      list_(list),
      texts_{language.Text("nameTaken"), language.Text("nameTwice"), language.Text("nameRefused")} {
}

ConflictChecker::~ConflictChecker() {
    if (job_)
        job_->cancelled = true;
    JoinFinished(true);
}

void ConflictChecker::JoinFinished(bool all) {
    for (auto it = threads_.begin(); it != threads_.end();) {
        if (all || it->first->finished) {
            it->second.join();
            it = threads_.erase(it);
        } else {
            ++it;
        }
    }
}

void ConflictChecker::Check() {
    if (job_)
        job_->cancelled = true;
    JoinFinished(false);
    auto job = std::make_shared<Job>();
    job->version = version_;
    const size_t n = list_.RowCount();
    job->names.reserve(n);
    job->newNames.reserve(n);
    job->folders.reserve(n);
    job->checked.reserve(n);
    for (size_t r = 0; r < n; ++r) {
        const FileItem& item = list_.Row(r);
        job->names.push_back(item.name);
        job->newNames.push_back(item.newName);
        job->folders.push_back(item.folder);
        job->checked.push_back(item.checked);
    }
    job_ = job;
    QPointer<ConflictChecker> self(this);
    threads_.emplace_back(job, std::thread([job, self] {
                              job->Run();
                              job->finished = true;
                              QMetaObject::invokeMethod(
                                  self,
                                  [self, job] {
                                      if (self)
                                          self->Take(job);
                                  },
                                  Qt::QueuedConnection);
                          }));
}

void ConflictChecker::Forget() {
    for (size_t r = 0; r < list_.RowCount(); ++r) {
        const std::wstring& status = list_.Row(r).status;
        if (!status.empty() && std::find(texts_.begin(), texts_.end(), status) != texts_.end())
            list_.SetStatus(r, {});
    }
}

void ConflictChecker::Take(const std::shared_ptr<Job>& job) {
    JoinFinished(false);
    if (job != job_ || job->cancelled)
        return;
    job_.reset();
    if (job->version != version_ || job->names.size() != list_.RowCount()) {
        Check();  // the rows changed while it ran
        return;
    }
    Forget();
    std::vector<ColourMark> marks;
    for (const RowConflict& conflict : job->conflicts) {
        const std::wstring& text = texts_[static_cast<size_t>(conflict.kind)];
        list_.SetStatus(conflict.row, text, conflict.reason);
        marks.push_back({static_cast<int>(conflict.row), ColumnLayout::kStatus, kWarningText,
                         kWhiteBackground});
    }
    list_.AppendColours(marks);
    emit Checked(static_cast<int>(job->conflicts.size()));
}

}  // namespace tolvane
