#include "PreviewController.h"

#include "FreedMemory.h"
#include "JobThreads.h"

#include <QPointer>
#include <QTimer>

#include <chrono>
#include <utility>

#include "DisplayText.h"
#include "engine/Clock.h"
#include "engine/MetadataTokens.h"
#include "engine/Recompute.h"
#include "filelist/FileList.h"

namespace tolvane {

namespace {

// A computation still running after this long shows the progress bar.
constexpr int kShowProgressAfterMs = 150;
// Names replaced by a computation wait this long for the next one to free them.
constexpr int kDisposeAfterMs = 500;

// The options as far as they make names: the text-mode box and editor, the filter and
// the inline editor make none, and the text-mode editor may hold a line per row.
RenameOptions OfNames(RenameOptions options) {
    options.textMode = false;
    options.textModeText.clear();
    options.filterText.clear();
    options.inPlaceText.clear();
    return options;
}
// Rows between two looks at the time, and the time between two progress reports: each
// report repaints the bar, which on one processor slows the computation it reports.
// Names alone come by the thousand in a millisecond; a name that reads its file may
// wait for a slow disk, so the bar moves with every few files.
constexpr size_t kProgressStep = 4096;
constexpr size_t kProgressStepReadingFiles = 16;
constexpr auto kProgressEvery = std::chrono::milliseconds(100);

}  // namespace

struct PreviewController::Job {
    RenameOptions options;
    PipelineTexts texts;
    std::shared_ptr<const RowsSnapshot> rows;
    ItemCounter counter;
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
    // Written by the worker, read once it has finished.
    RecomputeResult result;
    std::shared_ptr<const NewNamesCopy> newNames;
    std::vector<std::wstring> replaced;  // an earlier computation's names, to free first
    bool gaveUp = false;
    bool invalid = false;
    std::wstring error;

