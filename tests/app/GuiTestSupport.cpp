#include "GuiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <algorithm>

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    if (condition()) {
        return true;
    }
    QEventLoop loop;
    QElapsedTimer elapsed;
    elapsed.start();
    bool held = false;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        held = condition();
        if (held || elapsed.elapsed() >= timeoutMs) {
            loop.quit();
        }
    });
    check.start(2);
    loop.exec();
    return held;
}

MessageBoxCatcher::MessageBoxCatcher(bool closeBoxes) : closing_(closeBoxes) {
    connect(&timer_, &QTimer::timeout, this, &MessageBoxCatcher::poll);
    timer_.start(10);
}

QStringList MessageBoxCatcher::texts() const {
    QStringList result;
    for (const CaughtMessage& message : messages_) {
        result << message.text;
    }
    return result;
}

std::vector<QMessageBox*> MessageBoxCatcher::openBoxes() {
    std::vector<QMessageBox*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) {
            boxes.push_back(box);
        }
    }
    return boxes;
}

void MessageBoxCatcher::poll() {
    for (QMessageBox* box : openBoxes()) {
        const bool known = std::any_of(seen_.begin(), seen_.end(), [box](const auto& seen) { return seen == box; });
        if (!known) {
            seen_.emplace_back(box);
            messages_.push_back({box->windowTitle(), box->text(), box->icon(), box->isModal(),
                                 box->parentWidget() != nullptr, box->standardButtons()});
        }
        if (closing_) {
            if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
                ok->click();
            } else {
                box->close();
            }
        }
    }
}

UrlRecorder::UrlRecorder(const QString& scheme) : scheme_(scheme) {
    QDesktopServices::setUrlHandler(scheme_, this, "open");
}

UrlRecorder::~UrlRecorder() { QDesktopServices::unsetUrlHandler(scheme_); }

void WindowTest::SetUp() {
    window_ = std::make_unique<MainWindow>();
    toolkit_ = std::make_unique<QtToolkit>(*window_);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
}

void WindowTest::TearDown() {
    toolkit_.reset();
    window_.reset();
}
