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
ByteSet fetchBytes(FetchParams& params, const CancelToken* cancel = nullptr);

// fetchBytes, with the body cut before its first zero byte.
Text fetchText(FetchParams& params, const CancelToken* cancel = nullptr);
