#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "text/Text.h"

// A subject text converted once to UTF-16 (code page 936 road) so that several
// compiles can search it without converting it again.
//
// With a boundary text the subject also keeps an index of where the boundary
// occurs. A pattern that is a literal immediately followed by the boundary (and
// then anything without alternation) can only match where the literal ends right
// before a boundary; a search over an indexed subject starts only at such places
// and so yields exactly the matches of a plain search, without scanning the whole
// subject each time. The index is built lazily; a subject may be shared read-only
// between the matchers of one thread.
class RegexSubject {
  public:
    explicit RegexSubject(std::string_view gbk, std::u16string_view boundary = {});
    ~RegexSubject();
    RegexSubject(const RegexSubject&) = delete;
    RegexSubject& operator=(const RegexSubject&) = delete;

    const std::u16string& units() const noexcept { return units_; }
    const std::u16string& boundary() const noexcept { return boundary_; }

    // Smallest start >= from of a window of literal.size() units that ends right
    // before a boundary and may equal the literal ignoring case (a superset of the
    // places where it does); npos when there is none, also when the index gave up.
    // Sets usable to false when the index cannot answer for this length (too much
    // work), in which case the caller searches plainly.
    std::size_t nextCandidate(std::u16string_view literal, std::size_t from, bool& usable) const;

    static constexpr std::size_t npos = std::u16string::npos;

  private:
    struct Index;
    std::u16string units_;
    std::u16string boundary_;
    std::unique_ptr<Index> index_;
};
