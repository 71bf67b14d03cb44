#include "app/MainWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QScreen>
#include <limits>

#include "app/QtText.h"
#include "text/CodePage.h"

namespace {

// The window's own font in bold at the given pixel height; an installed CJK face
// stands in where the named one is missing.
QFont boldFont(int pixelHeight) {
    QFont font;
    font.setFamilies({QStringLiteral(u"微软雅黑"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK")});
    font.setPixelSize(pixelHeight);
    font.setBold(true);
    return font;
}

void setTextColour(QWidget& widget, const QColor& colour) {
    QPalette colours = widget.palette();
    colours.setColor(QPalette::WindowText, colour);
    colours.setColor(QPalette::Text, colour);
    colours.setColor(QPalette::ButtonText, colour);
    widget.setPalette(colours);
}

void styleCaption(QLabel& label, const Text& text, int pixelHeight) {
    label.setText(toQString(text));
    label.setFont(boldFont(pixelHeight));
    label.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label.setWordWrap(false);
    label.setTextFormat(Qt::PlainText);
    label.setAutoFillBackground(false);
    label.setAttribute(Qt::WA_TranslucentBackground);
    label.setFocusPolicy(Qt::NoFocus);
    setTextColour(label, QColor(255, 0, 0));
}

}  // namespace

// The browser view draws through the scene graph's software renderer into the
// window's own raster buffer. With the hardware-interface renderer the view would
// turn the whole window into a composited OpenGL surface, and every repaint of any
// control (a new row, a step of the busy bar) would recompose the full window:
// about 10 ms per frame on a machine that renders OpenGL in software, which
// stalls the event loop while a query fills the list. The detail page is a static
// document and gains nothing from the other path. This has to be settled before
// the first scene-graph window exists, so it comes first among the members.
MainWindow::BrowserDrawing::BrowserDrawing() { QQuickWindow::setGraphicsApi(QSGRendererInterface::Software); }

MainWindow::MainWindow()
    : QWidget(nullptr),
      browserPage_(&browserProfile_),
      searchGroup_(this),
      classCaption_(&searchGroup_),
      nameCaption_(&searchGroup_),
      queryButton_(&searchGroup_),
      classCombo_(&searchGroup_),
      nameEdit_(&searchGroup_),
      detailBrowser_(this),
      statusBar_(this),
      resultList_(this),
      busyLabel_(this),
      busyProgress_(this) {
    setObjectName("MainWindow");
    setWindowTitle(toQString(utf8ToGbk("Orvendi-Halvoran【专用版】")));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);

    searchGroup_.setObjectName("searchGroup");
    searchGroup_.setTitle({});
    searchGroup_.setGeometry(2, -3, 926, 88);
    searchGroup_.setFocusPolicy(Qt::NoFocus);

    classCaption_.setObjectName("classCaption");
    classCaption_.setGeometry(400, 24, 72, 35);
    styleCaption(classCaption_, utf8ToGbk("类别选择》"), 16);

    nameCaption_.setObjectName("nameCaption");
    nameCaption_.setGeometry(24, 24, 72, 35);
    styleCaption(nameCaption_, utf8ToGbk("商标查询》"), 16);

    queryButton_.setObjectName("queryButton");
    queryButton_.setGeometry(776, 24, 94, 35);
    queryButton_.setText(toQString(utf8ToGbk("查询")));
    queryButton_.setFont(boldFont(16));
    queryButton_.setFocusPolicy(Qt::StrongFocus);
    queryButton_.setAutoDefault(false);

    classCombo_.setObjectName("classCombo");
    classCombo_.setGeometry(480, 24, 254, 35);
    classCombo_.setEditable(false);
    classCombo_.setFont(boldFont(19));
    classCombo_.setFocusPolicy(Qt::StrongFocus);
    // An open list about 160 pixels high, the closed box included. The style's
    // own popup ignores the item limit, so the combo uses a plain list popup.
    classCombo_.setStyleSheet("QComboBox { combobox-popup: 0; }");
    classCombo_.setMaxVisibleItems(4);
    setTextColour(classCombo_, QColor(0, 96, 192));

    nameEdit_.setObjectName("nameEdit");
    nameEdit_.setGeometry(112, 24, 270, 35);
    nameEdit_.setFont(boldFont(19));
    nameEdit_.setMaxLength(std::numeric_limits<int>::max());
    nameEdit_.setText(toQString(utf8ToGbk("Halvoran")));
    nameEdit_.setFocusPolicy(Qt::StrongFocus);
    {
        QPalette colours = nameEdit_.palette();
        colours.setColor(QPalette::Text, Qt::black);
        colours.setColor(QPalette::Base, Qt::white);
        nameEdit_.setPalette(colours);
    }

    detailBrowser_.setObjectName("detailBrowser");
    detailBrowser_.setPage(&browserPage_);
    detailBrowser_.setGeometry(-27, 307, 1020, 304);
    detailBrowser_.setFocusPolicy(Qt::StrongFocus);

    statusBar_.setObjectName("statusBar");
    statusBar_.setSizeGripEnabled(false);
    statusBar_.setFocusPolicy(Qt::NoFocus);
    const int statusHeight = std::max(20, statusBar_.fontMetrics().height() + 6);
    statusBar_.setGeometry(0, kClientHeight - statusHeight, kClientWidth, statusHeight);
    const std::array<Text, 3> statusTexts = {utf8ToGbk("Halvoran独家发布"), Text{},
                                             utf8ToGbk("商标查询及软件作者：halvoran@example.org")};
    int left = 0;
    for (int part = 0; part < 3; ++part) {
        QLabel& label = statusParts_[part];
        label.setParent(&statusBar_);
        label.setObjectName(QStringLiteral("statusPart%1").arg(part));
        label.setGeometry(left, 0, kStatusPartEdges[part] - left, statusHeight);
        label.setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label.setTextFormat(Qt::PlainText);
        label.setText(toQString(statusTexts[part]));
        left = kStatusPartEdges[part];
    }

    resultList_.setObjectName("resultList");
    resultList_.setGeometry(0, 80, 928, 264);
    resultList_.setFocusPolicy(Qt::StrongFocus);

    busyLabel_.setObjectName("busyLabel");
    busyLabel_.setGeometry(288, 272, 216, 32);
    styleCaption(busyLabel_, utf8ToGbk("正在查询.....请稍后"), 19);
    busyLabel_.hide();

    busyProgress_.setObjectName("busyProgress");
    busyProgress_.setGeometry(192, 224, 368, 32);
    busyProgress_.setOrientation(Qt::Horizontal);
    busyProgress_.setRange(0, 100);
    busyProgress_.setValue(0);
    busyProgress_.setTextVisible(false);
    busyProgress_.setFocusPolicy(Qt::NoFocus);
    busyProgress_.setStyleSheet(
        "QProgressBar { border: none; background: palette(base); }"
        "QProgressBar::chunk { background: palette(highlight); }");
    busyProgress_.hide();

    // Creation order already stacks them; raising from the bottom up states it.
    for (QWidget* control : std::initializer_list<QWidget*>{&searchGroup_, &detailBrowser_, &statusBar_, &resultList_,
                                                            &busyLabel_, &busyProgress_}) {
        control->raise();
    }
    QWidget::setTabOrder(&resultList_, &detailBrowser_);
    QWidget::setTabOrder(&detailBrowser_, &queryButton_);
    QWidget::setTabOrder(&queryButton_, &classCombo_);
    QWidget::setTabOrder(&classCombo_, &nameEdit_);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - kOuterWidth) / 2, area.y() + (area.height() - kOuterHeight) / 2);
    }
}

// Members go in reverse order: the view before its page, the page before its profile.
MainWindow::~MainWindow() = default;

QLabel* MainWindow::statusPart(int part) {
    return part >= 0 && part < static_cast<int>(statusParts_.size()) ? &statusParts_[part] : nullptr;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}
