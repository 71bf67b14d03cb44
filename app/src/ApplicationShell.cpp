#include "app/ApplicationShell.h"

#include "app/ClassCatalogue.h"
#include "text/UrlCodec.h"

ApplicationShell::ApplicationShell(const Text& host) : toolkit_(window_), runner_(toolkit_, host) {
    QObject::connect(&window_.queryButton(), &QPushButton::clicked, &window_,
                     [this] { runner_.onQueryButtonClicked(); });
    ResultList& list = window_.resultList();
    QObject::connect(&list, &ResultList::rowFocused, &window_, [this] { runner_.onResultFocusChanged(); });
    QObject::connect(&list, &ResultList::listClicked, &window_, [this] { runner_.onResultClicked(); });
    QObject::connect(&list, &ResultList::rightButtonReleased, &window_,
                     [this](int x, int y, int modifiers) { runner_.onResultRightButtonUp(x, y, modifiers); });
    // A query still running when the window closes is cancelled and waited for here,
    // so the process can end at once; its pending toolkit calls give up.
    QObject::connect(&window_, &MainWindow::closed, &window_, [this] { runner_.shutdown(); });

    onMainWindowCreated(toolkit_);
    setPendingEventsHook(&QtToolkit::pumpPendingEvents);
}

ApplicationShell::~ApplicationShell() {
    setPendingEventsHook(nullptr);
    runner_.shutdown();
}
