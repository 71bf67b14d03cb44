#include "http/Fetch.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "CookieDatabase.h"
#include "CookieText.h"
#include "http/Cookies.h"
#include "text/TextBetween.h"

namespace {

constexpr std::string_view kDefaultHeaderTail =
    "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nUser-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; "
    "Trident/5.0)\r\nContent-Type: application/x-www-form-urlencoded";
constexpr std::string_view kLineSeparator = "\r\n";
constexpr std::int64_t kDefaultTimeoutMs = 15000;
// A reply larger than this is not a result page; reading on would only exhaust memory.
constexpr std::size_t kMaxResponseBytes = std::size_t{64} << 20;
// How long a transfer waits for its socket before it looks at its cancel token again.
constexpr int kCancelPollMs = 50;
constexpr long kMaxRedirects = 10;

struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiCleanup {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct HeaderListFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;
using MultiHandle = std::unique_ptr<CURLM, MultiCleanup>;
using HeaderList = std::unique_ptr<curl_slist, HeaderListFree>;

void initialiseCurlOnce() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)initialised;
}

// What the transfer callbacks fill in.
struct Transfer {
    CURL* easy = nullptr;
    const CancelToken* cancel = nullptr;
    ByteSet body;
    Text headerText;  // of the latest response: a followed redirect starts it afresh
    std::size_t received = 0;

    bool cancelled() const { return cancel && cancel->cancelled(); }
    // Counts bytes of the reply; false once the reply is too large to go on.
    bool account(std::size_t bytes) {
        received += bytes;
        return received <= kMaxResponseBytes;
    }
};

std::size_t onBodyBytes(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (transfer.cancelled() || !transfer.account(bytes)) return 0;
    if (transfer.body.empty()) {
        curl_off_t announced = -1;
        curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
        if (announced > 0) transfer.body.reserve(std::min(static_cast<std::size_t>(announced), kMaxResponseBytes));
    }
    const auto* first = reinterpret_cast<const std::uint8_t*>(data);
    transfer.body.insert(transfer.body.end(), first, first + bytes);
    return bytes;
}

// Keeps the header lines of the final response, without its status line, each
// closed by CR LF.
std::size_t onHeaderLine(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (transfer.cancelled() || !transfer.account(bytes)) return 0;
    std::string_view line(data, bytes);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.starts_with("HTTP/")) {
        transfer.headerText.clear();
    } else if (!line.empty()) {
        transfer.headerText += line.substr(0, line.find('\0'));
        transfer.headerText += kLineSeparator;
    }
    return bytes;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Transfer*>(user)->cancelled() ? 1 : 0;
}

// The four time-outs in milliseconds; nullopt leaves libcurl's own.
std::optional<std::int64_t> timeoutMilliseconds(int timeoutSeconds) {
    if (timeoutSeconds == -1) return std::nullopt;
    return timeoutSeconds >= 1 ? std::int64_t{timeoutSeconds} * 1000 : kDefaultTimeoutMs;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return lowerText(leftText(text, textLength(prefix))) == prefix;
}

bool isTokenByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte < 0x7F && std::string_view("()<>@,;:\\\"/[]?={}").find(c) == std::string_view::npos;
}

bool isToken(std::string_view text) { return !text.empty() && std::all_of(text.begin(), text.end(), isTokenByte); }

// The URL as sent: the text's bytes, with every byte a request line cannot carry
// (controls, blanks, bytes of 0x7F and above, such as GBK characters) written as
// %XX of that byte.
Text wireUrl(std::string_view url) {
    constexpr std::string_view kHexDigits = "0123456789ABCDEF";
    Text wire;
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F) {
            wire += c;
        } else {
            wire += '%';
            wire += kHexDigits[byte >> 4];
            wire += kHexDigits[byte & 0x0F];
        }
    }
    return wire;
}

struct HeaderField {
    Text name;
    Text value;
};

// Sets a header the way the request object does: a later one of the same name
// replaces the earlier. A header that cannot be sent as one line (a name that is
// not a token, a CR or LF in the value) is refused, and one without a value is
// not sent: there is nothing to send.
void setRequestHeader(std::vector<HeaderField>& fields, const Text& name, const Text& value) {
    if (!isToken(name) || value.find_first_of("\r\n") != Text::npos) return;
    if (value.find_first_not_of(" \t") == Text::npos) return;
    const auto same = std::find_if(fields.begin(), fields.end(),
                                   [&](const HeaderField& field) { return equalIgnoringCase(field.name, name); });
    if (same != fields.end()) {
        same->value = value;
    } else {
        fields.push_back({name, value});
    }
}

