#pragma once
// Keeps the browser view's cookies in step with the per-user cookie store, so the
// view and the request routine share one session with the service.

#include <QObject>
#include <QUrl>

class QWebEngineCookieStore;

class BrowserCookies {
  public:
    // From here on every cookie the view receives is stored, and every cookie it
    // deletes is removed, under the registrable host of the cookie's domain, the
    // key the request routine uses. UI thread only.
    explicit BrowserCookies(QWebEngineCookieStore& viewCookies);

    // Hands the store's cookies for the URL's registrable host to the view, for
    // the URL's origin. Call before the view navigates there.
    void copyStoreCookies(const QUrl& url);

  private:
    QWebEngineCookieStore& viewCookies_;
    // Receiver of the view store's signals; they stop when this object goes.
    QObject context_;
};
