#pragma once
// Support code shared by the GUI tests.

#include <QStringList>
#include <QUrl>
#include <functional>

// Runs the event loop until the condition holds or timeoutMs have passed; true when
// it holds. Unlike QTest::qWaitFor it never sleeps between events, so calls that a
// worker queues to the UI thread are handled as promptly as in the program.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 20000);

// Finds the message boxes the program opens (top-level QMessageBox windows, modal
// or not), records them and, unless told otherwise, presses their OK button.

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

#include "app/MainWindow.h"
#include "app/QtToolkit.h"

struct CaughtMessage {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool modal = false;
    bool owned = false;  // has a parent widget
    QMessageBox::StandardButtons buttons;
};

class MessageBoxCatcher final : public QObject {
    Q_OBJECT

  public:
    explicit MessageBoxCatcher(bool closeBoxes = true);

    const std::vector<CaughtMessage>& messages() const { return messages_; }
    // Texts of the recorded boxes, in order.
    QStringList texts() const;
    void setClosing(bool closeBoxes) { closing_ = closeBoxes; }

    // The visible message boxes right now.
    static std::vector<QMessageBox*> openBoxes();

  private:
    void poll();

    QTimer timer_;
    bool closing_;
    std::vector<CaughtMessage> messages_;
    std::vector<QPointer<QMessageBox>> seen_;
};

// Stands in for the desktop's URL handler (QDesktopServices::setUrlHandler) while it
// lives, recording the URLs it is asked to open.
class UrlRecorder final : public QObject {
    Q_OBJECT

  public:
    explicit UrlRecorder(const QString& scheme = QStringLiteral("http"));
    ~UrlRecorder() override;

    const std::vector<QUrl>& urls() const { return urls_; }

  public slots:
    void open(const QUrl& url) { urls_.push_back(url); }

  private:
    QString scheme_;
    std::vector<QUrl> urls_;
};

// A fresh main window with the toolkit operations on it, shown, for each test.
class WindowTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<QtToolkit> toolkit_;
};
