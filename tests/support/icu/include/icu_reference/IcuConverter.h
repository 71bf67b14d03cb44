#pragma once
// ICU's own converter, used by tests and fuzz targets as the reference that the
// text module's conversions must equal.

#include <unicode/ucnv.h>

#include <memory>
#include <string>
#include <string_view>

class IcuConverter {
  public:
    explicit IcuConverter(const char* name) {
        UErrorCode status = U_ZERO_ERROR;
        converter_.reset(ucnv_open(name, &status));
        note(status);
    }

    std::u16string toUtf16(std::string_view bytes) const {
        std::u16string units(2 * bytes.size() + 4, u'\0');
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length = ucnv_toUChars(converter_.get(), units.data(), static_cast<int32_t>(units.size()),
                                             bytes.data(), static_cast<int32_t>(bytes.size()), &status);
        note(status);
        units.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
        return units;
    }

    std::string fromUtf16(std::u16string_view units) const {
        std::string bytes(4 * units.size() + 4, '\0');
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length = ucnv_fromUChars(converter_.get(), bytes.data(), static_cast<int32_t>(bytes.size()),
                                               units.data(), static_cast<int32_t>(units.size()), &status);
        note(status);
        bytes.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
        return bytes;
    }

    // False once opening the converter or any conversion has failed.
    bool ok() const { return ok_; }

  private:
    void note(UErrorCode status) const { ok_ = ok_ && U_SUCCESS(status); }

    struct Closer {
        void operator()(UConverter* converter) const { ucnv_close(converter); }
    };
    std::unique_ptr<UConverter, Closer> converter_;
    mutable bool ok_ = true;
};