// Everything after the line's first colon is the value; a colon at the very end
// of the line is lost with the trailing empty piece.
void applyHeaderLine(std::vector<HeaderField>& fields, const Text& line) {
    const TextList parts = splitText(line, ":");
    if (parts.empty()) return;
    Text value = parts.size() > 1 ? parts[1] : Text();
    for (std::size_t i = 2; i < parts.size(); ++i) value += ":" + parts[i];
    setRequestHeader(fields, parts[0], value);
}

std::vector<HeaderField> requestHeaderFields(const Text& cookies, const Text& headers) {
    std::vector<HeaderField> fields;
    if (!cookies.empty()) setRequestHeader(fields, "Cookie", cookies);
    if (findText(headers, kLineSeparator) >= 1) {
        for (const Text& line : splitText(headers, kLineSeparator)) {
            if (findText(line, ":") >= 1) applyHeaderLine(fields, line);
        }
    } else if (findText(headers, ":") >= 1) {
        applyHeaderLine(fields, headers);
    }
    return fields;
}

bool hasField(const std::vector<HeaderField>& fields, std::string_view name) {
    return std::any_of(fields.begin(), fields.end(),
                       [&](const HeaderField& field) { return equalIgnoringCase(field.name, name); });
}

// The header lines for libcurl, each "Name: value" with the value's leading
// blanks dropped as the request object does. libcurl would add "Accept: */*", a form
// Content-Type and "Expect: 100-continue" of its own; "Name:" entries switch those
// off unless the caller sets them, so the server sees the caller's headers plus
// Host and Content-Length only.
HeaderList curlHeaderList(const std::vector<HeaderField>& fields) {
    HeaderList list;
    const auto append = [&list](const Text& line) {
        if (curl_slist* grown = curl_slist_append(list.get(), line.c_str())) {
            (void)list.release();
            list.reset(grown);
        }
    };
    for (const HeaderField& field : fields) {
        append(field.name + ": " + field.value.substr(field.value.find_first_not_of(" \t")));
    }
    append("Expect:");
    for (const char* own : {"Accept", "Content-Type"}) {
        if (!hasField(fields, own)) append(Text(own) + ":");
    }
    return list;
}

// Chooses the libcurl request type for the method so that a followed 301/302/303
// after a POST turns into a GET, as browsers do.
void setMethodAndBody(CURL* easy, const Text& method, std::string_view payload) {
    const bool hasPayload = !payload.empty();
    if (method == "HEAD") {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        return;
    }
    if (method == "GET" && !hasPayload) {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        return;
    }
    if (method != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
    if (method == "POST" || hasPayload) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(payload.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, payload.data());
    }
}

void setTimeouts(CURL* easy, std::optional<std::int64_t> timeoutMs) {
    if (!timeoutMs) return;
    // Resolving and connecting share the connect time-out; sending and receiving
    // end when not one byte moved for the whole time.
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(*timeoutMs));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>((*timeoutMs + 999) / 1000));
}

// The easy handle attached to a multi handle of its own for the length of one
// transfer, so that the transfer can be driven in short polls.
class AttachedTransfer {
  public:
    explicit AttachedTransfer(CURL* easy) : multi_(curl_multi_init()), easy_(easy) {
        attached_ = multi_ && curl_multi_add_handle(multi_.get(), easy_) == CURLM_OK;
    }
    ~AttachedTransfer() {
        if (attached_) curl_multi_remove_handle(multi_.get(), easy_);
    }
    AttachedTransfer(const AttachedTransfer&) = delete;
    AttachedTransfer& operator=(const AttachedTransfer&) = delete;

    // Runs the transfer, looking at the cancel token at least every kCancelPollMs;
    // CURLE_OK when the whole response arrived.
    CURLcode run(const Transfer& transfer) {
        if (!attached_) return CURLE_FAILED_INIT;
        for (;;) {
            if (transfer.cancelled()) return CURLE_ABORTED_BY_CALLBACK;
            int running = 0;
            if (curl_multi_perform(multi_.get(), &running) != CURLM_OK) return CURLE_FAILED_INIT;
            if (running == 0) break;
            if (curl_multi_poll(multi_.get(), nullptr, 0, kCancelPollMs, nullptr) != CURLM_OK) {
                return CURLE_FAILED_INIT;
            }
        }
        int queued = 0;
        while (const CURLMsg* message = curl_multi_info_read(multi_.get(), &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) return message->data.result;
        }
        return CURLE_FAILED_INIT;
    }

  private:
    MultiHandle multi_;
    CURL* easy_;
    bool attached_ = false;
};

