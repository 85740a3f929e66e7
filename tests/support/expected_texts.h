// What the user is shown, written out as the tests expect it: stated here, apart from the code
// that shows it, so that a changed text in the product fails the tests instead of changing them.
#pragma once

namespace expected {

inline constexpr char WebAddress[] = "http://www.zembrino.example";

inline constexpr char ArchiveErrorText[] =
    "This installation archive appears to be corrupt.  Please try downloading\n"
    "Zembrino's Screen Saver from http://www.zembrino.example.";
inline constexpr char ArchiveErrorTitle[] = "Installation Archive Error";

} // namespace expected
