#include "WindowFixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <fstream>

#include "app/FileListView.h"
#include "app/OptionPanel.h"
#include "app/PathListActions.h"
#include "app/PreviewController.h"
#include "engine/ControlTable.h"
#include "settings/Settings.h"

namespace tolvane::test {

namespace fs = std::filesystem;

WindowFixture::WindowFixture() {
    QDir root(home_.path());
    for (const char* folder : {"config", "state", "runtime", "files"})
        root.mkpath(QString::fromLatin1(folder));
    QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The window finds its journal, and Qt its runtime folder, through these.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath(QStringLiteral("config"))));
    qputenv("XDG_STATE_HOME", QFile::encodeName(root.filePath(QStringLiteral("state"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root.filePath(QStringLiteral("runtime"))));
}

WindowFixture::~WindowFixture() {
    Close();
}

fs::path WindowFixture::SettingsFile() const {
    return fs::path(home_.path().toStdString()) / "config" / "tolvane" / "Tolvane.ini";
}

void WindowFixture::WriteSettings(const QString& text) const {
    fs::create_directories(SettingsFile().parent_path());
    std::ofstream out(SettingsFile(), std::ios::binary | std::ios::trunc);
    out << text.toStdString();
}

QString WindowFixture::Setting(const QString& section, const QString& key) const {
    const Settings settings(SettingsFile());
    return QString::fromStdWString(settings.Read(section.toStdWString(), key.toStdWString()));
}

bool WindowFixture::SettingsFileExists() const {
    return fs::exists(SettingsFile());
}

fs::path WindowFixture::Files() const {
    return fs::path(home_.path().toStdString()) / "files";
}

fs::path WindowFixture::MakeFile(const std::string& name, const std::string& content) const {
    const fs::path path = Files() / name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

QStringList WindowFixture::NamesOnDisk() const {
    QStringList names;
    for (const auto& entry : fs::directory_iterator(Files()))
        names << QString::fromStdString(entry.path().filename().string());
    names.sort();
    return names;
}

CKestrinDlg& WindowFixture::Open(int languageId, const std::vector<std::wstring>& arguments) {
    Close();
    CKestrinDlg::Environment environment;
    environment.paths.settingsFile = SettingsFile();
    environment.paths.languageFolder = TOLVANE_LANGUAGE_DIR;
    environment.systemLanguageId = languageId;
    environment.restart = [this] { ++restarts; };
    environment.exitNow = [this] { ++exits; };
    window_ = std::make_unique<CKestrinDlg>(std::move(environment));
    window_->AddArguments(arguments);
    window_->show();
    window_->activateWindow();
    // A Wayland compositor activates a new window when it hands it the keyboard, a
    // moment after it shows; Qt waits only for the showing there. Qt's Wayland plugin
    // then marks its platform window active at once (which isActiveWindow() reads) but
    // makes it the application's active window, the one keyboard shortcuts go to, only
    // after a round trip to the compositor: a key sent in between is lost.
    if (!QTest::qWaitForWindowActive(window_.get()) || !QTest::qWaitFor([this] {
            return QApplication::activeWindow() == window_.get() &&
                   QGuiApplication::focusWindow() == window_->windowHandle();
        }))
        qWarning("the window did not become active");
    return *window_;
}

void WindowFixture::Close() {
    if (!window_)
        return;
    window_->close();
    window_.reset();
    QApplication::processEvents();
}

QWidget* WindowFixture::Control(int id) const {
    return window_->Panel().Control(id);
}

QComboBox* WindowFixture::Combo(int id) const {
    return window_->Panel().Combo(id);
}

void WindowFixture::AddFiles(const QStringList& names) {
    QList<QUrl> urls;
    for (const QString& name : names)
        urls << QUrl::fromLocalFile(
            QString::fromStdString((Files() / name.toStdString()).string()));
    QMimeData data;
    data.setUrls(urls);
    FileListView* view = window_->Panel().ListView();
    const QPoint at = view->mapTo(window_.get(), view->rect().center());
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &drop);
    WaitForPreviewIdle(*window_);
}

int WindowFixture::RowCount() const {
    return window_->Panel().ListView()->model()->rowCount();
}

QString WindowFixture::Cell(int row, int column) const {
    const QAbstractItemModel* model = window_->Panel().ListView()->model();
    return model->data(model->index(row, column), Qt::DisplayRole).toString();
}

QStringList WindowFixture::Column(int column) const {
    QStringList texts;
    for (int r = 0; r < RowCount(); ++r)
        texts << Cell(r, column);
    return texts;
}

QString WindowFixture::CellToolTip(int row, int column) const {
    const QAbstractItemModel* model = window_->Panel().ListView()->model();
    return model->data(model->index(row, column), Qt::ToolTipRole).toString();
}

QString WindowFixture::SummaryLine() const {
    return qobject_cast<QLabel*>(Control(ctl::kObjectCount))->text();
}

QString WindowFixture::StatusLine() const {
    return qobject_cast<QLabel*>(Control(ctl::kStatusLine))->text();
}

void FocusOn(QWidget* target) {
    target->window()->activateWindow();
    target->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
}

namespace {

QWidget* Receiver(QWidget* target) {
    FocusOn(target);
    QWidget* focused = QApplication::focusWidget();
    return focused ? focused : target;
}

}  // namespace

void TypeText(QWidget* target, const QString& text) {
    QWidget* receiver = Receiver(target);
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(receiver, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, receiver, Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
    }
}

void PressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(Receiver(target), static_cast<Qt::Key>(key), modifiers);
}

