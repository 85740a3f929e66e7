// The name of a wizard button as a page quotes it in its text.
#pragma once

#include "foundation/zstring.h"

// What a page calls the button when the sheet's own caption gives nothing usable.
inline constexpr char FallbackNextCaption[] = "Next";

// Turns a button caption such as "&Next >" into the plain name "Next": the mnemonic markers go
// (a doubled "&&" too), and so do the arrows at the end and the white space at both ends. A
// caption with nothing left becomes FallbackNextCaption.
void CleanButtonCaption(ZString& caption);
