#include "app/QtToolkit.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <thread>

#include "app/QtText.h"
#include "text/Cancel.h"
#include "text/CodePage.h"

namespace {

// Longest time a control touched by a worker goes without repainting.
constexpr int kRepaintFrameMs = 16;

QMessageBox::Icon boxIcon(int icon) {
    switch (icon) {
        case 32:
            return QMessageBox::Question;
        case 48:
            return QMessageBox::Warning;
        case 64:
            return QMessageBox::Information;
        default:
            return QMessageBox::Critical;
    }
}

const QString& messageCaption() {
    static const QString caption = toQString(utf8ToGbk("信息："));
    return caption;
}

}  // namespace

struct QtToolkit::BoxWait {
    Handshake handshake;
    QPointer<QMessageBox> box;  // UI thread only
};

QtToolkit::QtToolkit(MainWindow& window) : window_(window), browserCookies_(*window.browserProfile().cookieStore()) {
    repaintFrame_.setSingleShot(true);
    repaintFrame_.setInterval(kRepaintFrameMs);
    QObject::connect(&repaintFrame_, &QTimer::timeout, &calls_, [this] { releaseRepaints(); });
    calls_.setBeforeEachCall([this] { holdRepaints(); });
}

QtToolkit::~QtToolkit() { releaseRepaints(); }

void QtToolkit::holdRepaints() {
    if (repaintsHeld_) {
        return;
    }
    repaintsHeld_ = true;
    window_.resultList().setUpdatesEnabled(false);
    window_.busyProgress().setUpdatesEnabled(false);
    window_.busyLabel().setUpdatesEnabled(false);
    repaintFrame_.start();
}

void QtToolkit::releaseRepaints() {
    if (!repaintsHeld_) {
        return;
    }
    repaintsHeld_ = false;
    // Enabling updates again repaints each control once.
    window_.resultList().setUpdatesEnabled(true);
    window_.busyProgress().setUpdatesEnabled(true);
    window_.busyLabel().setUpdatesEnabled(true);
}

template <typename Operation>
void QtToolkit::onUiThread(Operation operation) {
    calls_.call(
        [operation = std::move(operation)]() mutable {
            operation();
            return true;
        },
        false);
}

void QtToolkit::clearRows() {
    onUiThread([this] { window_.resultList().rows().clearRows(); });
}

int QtToolkit::appendRow() {
    return calls_.call([this] { return window_.resultList().rows().appendRow(); }, -1);
}

void QtToolkit::deleteRow(int row) {
    onUiThread([this, row] { window_.resultList().rows().deleteRow(row); });
}

void QtToolkit::setCell(int row, int column, const Text& text) {
    onUiThread([this, row, column, text] { window_.resultList().rows().setCell(row, column, text); });
}

Text QtToolkit::cellText(int row, int column) {
    return calls_.call([this, row, column] { return window_.resultList().rows().cellText(row, column); }, Text{});
}

int QtToolkit::currentRow() {
    return calls_.call([this] { return window_.resultList().currentRow(); }, -1);
}

void QtToolkit::setCurrentRow(int row) {
    onUiThread([this, row] { window_.resultList().setCurrentRow(row); });
}

void QtToolkit::setVisible(Control control, bool visible) {
    onUiThread([this, control, visible] {
        QWidget& widget = control == Control::busyLabel ? static_cast<QWidget&>(window_.busyLabel())
                                                        : static_cast<QWidget&>(window_.busyProgress());
        widget.setVisible(visible);
    });
}

void QtToolkit::setProgressPosition(int position) {
    const int stored = std::clamp(position, 0, kMaxStoredPosition);
    storedPosition_.store(stored);
    // The stored value is the toolkit's own; the UI thread is needed only when what
    // the bar shows changes.
    const int shown = std::clamp(stored, 0, 100);
    if (shownPosition_.exchange(shown) == shown) {
        return;
    }
    const bool done = calls_.call(
        [this, shown] {
            window_.busyProgress().setValue(shown);
            return true;
        },
        false);
    if (!done) {
        shownPosition_.store(-1);  // unknown: the next write goes to the bar
    }
}

int QtToolkit::progressPosition() { return storedPosition_.load(); }

void QtToolkit::addClassItem(const Text& label) {
    onUiThread([this, label] {
        QComboBox& combo = window_.classCombo();
        const int selected = combo.currentIndex();
        combo.addItem(toQString(label));
        combo.setCurrentIndex(selected);
    });
}

int QtToolkit::selectedClassIndex() {
    return calls_.call([this] { return window_.classCombo().currentIndex(); }, -1);
}

Text QtToolkit::nameText() {
    return calls_.call([this] { return fromQString(window_.nameEdit().text()); }, Text{});
}

void QtToolkit::setStatusText(int part, const Text& text) {
    onUiThread([this, part, text] {
        if (QLabel* label = window_.statusPart(part)) {
            label->setText(toQString(text));
        }
    });
}

void QtToolkit::navigateBrowser(const Text& url) {
    onUiThread([this, url] {
        const QUrl target = urlFromGbk(url);
        browserCookies_.copyStoreCookies(target);
        window_.detailBrowser().setUrl(target);
    });
}

void QtToolkit::openUrlExternally(const Text& url) {
    onUiThread([url] { QDesktopServices::openUrl(urlFromGbk(url)); });
}

void QtToolkit::showMessage(const Text& text, int icon) {
    if (calls_.isUiThread()) {
        QMessageBox box(boxIcon(icon), messageCaption(), toQString(text), QMessageBox::Ok);
        box.setObjectName("messageBox");
        box.exec();
        return;
    }
    auto wait = std::make_shared<BoxWait>();
    const bool opened = calls_.call(
        [this, text, icon, wait] {
            openWorkerBox(text, icon, wait);
            return true;
        },
        false);
    if (!opened || wait->handshake.wait(CancelToken::current())) {
        return;
    }
    // The work was cancelled while its box was open: the box goes too.
    calls_.post([wait] {
        if (wait->box) {
            wait->box->close();
        }
    });
}

void QtToolkit::openWorkerBox(const Text& text, int icon, const std::shared_ptr<BoxWait>& wait) {
    auto box = std::make_unique<QMessageBox>(boxIcon(icon), messageCaption(), toQString(text), QMessageBox::Ok);
    box->setObjectName("messageBox");
    box->setWindowModality(Qt::NonModal);
    wait->box = box.get();
    QObject::connect(box.get(), &QMessageBox::finished, &calls_, [this, wait, raw = box.get()] {
        wait->handshake.finish();
        const auto open = std::find_if(workerBoxes_.begin(), workerBoxes_.end(),
                                       [raw](const std::unique_ptr<QMessageBox>& held) { return held.get() == raw; });
        if (open != workerBoxes_.end()) {
            // Deleted once its own signal has returned.
            open->release()->deleteLater();
            workerBoxes_.erase(open);
        }
    });
    box->show();
    workerBoxes_.push_back(std::move(box));
}

void QtToolkit::startWorker(std::function<void()> routine) { std::thread(std::move(routine)).detach(); }

void QtToolkit::processPendingEvents() { pumpPendingEvents(); }

void QtToolkit::pumpPendingEvents() {
    const QCoreApplication* application = QCoreApplication::instance();
    if (application != nullptr && QThread::currentThread() == application->thread()) {
        QCoreApplication::processEvents();
    }
}
