// The Welcome page's text, which names the button that leads on.
#pragma once

#include "foundation/zstring.h"

// One "%s": the cleaned caption of the sheet's default button.
extern const char WelcomeTextFormat[];

// Replaces text with the welcome text naming buttonName.
void BuildWelcomeText(ZString& text, const ZString& buttonName);
