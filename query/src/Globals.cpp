#include "Globals.h"

#include "query/QueryRun.h"
#include "text/Cancel.h"

namespace {

Text gClassNumber;
Text gResultHtml;
Text gRowNumber;
Text gRowName;

Text& globalText(Global global) {
    switch (global) {
        case Global::classNumber:
            return gClassNumber;
        case Global::resultHtml:
            return gResultHtml;
        case Global::rowNumber:
            return gRowNumber;
        case Global::rowName:
            break;
    }
    return gRowName;
}

}  // namespace

std::mutex& globalsMutex() {
    static std::mutex mutex;
    return mutex;
}

void storeGlobal(Global global, const Text& value) {
    const std::lock_guard lock(globalsMutex());
    const CancelToken* run = CancelToken::current();
    if (run && run->cancelled()) return;
    globalText(global) = value;
}

Text loadGlobal(Global global) {
    const std::lock_guard lock(globalsMutex());
    return globalText(global);
}

Text gClassNumberValue() { return loadGlobal(Global::classNumber); }
Text gResultHtmlValue() { return loadGlobal(Global::resultHtml); }
Text gRowNumberValue() { return loadGlobal(Global::rowNumber); }
Text gRowNameValue() { return loadGlobal(Global::rowName); }

void releaseGlobals() {
    const std::lock_guard lock(globalsMutex());
    for (Text* global : {&gClassNumber, &gResultHtml, &gRowNumber, &gRowName}) Text().swap(*global);
}
