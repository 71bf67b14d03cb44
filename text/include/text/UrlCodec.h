#pragma once
// Percent encoding of text for the wire, and decoding of replies.

#include <string_view>

#include "text/Text.h"

// "%XX" (upper-case digits) for every byte of the text (of its UTF-8 form when utf8
// is true). With keep, the bytes 0x2C-0x39, A-Z and a-z pass as they are. The
// pending-events hook in place when the call starts runs once per encoded byte.
Text urlEncode(std::string_view text, bool keep = false, bool utf8 = false);

// Every "%" takes the next two bytes as hexadecimal digits whatever they are: a
// non-digit counts -2, a missing byte 0, the low 8 bits of 16*d1+d2 are appended
// and a zero byte appends nothing. With utf8 the decoded bytes go through
// utf8ToGbk.
Text urlDecode(std::string_view text, bool utf8 = false);

// What urlEncode calls once per byte so that the calling thread can handle its
// pending window events. Until the window layer installs one it does nothing.
using PendingEventsHook = void (*)();
void setPendingEventsHook(PendingEventsHook hook);