// Prepares everything but the headers and the body on the handle; false when the
// URL or the method cannot make a request.
bool prepareRequest(CURL* easy, const FetchParams& params, Transfer& transfer) {
    if (!startsWithIgnoringCase(params.url, "http://") && !startsWithIgnoringCase(params.url, "https://")) {
        return false;
    }
    if (!isToken(params.method)) return false;
    const Text url = wireUrl(params.url);
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, params.noRedirect ? 0L : 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxResponseBytes));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBodyBytes);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeaderLine);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    setTimeouts(easy, timeoutMilliseconds(params.timeoutSeconds));
    return true;
}

// The name=value piece of every Set-Cookie line, each followed by "; ". A line
// without ";" after the pair counts as if it ended in one.
void readResponseLines(FetchParams& params) {
    params.responseCookies.clear();
    for (const Text& line : splitText(params.responseHeaders, kLineSeparator)) {
        if (findText(line, "Location:") >= 1) {
            params.redirectTarget = trimText(replaceText(line, "Location:", "", 1, 1, false));
        }
        if (findText(line, "Set-Cookie") >= 1) {
            params.responseCookies += trimText(textBetween(line + ";", "Set-Cookie:", ";")) + "; ";
        }
    }
}

// Writes back what changed against the cookies read before the request, so that
// a pair another thread or process wrote meanwhile is not overwritten with the
// older value read here; and removes the cookies the response deleted (set to an
// empty value or to "deleted"). Other pairs the merge dropped, such as a value
// ending in "=", leave the store as it was.
void writeBackCookies(const Text& hostKey, const std::vector<StoredCookie>& before, const FetchParams& params) {
    const std::vector<StoredCookie> merged = storablePairs(params.cookies);
    std::vector<StoredCookie> changed;
    for (const StoredCookie& pair : merged) {
        if (std::find(before.begin(), before.end(), pair) == before.end()) changed.push_back(pair);
    }
    std::vector<Text> deleted;
    for (const Text& piece : splitText(params.responseCookies, ";")) {
        const int equals = findText(piece, "=");
        if (equals < 1) continue;
        const Text value = trimText(midText(piece, equals + 1, textLength(piece)));
        if (!value.empty() && value != "deleted") continue;
        const Text name = pairName(piece);
        const bool kept = std::any_of(merged.begin(), merged.end(),
                                      [&](const StoredCookie& pair) { return equalIgnoringCase(pair.name, name); });
        if (!name.empty() && !kept) deleted.push_back(name);
    }
    if (!changed.empty() || !deleted.empty()) saveCookies(hostKey, changed, deleted);
}

}  // namespace

ByteSet fetchBytes(FetchParams& params, const CancelToken* cancel) {
    initialiseCurlOnce();
    const EasyHandle easy(curl_easy_init());
    if (!easy) return {};

    params.method = upperText(params.method);
    if (params.method.empty()) params.method = "GET";
    if (params.headers.empty()) params.headers = concatText("Referer: ", params.url, kDefaultHeaderTail);

    Transfer transfer;
    transfer.easy = easy.get();
    transfer.cancel = cancel ? cancel : CancelToken::current();
    const bool prepared = prepareRequest(easy.get(), params, transfer);

    const Text hostKey = storeHostKey(hostOfUrl(params.url, true, false));
    const std::vector<StoredCookie> storedBefore =
        hostKey.empty() ? std::vector<StoredCookie>{} : loadCookies(hostKey).value_or(std::vector<StoredCookie>{});
    Text stored = joinCookies(storedBefore);
    params.cookies = mergeCookieStrings(stored, params.cookies);

    const HeaderList headerList = curlHeaderList(requestHeaderFields(params.cookies, params.headers));
    curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headerList.get());
    const std::string_view payload =
        params.bodyBytes.empty()
            ? std::string_view(params.body)
            : std::string_view(reinterpret_cast<const char*>(params.bodyBytes.data()), params.bodyBytes.size());
    setMethodAndBody(easy.get(), params.method, payload);

    const bool succeeded = prepared && AttachedTransfer(easy.get()).run(transfer) == CURLE_OK;
    ByteSet body;
    if (succeeded) {
        body = std::move(transfer.body);
        params.responseHeaders = std::move(transfer.headerText);
    } else {
        params.responseHeaders.clear();
    }

    readResponseLines(params);
    mergeCookieStrings(params.cookies, params.responseCookies);
    if (!hostKey.empty()) writeBackCookies(hostKey, storedBefore, params);
    if (params.redirectTarget.empty()) params.redirectTarget = params.responseHeaders;
    return body;
}

Text fetchText(FetchParams& params, const CancelToken* cancel) { return bytesToText(fetchBytes(params, cancel)); }
