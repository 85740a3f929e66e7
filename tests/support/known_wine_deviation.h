// Assertions that state what Windows does where Wine is known to do otherwise, in the manner of
// Wine's own todo_wine. On the emulated machine and on Windows they are plain checks. Under Wine
// a difference is reported and does not fail, while agreement fails, so that a marker is removed
// as soon as Wine no longer needs it. Every marker starts with KNOWN_WINE_DEVIATION.
#pragma once

#include <doctest/doctest.h>

#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace known_wine_deviation {

// True when the Windows build runs under Wine (ntdll exports wine_get_version); false natively
// and on Windows itself.
bool UnderWine();

// True under Wine run by the host's superuser. Wine refuses to write a read-only file through
// the host's permission bits, which the superuser passes: there, and only there, a read-only file
// is written and replaced as if it were not read-only.
bool UnderWineAsSuperuser();

// Text in quotes, with line ends, NULs and other control characters spelt out, so that texts
// that differ in blank lines alone read differently.
std::string Quoted(std::string_view text);

template <class T> struct IsVector : std::false_type {};
template <class T, class A> struct IsVector<std::vector<T, A>> : std::true_type {};

template <class T> std::string Describe(const T& value) {
  if constexpr (std::is_convertible_v<const T&, std::string_view>) {
    return Quoted(std::string_view(value));
  } else if constexpr (IsVector<T>::value) {
    std::string text = "{";
    for (const auto& element : value) text += (text.size() > 1 ? ", " : "") + Describe(element);
    return text + "}";
  } else if constexpr (std::is_same_v<T, bool>) {
    return value ? "true" : "false";
  } else if constexpr (std::is_arithmetic_v<T>) {
    return std::to_string(value);
  } else {
    return doctest::toString(value).c_str();
  }
}

} // namespace known_wine_deviation

// A vector of names or lines as doctest shows it in a failed check.
namespace doctest {
template <> struct StringMaker<std::vector<std::string>> {
  static String convert(const std::vector<std::string>& value) {
    return known_wine_deviation::Describe(value).c_str();
  }
};
} // namespace doctest

// CHECK(actual == expected), where expected is the answer of Windows and Wine gives another.
#define KNOWN_WINE_DEVIATION_CHECK_EQ(actual, expected, why)                                       \
  do {                                                                                             \
    if (!::known_wine_deviation::UnderWine()) {                                                    \
      CHECK((actual) == (expected));                                                               \
    } else {                                                                                       \
      const auto& known_wine_deviation_actual = (actual);                                          \
      const auto& known_wine_deviation_expected = (expected);                                      \
      if (known_wine_deviation_actual == known_wine_deviation_expected) {                          \
        FAIL_CHECK("Wine now agrees with Windows on " #actual " == "                               \
                   << ::known_wine_deviation::Describe(known_wine_deviation_expected)              \
                   << "; remove the known Wine deviation marker (" << (why) << ")");               \
      } else {                                                                                     \
        MESSAGE("known Wine deviation: expected "                                                  \
                << ::known_wine_deviation::Describe(known_wine_deviation_expected) << ", got "     \
                << ::known_wine_deviation::Describe(known_wine_deviation_actual) << " (" << (why)  \
                << ")");                                                                           \
      }                                                                                            \
    }                                                                                              \
  } while (false)

// True, with a report, under Wine, where the call that the guarded check makes would crash the
// test program; false elsewhere:
//   if (!KNOWN_WINE_DEVIATION_SKIP_CRASH("why")) CHECK(...);
#define KNOWN_WINE_DEVIATION_SKIP_CRASH(why)                                                       \
  ([&] {                                                                                           \
    if (!::known_wine_deviation::UnderWine()) return false;                                        \
    MESSAGE("known Wine deviation: skipped, " << (why));                                           \
    return true;                                                                                   \
  }())