    void Run(const Clock& clock, const std::function<void(size_t)>& report) {
        replaced = {};
        std::vector<NameRow> names;
        names.reserve(rows->Size());
        for (size_t r = 0; r < rows->Size(); ++r)
            names.push_back({rows->Name(r), *rows->folders[r]});
        const NewNamePipeline pipeline(options, clock, texts);
        auto lastReport = std::chrono::steady_clock::now();
        const size_t step =
            pipeline.ReadsFileMetadata() ? kProgressStepReadingFiles : kProgressStep;
        result = RecomputeAllNewNames(names, pipeline, counter, [&](size_t r) {
            if ((r + 1) % step == 0 &&
                std::chrono::steady_clock::now() - lastReport >= kProgressEvery) {
                lastReport = std::chrono::steady_clock::now();
                report(r);
            }
            return !cancelled.load(std::memory_order_relaxed);
        });
        gaveUp = pipeline.PatternGaveUp();
        invalid = pipeline.PatternInvalid();
        error = pipeline.PatternError();
        // The list takes the names themselves; the conflict check reads this copy.
        if (!cancelled && result.newNames.size() == rows->Size()) {
            auto copy = std::make_shared<NewNamesCopy>();
            copy->Reserve(rows->Size());
            for (size_t r = 0; r < rows->Size(); ++r)
                copy->Add(rows->Name(r), result.newNames[r]);
            newNames = std::move(copy);
        }
    }
};

PreviewController::PreviewController(FileList& list, SharedRows& rows, const Clock& clock,
                                     QObject* parent)
    : QObject(parent),
      list_(list),
      sharedRows_(rows),
      clock_(clock),
      disposeTimer_(new QTimer(this)) {
    disposeTimer_->setSingleShot(true);
    disposeTimer_->setInterval(kDisposeAfterMs);
    connect(disposeTimer_, &QTimer::timeout, this,
            [this] { DisposeLater(std::exchange(replaced_, {})); });
}

PreviewController::~PreviewController() {
    afterRunning_.clear();  // those waiting may be gone already
    CancelRunning();
    threads_.JoinFinished(true);
}

void PreviewController::CancelRunning() {
    if (job_)
        job_->cancelled = true;
    job_.reset();
    EndWaits(false);
}

void PreviewController::EndWaits(bool named) {
    // Moved out first: a waiting caller may start another computation or a flush.
    for (auto& done : std::exchange(afterRunning_, {}))
        done(named);
}

void PreviewController::AfterRunning(std::function<void(bool named)> done) {
    if (job_)
        afterRunning_.push_back(std::move(done));
    else
        done(false);
}

bool PreviewController::Shows(const RenameOptions& options) const {
    return !job_ && shown_ && *shown_ == OfNames(options) && shownGeneration_ == list_.Generation();
}

void PreviewController::Request(const RenameOptions& options, const PipelineTexts& texts) {
    CancelRunning();
    threads_.JoinFinished(false);
    Start(options, texts);
}

void PreviewController::Start(const RenameOptions& options, const PipelineTexts& texts) {
    auto job = std::make_shared<Job>();
    job->options = options;
    job->texts = texts;
    job->rows = rows_ = sharedRows_.Now();
    job->replaced = std::exchange(replaced_, {});
    job->counter = list_.Counter();
    job_ = job;
    const int rows = static_cast<int>(job->rows->Size());
    QPointer<PreviewController> self(this);
    threads_.Start([job, self, &clock = clock_] {
        job->Run(clock, [&](size_t row) {
            QMetaObject::invokeMethod(
                self,
                [self, job, row] {
                    if (self && self->job_ == job)
                        emit self->Progressed(static_cast<int>(row));
                },
                Qt::QueuedConnection);
        });
        job->finished = true;
        QMetaObject::invokeMethod(
            self,
            [self, job] {
                if (self)
                    self->Take(job);
            },
            Qt::QueuedConnection);
    });
    QTimer::singleShot(kShowProgressAfterMs, this, [this, job, rows] {
        if (job_ == job && !job->finished)
            emit Running(rows);
    });
}

void PreviewController::Take(const std::shared_ptr<Job>& job) {
    threads_.JoinFinished(false);
    if (job != job_ || job->cancelled)
        return;  // a newer request replaced it
    job_.reset();
    if (job->rows->generation != list_.Generation()) {
        // The rows changed while it ran: the names are for rows that are gone.
        EndWaits(false);
        Start(job->options, job->texts);
        return;
    }
    list_.Counter() = job->counter;
    list_.ApplyNewNames(job->result);
    // The names the list showed until now are freed by the next computation before it
    // starts, on its own thread: freed here they would hold up the window, and freed by
    // a thread of their own they contend with that computation for the allocator. With
    // no computation soon, they go a little later.
    DisposeLater(std::exchange(replaced_, std::move(job->result.newNames)));
    disposeTimer_->start();
    shown_ = OfNames(job->options);
    shownGeneration_ = list_.Generation();
    // Moved, not shared: the job may outlive this (its progress timer holds it), and
    // the copy must go with the check that reads it.
    newNames_ = std::move(job->newNames);
    job->result = {};
    gaveUp_ = job->gaveUp;
    invalid_ = job->invalid;
    error_ = DisplayText(job->error);
    emit Finished();
    EndWaits(true);
}

bool PreviewController::ReadingFilesFor(const RenameOptions& options) const {
    return job_ && MetadataKindsOf(job_->options.templateText) != 0 &&
           OfNames(job_->options) == OfNames(options);
}

void PreviewController::Adopt(const RenameOptions& options) {
    CancelRunning();
    shown_ = OfNames(options);
    shownGeneration_ = list_.Generation();
}

void PreviewController::KeepNames() {
    if (!job_ && shown_)
        shownGeneration_ = list_.Generation();
}

void PreviewController::Forget() {
    CancelRunning();
    shown_.reset();
}

void PreviewController::Restore(const RenameOptions& options, const PipelineTexts& texts) {
    if (!shown_ && !job_)
        Flush(options, texts);
}

void PreviewController::Flush(const RenameOptions& options, const PipelineTexts& texts) {
    if (Shows(options))
        return;
    CancelRunning();
    const NewNamePipeline pipeline(options, clock_, texts);
    list_.RecomputeNewNames(pipeline);
    shown_ = OfNames(options);
    shownGeneration_ = list_.Generation();
    rows_ = sharedRows_.Now();
    newNames_.reset();
    gaveUp_ = pipeline.PatternGaveUp();
    invalid_ = pipeline.PatternInvalid();
    error_ = DisplayText(pipeline.PatternError());
    emit Finished();
}

}  // namespace tolvane
