#pragma once
// One synchronous HTTP request, kept in step with the per-user cookie store.

#include "text/Cancel.h"
#include "text/Text.h"

// The eleven parameters of a request. Fields the caller leaves at their defaults
// act as omitted; the fields marked "rewritten" or "written" hold the routine's
// output afterwards, as the caller's variables would.
struct FetchParams {
    Text url;              // target; also the default Referer and the cookie host
    Text method;           // rewritten: upper-cased, "GET" when empty
    Text body;             // text body, sent when bodyBytes is empty
    Text cookies;          // in: cookies to send; rewritten: the merged text written to the store
    Text responseCookies;  // written: name=value of every Set-Cookie line, closed with ";"
    Text headers;          // CR LF separated lines; rewritten: the default block when empty
    Text redirectTarget;   // rewritten: the Location value, else the response header text
    bool noRedirect = false;
    int timeoutSeconds = 0;  // -1 none, >= 1 seconds, otherwise 15000 ms
    Text responseHeaders;    // written: header text of the final response
    ByteSet bodyBytes;       // byte body, sent instead of body when not empty
};

// Performs the request; returns the response body (empty on any failure). A
// cancelled token (the given one, else the thread's current one) stops the
// transfer promptly and the call returns as failed.
//
// The cookies stored for the URL's registrable host (hostOfUrl(url, true)) are
// merged with params.cookies and sent as "Cookie" when not empty; the response's
// cookies are merged in and written back, and a cookie the response deletes
// (empty value or "deleted") is removed from the store. headers: each line
// "Name: value" is sent as "Name: value" (everything after the first colon, its
// leading blanks dropped); a later line of the same name replaces an earlier one;
// a line with nothing after its colon ("X-Empty:"), a name that is not an HTTP
// token or a value with CR or LF is not sent. Besides these only Host and
// Content-Length go out. URL bytes that a request line cannot carry (controls,
// blanks, 0x7F and above) are sent as %XX of the byte. Redirects are followed
// (at most 10) unless noRedirect. Time-outs: resolving and connecting together,
// and any stretch without one byte moving. responseHeaders holds the header lines
// of the final response without its status line, each closed by CR LF. Any
// failure (refused, time-out, reset, malformed reply, a body over 64 MiB,
// cancellation) gives an empty body and empty responseHeaders.
ByteSet fetchBytes(FetchParams& params, const CancelToken* cancel = nullptr);

// fetchBytes, with the body cut before its first zero byte.
Text fetchText(FetchParams& params, const CancelToken* cancel = nullptr);
