#pragma once
// The program's only window: search bar, result list, detail browser view, busy
// indicator and status bar. Each control's objectName is its role name.

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWidget>
#include <array>

#include "app/ResultList.h"

class MainWindow final : public QWidget {
    Q_OBJECT

  public:
    // Client area of the fixed window; with the platform's fixed border the outer
    // size is 934 x 662.
    static constexpr int kClientWidth = 928;
    static constexpr int kClientHeight = 631;
    static constexpr int kOuterWidth = 934;
    static constexpr int kOuterHeight = 662;
    // Right edges of the status-bar parts.
    static constexpr std::array<int, 3> kStatusPartEdges = {200, 400, 900};

    // Builds every control; the window opens centred on the primary screen. Nothing
    // is shown yet.
    MainWindow();
    ~MainWindow() override;

    ResultList& resultList() { return resultList_; }
    QProgressBar& busyProgress() { return busyProgress_; }
    QLabel& busyLabel() { return busyLabel_; }
    QStatusBar& statusBar() { return statusBar_; }
    QWebEngineView& detailBrowser() { return detailBrowser_; }
    QWebEngineProfile& browserProfile() { return browserProfile_; }
    QComboBox& classCombo() { return classCombo_; }
    QLineEdit& nameEdit() { return nameEdit_; }
    QPushButton& queryButton() { return queryButton_; }
    // Status-bar part 0, 1 or 2; null for any other index.
    QLabel* statusPart(int part);

  signals:
    // The window is closing; nothing can refuse it.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // Settles how the browser view draws before the view exists; see MainWindow.cpp.
    struct BrowserDrawing {
        BrowserDrawing();
    };

    [[no_unique_address]] BrowserDrawing browserDrawing_;
    // Declared from the bottom of the stacking order to its top: a control created
    // later lies above the ones created before it.
    QWebEngineProfile browserProfile_;
    QWebEnginePage browserPage_;
    QGroupBox searchGroup_;
    QLabel classCaption_;
    QLabel nameCaption_;
    QPushButton queryButton_;
    QComboBox classCombo_;
    QLineEdit nameEdit_;
    QWebEngineView detailBrowser_;
    QStatusBar statusBar_;
    std::array<QLabel, 3> statusParts_;
    ResultList resultList_;
    QLabel busyLabel_;
    QProgressBar busyProgress_;
};
