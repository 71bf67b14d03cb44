#include "app/BrowserCookies.h"

#include <QNetworkCookie>
#include <QWebEngineCookieStore>

#include "http/CookieStore.h"
#include "http/Cookies.h"

namespace {

Text toText(const QByteArray& bytes) { return Text(bytes.constData(), static_cast<std::size_t>(bytes.size())); }

// The store's key for a cookie domain such as ".www.example.com".
Text storeHostOfDomain(const QString& domain) {
    QString host = domain;
    while (host.startsWith(u'.')) {
        host.remove(0, 1);
    }
    return hostOfUrl(Text("http://") + QUrl::toAce(host).toStdString(), true);
}

}  // namespace

BrowserCookies::BrowserCookies(QWebEngineCookieStore& viewCookies) : viewCookies_(viewCookies) {
    QObject::connect(&viewCookies_, &QWebEngineCookieStore::cookieAdded, &context_, [](const QNetworkCookie& cookie) {
        storeCookie(storeHostOfDomain(cookie.domain()), toText(cookie.name()), toText(cookie.value()));
    });
    QObject::connect(&viewCookies_, &QWebEngineCookieStore::cookieRemoved, &context_, [](const QNetworkCookie& cookie) {
        removeStoredCookie(storeHostOfDomain(cookie.domain()), toText(cookie.name()));
    });
}

void BrowserCookies::copyStoreCookies(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty()) {
        return;
    }
    const QUrl origin = url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment);
    const Text host = hostOfUrl(url.toEncoded().toStdString(), true);
    for (const StoredCookie& stored : storedCookies(host)) {
        QNetworkCookie cookie(QByteArray::fromStdString(stored.name), QByteArray::fromStdString(stored.value));
        cookie.setPath(QStringLiteral("/"));
        viewCookies_.setCookie(cookie, origin);
    }
}
