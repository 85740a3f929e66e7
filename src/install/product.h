// Facts about the product that more than one part of the installer shows.
#pragma once

// The product's home page; the maker's real address is not known here, so it lies under a
// domain reserved for examples.
#define ZM_PRODUCT_WEB_ADDRESS "http://www.zembrino.example"

inline constexpr char ProductWebAddress[] = ZM_PRODUCT_WEB_ADDRESS;

inline constexpr char ArchiveErrorText[] =
    "This installation archive appears to be corrupt.  Please try downloading\n"
    "Zembrino's Screen Saver from " ZM_PRODUCT_WEB_ADDRESS ".";
inline constexpr char ArchiveErrorTitle[] = "Installation Archive Error";

// The title of the boxes after which the program cannot go on.
inline constexpr char IrrecoverableErrorTitle[] = "Irrecoverable error";