void CommitText(QWidget* target, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(Receiver(target), &event);
}

void ChooseItem(QComboBox* combo, int index) {
    QVERIFY(combo->isEnabled());
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY(view->isVisible());
    for (int guard = 0; view->currentIndex().row() != index && guard < 100; ++guard)
        QTest::keyClick(view, view->currentIndex().row() < index ? Qt::Key_Down : Qt::Key_Up);
    QCOMPARE(view->currentIndex().row(), index);
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY2(!view->isVisible(), qPrintable(combo->objectName()));
}

struct PreviewWaiter::Spy {
    explicit Spy(CKestrinDlg& window) : spy(&window.Preview(), &PreviewController::Finished) {}
    QSignalSpy spy;
};

void SavePicture(QWidget& widget, const QString& name) {
    const QString folder = qEnvironmentVariable("TOLVANE_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(widget.grab().save(QDir(folder).filePath(name + QStringLiteral(".png"))));
}

void WaitForPreviewIdle(CKestrinDlg& window) {
    // Dropped items are resolved on a thread of their own first.
    if (!QTest::qWaitFor([&] { return !window.PathLists().Busy(); }, 10000))
        qWarning("a drop was not resolved");
    // Changes ask for a computation on the next turn of the event loop.
    QApplication::processEvents();
    if (!QTest::qWaitFor([&] { return !window.Preview().Busy(); }, 5000))
        qWarning("a preview did not finish");
    QApplication::processEvents();
}

PreviewWaiter::PreviewWaiter(CKestrinDlg& window) : spy_(std::make_unique<Spy>(window)) {
    // A computation asked for before this point is not the one waited for.
    WaitForPreviewIdle(window);
    spy_->spy.clear();
}
PreviewWaiter::~PreviewWaiter() = default;

bool PreviewWaiter::Wait(int timeoutMs) {
    return !spy_->spy.isEmpty() || spy_->spy.wait(timeoutMs);
}

std::shared_ptr<bool> WhenDialogShows(const char* className, std::function<void(QWidget*)> action,
                                      int timeoutMs) {
    auto done = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    auto waited = std::make_shared<int>(0);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, done, waited, className, action, timeoutMs] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget->inherits(className)) {
                timer->stop();
                timer->deleteLater();
                *done = true;
                action(widget);
                return;
            }
        }
        *waited += timer->interval();
        if (*waited >= timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
    return done;
}

}  // namespace tolvane::test
